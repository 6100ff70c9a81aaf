#pragma once
// Writes of the UI thread that meet another program's write lock. A write runs at once on the UI
// connection, whose busy timeout is short; when the local store stays locked it is handed to a
// thread of its own (its own connection, longer waits, a bounded number of attempts) and its
// outcome comes back through a callback on that thread, which the caller marshals to the UI
// thread. While writes wait there, later ones queue behind them: writes land in the order they
// were made. A write must be all or nothing (one statement or one transaction): it may run again.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class CAdoConnection;

class CBackgroundWrites final
{
public:
    // Writes on the connection it is handed; false with the database's words in error.
    using Write = std::function<bool(CAdoConnection& connection, std::string& error)>;
    // Called on the background thread once a handed-over write landed or gave up.
    using Done = std::function<void(bool written, const std::string& error)>;
    enum class Outcome
    {
        Written,
        Failed,   // refused for another reason than a lock; error holds the words
        Deferred, // handed to the background thread; done tells the end
    };
    struct Limits
    {
        std::chrono::milliseconds wait{2000}; // per attempt, on the background connection
        int attempts = 15;
    };

    explicit CBackgroundWrites(CAdoConnection& uiConnection) : CBackgroundWrites(uiConnection, Limits{}) {}
    CBackgroundWrites(CAdoConnection& uiConnection, Limits limits);
    // Close().
    ~CBackgroundWrites();
    CBackgroundWrites(const CBackgroundWrites&) = delete;
    CBackgroundWrites& operator=(const CBackgroundWrites&) = delete;

    // UI thread.
    Outcome Run(Write write, Done done, std::string& error);
    // Writes handed over and not yet ended.
    std::size_t Pending() const;
    // Closing: the write under way ends after its current attempt, each queued one gets a single
    // attempt; then the thread ends and its connection is closed. Later writes run on the UI
    // connection only.
    void Close();

private:
    struct Job
    {
        Write write;
        Done done;
    };
    void Work();
    void RunJob(CAdoConnection& connection, Job& job);

    CAdoConnection& m_ui;
    const Limits m_limits;
    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs; // the one under way stays at the front until it ended
    bool m_bClosing = false;
    std::thread m_thread; // started with the first write handed over
};
