#pragma once
// The process-wide values of a check run: the status text, the check-run-active flag and the
// stop-requested flag. The worker writes the text, the UI reads it; both under one lock.
#include <atomic>
#include <functional>
#include <mutex>
#include <string>

inline constexpr const char* kIdleStatusText = "当前状态：空闲";

class CRunState final
{
public:
    using StatusListener = std::function<void(const std::string&)>;

    CRunState() = default;
    // The run state of one check among several at once: it sees the run's stop request and passes
    // its status texts (and its failures) on to the run, remembering the last text.
    explicit CRunState(CRunState& run) : m_pRun(&run) {}
    CRunState(const CRunState&) = delete;
    CRunState& operator=(const CRunState&) = delete;

    void SetStatusText(std::string text);
    // A status text that says the item's check failed; counted, so a caller can tell a failed run
    // from one that found nothing.
    void SetErrorText(std::string text);
    int ErrorCount() const { return m_nErrors.load(); }
    // The text of the last SetErrorText (the check log keeps it); empty when there was none.
    std::string LastErrorText() const;
    std::string GetStatusText() const;
    // Called on the writing thread after every change of the status text (the CLI prints them).
    void SetStatusListener(StatusListener listener);

    bool IsStopRequested() const
    {
        return m_bStopRequested.load() != 0 || (m_pStopFlag != nullptr && m_pStopFlag->load()) ||
               (m_pRun != nullptr && m_pRun->IsStopRequested());
    }
    // A flag of the caller's that asks for a stop as well (a trial check's cancel); it must outlive
    // the state.
    void SetStopFlag(const std::atomic<bool>* flag) { m_pStopFlag = flag; }
    void RequestStop() { m_bStopRequested.store(1); }
    bool IsRunActive() const { return m_bCheckRunActive.load() != 0; }

    // Test-and-set of the check-run-active flag: true when this caller now owns the run.
    bool TryBeginRun();
    // End of a run: both flags back to 0.
    void EndRun();

private:
    CRunState* m_pRun = nullptr;
    const std::atomic<bool>* m_pStopFlag = nullptr;
    std::string m_strLastError;
    mutable std::mutex m_lock;
    std::string m_strStatus = kIdleStatusText;
    StatusListener m_listener;
    std::atomic<int> m_bCheckRunActive{0};
    std::atomic<int> m_bStopRequested{0};
    std::atomic<int> m_nErrors{0};
};
