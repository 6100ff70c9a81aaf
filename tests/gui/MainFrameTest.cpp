// The main window's behaviour: paging, read filters, the auto-check timer, the tray icon through
// a blink, the tip texts, what every pane shows after a change to the stored messages, the layouts,
// start-up with "/R" and closing.
#include "FrameFixture.h"
#include "gui/widgets/CBusyAnimation.h"
#include "store/CAdoConnection.h"
#include "store/FindingStore.h"
#include "store/SourceRowInfo.h"

#include <thread>

using MainFrame = FrameTest;

TEST_F(MainFrame, PagingMovesOnlyWhereThereIsAPageAndRefreshesAllButTheTree)
{
    StoreMessages(250); // three pages of 100
    ASSERT_EQ(doc->m_nCurPage, 1);
    ASSERT_EQ(doc->m_nPageCount, 3);
    UpdateCounter views(*doc);
    doc->m_nCurMessageId = 42;
    doc->m_bReload = 1;

    // Each command, the page after it and the updates so far: none where there is no page to go to.
    const std::tuple<int, long, int> steps[] = {
        {cmd::kPreviousPage, 1, 0}, {cmd::kFirstPage, 1, 0}, {cmd::kNextPage, 2, 1},     {cmd::kLastPage, 3, 2},
        {cmd::kNextPage, 3, 2},     {cmd::kLastPage, 3, 2},  {cmd::kPreviousPage, 2, 3}, {cmd::kFirstPage, 1, 4}};
    for (const auto& [command, page, updates] : steps) {
        frame->Command(command);
        EXPECT_EQ(std::pair(doc->m_nCurPage, views.updates), std::pair(page, updates)) << command;
        EXPECT_EQ(doc->m_nCurMessageId, updates == 0 ? 42 : 0) << "a move leaves the message shown";
    }
    EXPECT_EQ(std::tuple(views.sender, doc->m_bReload.load()), std::tuple(frame->GetTreeView(), false));
    // The page links of the bar are the same commands; a screen reader presses them as links.
    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(frame->PagingBar()->Link(cmd::kNextPage));
    ASSERT_TRUE(link && link->actionInterface());
    EXPECT_EQ(std::pair(link->role(), link->text(QAccessible::Name)),
              std::pair(QAccessible::Link, QStringLiteral("下页")));
    link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(std::pair(doc->m_nCurPage, frame->PagingBar()->PageLabel()->text()),
              std::pair(2L, QStringLiteral("2/3页")));

    doc->m_nCurPage = -1; // before the first listing
    doc->m_nPageCount = 0;
    frame->Command(cmd::kNextPage);
    frame->Command(cmd::kPreviousPage);
    EXPECT_EQ(doc->m_nCurPage, -1);
}

TEST_F(MainFrame, SearchCtrlFFocusesTheFieldTypingFiltersTheListWithTheReadFilterAndEscapeClears)
{
    StoreMessages(250);
    ASSERT_TRUE(app.Db().main.Execute(
        "update userdata set SourceInfo='关于签订合同的通知', status=(id % 2) where id in (7, 8, 150)"));
    frame->show();
    frame->activateWindow();
    QLineEdit* field = frame->PagingBar()->SearchField();
    ASSERT_TRUE(WaitFor([&] { return frame->isActiveWindow(); }));
    QTest::keyClick(frame.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(field->hasFocus());

    field->insert(QStringLiteral("合同")); // as an input method commits it
    ASSERT_TRUE(WaitFor([&] { return doc->m_nTotalCount == 3; })) << doc->m_nTotalCount;
    EXPECT_EQ(std::pair(frame->PagingBar()->PageLabel()->text(), frame->PagingBar()->CountLabel()->text()),
              std::pair(QStringLiteral("1/1页"), QStringLiteral("每页:100/共:3条")));
    frame->Command(cmd::kShowUnread);
    EXPECT_EQ(doc->m_nTotalCount, 2);
    frame->Command(cmd::kShowAll);

    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_TRUE(field->text().isEmpty());
    ASSERT_TRUE(WaitFor([&] { return doc->m_nTotalCount == 250; })) << doc->m_nTotalCount;
    EXPECT_EQ(frame->PagingBar()->PageLabel()->text(), QStringLiteral("1/3页"));
}

TEST_F(MainFrame, FilterButtonCyclesAllUnreadReadAndTheMenuMarksFollow)
{
    UpdateCounter views(*doc);
    QToolButton* button = frame->PagingBar()->FilterButton();
    EXPECT_EQ(button->text(), QStringLiteral("所有"));
    const char* labels[] = {"未读", "已读", "所有"};
    for (int step = 0; step < 3; ++step) {
        doc->m_bReload = 0;
        button->click();
        // The list and the menu's marks follow the button.
        EXPECT_EQ(std::tuple(doc->m_nReadFilter, button->text(), views.updates,
                             frame->Action(cmd::kShowAll + (step + 1) % 3)->isChecked()),
                  std::tuple((step + 1) % 3, QString::fromUtf8(labels[step]), step + 1, true));
    }

    doc->m_nCurMessageId = 7;
    frame->Action(cmd::kShowRead)->trigger();
    EXPECT_EQ(std::tuple(doc->m_nReadFilter, doc->m_nCurMessageId, views.sender, button->text()),
              std::tuple(2, 0, static_cast<IDocView*>(frame->GetTreeView()), QStringLiteral("已读")));
    EXPECT_EQ(std::pair(frame->Action(cmd::kShowRead)->isChecked(), frame->Action(cmd::kShowAll)->isChecked()),
              std::pair(true, false));
}

TEST_F(MainFrame, TrayIconBlinksWhileUnreadAndTheTipFollowsTheSummaryCutOnACharacter)
{
    CTrayObject& tray = frame->Tray();
    EXPECT_EQ(std::pair(tray.IconResource(), tray.Tip()), std::pair(198, QStringLiteral("自动检查软件")));
    frame->Command(cmd::kCheckAll); // no items: the run ends at once
    EXPECT_EQ(tray.Tip(), QStringLiteral("没有未读的消息"));
    doc->WaitForChecks();

    StoreMessages(3);
    doc->m_bReload = true;
    std::vector<int> icons;
    for (int i = 0; i < 3; ++i) {
        frame->Tick().OnSecond();
        icons.push_back(tray.IconResource());
    }
    EXPECT_EQ(icons, (std::vector<int>{181, 198, 181}));
    EXPECT_EQ(tray.Tip(), QStringLiteral("您还有:3条消息未读"));
    frame->Command(cmd::kTrayDisableAutoCheck);
    doc->m_nUnreadCount = 0;
    frame->Tick().OnSecond();
    EXPECT_EQ(tray.IconResource(), 183) << "at rest with auto-check off";

    tray.SetToolTip("a" + QString(30, QChar(0x68C0)).toStdString()); // 30 x "检"
    EXPECT_EQ(tray.Tip().toUtf8().size(), 61); // 1 + 20 x 3: the 21st character would pass 63 bytes
    EXPECT_TRUE(QString::fromUtf8(tray.Tip().toUtf8()).endsWith(QStringLiteral("检")));
    // From another thread the tip arrives through the UI thread's queue.
    std::thread([&tray] { tray.SetToolTip("没有未读的消息"); }).join();
    EXPECT_TRUE(WaitFor([&] { return tray.Tip() == QStringLiteral("没有未读的消息"); }));
}

TEST_F(MainFrame, StoreChangeDeleteUndoMarkAllAndAnotherProgramsWriteShowInEveryPaneAtOnce)
{
    CTrayObject& tray = frame->Tray();
    CWatchMessageView& detail = *frame->GetDetailView();
    CTarvoView& list = *frame->GetListView();
    const auto status = [&] { return QString::fromStdString(app.m_run.GetStatusText()); };
    StoreMessages(3);
    list.List()->selectRow(0);
    ASSERT_EQ(detail.SubjectLabel()->text(), QStringLiteral("m3"));

    frame->Command(cmd::kDeleteSelected);
    EXPECT_EQ(detail.SubjectLabel()->text(), QString()) << "a deleted message leaves the detail pane";
    EXPECT_EQ(std::tuple(list.Model()->rowCount(), doc->m_nUnreadCount, tray.Tip(), status()),
              std::tuple(2, 2, QStringLiteral("您还有:2条消息未读"),
                         QStringLiteral("已删除 1 条消息  当前类别: 所有 ( 未读消息合计:2)")));
    frame->Command(cmd::kUndoDelete);
    EXPECT_EQ(std::pair(list.Model()->rowCount(), tray.Tip()), std::pair(3, QStringLiteral("您还有:3条消息未读")));

    frame->Command(cmd::kMarkAllRead);
    EXPECT_EQ(std::pair(status(), tray.Tip()),
              std::pair(QStringLiteral("当前类别: 所有 ()"), QStringLiteral("没有未读的消息")));

    // Another program marks them unread again: the one-second tick shows it.
    frame->NoticeOutsideWrites();
    CAdoConnection other;
    ASSERT_TRUE(other.Open("DBQ=" + app.m_strAppDir + "message.dat;DRIVER={SQLite3}"));
    ASSERT_TRUE(other.Execute("update userdata set status=0"));
    EXPECT_TRUE(WaitFor([&] { return status() == QStringLiteral("当前类别: 所有 ( 未读消息合计:3)"); }))
        << status().toStdString();
    EXPECT_EQ(std::pair(tray.Tip(), list.Model()->RecordAt(0).status),
              std::pair(QStringLiteral("您还有:3条消息未读"), 0));
}

TEST(MainFrameLayout, LeftOneRightTwoAndEveryOtherValueTopTwoBottomOne)
{
    for (int type : {1, 0, 2, -1}) {
        FrameFixture fixture(false, [type](Settings& s) { s.SplitterWindowType = type; });
        CMainFrame& frame = *fixture.frame;
        QSplitter* outer = frame.OuterSplitter();
        const bool leftOne = type == 1;
        auto* inner = qobject_cast<QSplitter*>(outer->widget(leftOne ? 1 : 0));
        ASSERT_NE(inner, nullptr) << type;
        EXPECT_EQ(std::pair(outer->orientation(), inner->orientation()),
                  leftOne ? std::pair(Qt::Horizontal, Qt::Vertical) : std::pair(Qt::Vertical, Qt::Horizontal));
        const QList<QWidget*> panes{outer->widget(0), inner->widget(0), inner->widget(1), outer->widget(1)};
        const QList<QWidget*> expected =
            leftOne ? QList<QWidget*>{frame.GetTreeView(), frame.GetListView(), frame.GetDetailView(), inner}
                    : QList<QWidget*>{inner, frame.GetTreeView(), frame.GetListView(), frame.GetDetailView()};
        EXPECT_EQ(panes, expected) << type;
    }
}

TEST(MainFrameStart, AutoStartHidesInTheTrayOrMinimisesWithoutOneAndAutoCheckStoredOffStaysOff)
{
    const auto shown = [](CMainFrame& frame) { return std::pair(frame.isVisible(), frame.isMinimized()); };
    {
        FrameFixture fixture(true);
        fixture.frame->ShowAtStart(true);
        EXPECT_FALSE(fixture.frame->isVisible());
        fixture.frame->Tray().LeftClicked(); // a left click is "打开主窗口"
        EXPECT_EQ(shown(*fixture.frame), std::pair(true, false));
        fixture.frame->showMinimized();
        EXPECT_TRUE(WaitFor([&] { return !fixture.frame->isVisible(); })) << "minimised into the tray";
    }
    {
        FrameFixture fixture(false);
        fixture.frame->ShowAtStart(true);
        EXPECT_EQ(shown(*fixture.frame), std::pair(true, true)) << "without a tray it must stay reachable";
        QCoreApplication::processEvents();
        EXPECT_TRUE(fixture.frame->isVisible());
    }
    {
        FrameFixture fixture(false, [](Settings& s) { s.enableAutoCheck = 0; });
        CMainFrame& frame = *fixture.frame;
        frame.ShowAtStart(false);
        EXPECT_EQ(shown(frame), std::pair(true, false));
        EXPECT_EQ(std::tuple(frame.size(), frame.AutoCheckTimer().isActive(), frame.Tray().IconResource(),
                             frame.ToolbarAction(cmd::kToggleAutoCheck)->text()),
                  std::tuple(QSize(800, 500), false, 183, QStringLiteral("手动")));
    }
}

TEST(MainFrameClose, WritesOrRemovesTheAutostartEntryAndClosesTheConnections)
{
    {
        FrameFixture fixture;
        bool closed = false;
        QObject::connect(fixture.frame.get(), &CMainFrame::Closed, [&closed] { closed = true; });
        fixture.frame->show();
        fixture.frame->Command(cmd::kExit);
        EXPECT_EQ(std::tuple(closed, fixture.frame->Tray().IsCreated(), fixture.app.Db().main.IsOpen(),
                             fixture.app.Db().ui.IsOpen()),
                  std::tuple(true, false, false, false));
        const std::string entry = ReadFile(fixture.AutostartFile());
        EXPECT_NE(entry.find("Exec=\"" + fixture.home.path() + "bin/wendar\" /R"), std::string::npos) << entry;
    }
    {
        FrameFixture fixture(false, [](Settings& s) { s.enableAutoRun = 0; });
        std::filesystem::create_directories(fixture.AutostartDirectory());
        std::ofstream(fixture.AutostartFile()) << "[Desktop Entry]\n";
        fixture.frame->close(); // the close box
        EXPECT_FALSE(std::filesystem::exists(fixture.AutostartFile()));
        fixture.frame->Shutdown(); // a second close does nothing more
        EXPECT_TRUE(fixture.frame->HasClosed());
    }
}

TEST_F(MainFrame, CloseWaitsForACheckThatIgnoresTheStopWhileTheEventLoopGoesOn)
{
    Gate gate;
    std::atomic<bool> stopSeen{false};
    doc->SetMonitor(kCategoryWebPage, [&](CheckContext& context, MessageTypeInfo&) {
        gate.Pass(); // deaf to the stop: only the gate ends it
        stopSeen = context.run.IsStopRequested();
        return 0;
    });
    auto shared = AddWebItem();
    frame->show();
    doc->CheckOne(shared);
    ASSERT_TRUE(WaitFor([&] { return gate.Arrived(); }));

    bool closed = false;
    QObject::connect(frame.get(), &CMainFrame::Closed, [&closed] { closed = true; });
    frame->close();
    // The window goes at once; the connections are closed only once the check has ended.
    EXPECT_EQ(std::tuple(frame->isVisible(), closed, app.Db().ui.IsOpen()), std::tuple(false, false, true));
    // Only a running event loop lets the monitor go.
    QTimer::singleShot(0, frame.get(), [&] { gate.Open(); });
    ASSERT_TRUE(WaitFor([&] { return closed; }, 30000));
    EXPECT_EQ(std::tuple(stopSeen.load(), doc->HasRunningChecks(), app.Db().ui.IsOpen(), app.Db().main.IsOpen()),
              std::tuple(true, false, false, false));
}

TEST_F(MainFrame, HelpOpensThePageOfTheApplicationDirectory)
{
    frame->Command(cmd::kHelp);
    EXPECT_EQ(opener.opened, std::vector{QUrl::fromLocalFile(QString::fromStdString(home.path() + "help/help.htm"))});
}

TEST_F(MainFrame, RunBusyAnimationFromTheWorkerAndANotificationOfWhatWasStored)
{
    auto shared = AddWebItem();
    const MessageTypeInfo& item = *shared;
    // Stored after the window's last report (here by another program): told with the run's findings.
    ASSERT_TRUE(app.Db().main.Execute("insert into userdata (status, MessageTypeID, SourceInfo) values (0, " +
                                      std::to_string(item.messagetypeid) + ", 'old')"));
    Gate gate;
    int serial = 0;
    doc->SetMonitor(kCategoryWebPage, [&](CheckContext& context, MessageTypeInfo& checked) {
        gate.Pass();
        // As the monitors store: the search index of the findings is left to the window's steps.
        CFindingStore findings(context.mainConnection, checked);
        for (const char* info : {"a", "b"}) {
            SourceRowInfo row;
            row.ID = std::to_string(++serial);
            row.Info = info;
            findings.StoreIfNew(row);
        }
        findings.Flush();
        return 1;
    });
    const auto indexed = [&] {
        std::string error;
        const auto progress = app.Messages().SearchIndexState(error);
        return progress && progress->Complete();
    };
    frame->Command(cmd::kCheckItem);
    doc->m_pCurItem = shared;
    frame->Command(cmd::kCheckItem);
    EXPECT_TRUE(WaitFor([&] { return frame->BusyAnimation()->IsPlaying(); }));
    gate.Open();
    EXPECT_TRUE(WaitFor([&] { return !frame->BusyAnimation()->IsPlaying(); }));
    EXPECT_EQ(frame->BusyAnimation()->Frame(), 0);
    ASSERT_TRUE(WaitFor([&] { return !notifier.shown.empty(); }));
    EXPECT_EQ(notifier.shown[0], std::pair(QStringLiteral("Wendar: 3 条新消息"), QStringLiteral("新闻: 3 条")));
    EXPECT_TRUE(WaitFor(indexed));

    frame->hide();
    notifier.Click();
    EXPECT_TRUE(frame->isVisible()) << "a click on the notification opens the window";

    // Switched off in the settings: nothing is shown.
    app.m_settings.EnableDesktopNotify = 0;
    frame->Command(cmd::kCheckItem);
    doc->WaitForChecks();
    EXPECT_TRUE(WaitFor(indexed)) << "indexed all the same";
    EXPECT_EQ(notifier.shown.size(), 1U);

    // The next run tells only what was stored after the last report.
    app.m_settings.EnableDesktopNotify = 1;
    frame->Command(cmd::kCheckItem);
    doc->WaitForChecks();
    ASSERT_TRUE(WaitFor([&] { return notifier.shown.size() == 2; }));
    EXPECT_EQ(notifier.shown[1].first, QStringLiteral("Wendar: 2 条新消息"));
}

// Real runs: an item that fails four times in a row is told once as it falls and once as it
// recovers (from the worker's thread to the window's), and the tree's mark follows the notification.
TEST_F(MainFrame, RunAChangeOfAnItemsHealthIsToldOnce)
{
    auto shared = AddWebItem();
    // As the program wires it: the worker's word goes to the window through the relay.
    doc->SetHealthChangedListener([&](const HealthChange& change) { relay.HealthChanged(change); });
    std::atomic<bool> failing{true};
    doc->SetMonitor(kCategoryWebPage, [&](CheckContext& context, MessageTypeInfo&) {
        if (failing) {
            context.run.SetErrorText("无法连接到服务器");
        }
        return 0;
    });
    for (int i = 0; i < 4; ++i) {
        doc->CheckOne(shared);
        doc->WaitForChecks();
    }
    ASSERT_TRUE(WaitFor([&] { return !notifier.shown.empty(); }));
    failing = false;
    doc->CheckOne(shared);
    doc->WaitForChecks();
    ASSERT_TRUE(WaitFor([&] { return notifier.shown.size() >= 2; }));
    QCoreApplication::processEvents();
    ASSERT_EQ(notifier.shown.size(), 2U) << "not one per failed check";
    EXPECT_EQ(frame->GetTreeView()->HealthOf(shared->messagetypeid).state, HealthState::Recovered)
        << "the mark follows the notification";
    EXPECT_EQ(notifier.shown[0].first, QStringLiteral("新闻"));
    EXPECT_TRUE(notifier.shown[0].second.startsWith(QStringLiteral("新闻 连续 "))) << "the change in words";

    // With desktop notifications off, a change is told to nobody.
    app.m_settings.EnableDesktopNotify = 0;
    relay.HealthChanged(HealthChange{shared->messagetypeid, "新闻", HealthState::Ok, HealthState::Failing, "x"});
    QCoreApplication::processEvents();
    EXPECT_EQ(notifier.shown.size(), 2U);
}

TEST_F(MainFrame, RunCallsFromTheWorkerAreDroppedOnceTheFrameIsGone)
{
    relay.SetBusyAnimation(true); // queued, not yet run
    frame.reset();                // the frame goes first, its panes leave the document
    std::thread([&] { relay.SetBusyAnimation(false); }).join();
    QCoreApplication::processEvents(); // nothing left to call
    doc->UpdateAllViews(nullptr);
}

// A long failure of several lines: one line cut at the window's edge, the whole text in the tooltip;
// the status bar neither grows nor widens the window.
TEST_F(MainFrame, StatusALongMultiLineTextShowsOnOneCutLineWithTheWholeTextInItsTooltip)
{
    ShowAt(*frame, 640, 480);
    frame->UpdateCommandUi();
    QStatusBar* bar = frame->statusBar();
    const int height = bar->sizeHint().height();
    const std::string text = "检查新闻 时发生意外错误：" + std::string(400, 'x') + "\nsecond line\nthird";
    app.m_run.SetStatusText(text);
    frame->UpdateCommandUi();
    QCoreApplication::processEvents();
    const CElidedLabel* pane = frame->StatusTextPane();
    EXPECT_EQ(pane->toolTip(), QString::fromStdString(text));
    EXPECT_TRUE(!pane->text().contains(QLatin1Char('\n')) && pane->text().endsWith(QChar(0x2026)))
        << pane->text().toStdString();
    EXPECT_EQ(std::pair(bar->sizeHint().height(), frame->width()), std::pair(height, 640));
    EXPECT_LE(frame->minimumSizeHint().width(), 640);
}
