#include "app/CTarvoDoc.h"

#include "app/AppPaths.h"
#include "app/CItemCheckLock.h"
#include "app/CParallelChecks.h"
#include "app/IDocView.h"
#include "app/IMainWindow.h"
#include "app/ITrayIcon.h"
#include "app/Settings.h"
#include "monitors/CheckContext.h"
#include "monitors/StoreFinding.h"
#include "store/CAdoConnection.h"
#include "store/LocalDatabase.h"
#include "store/MessageTable.h"
#include "util/TextEncoding.h"

#include <algorithm>

namespace {

constexpr const char* kDefaultSoundFile = "ring01.wav";
constexpr int kReannounceTickLimit = 9999999;
constexpr const char* kCheckedElsewhereText = " 正在由另一个程序检查，这次跳过";

// Between a note and the status summary.
constexpr const char* kStatusNoteGap = "  ";
} // namespace

CTarvoDoc::CTarvoDoc(CAdoConnection& connection, CRunState& run, std::string appDir,
                     std::shared_ptr<ISoundPlayer> player, std::string resourceDir)
    : m_connection(connection), m_run(run), m_strAppDir(std::move(appDir)), m_strResourceDir(std::move(resourceDir)),
      m_sounds(std::move(player), ResolveProgramFile(m_strAppDir, m_strResourceDir, kDefaultSoundFile))
{}

CTarvoDoc::~CTarvoDoc()
{
    // A worker that has not begun its run yet must not start one now either.
    if (m_run.IsRunActive() || HasRunningChecks()) {
        m_run.RequestStop();
    }
    WaitForChecks();
}

void CTarvoDoc::SetMonitor(int category, Monitor monitor)
{
    std::lock_guard guard(m_itemsLock);
    m_monitors[category] = std::move(monitor);
}

void CTarvoDoc::SetMonitors(const std::map<int, Monitor>& monitors)
{
    for (const auto& [category, monitor] : monitors) {
        SetMonitor(category, monitor);
    }
}

void CTarvoDoc::SetItemCheckedListener(ItemCheckedListener listener)
{
    std::lock_guard guard(m_itemsLock);
    m_itemChecked = std::move(listener);
}

void CTarvoDoc::SetWorkerEndedListener(std::function<void()> listener)
{
    std::lock_guard guard(m_itemsLock);
    m_workerEnded = std::move(listener);
}

void CTarvoDoc::ApplySettings(const Settings& settings)
{
    m_bSoundEnabled = settings.EnableSoundNotify;
    m_pSettings = &settings;
    SetParallelChecks(settings.ParallelChecks);
}

bool CTarvoDoc::LoadItems()
{
    const auto rows = LoadAllItems(m_connection);
    if (!rows) {
        return false;
    }
    std::vector<ItemPtr> items;
    for (const MessageTypeInfo& row : *rows) {
        items.push_back(std::make_shared<MessageTypeInfo>(row));
    }
    std::lock_guard guard(m_itemsLock);
    m_items = std::move(items);
    return true;
}

bool CTarvoDoc::RefreshItems()
{
    return RefreshItems(m_connection);
}

bool CTarvoDoc::RefreshItems(CAdoConnection& connection)
{
    const auto stored = LoadAllItems(connection); // the worker thread shows no message box
    if (!stored) {
        return false;
    }
    const std::vector<MessageTypeInfo>& rows = *stored;
    std::lock_guard guard(m_itemsLock);
    bool changed = rows.size() != m_items.size();
    std::vector<ItemPtr> items;
    items.reserve(rows.size());
    for (const MessageTypeInfo& row : rows) {
        auto old = std::find_if(m_items.begin(), m_items.end(),
                                [&](const ItemPtr& item) { return item->messagetypeid == row.messagetypeid; });
        if (old == m_items.end()) {
            items.push_back(std::make_shared<MessageTypeInfo>(row));
            changed = true;
            continue;
        }
        changed |= old - m_items.begin() != static_cast<long>(items.size());
        if (SameColumns(**old, row)) {
            items.push_back(*old);
            continue;
        }
        auto copy = std::make_shared<MessageTypeInfo>(**old);
        CopyColumns(*copy, row);
        copy->m_bBusy = false; // the old record's check, if any, holds the old record
        items.push_back(std::move(copy));
        changed = true;
    }
    if (changed) {
        m_items = std::move(items);
        ++m_nItemsVersion;
    }
    return true;
}

bool CTarvoDoc::StillWanted(CAdoConnection& connection, const MessageTypeInfo& item)
{
    const std::optional<int> state = ReadItemState(connection, item.messagetypeid);
    return !state || (*state != 0 && *state != kItemGoneState);
}

std::vector<ItemPtr> CTarvoDoc::Items() const
{
    std::lock_guard guard(m_itemsLock);
    return m_items;
}

ItemPtr CTarvoDoc::FindItem(int messagetypeid) const
{
    std::lock_guard guard(m_itemsLock);
    for (const auto& item : m_items) {
        if (item->messagetypeid == messagetypeid) {
            return item;
        }
    }
    return nullptr;
}

ItemPtr CTarvoDoc::ItemAt(size_t index) const
{
    std::lock_guard guard(m_itemsLock);
    return index < m_items.size() ? m_items[index] : nullptr;
}

void CTarvoDoc::AddItem(ItemPtr item)
{
    std::lock_guard guard(m_itemsLock);
    m_items.push_back(std::move(item));
}

void CTarvoDoc::ReplaceItem(int messagetypeid, const MessageTypeInfo& edited)
{
    std::lock_guard guard(m_itemsLock);
    for (auto& item : m_items) {
        if (item->messagetypeid == messagetypeid) {
            auto copy = std::make_shared<MessageTypeInfo>(edited);
            // What the run counted for the item survives the edit.
            copy->m_nUnreadCount = item->m_nUnreadCount.load();
            copy->m_nNewCount = item->m_nNewCount.load();
            // A copy taken while the run checked the item carries its busy flag; the run holds the old record.
            copy->m_bBusy = false;
            if (m_pCurItem == item) {
                m_pCurItem = copy;
            }
            item = std::move(copy);
            return;
        }
    }
}

void CTarvoDoc::RemoveItem(int messagetypeid)
{
    std::lock_guard guard(m_itemsLock);
    std::erase_if(m_items, [&](const ItemPtr& item) { return item->messagetypeid == messagetypeid; });
    if (m_pCurItem && m_pCurItem->messagetypeid == messagetypeid) {
        m_pCurItem.reset();
    }
}

void CTarvoDoc::CheckOne(ItemPtr item)
{
    if (!item) {
        CheckAll();
        return;
    }
    // A thread is started even while a run is active: it ends at once without checking.
    StartWorker(std::move(item));
}

void CTarvoDoc::CheckAll(bool byTimer)
{
    if (m_run.IsRunActive()) {
        return;
    }
    StartWorker(nullptr, byTimer);
}

void CTarvoDoc::StartWorker(ItemPtr item, bool byTimer)
{
    auto job = std::make_unique<CCheckThreadParam>();
    job->m_pItem = std::move(item);
    job->m_bByTimer = byTimer;
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::lock_guard guard(m_workersLock);
    ReapFinishedWorkers();
    std::thread thread([this, job = std::move(job), done]() mutable {
        CheckThreadProc(std::move(job));
        done->store(true);
        std::function<void()> ended;
        {
            std::lock_guard itemsGuard(m_itemsLock);
            ended = m_workerEnded;
        }
        if (ended) {
            ended();
        }
    });
    m_workers.push_back({std::move(thread), std::move(done)});
}

void CTarvoDoc::ReapFinishedWorkers()
{
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

void CTarvoDoc::WaitForChecks()
{
    JoinWorkers();
    if (m_closer.joinable()) {
        m_closer.join();
    }
}

void CTarvoDoc::JoinWorkers()
{
    std::list<Worker> workers;
    {
        std::lock_guard guard(m_workersLock);
        workers.swap(m_workers);
    }
    for (auto& worker : workers) {
        worker.thread.join();
    }
}

void CTarvoDoc::WhenChecksEnded(std::function<void()> ended)
{
    if (m_closer.joinable()) {
        m_closer.join();
    }
    m_closer = std::thread([this, ended = std::move(ended)] {
        JoinWorkers();
        if (ended) {
            ended();
        }
    });
}

size_t CTarvoDoc::RunningCheckCount()
{
    std::lock_guard guard(m_workersLock);
    size_t running = 0;
    for (const auto& worker : m_workers) {
        running += worker.done->load() ? 0 : 1;
    }
    return running;
}

void CTarvoDoc::CheckThreadProc(std::unique_ptr<CCheckThreadParam> job)
{
    if (!m_run.TryBeginRun()) {
        return; // another run is going on
    }
    // The run's own connection: its writes never hold the UI thread's connection.
    CAdoConnection connection(m_connection.GetReporter());
    connection.SetShowErrors(false);
    // Store failures of the run are told through the status text; a message box that waits for
    // the user could hold this thread while the UI thread waits for it (closing).
    CAdoConnection::QuietOnThisThread quiet(connection);
    // The listeners and the window's relay may still read through the UI thread's connection here.
    CAdoConnection::QuietOnThisThread quietShared(m_connection);
    if (!connection.Open(m_connection.GetConnectionString(), true)) {
        m_run.SetErrorText(kLocalDatabaseFailed);
        m_run.EndRun();
        return;
    }
    if (m_pMainWindow) {
        m_pMainWindow->SetBusyAnimation(true);
    }
    m_sounds.Pause(true);

    // Another program may have changed the items since the last run.
    const bool refreshed = RefreshItems(connection);
    int result = 0;
    if (job->m_pItem) {
        ItemPtr item = refreshed ? FindItem(job->m_pItem->messagetypeid) : job->m_pItem;
        result = RunMonitor(item.get(), m_run, nullptr, connection, job->m_bByTimer); // null: deleted meanwhile
        if (item) {
            AfterCheck(*item, result);
        }
    } else {
        // The count is read again for every position.
        CParallelChecks walk(m_run, static_cast<size_t>(m_nParallelChecks.load()), connection);
        // Every thread of the walk keeps its connection quiet for its own work, as this one does.
        const bool byTimer = job->m_bByTimer;
        result =
            walk.Walk([this](size_t i) { return ItemAt(i); },
                      [this, byTimer](MessageTypeInfo& item, CRunState& run, CCurlDriver& curl, CAdoConnection& own) {
                          CAdoConnection::QuietOnThisThread quietHere(own);
                          return RunMonitor(&item, run, &curl, own, byTimer);
                      },
                      [this](MessageTypeInfo& item, int r) {
                          CAdoConnection::QuietOnThisThread quietHere(m_connection);
                          AfterCheck(item, r);
                      });
        m_run.SetStatusText(m_run.IsStopRequested() ? kRunStoppedStatusText : kAllCheckedStatusText);
    }

    if (m_pMainWindow) {
        m_pMainWindow->SetBusyAnimation(false);
    }
    m_sounds.Pause(false);
    if (result != 0) {
        RecountUnread(connection);
        m_bReload = true;
    }
    job.reset();
    m_run.EndRun();
}

int CTarvoDoc::RunMonitor(MessageTypeInfo* item, CRunState& run, CCurlDriver* curl, CAdoConnection& connection,
                          bool byTimer)
{
    if (!item || item->m_bBusy || run.IsStopRequested()) {
        return 0;
    }
    // Checked by another program right now: its findings will be stored there.
    CItemCheckLock lock(LocalLockFilePath(LocalDatabasePath(connection.GetConnectionString())), item->messagetypeid);
    if (lock.GetState() == CItemCheckLock::State::HeldElsewhere) {
        run.SetStatusText(item->MessageTypeName + kCheckedElsewhereText);
        return 0;
    }
    // Deleted or switched off by another program since the run read the items.
    if (!StillWanted(connection, *item)) {
        return 0;
    }
    item->m_bBusy = true;
    Monitor monitor;
    {
        std::lock_guard guard(m_itemsLock);
        if (auto it = m_monitors.find(item->MessageCategory); it != m_monitors.end()) {
            monitor = it->second;
        }
    }
    int result = 0;
    if (monitor) {
        CheckContext context{connection, run, m_strAppDir, curl, byTimer};
        result = monitor(context, *item);
        if ((item->MessageCategory == kCategoryDatabase || item->MessageCategory == kCategoryBroadcast) &&
            result != 0) {
            result = 1;
            ++item->m_nNewCount;
        }
    }
    item->m_bBusy = false;
    return result;
}

void CTarvoDoc::AfterCheck(MessageTypeInfo& item, int result)
{
    ItemCheckedListener listener;
    {
        std::lock_guard guard(m_itemsLock);
        listener = m_itemChecked;
    }
    if (result != 0) {
        QueueSoundFor(item);
    }
    if (listener) {
        listener(item, result);
    }
}

void CTarvoDoc::RecountUnread()
{
    RecountUnread(m_connection);
}

void CTarvoDoc::RecountUnread(CAdoConnection& connection)
{
    const std::vector<ItemPtr> items = Items();
    // Every fill of the list recounts: one statement over the kept counts answers for all items.
    std::map<int, int> unread;
    if (ReadUnreadCounts(connection, unread)) {
        int total = 0;
        for (const auto& item : items) {
            const auto it = unread.find(item->messagetypeid);
            item->m_nUnreadCount = it == unread.end() ? 0 : it->second;
            total += item->m_nUnreadCount;
        }
        m_nUnreadCount = total;
        return;
    }
    int total = 0;
    for (const auto& item : items) {
        total += item->CountUnread(connection);
    }
    m_nUnreadCount = total;
}

void CTarvoDoc::ResetNewCounts()
{
    for (const auto& item : Items()) {
        item->m_nNewCount = 0;
    }
}

void CTarvoDoc::QueueSound(const std::string& path)
{
    m_sounds.QueueSound(path.empty() ? path : ResolveProgramFile(m_strAppDir, m_strResourceDir, path));
}

void CTarvoDoc::QueueSoundFor(const MessageTypeInfo& item)
{
    if (item.bNotify >= 0 && m_bSoundEnabled.load() != 0) {
        QueueSound(item.notifysound);
    }
}

void CTarvoDoc::ReannounceTick()
{
    for (const auto& item : Items()) {
        if (m_bSoundEnabled.load() != 0 && item->bNotify > 0 && item->m_nNewCount > 0 &&
            m_nReannounceTick % item->bNotify == 0) {
            QueueSound(item->notifysound);
        }
    }
    m_nReannounceTick = m_nReannounceTick > kReannounceTickLimit ? 0 : m_nReannounceTick + 1;
}

std::string CTarvoDoc::TrayTipText() const
{
    const int unread = m_nUnreadCount;
    if (unread > 0) {
        return "您还有:" + std::to_string(unread) + "条消息未读";
    }
    return "没有未读的消息";
}

void CTarvoDoc::RefreshTrayTip(const std::optional<std::string>& text)
{
    if (!m_pTray) {
        return;
    }
    constexpr size_t kTipBytes = 63;
    if (text) {
        m_pTray->SetToolTip(CutUtf8(*text, kTipBytes));
    }
    m_pTray->SetToolTip(CutUtf8(TrayTipText(), kTipBytes));
}

void CTarvoDoc::UpdateStatusSummary()
{
    if (m_run.IsRunActive()) {
        return;
    }
    if (m_nStatusNoteItem != (m_pCurItem ? m_pCurItem->messagetypeid : 0)) {
        m_strStatusNote.clear();
    }
    const std::string summary =
        StatusSummaryText(m_pCurItem.get(), m_pCurItem ? m_pCurItem->m_nUnreadCount.load() : 0, m_nUnreadCount);
    m_run.SetStatusText(m_strStatusNote.empty() ? summary : m_strStatusNote + kStatusNoteGap + summary);
}

MessageQuery CTarvoDoc::PageQuery(long page) const
{
    MessageQuery query;
    query.readFilter = m_nReadFilter;
    query.itemId = m_pCurItem ? m_pCurItem->messagetypeid : 0;
    query.page = page;
    query.pageSize = m_pSettings ? m_pSettings->pagesize : Settings().pagesize;
    query.order = m_sortOrder;
    query.search = m_strSearch;
    return query;
}

void CTarvoDoc::TakePage(MessagePage page)
{
    m_nPageCount = page.pageCount;
    m_nCurPage = page.page;
    m_bReload = false;
    m_nTotalCount = page.totalCount;
    RecountUnread();
    m_pageItems = std::move(page.rows);
}

void CTarvoDoc::CountReadChange(const MessageListInfo& record)
{
    ItemPtr item = FindItem(record.MessageTypeID);
    if (record.status == 1) {
        if (item) {
            --item->m_nUnreadCount;
            --item->m_nNewCount;
        }
        --m_nUnreadCount;
    } else {
        ++m_nUnreadCount;
        if (item) {
            ++item->m_nUnreadCount;
        }
    }
    UpdateStatusSummary();
    RefreshTrayTip();
}

void CTarvoDoc::ShowStoreChange(const std::string& note)
{
    m_strStatusNote = note;
    m_nStatusNoteItem = m_pCurItem ? m_pCurItem->messagetypeid : 0;
    m_bReload = true;
    UpdateAllViews(nullptr);
    // Without a list among the views nothing recounted.
    if (m_bReload) {
        RecountUnread();
        m_bReload = false;
    }
    if (!note.empty() && m_run.IsRunActive()) {
        // What the user just did is said during a run too; the run's next step speaks again.
        m_run.SetStatusText(note);
    } else {
        UpdateStatusSummary();
    }
    RefreshTrayTip();
}

void CTarvoDoc::AddView(IDocView* view)
{
    m_views.push_back(view);
}

void CTarvoDoc::RemoveView(IDocView* view)
{
    std::erase(m_views, view);
}

void CTarvoDoc::UpdateAllViews(IDocView* sender, int hint)
{
    for (IDocView* view : std::vector<IDocView*>(m_views)) {
        if (view != sender) {
            view->OnUpdate(*this, sender, hint);
        }
    }
}
