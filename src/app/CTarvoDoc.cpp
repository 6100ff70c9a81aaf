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
#include "util/UiText.h"

#include <algorithm>
#include <system_error>

namespace {

constexpr const char* kDefaultSoundFile = "ring01.wav";
constexpr int kReannounceTickLimit = 9999999;
constexpr const char* kCheckedElsewhereText = WENDAR_TR_NOOP("CTarvoDoc", " 正在由另一个程序检查，这次跳过");

// Between a note and the status summary.
constexpr const char* kStatusNoteGap = "  ";

std::optional<std::vector<ItemPtr>> ReadStoredItems(CAdoConnection& connection)
{
    std::vector<ItemPtr> items;
    if (!ForEachStoredItem(connection, [&items](MessageTypeInfo& item) {
            items.push_back(std::make_shared<MessageTypeInfo>(std::move(item)));
        })) {
        return std::nullopt;
    }
    return items;
}

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

void CTarvoDoc::SetHealthChangedListener(HealthChangedListener listener)
{
    std::lock_guard guard(m_itemsLock);
    m_healthChanged = std::move(listener);
}

void CTarvoDoc::SetWallClock(WallClock clock)
{
    std::lock_guard guard(m_itemsLock);
    m_clock = std::move(clock);
}

WallClock CTarvoDoc::Clock() const
{
    std::lock_guard guard(m_itemsLock);
    return m_clock;
}

std::chrono::milliseconds CTarvoDoc::TimerPeriod() const
{
    const long long own = m_timerPeriodMs.load();
    if (own > 0) {
        return std::chrono::milliseconds(own);
    }
    const int minutes = std::max(1, m_pSettings ? m_pSettings->AutoCheckInterval : Settings().AutoCheckInterval);
    return std::chrono::minutes(minutes);
}

void CTarvoDoc::CheckHealthOverTime()
{
    CHealthOperations health(m_connection, m_pSettings, Clock());
    std::string error;
    const auto changes = health.TakeTimeChanges(error);
    if (!changes) {
        return; // tried again at the next call
    }
    HealthChangedListener listener;
    {
        std::lock_guard guard(m_itemsLock);
        listener = m_healthChanged;
    }
    for (const HealthChange& change : *changes) {
        if (ItemPtr item = FindItem(change.messagetypeid)) {
            QueueSoundFor(*item);
        }
        if (listener) {
            listener(change);
        }
    }
}

std::vector<ItemPtr> CTarvoDoc::DueItems(CAdoConnection& connection)
{
    const std::vector<ItemPtr> items = Items();
    std::vector<const MessageTypeInfo*> records;
    for (const auto& item : items) {
        records.push_back(item.get());
    }
    CHealthOperations health(connection, m_pSettings, Clock());
    std::string error;
    const auto due = health.DueItems(records, TimerPeriod(), error);
    if (!due) {
        return items; // what cannot be read does not keep an item from its check
    }
    std::vector<ItemPtr> chosen;
    for (const auto& item : items) {
        if (std::find(due->begin(), due->end(), item->messagetypeid) != due->end()) {
            chosen.push_back(item);
        }
    }
    return chosen;
}

void CTarvoDoc::RecordCheck(CAdoConnection& connection, const CheckRecord& check, const MessageTypeInfo& item)
{
    CHealthOperations health(connection, m_pSettings, Clock());
    std::optional<HealthChange> change;
    std::string error;
    if (!health.Record(check, change, error) || !change) {
        return; // a log entry that cannot be written does not fail the check
    }
    QueueSoundFor(item);
    HealthChangedListener listener;
    {
        std::lock_guard guard(m_itemsLock);
        listener = m_healthChanged;
    }
    if (listener) {
        listener(*change);
    }
}

void CTarvoDoc::ApplySettings(const Settings& settings)
{
    m_bSoundEnabled = settings.EnableSoundNotify;
    m_pSettings = &settings;
    SetParallelChecks(settings.ParallelChecks);
    SetPerHostChecks(settings.PerHostChecks);
}

void CTarvoDoc::PrefetchItems(CAdoConnection& idle)
{
    try {
        m_prefetched = std::async(std::launch::async, [&idle] { return ReadStoredItems(idle); });
    } catch (const std::system_error&) {
        // No thread to be had: LoadItems reads them itself.
    }
}

bool CTarvoDoc::LoadItems()
{
    // The wait for a prefetch is never longer than reading here would be.
    auto items = m_prefetched.valid() ? m_prefetched.get() : std::nullopt;
    if (!items) {
        items = ReadStoredItems(m_connection);
    }
    if (!items) {
        return false;
    }
    std::lock_guard guard(m_itemsLock);
    m_items = std::move(*items);
    IndexItems();
    ++m_nItemsVersion;
    return true;
}

void CTarvoDoc::IndexItems()
{
    m_itemIndex.clear();
    m_itemIndex.reserve(m_items.size());
    for (size_t i = 0; i < m_items.size(); ++i) {
        m_itemIndex.emplace(m_items[i]->messagetypeid, i);
    }
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
        auto known = m_itemIndex.find(row.messagetypeid);
        auto old = known == m_itemIndex.end() ? m_items.end() : m_items.begin() + static_cast<long>(known->second);
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
        IndexItems();
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
    auto known = m_itemIndex.find(messagetypeid);
    return known == m_itemIndex.end() ? nullptr : m_items[known->second];
}

ItemPtr CTarvoDoc::ItemAt(size_t index) const
{
    std::lock_guard guard(m_itemsLock);
    return index < m_items.size() ? m_items[index] : nullptr;
}

void CTarvoDoc::AddItem(ItemPtr item)
{
    std::lock_guard guard(m_itemsLock);
    m_itemIndex[item->messagetypeid] = m_items.size();
    m_items.push_back(std::move(item));
    ++m_nItemsVersion;
}

void CTarvoDoc::ReplaceItem(int messagetypeid, const MessageTypeInfo& edited)
{
    std::lock_guard guard(m_itemsLock);
    auto known = m_itemIndex.find(messagetypeid);
    if (known == m_itemIndex.end()) {
        return;
    }
    ItemPtr& item = m_items[known->second];
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
    ++m_nItemsVersion;
}

void CTarvoDoc::RemoveItem(int messagetypeid)
{
    std::lock_guard guard(m_itemsLock);
    std::erase_if(m_items, [&](const ItemPtr& item) { return item->messagetypeid == messagetypeid; });
    IndexItems();
    ++m_nItemsVersion;
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
        m_run.SetErrorText(UiText("StoreFinding", kLocalDatabaseFailed));
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
        // The timer's run checks the items that are due; any other run, every item. A timer run reads
        // its choice once, at its start.
        std::vector<ItemPtr> due;
        const bool choose = job->m_bByTimer && refreshed;
        if (choose) {
            due = DueItems(connection);
        }
        auto itemAt = [this, choose, &due](size_t i) {
            if (!choose) {
                return ItemAt(i); // the count is read again for every position
            }
            return i < due.size() ? due[i] : nullptr;
        };
        CParallelChecks walk(m_run, static_cast<size_t>(m_nParallelChecks.load()), connection);
        walk.SetPerHostLimit(static_cast<size_t>(m_nPerHostChecks.load()));
        // Every thread of the walk keeps its connection quiet for its own work, as this one does.
        const bool byTimer = job->m_bByTimer;
        result =
            walk.Walk([&itemAt](size_t i) { return itemAt(i); },
                      [this, byTimer](MessageTypeInfo& item, CRunState& run, CCurlDriver& curl, CAdoConnection& own) {
                          CAdoConnection::QuietOnThisThread quietHere(own);
                          return RunMonitor(&item, run, &curl, own, byTimer);
                      },
                      [this](MessageTypeInfo& item, int r) {
                          CAdoConnection::QuietOnThisThread quietHere(m_connection);
                          AfterCheck(item, r);
                      });
        m_run.SetStatusText(
            UiText("CTarvoDoc", m_run.IsStopRequested() ? kRunStoppedStatusText : kAllCheckedStatusText));
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
    const WallClock clock = Clock();
    CheckRecord check;
    check.messagetypeid = item->messagetypeid;
    check.itemName = item->MessageTypeName;
    check.trigger = byTimer ? CheckTrigger::Timer : m_checkTrigger.load();
    check.startMs = clock();
    // Checked by another program right now: its findings will be stored there.
    CItemCheckLock lock(LocalLockFilePath(LocalDatabasePath(connection.GetConnectionString())), item->messagetypeid);
    if (lock.GetState() == CItemCheckLock::State::HeldElsewhere) {
        check.result = CheckResult::Skipped;
        check.text = item->MessageTypeName + UiText("CTarvoDoc", kCheckedElsewhereText);
        run.SetStatusText(check.text);
        RecordCheck(connection, check, *item);
        return 0;
    }
    // Deleted or switched off by another program since the run read the items.
    if (!StillWanted(connection, *item)) {
        return 0;
    }
    Monitor monitor;
    {
        std::lock_guard guard(m_itemsLock);
        if (auto it = m_monitors.find(item->MessageCategory); it != m_monitors.end()) {
            monitor = it->second;
        }
    }
    if (!monitor) {
        return 0; // nothing to check ("其他监视")
    }
    item->m_bBusy = true;
    const auto started = std::chrono::steady_clock::now();
    const int newBefore = item->m_nNewCount;
    // The check's own state: its failure and its words, passed on to the run.
    CRunState own(run);
    CheckContext context{connection, own, m_strAppDir, curl, byTimer};
    std::string optionsError;
    if (const auto options = LoadItemOptions(connection, item->messagetypeid, optionsError)) {
        context.pinnedCertificate = options->pinnedCertificate;
        context.mailPreview = options->mailPreview;
    }
    int result = monitor(context, *item);
    int found = item->m_nNewCount - newBefore;
    if ((item->MessageCategory == kCategoryDatabase || item->MessageCategory == kCategoryBroadcast) && result != 0) {
        found = std::max(found, result);
        result = 1;
        ++item->m_nNewCount;
    }
    item->m_bBusy = false;
    check.durationMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
    check.newFindings = std::max(0, found);
    if (own.IsStopRequested()) {
        check.result = CheckResult::Stopped; // a transfer cut short by the stop fails too
    } else if (own.ErrorCount() > 0) {
        check.result = CheckResult::Failed;
        check.text = own.LastErrorText();
    } else {
        check.result = result != 0 ? CheckResult::NewFindings : CheckResult::NothingNew;
        check.newFindings = result != 0 ? std::max(1, check.newFindings) : 0;
    }
    RecordCheck(connection, check, *item);
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
    const std::string text =
        unread > 0 ? UiText("CTarvoDoc", "您还有:") + std::to_string(unread) + UiText("CTarvoDoc", "条消息未读")
                   : UiText("CTarvoDoc", "没有未读的消息");
    const int failing = m_nFailingCount;
    return failing > 0 ? text + "\n" + std::to_string(failing) + UiText("CTarvoDoc", kFailingItemsText) : text;
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
    std::string summary =
        StatusSummaryText(m_pCurItem.get(), m_pCurItem ? m_pCurItem->m_nUnreadCount.load() : 0, m_nUnreadCount);
    if (const int failing = m_nFailingCount; failing > 0) {
        summary += "  " + std::to_string(failing) + UiText("CTarvoDoc", kFailingItemsText);
    }
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
