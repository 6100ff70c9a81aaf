// The main window from the keyboard and across restarts: shortcuts, Tab round the panes, next
// unread message, Enter on a message, the first start's hint, and the window's own state.
#include "FrameFixture.h"

#include <QFile>
#include <QHeaderView>

using MainFrameKeys = FrameTest;

namespace {

int MessageId(FrameFixture& fixture, int item, const std::string& info)
{
    return static_cast<int>(fixture.Number("select ID as n from userdata where MessageTypeID=" + std::to_string(item) +
                                           " and SourceInfo='" + info + "'"));
}

} // namespace

TEST_F(MainFrameKeys, ShortcutsAreShownAndTabGoesRoundThePanes)
{
    const std::pair<int, QKeySequence> keys[] = {{cmd::kCheckItem, QKeySequence(Qt::Key_F5)},
                                                 {cmd::kCheckAll, QKeySequence(Qt::SHIFT | Qt::Key_F5)},
                                                 {cmd::kAddItem, QKeySequence(Qt::CTRL | Qt::Key_N)},
                                                 {cmd::kModifyItem, QKeySequence(Qt::ALT | Qt::Key_Return)},
                                                 {cmd::kNextUnread, QKeySequence(Qt::Key_N)},
                                                 {cmd::kUndoDelete, QKeySequence(Qt::CTRL | Qt::Key_Z)},
                                                 {cmd::kEnableItem, QKeySequence(Qt::CTRL | Qt::Key_E)}};
    for (const auto& [id, key] : keys) {
        EXPECT_EQ(frame->Action(id)->shortcut(), key) << id;
    }
    // Delete only shows in the menu: the pane with the focus decides what it deletes.
    EXPECT_EQ(frame->Action(cmd::kDeleteSelected)->shortcutContext(), Qt::WidgetShortcut);

    frame->ShowAtStart(false);
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    frame->GetTreeView()->setFocus();
    std::vector<QWidget*> visited;
    for (int i = 0; i < 40 && (visited.empty() || QApplication::focusWidget() != frame->GetTreeView()); ++i) {
        visited.push_back(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    ASSERT_EQ(QApplication::focusWidget(), frame->GetTreeView()) << "Tab comes back to the tree";
    const auto inside = [&](QWidget* pane) {
        return std::ranges::find_if(visited, [pane](QWidget* w) { return pane->isAncestorOf(w); }) - visited.begin();
    };
    ASSERT_GE(visited.size(), 4u);
    EXPECT_EQ(visited[1], frame->GetListView()->List());
    EXPECT_EQ(inside(frame->GetDetailView()), 2);
    EXPECT_GT(inside(frame->PagingBar()), inside(frame->GetDetailView()));
    EXPECT_LT(inside(frame->PagingBar()), static_cast<std::ptrdiff_t>(visited.size()));
}

TEST(MainFrameReading, SpaceWorksThroughTheUnreadMessagesAcrossPagesAndItems)
{
    FrameFixture fixture(false, [](Settings& s) { s.pagesize = 2; });
    const int first = fixture.StoreMessages(3, "甲");
    const int second = fixture.StoreMessages(1, "乙");
    CMainFrame& frame = *fixture.frame;
    CTarvoDoc& doc = *fixture.doc;
    frame.GetTreeView()->setCurrentItem(frame.GetTreeView()->NodeOf(first));
    CMessageListCtrl* list = frame.GetListView()->List();

    // Newest first: m3, m2 on the first page, m1 on the second; then the other item.
    const std::pair<int, int> expected[] = {{first, MessageId(fixture, first, "m3")},
                                            {first, MessageId(fixture, first, "m2")},
                                            {first, MessageId(fixture, first, "m1")},
                                            {second, MessageId(fixture, second, "m1")}};
    for (const auto& [item, id] : expected) {
        QTest::keyClick(list, Qt::Key_Space);
        ASSERT_NE(doc.m_pCurItem, nullptr);
        EXPECT_EQ(std::tuple(doc.m_nCurMessageId, doc.m_pCurItem->messagetypeid, frame.GetTreeView()->currentItem(),
                             frame.GetDetailView()->Record().ID),
                  std::tuple(id, item, frame.GetTreeView()->NodeOf(item), id));
    }
    // The messages left behind were read; the last one too once nothing else is unread.
    EXPECT_EQ(doc.m_nUnreadCount, 1);
    frame.Command(cmd::kNextUnread);
    EXPECT_EQ(std::tuple(doc.m_nUnreadCount, fixture.app.m_run.GetStatusText()),
              std::tuple(0, std::string("没有未读消息")));
}

TEST_F(MainFrameKeys, EnterOpensTheLinkOrElseTheStoredContentInTheDesktopBrowser)
{
    const int item = StoreMessages(2, "甲");
    ASSERT_TRUE(app.Db().main.Execute("update userdata set SourceLink='https://example.com/a', "
                                      "SourceContent='stored' where SourceInfo='m2'"));
    ASSERT_TRUE(app.Db().main.Execute("update userdata set SourceContent='只在本机' where SourceInfo='m1'"));
    frame->GetTreeView()->setCurrentItem(frame->GetTreeView()->NodeOf(item));
    CTarvoView& view = *frame->GetListView();
    ASSERT_TRUE(view.SelectMessage(MessageId(*this, item, "m2")));
    QTest::keyClick(view.List(), Qt::Key_Return);
    EXPECT_EQ(opener.opened, std::vector{QUrl(QStringLiteral("https://example.com/a"))});

    ASSERT_TRUE(view.SelectMessage(MessageId(*this, item, "m1")));
    QTest::keyClick(view.List(), Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(opener.opened.size(), 2u);
    QFile page(opener.opened.back().toLocalFile());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(page.readAll()).contains(QStringLiteral("只在本机")));
}

TEST_F(MainFrameKeys, AFirstStartWithoutItemsShowsTheHintAndItsButtonAsksForTheAddDialog)
{
    frame->ShowAtStart(false);
    CWatchMessageView& detail = *frame->GetDetailView();
    ASSERT_EQ(std::tuple(detail.FirstStartHint()->isVisible(), frame->PagingBar()->PageLabel()->text()),
              std::tuple(true, QStringLiteral("0/0页")));
    // The frame would run the modal dialog: here only the request is seen.
    QObject::disconnect(&detail, &CWatchMessageView::AddItemWanted, frame.get(), nullptr);
    QSignalSpy wanted(&detail, &CWatchMessageView::AddItemWanted);
    detail.FirstStartHint()->findChild<QPushButton*>()->click();
    EXPECT_EQ(wanted.count(), 1);
    StoreMessages(1);
    EXPECT_FALSE(detail.FirstStartHint()->isVisible());
}

TEST_F(MainFrameKeys, GeometrySplittersColumnsSortAndBarsStayAsChosenAndComeBackAfterARestart)
{
    StoreMessages(3);
    frame->ShowAtStart(false);
    // At the first start the list has at least half the height and its last column reaches the edge.
    QSplitter* outer = frame->OuterSplitter();
    EXPECT_GE(outer->sizes()[0], outer->sizes()[1]);
    QHeaderView* header = frame->GetListView()->List()->horizontalHeader();
    EXPECT_EQ(header->sectionViewportPosition(7) + header->sectionSize(7), header->viewport()->width());

    frame->setGeometry(60, 40, 900, 640);
    auto* inner = qobject_cast<QSplitter*>(outer->widget(0));
    outer->setSizes({380, 180});
    inner->setSizes({200, 680});
    header->resizeSection(3, 211);
    frame->GetListView()->SortByHeader(2);
    frame->GetListView()->SortByHeader(2); // descending
    QAction* toolbar = frame->Action(cmd::kViewToolbar);
    toolbar->trigger();
    frame->Action(cmd::kViewStatusBar)->trigger();
    frame->UpdateCommandUi(); // the one-second refresh leaves the bars as the user chose
    EXPECT_EQ(std::tuple(toolbar->isChecked(), frame->ToolBar()->isVisible()), std::tuple(false, false));
    toolbar->trigger();
    QApplication::processEvents(); // the layout takes the bar's room
    const QRect geometry = frame->geometry();
    const QList<int> outerSizes = outer->sizes();
    const QList<int> innerSizes = inner->sizes();
    frame->SaveWindowState();

    Restart();
    frame->ShowAtStart(false);
    EXPECT_EQ(std::tuple(frame->geometry(), frame->OuterSplitter()->sizes(),
                         qobject_cast<QSplitter*>(frame->OuterSplitter()->widget(0))->sizes()),
              std::tuple(geometry, outerSizes, innerSizes));
    CTarvoView* list = frame->GetListView();
    EXPECT_EQ(std::tuple(list->List()->horizontalHeader()->sectionSize(3), list->SortColumn(), list->IsSortDescending(),
                         doc->m_sortOrder.column),
              std::tuple(211, 2, true, 2));
    EXPECT_EQ(std::tuple(frame->statusBar()->isVisible(), frame->Action(cmd::kViewStatusBar)->isChecked(),
                         frame->ToolBar()->isVisible()),
              std::tuple(false, false, true));
}
