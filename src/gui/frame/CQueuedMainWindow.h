#pragma once
// The check run's way to the main window. The worker calls SetBusyAnimation at the start and end
// of a run; the call goes on as a queued call to the frame's thread, and is dropped once the frame
// is gone. At the end of a run the frame's thread reads what was stored since the last report and
// hands it to the frame, item by item; the worker itself never reads the store for the window.
//
// It outlives the document (created before it in main), so the worker never meets a dead object.
#include "app/CHealthOperations.h"
#include "app/IMainWindow.h"

#include <mutex>

class CMainFrame;
class CMessageOperations;

class CQueuedMainWindow final : public IMainWindow
{
public:
    // UI thread. What is stored from now on is reported at the end of the next run.
    void Attach(CMainFrame* frame, CMessageOperations* messages);
    void Detach();
    // Worker thread: only posts.
    void SetBusyAnimation(bool on) override;
    // Any thread (the document's health listener): the change goes to the frame as a queued call.
    void HealthChanged(const HealthChange& change);

private:
    // UI thread: the findings after the last report go to the frame.
    void ReportStored(CMainFrame* frame);

    std::mutex m_lock;
    CMainFrame* m_frame = nullptr;
    CMessageOperations* m_messages = nullptr; // UI thread
    long long m_nReportedId = 0;              // UI thread: the newest record reported or there at Attach
};
