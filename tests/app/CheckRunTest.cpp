#include "app/CTarvoDoc.h"
#include "app/CheckContext.h"
#include "app/ISoundPlayer.h"
#include "app/ITrayIcon.h"
#include "app/Settings.h"
#include "store/SourceRowInfo.h"
#include "support/TestStore.h"

#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {

class RecordingPlayer final : public ISoundPlayer
{
public:
    bool Play(const std::string& path) override
    {
        std::lock_guard guard(m_lock);
        m_played.push_back(path);
        return path.find("missing") == std::string::npos;
    }
    std::vector<std::string> Played()
    {
        std::lock_guard guard(m_lock);
        return m_played;
    }

private:
    std::mutex m_lock;
    std::vector<std::string> m_played;
};

// A monitor whose calls are counted, which can be held on one item until released or stopped.
class FakeMonitor
{
public:
    int operator()(CheckContext& context, MessageTypeInfo& item)
    {
        std::unique_lock lock(m_lock);
        m_calls.push_back(item.messagetypeid);
        while (m_holdItem == item.messagetypeid && !context.run.IsStopRequested()) {
            m_changed.wait_for(lock, 5ms);
        }
        if (!m_findings) {
            return 0;
        }
        SourceRowInfo row;
        row.ID = std::to_string(m_calls.size());
        row.Insert(context.mainConnection, item);
        ++item.m_nNewCount;
        return 1;
    }
    void Hold(int itemId)
    {
        std::lock_guard guard(m_lock);
        m_holdItem = itemId;
    }
    void Release() { Hold(-1); }
    void WaitForCall(int itemId)
    {
        for (int i = 0; i < 2000; ++i, std::this_thread::sleep_for(5ms)) {
            const auto calls = Calls();
            if (std::find(calls.begin(), calls.end(), itemId) != calls.end()) {
                return;
            }
        }
        FAIL() << "the monitor was never called for item " << itemId;
    }
    std::vector<int> Calls()
    {
        std::lock_guard guard(m_lock);
        return m_calls;
    }
    bool m_findings = false;

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<int> m_calls;
    int m_holdItem = -1;
};

class CheckRun : public testing::Test
{
protected:
    CheckRun() : doc(store.connection(), run, store.appDir(), player)
    {
        for (int category : {1, 2, 3, 4, 66}) {
            doc.SetMonitor(category, [this](CheckContext& c, MessageTypeInfo& i) { return monitor(c, i); });
        }
    }

    std::vector<ItemPtr> AddItems(int count, int category = 2)
    {
        std::vector<ItemPtr> items;
        for (int i = 0; i < count; ++i) {
            MessageTypeInfo item;
            item.MessageTypeName = "item" + std::to_string(i);
            item.MessageCategory = category;
            auto stored = std::make_shared<MessageTypeInfo>(store.AddItem(item));
            doc.AddItem(stored);
            items.push_back(stored);
        }
        return items;
    }

    void RunAllAndWait()
    {
        doc.CheckAll();
        doc.WaitForChecks();
    }

    TestStore store;
    CRunState run;
    std::shared_ptr<RecordingPlayer> player = std::make_shared<RecordingPlayer>();
    FakeMonitor monitor;
    CTarvoDoc doc;
};

} // namespace

TEST_F(CheckRun, TwoQuickStartsMakeOneRun)
{
    auto items = AddItems(3);
    monitor.Hold(items[0]->messagetypeid);
    doc.CheckAll();
    monitor.WaitForCall(items[0]->messagetypeid);
    doc.CheckAll();         // refused: a run is active
    doc.CheckOne(items[1]); // starts a thread that ends at once
    for (int i = 0; i < 1000 && doc.RunningCheckCount() > 1; ++i) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(doc.RunningCheckCount(), 1u);
    monitor.Release();
    doc.WaitForChecks();
    EXPECT_EQ(monitor.Calls().size(), 3u);
    EXPECT_EQ(run.GetStatusText(), kAllCheckedStatusText);
    EXPECT_FALSE(run.IsRunActive());
}

TEST_F(CheckRun, StopDuringSecondItemPassesOverTheRestOnlyForThatRun)
{
    auto items = AddItems(5);
    monitor.Hold(items[1]->messagetypeid);
    doc.CheckAll();
    monitor.WaitForCall(items[1]->messagetypeid);
    doc.RequestStop();
    doc.WaitForChecks();
    EXPECT_EQ(monitor.Calls(), (std::vector<int>{items[0]->messagetypeid, items[1]->messagetypeid}));
    EXPECT_EQ(run.GetStatusText(), kAllCheckedStatusText);
    EXPECT_FALSE(run.IsStopRequested());

    monitor.Release();
    RunAllAndWait();
    EXPECT_EQ(monitor.Calls().size(), 2u + 5u);
}

TEST_F(CheckRun, StopPressedWhileIdleEmptiesTheNextRunOnly)
{
    AddItems(2);
    doc.RequestStop();
    RunAllAndWait();
    EXPECT_TRUE(monitor.Calls().empty());
    RunAllAndWait();
    EXPECT_EQ(monitor.Calls().size(), 2u);
}

TEST_F(CheckRun, RecountAndReloadFollowFindingsOnly)
{
    auto items = AddItems(2);
    doc.m_bReload = 0;
    RunAllAndWait();
    EXPECT_EQ(doc.m_bReload, 0);
    EXPECT_EQ(doc.m_nUnreadCount, 0);

    // Categories without a monitor (5, and 9 of stored records) yield nothing even when others find.
    monitor.m_findings = true;
    AddItems(1, 5);
    AddItems(1, 9);
    auto before = monitor.Calls().size();
    RunAllAndWait();
    EXPECT_EQ(monitor.Calls().size(), before + 2);
    monitor.m_findings = false;
    doc.m_bReload = 0;
    store.connection().Execute("delete from userdata");
    doc.RecountUnread();

    monitor.m_findings = true;
    doc.CheckOne(items[1]);
    doc.WaitForChecks();
    EXPECT_EQ(doc.m_bReload, 1);
    EXPECT_EQ(doc.m_nUnreadCount, 1);
    EXPECT_EQ(items[1]->m_nUnreadCount, 1);
    EXPECT_EQ(items[0]->m_nUnreadCount, 0);
}

TEST_F(CheckRun, DatabaseFindingsCountOneMoreOnTheItem)
{
    auto db = AddItems(1, 1);
    auto web = AddItems(1, 2);
    monitor.m_findings = true;
    RunAllAndWait();
    EXPECT_EQ(db[0]->m_nNewCount, 2);
    EXPECT_EQ(web[0]->m_nNewCount, 1);
    doc.ResetNewCounts();
    EXPECT_EQ(db[0]->m_nNewCount, 0);
}

TEST_F(CheckRun, AnItemRemovedDuringARunStaysValidForTheWorker)
{
    auto items = AddItems(3);
    monitor.Hold(items[1]->messagetypeid);
    doc.CheckAll();
    monitor.WaitForCall(items[1]->messagetypeid);
    doc.RemoveItem(items[1]->messagetypeid);
    items[1].reset();
    monitor.Release();
    doc.WaitForChecks();
    // The list shrank under the run: position three is past its end now.
    EXPECT_EQ(monitor.Calls().size(), 2u);
    EXPECT_EQ(doc.Items().size(), 2u);
}

TEST_F(CheckRun, FindingsQueueTheItemSoundByItsNotifyMode)
{
    auto items = AddItems(3);
    items[0]->bNotify = -1;
    items[1]->bNotify = 0;
    items[1]->notifysound = "sound\\one.wav";
    items[2]->bNotify = 5;
    items[2]->notifysound = "";
    monitor.m_findings = true;
    RunAllAndWait();
    ASSERT_TRUE(doc.Sounds().WaitUntilIdle(5s));
    // Newest first: the third item's sound was queued last.
    EXPECT_EQ(player->Played(),
              (std::vector<std::string>{store.appDir() + "ring01.wav", store.appDir() + "sound/one.wav"}));
}

TEST_F(CheckRun, ReannounceRepeatsEveryNotifySecondsWhileFindingsAreNew)
{
    auto items = AddItems(2);
    items[0]->bNotify = 3;
    items[0]->m_nNewCount = 1;
    items[0]->notifysound = "/abs/a.wav";
    items[1]->bNotify = 2; // nothing new: never repeated
    doc.Sounds().Pause(true);
    for (int tick = 0; tick < 7; ++tick) {
        doc.ReannounceTick();
    }
    EXPECT_EQ(doc.Sounds().Pending(), (std::vector<std::string>(3, "/abs/a.wav")));

    // With sound switched off nothing is queued, neither repeats nor after a finding.
    Settings settings;
    settings.EnableSoundNotify = 0;
    doc.ApplySettings(settings);
    doc.ReannounceTick();
    doc.ReannounceTick();
    doc.ReannounceTick();
    doc.QueueSoundFor(*items[0]);
    EXPECT_EQ(doc.Sounds().Pending().size(), 3u);
}

TEST(SoundQueue, HoldsAtMostOneHundredNewestFirstAndFallsBackToTheDefault)
{
    auto player = std::make_shared<RecordingPlayer>();
    CSoundQueue queue(player, "/app/ring01.wav");
    queue.Pause(true);
    for (int i = 0; i < 120; ++i) {
        queue.QueueSound("/s/" + std::to_string(i) + ".wav");
    }
    auto pending = queue.Pending();
    ASSERT_EQ(pending.size(), kMaxQueuedSounds);
    EXPECT_EQ(pending.front(), "/s/99.wav");
    EXPECT_EQ(pending.back(), "/s/0.wav");

    CSoundQueue second(player, "/app/ring01.wav");
    second.Pause(true);
    second.QueueSound("/s/missing.wav");
    second.QueueSound("");
    second.Pause(false);
    ASSERT_TRUE(second.WaitUntilIdle(5s));
    EXPECT_EQ(player->Played(), (std::vector<std::string>{"/app/ring01.wav", "/s/missing.wav", "/app/ring01.wav"}));
}

TEST(SoundQueue, EndsWithoutPlayingWhatIsStillQueued)
{
    auto player = std::make_shared<RecordingPlayer>();
    {
        CSoundQueue queue(player, "/d.wav");
        queue.Pause(true);
        queue.QueueSound("/a.wav");
    }
    EXPECT_TRUE(player->Played().empty());
}

TEST_F(CheckRun, TrayTipAndStatusSummaryReadAsTheUserSeesThem)
{
    struct Tray final : ITrayIcon
    {
        void SetToolTip(const std::string& text) override { tips.push_back(text); }
        std::vector<std::string> tips;
    } tray;
    doc.SetTrayIcon(&tray);
    doc.RefreshTrayTip();
    doc.m_nUnreadCount = 3;
    doc.RefreshTrayTip(std::string(30, 'x') + "检查完毕了检查完毕了检查完毕了");
    ASSERT_EQ(tray.tips.size(), 3u);
    EXPECT_EQ(tray.tips[0], "没有未读的消息");
    EXPECT_EQ(tray.tips[1], std::string(30, 'x') + "检查完毕了检查完毕了检"); // 63 bytes, whole characters
    EXPECT_EQ(tray.tips[2], "您还有:3条消息未读");

    doc.m_nUnreadCount = 0;
    doc.UpdateStatusSummary();
    EXPECT_EQ(run.GetStatusText(), "当前类别: 所有 ()");

    auto items = AddItems(1);
    items[0]->MessageTypeName = "A";
    items[0]->state = 0;
    items[0]->m_nUnreadCount = 2;
    doc.m_nUnreadCount = 5;
    doc.m_pCurItem = items[0];
    doc.UpdateStatusSummary();
    EXPECT_EQ(run.GetStatusText(), "当前类别:A(禁止) -(未读:2, 未读消息合计:5)");

    ASSERT_TRUE(run.TryBeginRun());
    run.SetStatusText("busy");
    doc.UpdateStatusSummary();
    EXPECT_EQ(run.GetStatusText(), "busy");
    run.EndRun();
}

TEST_F(CheckRun, ReadStateChangesCountsUnlessTheRecordIsProtected)
{
    auto items = AddItems(1);
    monitor.m_findings = true;
    RunAllAndWait();
    ASSERT_TRUE(doc.FillPage(1));
    ASSERT_EQ(doc.m_pageItems.size(), 1u);
    MessageListInfo& record = doc.m_pageItems[0];
    EXPECT_EQ(doc.m_nUnreadCount, 1);
    EXPECT_TRUE(doc.SetReadState(record, -1));
    EXPECT_EQ(record.status, 1);
    EXPECT_EQ(doc.m_nUnreadCount, 0);
    EXPECT_EQ(items[0]->m_nNewCount, 0);
    EXPECT_EQ(store.QueryNumber("select status from userdata"), 1);
    EXPECT_TRUE(doc.SetReadState(record, 1)); // already read: nothing changes
    EXPECT_EQ(doc.m_nUnreadCount, 0);

    record.bCanChangeState = 0;
    EXPECT_FALSE(doc.SetReadState(record, 0));
    EXPECT_EQ(record.status, 1);
    EXPECT_EQ(store.QueryNumber("select status from userdata"), 1);
}
