#include "gui/frame/CQueuedMainWindow.h"

#include "app/CTarvoDoc.h"
#include "gui/frame/CMainFrame.h"
#include "store/CAdoRecordset.h"

#include <QMetaObject>
#include <cstdlib>

long long NewestMessageId(CTarvoDoc& doc)
{
    CAdoRecordset rs(doc.Connection());
    std::string id;
    if (rs.Open("select max(ID) as newest from userdata") && !rs.IsEOF()) {
        rs.GetFieldValue("newest", id);
    }
    return std::strtoll(id.c_str(), nullptr, 10); // empty (no records): 0
}

void CQueuedMainWindow::Attach(CMainFrame* frame, CTarvoDoc* doc)
{
    std::lock_guard guard(m_lock);
    m_frame = frame;
    m_doc = doc;
}

void CQueuedMainWindow::Detach()
{
    std::lock_guard guard(m_lock);
    m_frame = nullptr;
    m_doc = nullptr;
}

std::vector<RunFinding> CQueuedMainWindow::StoredSince(long long lastId)
{
    std::vector<RunFinding> findings;
    CAdoRecordset rs(m_doc->Connection());
    if (!rs.Open("select MessageTypeID as item, count(*) as stored from userdata where ID>" + std::to_string(lastId) +
                 " group by MessageTypeID order by min(ID)")) {
        return findings;
    }
    for (; !rs.IsEOF(); rs.MoveNext()) {
        int itemId = 0;
        int stored = 0;
        rs.GetFieldValue("item", itemId);
        rs.GetFieldValue("stored", stored);
        const ItemPtr item = m_doc->FindItem(itemId);
        findings.push_back({item ? item->MessageTypeName : std::to_string(itemId), stored});
    }
    return findings;
}

void CQueuedMainWindow::SetBusyAnimation(bool on)
{
    std::lock_guard guard(m_lock);
    if (!m_frame) {
        return;
    }
    std::vector<RunFinding> findings;
    if (on) {
        m_nRunStartId = NewestMessageId(*m_doc);
    } else {
        findings = StoredSince(m_nRunStartId);
    }
    // Posting to an object of another thread is safe; Qt drops the call if the frame is deleted
    // before it runs.
    CMainFrame* frame = m_frame;
    QMetaObject::invokeMethod(
        frame,
        [frame, on, findings = std::move(findings)] {
            frame->SetBusyAnimation(on);
            if (!findings.empty()) {
                frame->OnRunFindings(findings);
            }
        },
        Qt::QueuedConnection);
}
