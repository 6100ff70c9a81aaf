#include "DocTest.h"

using CheckRun = DocTest;

TEST_F(CheckRun, TwoQuickStartsMakeOneRunThatSurvivesARemovedItem)
{
    auto items = AddItems(3);
    HoldAndRunUpTo(items[1]->messagetypeid);
    doc.CheckAll();         // refused: a run is active
    doc.CheckOne(items[2]); // starts a thread that ends at once
    EXPECT_TRUE(WaitUntil([&] { return doc.RunningCheckCount() <= 1; }));
    EXPECT_EQ(doc.RunningCheckCount(), 1u);
    doc.RemoveItem(items[1]->messagetypeid);
    items[1].reset();
    Hold(-1);
    doc.WaitForChecks();
    // The list shrank under the run: position three is past its end now.
    EXPECT_EQ(std::tuple(Calls().size(), doc.Items().size(), run.GetStatusText(), run.IsRunActive()),
              std::tuple(2u, 2u, kAllCheckedStatusText, false));
}

TEST_F(CheckRun, StopPassesOverTheRestOfOneRunOnlyAndAStopWhileIdleEmptiesTheNext)
{
    auto items = AddItems(5);
    HoldAndRunUpTo(items[1]->messagetypeid);
    doc.RequestStop();
    doc.WaitForChecks();
    EXPECT_EQ(Calls(), (std::vector<int>{items[0]->messagetypeid, items[1]->messagetypeid}));
    EXPECT_EQ(std::tuple(run.GetStatusText(), run.IsStopRequested()), std::tuple(kRunStoppedStatusText, false));
    Hold(-1);
    RunAllAndWait();
    EXPECT_EQ(Calls().size(), 2u + 5u);

    doc.RequestStop();
    RunAllAndWait();
    EXPECT_EQ(Calls().size(), 2u + 5u);
    RunAllAndWait();
    EXPECT_EQ(Calls().size(), 2u + 5u + 5u);
}

TEST_F(CheckRun, AnItemEditedWhileItIsCheckedIsCheckedAgainByTheNextRun)
{
    auto items = AddItems(1);
    HoldAndRunUpTo(items[0]->messagetypeid);
    MessageTypeInfo edited = *items[0]; // the property dialog's copy, taken while the item is busy
    edited.MessageTypeName = "edited";
    doc.ReplaceItem(edited.messagetypeid, edited);
    Hold(-1);
    doc.WaitForChecks();
    RunAllAndWait();
    EXPECT_EQ(Calls().size(), 2u);
}

TEST_F(CheckRun, RecountReloadAndNewCountsFollowFindingsAndTheReadState)
{
    auto db = AddItem(kCategoryDatabase);
    auto broadcast = AddItem(kCategoryBroadcast);
    auto web = AddItem();
    AddItem(kCategoryOther); // categories without a monitor yield nothing
    AddItem(kCategoryOtherStored);
    doc.m_bReload = false;
    RunAllAndWait();
    EXPECT_EQ(Calls().size(), 3u);
    EXPECT_EQ(std::tuple(doc.m_bReload.load(), doc.m_nUnreadCount.load()), std::tuple(false, 0));

    findings = true;
    RunAllAndWait();
    EXPECT_EQ(std::tuple(doc.m_bReload.load(), doc.m_nUnreadCount.load()), std::tuple(true, 3));
    // The dispatcher counts database and broadcast findings once more.
    EXPECT_EQ(std::tuple(db->m_nNewCount.load(), broadcast->m_nNewCount.load(), web->m_nNewCount.load()),
              std::tuple(2, 2, 1));
    doc.ResetNewCounts();
    EXPECT_EQ(db->m_nNewCount, 0);

    // A run without findings recounts nothing.
    findings = false;
    doc.m_bReload = false;
    store.connection().Execute("delete from userdata");
    RunAllAndWait();
    EXPECT_EQ(std::tuple(doc.m_bReload.load(), doc.m_nUnreadCount.load()), std::tuple(false, 3));
    findings = true;
    doc.CheckOne(web);
    doc.WaitForChecks();
    EXPECT_EQ(std::tuple(doc.m_nUnreadCount.load(), web->m_nUnreadCount.load(), db->m_nUnreadCount.load()),
              std::tuple(1, 1, 0));

    CMessageOperations messages(store.connection());
    std::string error;
    auto page = messages.Page(doc.PageQuery(1), error);
    ASSERT_TRUE(page) << error;
    doc.TakePage(std::move(*page));
    ASSERT_EQ(doc.m_pageItems.size(), 1u);
    MessageListInfo& record = doc.m_pageItems[0];
    ASSERT_EQ(messages.SetReadState({&record}, -1, error)->changed.size(), 1u);
    doc.CountReadChange(record);
    EXPECT_EQ(std::tuple(record.status, doc.m_nUnreadCount.load(), web->m_nNewCount.load()), std::tuple(1, 0, 0));
    EXPECT_EQ(store.QueryNumber("select status from userdata"), 1);
}

TEST_F(CheckRun, FindingsQueueTheItemSoundByItsNotifyModeAndRepeatItWhileNew)
{
    auto items = AddItems(3);
    const std::pair<int, std::string> notify[] = {{-1, items[0]->notifysound}, {0, "sound\\one.wav"}, {5, ""}};
    for (size_t i = 0; i < items.size(); ++i) {
        std::tie(items[i]->bNotify, items[i]->notifysound) = notify[i];
        items[i]->Save(store.connection()); // a run reads the items as stored
    }
    findings = true;
    RunAllAndWait();
    ASSERT_TRUE(doc.Sounds().WaitUntilIdle(kGenerousWait));
    // Newest first: the third item's sound was queued last.
    EXPECT_EQ(player->Played(),
              (std::vector<std::string>{store.appDir() + "ring01.wav", store.appDir() + "sound/one.wav"}));

    doc.ResetNewCounts();
    items[1]->bNotify = 2; // nothing new: never repeated
    items[2]->bNotify = 3;
    items[2]->m_nNewCount = 1;
    items[2]->notifysound = "/abs/a.wav";
    doc.Sounds().Pause(true);
    for (int tick = 0; tick < 7; ++tick) {
        doc.ReannounceTick();
    }
    EXPECT_EQ(doc.Sounds().Pending(), (std::vector<std::string>(3, "/abs/a.wav")));

    // With sound switched off nothing is queued, neither repeats nor after a finding.
    settings.EnableSoundNotify = 0;
    doc.ApplySettings(settings);
    for (int tick = 0; tick < 3; ++tick) {
        doc.ReannounceTick();
    }
    doc.QueueSoundFor(*items[2]);
    EXPECT_EQ(doc.Sounds().Pending().size(), 3u);
}

TEST(SoundQueue, KeepsAHundredNewestFirstFallsBackToTheDefaultAndEndsWithoutPlayingTheRest)
{
    auto player = std::make_shared<RecordingPlayer>();
    {
        CSoundQueue queue(player, "/app/ring01.wav");
        queue.Pause(true);
        for (int i = 0; i < 120; ++i) {
            queue.QueueSound("/s/" + std::to_string(i) + ".wav");
        }
        auto pending = queue.Pending();
        ASSERT_EQ(pending.size(), kMaxQueuedSounds);
        EXPECT_EQ(pending.front(), "/s/99.wav");
        EXPECT_EQ(pending.back(), "/s/0.wav");
    }
    EXPECT_TRUE(player->Played().empty());

    CSoundQueue queue(player, "/app/ring01.wav");
    queue.Pause(true);
    queue.QueueSound("/s/missing.wav");
    queue.QueueSound("");
    queue.Pause(false);
    ASSERT_TRUE(queue.WaitUntilIdle(kGenerousWait));
    EXPECT_EQ(player->Played(), (std::vector<std::string>{"/app/ring01.wav", "/s/missing.wav", "/app/ring01.wav"}));
}

// The tray's tips and the summary without counts are the main frame's tests.
TEST_F(CheckRun, TheStatusSummaryCountsTheItemsAndAllUnreadButLeavesARunsOwnText)
{
    auto item = AddItem();
    item->MessageTypeName = "A";
    item->state = 0;
    item->m_nUnreadCount = 2;
    doc.m_nUnreadCount = 5;
    doc.m_pCurItem = item;
    doc.UpdateStatusSummary();
    EXPECT_EQ(run.GetStatusText(), "当前类别:A(禁止) -(未读:2, 未读消息合计:5)");
    ASSERT_TRUE(run.TryBeginRun());
    run.SetStatusText("busy");
    doc.UpdateStatusSummary(); // a run's own status text stays
    EXPECT_EQ(run.GetStatusText(), "busy");
    run.EndRun();
}
