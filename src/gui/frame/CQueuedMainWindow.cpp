#include "gui/frame/CQueuedMainWindow.h"

#include "app/CMessageOperations.h"
#include "gui/frame/CMainFrame.h"

#include <QMetaObject>

void CQueuedMainWindow::Attach(CMainFrame* frame, CMessageOperations* messages)
{
    std::lock_guard guard(m_lock);
    m_frame = frame;
    m_messages = messages;
    std::string error;
    m_nReportedId = messages ? messages->NewestMessageId(error).value_or(0) : 0;
}

void CQueuedMainWindow::Detach()
{
    std::lock_guard guard(m_lock);
    m_frame = nullptr;
    m_messages = nullptr;
}

void CQueuedMainWindow::ReportStored(CMainFrame* frame)
{
    if (!m_messages) {
        return;
    }
    std::string error;
    const auto counts = m_messages->StoredCountsSince(m_nReportedId, error);
    const auto newest = m_messages->NewestMessageId(error);
    if (!counts || !newest) {
        return; // told at the end of the next run
    }
    m_nReportedId = *newest;
    std::vector<RunFinding> findings;
    for (const StoredCount& count : *counts) {
        findings.push_back({count.itemName.empty() ? std::to_string(count.itemId) : count.itemName, count.count});
    }
    if (!findings.empty()) {
        frame->OnRunFindings(findings);
    }
}

void CQueuedMainWindow::HealthChanged(const HealthChange& change)
{
    std::lock_guard guard(m_lock);
    if (m_frame) {
        CMainFrame* frame = m_frame;
        QMetaObject::invokeMethod(
            frame, [frame, change] { frame->OnHealthChanged(change); }, Qt::QueuedConnection);
    }
}

void CQueuedMainWindow::SetBusyAnimation(bool on)
{
    std::lock_guard guard(m_lock);
    if (!m_frame) {
        return;
    }
    // Posting to an object of another thread is safe; Qt drops the call if the frame is deleted
    // before it runs.
    CMainFrame* frame = m_frame;
    QMetaObject::invokeMethod(
        frame,
        [this, frame, on] {
            frame->SetBusyAnimation(on);
            if (!on) {
                ReportStored(frame);
            }
        },
        Qt::QueuedConnection);
}
