#pragma once
// The check run's way to the main window. The worker calls SetBusyAnimation at the start and end
// of a run; the call goes on as a queued call to the frame's thread and is dropped once the frame
// is gone. At the end of a run it also hands the frame what the run stored, item by item.
//
// It outlives the document (created before it in main), so the worker never meets a dead object.
#include "app/IMainWindow.h"
#include "gui/frame/RunFindings.h"

#include <mutex>

class CMainFrame;
class CTarvoDoc;

class CQueuedMainWindow final : public IMainWindow
{
public:
    void Attach(CMainFrame* frame, CTarvoDoc* doc);
    void Detach();
    // Worker thread.
    void SetBusyAnimation(bool on) override;

private:
    std::vector<RunFinding> StoredSince(long long lastId);

    std::mutex m_lock;
    CMainFrame* m_frame = nullptr;
    CTarvoDoc* m_doc = nullptr;
    long long m_nRunStartId = 0; // the newest message record when the run began
};

// The largest message id stored so far (0 for none).
long long NewestMessageId(CTarvoDoc& doc);
