// The message list over a real message.dat: paging and counts, the read filter, read-state
// changes and their refusal, the column-4 marker, sorting, delete and the context menu.
#include "PaneWorld.h"
#include "app/CMainTick.h"
#include "store/MessageListInfo.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QHeaderView>

namespace {

QString Cell(CTarvoView& view, int row, int column)
{
    return view.Model()->index(row, column).data().toString();
}

int Image(CTarvoView& view, int row, int column)
{
    return view.Model()->index(row, column).data(CMessageListModel::kImageRole).toInt();
}

// A row's read-state images: the row's and the column-4 marker's.
std::tuple<int, int> Marks(CTarvoView& view, int row)
{
    return {Image(view, row, 0), Image(view, row, 4)};
}
const std::tuple<int, int> kUnread{CMessageListModel::kRowUnread, CMessageListModel::kMarkUnread};
const std::tuple<int, int> kRead{CMessageListModel::kRowRead, CMessageListModel::kMarkRead};

int HeaderImage(CTarvoView& view, int column)
{
    return view.Model()->headerData(column, Qt::Horizontal, CMessageListModel::kImageRole).toInt();
}

void SelectRow(CTarvoView& view, int row)
{
    view.List()->selectionModel()->select(view.Model()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// One item with its messages over a real message.dat, and the list on it under the model tester.
class MessageList : public ::testing::Test
{
protected:
    // Stores count plain messages of the item; their IDs, oldest first.
    std::vector<int> Store(int count)
    {
        std::vector<int> ids;
        for (int i = 0; i < count; ++i) {
            ids.push_back(world.AddMessage(item, StoredMessage{}));
        }
        return ids;
    }
    // The one-second tick as the frame runs it, with auto-mark after these seconds.
    CMainTick& StartTick(int autoMarkSeconds)
    {
        world.app.m_settings.AutoMarkRead = autoMarkSeconds;
        m_tick = std::make_unique<CMainTick>(doc, world.app.m_settings, m_tickActions);
        world.context().tick = m_tick.get();
        return *m_tick;
    }
    ~MessageList() override { world.context().tick = nullptr; }

    PaneWorld world;
    int item = world.AddItem("item");
    CTarvoDoc& doc = *world.doc;
    CTarvoView view{world.context()};
    QAbstractItemModelTester tester{view.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal};
    ListTickActions m_tickActions{view};
    std::unique_ptr<CMainTick> m_tick;
};

} // namespace

TEST_F(MessageList, APageOfTheOperationFillsTheRowsAndTheDocumentsPageValues)
{
    world.app.m_settings.pagesize = 2;
    for (int i = 0; i < 5; ++i) {
        world.AddMessage(item, {.status = i == 0 ? 1 : 0, .info = "title " + std::to_string(i)});
    }

    ASSERT_TRUE(view.ShowPage(1));
    EXPECT_EQ(std::tuple(Cell(view, 0, 5), Marks(view, 0)), std::tuple(QStringLiteral("title 4"), kUnread));
    ASSERT_TRUE(view.ShowPage(9)); // beyond the last: the last
    EXPECT_EQ(std::tuple(view.Model()->rowCount(), doc.m_nCurPage, doc.m_nPageCount, doc.m_nTotalCount),
              std::tuple(1, 3L, 3L, 5L));
    EXPECT_EQ(std::tuple(doc.m_bReload.load(), doc.m_nUnreadCount), std::tuple(false, 4)); // recounted at the fill
    EXPECT_EQ(std::tuple(Cell(view, 0, 5), Marks(view, 0)), std::tuple(QStringLiteral("title 0"), kRead));
}

TEST_F(MessageList, ColumnsHaveTheirHeadersAndImagesAndTheDateIsWholeOnScreen)
{
    const QStringList headers = Split("|类型|日期时间|发送人||主题|内容|接受人|摘要...");
    EXPECT_GE(view.List()->horizontalHeader()->sectionSize(2), 110) << "wide enough for a whole date";
    for (int column = 0; column < 9; ++column) {
        EXPECT_EQ(view.Model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(), headers[column]);
        // Every header can be told apart by a screen reader, the image-only ones too.
        EXPECT_FALSE(view.Model()->headerData(column, Qt::Horizontal, Qt::AccessibleTextRole).toString().isEmpty());
    }
    EXPECT_EQ(
        std::tuple(HeaderImage(view, 0), HeaderImage(view, 4), HeaderImage(view, 1)),
        std::tuple(CMessageListModel::kStatusUnsorted, CMessageListModel::kMarkUnsorted, CMessageListModel::kNoImage));
    EXPECT_EQ(view.List()->accessibleName(), QStringLiteral("消息列表"));
}

TEST_F(MessageList, UnreadFilterKeepsARecordMarkedReadUntilTheNextFill)
{
    Store(3);
    doc.m_nReadFilter = kFilterUnread;
    ASSERT_TRUE(view.ShowPage(1));
    ASSERT_EQ(std::tuple(view.Model()->rowCount(), doc.m_nUnreadCount), std::tuple(3, 3));
    const int id = view.Model()->index(0, 0).data(CMessageListModel::kIdRole).toInt();

    view.SetReadState(0, 1);
    EXPECT_EQ(std::tuple(view.Model()->rowCount(), Marks(view, 0), world.Status(id)), std::tuple(3, kRead, 1LL));
    EXPECT_EQ(std::tuple(doc.m_nUnreadCount, doc.FindItem(item)->m_nUnreadCount), std::tuple(2, 2));
    EXPECT_TRUE(world.boxes.shown.empty());

    view.OnUpdate(doc, nullptr, 0);
    EXPECT_EQ(view.Model()->rowCount(), 2);
}

TEST_F(MessageList, RecordsThatMayNotChangeHereAreRefusedAndTheAutoMarkTimerRepeatsTheRefusal)
{
    const int id = world.AddMessage(item, {.bCanChangeState = 0});
    ASSERT_TRUE(view.ShowPage(1));

    for (int mode : {1, 0, -1}) {
        view.SetReadState(0, mode);
    }
    ASSERT_EQ(world.boxes.shown.size(), 3u);
    EXPECT_EQ(std::tuple(world.boxes.shown[0].text.toStdString(), world.boxes.shown[0].caption),
              std::tuple(std::string(kCannotChangeStateText), QStringLiteral("注意")));
    EXPECT_EQ(std::tuple(world.Status(id), Marks(view, 0)), std::tuple(0LL, kUnread));

    // Selected in the foreground window: refused again at the end of every countdown.
    CMainTick& tick = StartTick(2);
    SelectRow(view, 0);
    world.boxes.shown.clear();
    for (int second = 0; second < 6; ++second) {
        tick.OnSecond();
    }
    EXPECT_EQ(std::tuple(world.boxes.shown.size(), world.Status(id)), std::tuple(size_t{2}, 0LL)); // the 3rd, 6th tick
}

TEST_F(MessageList, SelectingARowSetsTheCurrentMessageRestartsTheCountdownAndTellsTheOtherPanes)
{
    const std::vector<int> ids = Store(2);
    const int older = ids[0];
    const int newer = ids[1];
    CMainTick& tick = StartTick(3);
    UpdateCounter other(doc);
    ASSERT_TRUE(view.ShowPage(1));

    tick.OnSecond();
    ASSERT_EQ(tick.AutoMarkCountdown(), 2);
    SelectRow(view, 0);
    EXPECT_EQ(std::tuple(doc.m_nCurMessageId, tick.AutoMarkCountdown()), std::tuple(newer, 3));
    view.List()->selectionModel()->clearSelection();
    SelectRow(view, 1);
    EXPECT_EQ(doc.m_nCurMessageId, older);
    EXPECT_EQ(other.messageIds, (std::vector<int>{newer, older}));

    // After AutoMarkRead seconds and one more tick the selection is read.
    for (int second = 0; second < 4; ++second) {
        tick.OnSecond();
    }
    EXPECT_EQ(std::tuple(world.Status(older), world.Status(newer)), std::tuple(1LL, 0LL));
}

TEST_F(MessageList, AClickOnTheColumn4MarkerTogglesTheRowWithoutSelectingIt)
{
    const int id = Store(1)[0];
    doc.FindItem(item)->m_nNewCount = 4;
    ShowAt(view, 800, 300);
    ASSERT_TRUE(view.ShowPage(1));
    const QRect mark = view.List()->MarkImageRect(0);
    ASSERT_FALSE(mark.isEmpty());

    // Any click ends the reminders.
    for (const int status : {1, 0}) {
        QTest::mouseClick(view.List()->viewport(), Qt::LeftButton, {}, mark.center());
        EXPECT_EQ(std::tuple(world.Status(id), Marks(view, 0), view.SelectedRows().empty(), doc.m_nCurMessageId,
                             doc.FindItem(item)->m_nNewCount),
                  std::tuple(status, status ? kRead : kUnread, true, 0, 0));
    }

    // A click elsewhere in the row selects it.
    const QRect subject = view.List()->visualRect(view.Model()->index(0, 5));
    QTest::mouseClick(view.List()->viewport(), Qt::LeftButton, {}, subject.center());
    EXPECT_EQ(std::tuple(view.SelectedRows(), doc.m_nCurMessageId, world.Status(id)),
              std::tuple(std::vector<int>{0}, id, 0LL));
}

TEST_F(MessageList, AHeaderClickSortsTheWholeListAndTheSortHoldsThroughPagingAndRefills)
{
    world.app.m_settings.pagesize = 2;
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"2024-03-01 10:00:00", "banana"}, {"2024-05-01 10:00:00", "Apple"}, {"2024-01-01 10:00:00", "cherry"}};
    for (const auto& [date, info] : rows) {
        world.AddMessage(item, {.receiveDate = date, .info = info});
    }
    view.show();
    ASSERT_TRUE(view.ShowPage(2));
    const auto column = [&](int c) {
        QStringList out;
        for (int row = 0; row < view.Model()->rowCount(); ++row) {
            out << Cell(view, row, c);
        }
        return out;
    };

    // A real click on header 2: the latest date of all three first, from the first page.
    QHeaderView* header = view.List()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(2) + 5, 5));
    using M = CMessageListModel;
    EXPECT_EQ(std::tuple(column(5), HeaderImage(view, 2)), std::tuple(Split("Apple|banana"), M::kAscending));
    view.SortByHeader(2);
    EXPECT_EQ(std::tuple(column(5), HeaderImage(view, 2)), std::tuple(Split("cherry|banana"), M::kDescending));

    view.SortByHeader(5); // letter case does not count
    EXPECT_EQ(std::tuple(column(5), HeaderImage(view, 2)), std::tuple(Split("Apple|banana"), M::kNoImage));
    doc.m_nCurPage = 2;
    view.OnUpdate(doc, nullptr, 0); // paging and refills keep the order and its image
    EXPECT_EQ(std::tuple(column(5), HeaderImage(view, 5)), std::tuple(Split("cherry"), M::kAscending));

    view.SortByHeader(4);
    EXPECT_EQ(std::tuple(HeaderImage(view, 4), HeaderImage(view, 5)), std::tuple(M::kMarkAscending, M::kNoImage));
    view.SortByHeader(0);
    // Unread first, newest first.
    EXPECT_EQ(std::tuple(HeaderImage(view, 4), HeaderImage(view, 0), column(5)),
              std::tuple(M::kMarkUnsorted, M::kStatusAscending, Split("cherry|Apple")));
}

TEST_F(MessageList, DeleteAndMarkNeedASelectionAndDeleteAsksNothing)
{
    Store(4);
    view.show();
    ASSERT_TRUE(view.ShowPage(1));
    view.OnDeleteSelected();
    view.OnMarkSelectedRead();
    view.OnMarkSelectedUnread();
    const QString choose = QStringLiteral("请首先选择您所要处理的消息");
    EXPECT_EQ(world.Shown(), (QStringList{QStringLiteral("请首先选择您所要删除的消息"), choose, choose}));
    for (const auto& box : world.boxes.shown) {
        EXPECT_EQ(box.caption, QStringLiteral("请确认"));
    }
    world.boxes.shown.clear();

    SelectRow(view, 1);
    SelectRow(view, 3);
    view.OnMarkSelectedRead();
    EXPECT_EQ(world.Count("userdata where status=1"), 2);
    view.OnMarkSelectedUnread();
    EXPECT_EQ(world.Count("userdata where status=1"), 0);
    view.OnDeleteSelected();
    EXPECT_TRUE(world.boxes.shown.empty());
    EXPECT_EQ(std::tuple(world.Count("userdata"), view.Model()->rowCount(), doc.m_nCurMessageId, doc.m_nTotalCount),
              std::tuple(2LL, 2, 0, 2L));

    SelectRow(view, 0);
    view.List()->setFocus();
    QTest::keyClick(view.List(), Qt::Key_Delete);
    EXPECT_EQ(std::tuple(world.Count("userdata"), world.boxes.shown.empty()), std::tuple(1LL, true));
}

TEST_F(MessageList, AFailedQueryOrWriteShowsItsMessageAndKeepsTheRowsAndPageValues)
{
    Store(3);
    ASSERT_TRUE(view.ShowPage(1));
    doc.m_bReload = true;
    world.app.Db().main.SetShowErrors(false);
    ASSERT_TRUE(world.app.Db().main.Execute("alter table userdata rename to userdata_away"));

    EXPECT_FALSE(view.ShowPage(1));
    EXPECT_EQ(world.Shown(), QStringList{QStringLiteral("error!cuowu")});
    EXPECT_EQ(world.boxes.shown.at(0).caption, QStringLiteral("dd"));
    EXPECT_EQ(std::tuple(view.Model()->rowCount(), doc.m_nTotalCount, doc.m_nCurPage, doc.m_bReload.load()),
              std::tuple(3, 3L, 1L, true));

    // A write the database refuses shows the database's own words and leaves the row as it was.
    world.boxes.shown.clear();
    SelectRow(view, 0);
    view.OnMarkSelectedRead();
    ASSERT_EQ(world.boxes.shown.size(), 1u);
    EXPECT_TRUE(world.boxes.shown[0].text.contains(QStringLiteral("userdata")))
        << world.boxes.shown[0].text.toStdString();
    EXPECT_EQ(Image(view, 0, 4), CMessageListModel::kMarkUnread);
}

TEST_F(MessageList, TheContextMenuHasItsItemsAllEnabledAndHandsPagingAndContentToTheFrame)
{
    const QList<QAction*> actions = view.ContextMenu()->actions();
    EXPECT_EQ(ActionTexts(actions),
              Split("移动到首页|移动到前一页|移动到后一页|移动到尾页|-|删除已选消息      |撤销删除|-|"
                    "标记选中的为已读|标记选中的为未读|标记所有的为已读|标记所有的为未读|-|"
                    "显示本机存储的内容|显示链接的远程信息"));
    for (QAction* action : actions) {
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
    }

    // Paging goes to the frame, which owns the page links (the content switch is tested through the frame).
    QSignalSpy frame(&view, &CTarvoView::FrameCommand);
    ActionWithId(*view.ContextMenu(), CTarvoView::kNextPage)->trigger();
    ASSERT_EQ(frame.count(), 1);
    EXPECT_EQ(frame.at(0).at(0).toInt(), CTarvoView::kNextPage);
}
