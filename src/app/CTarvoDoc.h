#pragma once
// The document: the check items, the list's page, and the check run that walks the items on one
// worker thread. The UI thread never waits for the worker; the two share the values below, each
// atomic or guarded. The connection the document is made with is the UI thread's; a run opens a
// connection of its own on the same file at its start and closes it at its end (as does every
// further thread of a parallel run), so the UI thread never waits on a check's connection.
//
// Item records are held by shared_ptr: a command that removes or replaces an item while a run is
// active drops the document's reference, and the worker's copy of the pointer keeps the record
// alive until it is done with it.
#include "app/CHealthOperations.h"
#include "app/CMessageOperations.h"
#include "app/CSoundQueue.h"
#include "app/Settings.h"
#include "monitors/CRunState.h"
#include "monitors/StandardMonitors.h"
#include "store/MessageList.h"
#include "store/MessageTypeInfo.h"
#include "store/SharedFlag.h"
#include "store/SharedInt.h"
#include "util/UiText.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

class CAdoConnection;
class CCurlDriver;
class IDocView;
class IMainWindow;
class ISoundPlayer;
class ITrayIcon;
struct CheckContext;
struct Settings;

using ItemPtr = std::shared_ptr<MessageTypeInfo>;

// More threads than this would only wait for the local database's lock.
inline constexpr int kMaxParallelChecks = 64;
inline constexpr const char* kAllCheckedStatusText = WENDAR_TR_NOOP("CTarvoDoc", "全部检查完毕！");
inline constexpr const char* kRunStoppedStatusText = WENDAR_TR_NOOP("CTarvoDoc", "检查已停止");
// Added to the status summary and the tray tip while items fail: " N 个项目检查失败".
inline constexpr const char* kFailingItemsText = WENDAR_TR_NOOP("CTarvoDoc", " 个项目检查失败");
inline constexpr const char* kCannotChangeStateText = WENDAR_TR_NOOP(
    "CTarvoDoc", "对不起,此类消息必须通过相应的业务软件进行处理,不能通过这里设置为已读,打开相应的软件处理未作工作后,"
                 "这条消息会自动改为“已读”!");

// The check job handed to the worker thread: one item, or none for all items.
class CCheckThreadParam
{
public:
    virtual ~CCheckThreadParam() = default;
    ItemPtr m_pItem;
    bool m_bByTimer = false;
};

class CTarvoDoc final
{
public:
    using Monitor = MonitorFunction;
    // Called on the worker thread after each item's monitor returned.
    using ItemCheckedListener = std::function<void(MessageTypeInfo&, int result)>;

    // connection: the UI thread's (the CLI's main thread's). resourceDir: where a sound missing from
    // appDir is looked for (CTarvoApp::m_strResourceDir).
    CTarvoDoc(CAdoConnection& connection, CRunState& run, std::string appDir, std::shared_ptr<ISoundPlayer> player,
              std::string resourceDir = {});
    // Asks a running check to stop and waits for it, then ends the sound thread.
    ~CTarvoDoc();
    CTarvoDoc(const CTarvoDoc&) = delete;
    CTarvoDoc& operator=(const CTarvoDoc&) = delete;

    void SetMonitor(int category, Monitor monitor);
    void SetMonitors(const std::map<int, Monitor>& monitors);
    void SetMainWindow(IMainWindow* window) { m_pMainWindow = window; }
    void SetTrayIcon(ITrayIcon* tray) { m_pTray = tray; }
    void SetItemCheckedListener(ItemCheckedListener listener);
    // Called on a worker thread as its very last step (the CLI wakes on it instead of polling).
    void SetWorkerEndedListener(std::function<void()> listener);
    // Once per change of an item's health (failing, silent, recovered), on the thread that noticed
    // it: a check's worker, or the caller of CheckHealthOverTime. The item's sound is queued by the
    // document; the listener shows or prints the words.
    using HealthChangedListener = std::function<void(const HealthChange&)>;
    void SetHealthChangedListener(HealthChangedListener listener);
    // How the checks this program starts are logged when not by the timer (wendar-cli: Cli).
    void SetCheckTrigger(CheckTrigger trigger) { m_checkTrigger = trigger; }
    // The clock of the check log, the health and the schedules (tests move it).
    void SetWallClock(WallClock clock);
    // The timer's period the due items are reckoned with; zero (the default) = AutoCheckInterval.
    void SetTimerPeriod(std::chrono::milliseconds period) { m_timerPeriodMs = period.count(); }
    // Announces the silences that came with time (on the calling thread's connection: the UI's).
    void CheckHealthOverTime();
    // Takes the sound switch now and reads the page size from settings at every page fill, so the
    // settings must outlive the document (the application's own do). Until called: the defaults.
    void ApplySettings(const Settings& settings);

    // Check items.
    bool LoadItems();
    // Starts reading the stored items on a thread of its own, on a connection no other thread uses
    // meanwhile; the next LoadItems takes them (and reads them itself when that read failed). The
    // window builds its frame in the meantime: with 10,000 items the read is a third of the start.
    void PrefetchItems(CAdoConnection& idle);
    // Reads the items afresh (another program may have added, changed or deleted some): an
    // unchanged item keeps its record, a changed one gets a new record that carries the run-time
    // values over. m_nItemsVersion rises when the list changed; m_pCurItem is left to the UI
    // thread, which finds its item again by key. Every run begins with it.
    bool RefreshItems();
    std::vector<ItemPtr> Items() const;
    ItemPtr FindItem(int messagetypeid) const;
    void AddItem(ItemPtr item);
    void ReplaceItem(int messagetypeid, const MessageTypeInfo& edited);
    void RemoveItem(int messagetypeid);

    // Check runs.
    void CheckOne(ItemPtr item);
    // byTimer: the auto-check timer's run (the database monitor's texts then say "自动检查").
    void CheckAll(bool byTimer = false);
    void RequestStop() { m_run.RequestStop(); }
    // Waits until every worker thread started so far has ended (and WhenChecksEnded's thread).
    void WaitForChecks();
    // Closing without blocking the caller: a thread of the document waits for every worker thread
    // started so far, then calls ended on that thread (the caller marshals it to its own).
    // WaitForChecks and the destructor wait for that thread.
    void WhenChecksEnded(std::function<void()> ended);
    bool HasRunningChecks() { return RunningCheckCount() > 0; }
    size_t RunningCheckCount();
    // How many items a check-all run reads from their sources at once (ParallelChecks); 1 checks
    // them one after the other.
    void SetParallelChecks(int count) { m_nParallelChecks = std::clamp(count, 1, kMaxParallelChecks); }
    int ParallelChecks() const { return m_nParallelChecks.load(); }
    // Of those, how many talk to one server at once (PerHostChecks).
    void SetPerHostChecks(int count) { m_nPerHostChecks = std::clamp(count, 1, kMaxParallelChecks); }
    void RecountUnread();
    void ResetNewCounts();

    // Announcements.
    void QueueSound(const std::string& path);
    void QueueSoundFor(const MessageTypeInfo& item);
    void ReannounceTick();
    void RefreshTrayTip(const std::optional<std::string>& text = std::nullopt);
    void UpdateStatusSummary();
    std::string TrayTipText() const;
    CSoundQueue& Sounds() { return m_sounds; }

    // The list's page settings as a query of the message operations (page: the one wanted).
    MessageQuery PageQuery(long page) const;
    // Takes a page the list read: its rows and page values, then recounts the unread counts.
    void TakePage(MessagePage page);
    // After a record's read state changed in the store (its status the new one): the counts of
    // its item and of all, the status summary and the tray tip follow.
    void CountReadChange(const MessageListInfo& record);

    // After a change to the stored messages (a deletion, a mark, an undo, another program's write):
    // every view shows the new state (the detail pane drops a record that is gone), then the status
    // summary and the tray tip follow the new counts. A note ("已删除 N 条消息") stands before the
    // summary until the next change or another item is chosen.
    void ShowStoreChange(const std::string& note = {});

    // Views.
    void AddView(IDocView* view);
    void RemoveView(IDocView* view);
    void UpdateAllViews(IDocView* sender, int hint = 0);

    CAdoConnection& Connection() { return m_connection; }
    CRunState& Run() { return m_run; }
    const std::string& AppDir() const { return m_strAppDir; }

    // Shared with the UI thread.
    std::vector<MessageListInfo> m_pageItems; // UI thread only
    ItemPtr m_pCurItem;                       // UI thread only; null = all items
    int m_nCurMessageId = 0;
    long m_nCurPage = -1;
    long m_nPageCount = 0;
    long m_nTotalCount = 0;
    SharedFlag m_bReload = true;
    SharedInt m_nItemsVersion = 0; // rises whenever the list or a record in it changed (views follow it)
    SharedInt m_nUnreadCount = 0;
    SharedInt m_nFailingCount = 0; // items whose checks fail; the window counts them from their health
    int m_nReadFilter = 0;
    // The words typed in the search field: the list shows only records that hold them all.
    std::string m_strSearch;
    ListOrder m_sortOrder;       // UI thread only; the whole list's order
    std::string m_strStatusNote; // UI thread only; see ShowStoreChange
    int m_nStatusNoteItem = 0;   // the item (0 = all) the note was made for

private:
    void CheckThreadProc(std::unique_ptr<CCheckThreadParam> job);
    void StartWorker(ItemPtr item, bool byTimer = false);
    ItemPtr ItemAt(size_t index) const;
    // The same on the connection of the calling thread.
    bool RefreshItems(CAdoConnection& connection);
    void RecountUnread(CAdoConnection& connection);
    // Whether the item is still stored and switched on; true when that cannot be read.
    bool StillWanted(CAdoConnection& connection, const MessageTypeInfo& item);
    void ReapFinishedWorkers();
    void JoinWorkers();
    // One item's check in two halves: the monitor (on any thread of the run, with that thread's
    // connection), then sound and listener.
    int RunMonitor(MessageTypeInfo* item, CRunState& run, CCurlDriver* curl, CAdoConnection& connection,
                   bool byTimer = false);
    // The check's log entry and the change of health it brought, if any, told to the listener.
    void RecordCheck(CAdoConnection& connection, const CheckRecord& check, const MessageTypeInfo& item);
    // The items a timer run checks: those due by their schedules and back-off, in list order.
    std::vector<ItemPtr> DueItems(CAdoConnection& connection);
    std::chrono::milliseconds TimerPeriod() const;
    WallClock Clock() const;
    void AfterCheck(MessageTypeInfo& item, int result);

    CAdoConnection& m_connection;
    CRunState& m_run;
    std::string m_strAppDir;
    std::string m_strResourceDir;
    IMainWindow* m_pMainWindow = nullptr;
    ITrayIcon* m_pTray = nullptr;
    const Settings* m_pSettings = nullptr; // null = the defaults
    std::atomic<int> m_bSoundEnabled{1};
    std::atomic<int> m_nParallelChecks{kDefaultParallelChecks};
    std::atomic<int> m_nPerHostChecks{kDefaultPerHostChecks};
    int m_nReannounceTick = 0;

    std::future<std::optional<std::vector<ItemPtr>>> m_prefetched; // the calling thread's (PrefetchItems)
    // Under m_itemsLock: the items in key order, and where each id stands in them.
    void IndexItems();
    mutable std::mutex m_itemsLock;
    std::vector<ItemPtr> m_items;
    std::unordered_map<int, size_t> m_itemIndex;
    std::map<int, Monitor> m_monitors;
    ItemCheckedListener m_itemChecked;
    HealthChangedListener m_healthChanged;
    WallClock m_clock = &SystemWallClock; // under m_itemsLock
    std::atomic<CheckTrigger> m_checkTrigger{CheckTrigger::Hand};
    std::atomic<long long> m_timerPeriodMs{0};
    std::function<void()> m_workerEnded;

    struct Worker
    {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::mutex m_workersLock;
    std::list<Worker> m_workers;
    std::thread m_closer; // WhenChecksEnded's
    std::vector<IDocView*> m_views;
    CSoundQueue m_sounds; // last: its thread ends first
};
