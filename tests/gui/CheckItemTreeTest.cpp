// The check item tree, offscreen, on a real message.dat: filling, switching by the state image,
// the command target, the commands with their message boxes, and edits while a check runs.
#include "PaneWorld.h"
#include "gui/dialogs/CCheckLogDlg.h"
#include "gui/dialogs/CMessageTypeDlg.h"
#include "gui/tree/CTreeNodeDelegate.h"
#include "gui/tree/TreeImages.h"
#include "monitors/CRunState.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <algorithm>

namespace {

// Clicks the middle of a part of a node's row.
void Click(CLeftView& tree, QTreeWidgetItem* node, CLeftView::HitPart part, Qt::MouseButton button = Qt::LeftButton)
{
    const QPoint pos = tree.PartRect(node, part).center();
    const QPoint global = tree.viewport()->mapToGlobal(pos);
    QMouseEvent press(QEvent::MouseButtonPress, pos, global, button, button, Qt::NoModifier);
    QApplication::sendEvent(tree.viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, global, button, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(tree.viewport(), &release);
}

// The cell a screen reader reads for a node (its name starts with the text drawn).
QAccessibleInterface* AccessibleCell(CLeftView& tree, QTreeWidgetItem* node)
{
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(&tree);
    for (int i = 0; view && i < view->childCount(); ++i) {
        QAccessibleInterface* cell = view->child(i);
        if (cell && cell->text(QAccessible::Name).startsWith(node->text(0))) {
            return cell;
        }
    }
    ADD_FAILURE() << "no accessible cell " << node->text(0).toStdString();
    return nullptr;
}

// Right-clicks a node and, in its context menu, runs answer (which must close the menu).
void ContextMenu(CLeftView& tree, QTreeWidgetItem* node, const std::function<void(QMenu&)>& answer)
{
    const QPoint pos = tree.PartRect(node, CLeftView::HitPart::Other).center();
    Click(tree, node, CLeftView::HitPart::Other, Qt::RightButton);
    WhenShown<QMenu>([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }, answer);
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, tree.viewport()->mapToGlobal(pos));
    QApplication::sendEvent(tree.viewport(), &event);
}

// How many pixels of a part of the tree, as drawn, pass counts(pixel, the background at the right end).
int Pixels(CLeftView& tree, const QRect& part, const std::function<bool(QColor, QColor)>& counts)
{
    const QImage image = tree.viewport()->grab(part).toImage();
    const QColor background = image.pixelColor(image.width() - 1, image.height() / 2);
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += counts(image.pixelColor(x, y), background) ? 1 : 0;
        }
    }
    return n;
}

class TreeTest : public ::testing::Test
{
protected:
    TreeTest()
    {
        tree = std::make_unique<CLeftView>(home.context(), &frame);
        frame.resize(320, 400);
        tree->resize(320, 400);
        frame.show();
        QApplication::processEvents();
    }

    QTreeWidgetItem* Node(int id) { return tree->NodeOf(id); }
    int StoredState(int id) { return std::stoi(home.ItemField(id, "state")); }
    int Image(int id) { return Node(id)->data(0, kStateImageRole).toInt(); }
    // The names of the root's children in order.
    QStringList Names()
    {
        QStringList names;
        for (int i = 0; i < tree->RootNode()->childCount(); ++i) {
            names << tree->RootNode()->child(i)->text(0);
        }
        return names;
    }

    PaneWorld home;
    CTarvoDoc& doc = *home.doc;
    // The items' keys: A switched on, B off, and a system broadcast item.
    int a = home.AddItem("A", kCategoryWebPage, 0, "http://127.0.0.1/");
    int b = home.AddItem("B", kCategoryWebPage, 0, "http://127.0.0.1/", 0);
    int broadcast = home.AddItem("广播", kCategoryBroadcast, 0, "http://127.0.0.1/");
    UpdateCounter spy{doc};
    QWidget frame;
    std::unique_ptr<CLeftView> tree;
};

TEST_F(TreeTest, FirstDisplayFillsTheTreeUnderTheRootAndSetsTheTitle)
{
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Wendar V1.03"));
    QTreeWidgetItem* root = tree->RootNode();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(std::tuple(root->data(0, kStateImageRole).toInt(), root->isExpanded(), tree->currentItem()),
              std::tuple(kStateImageRoot, true, root));
    EXPECT_EQ(Names(), Split("A|B|广播"));
    EXPECT_EQ(std::tuple(Image(a), Image(b), Image(broadcast)),
              std::tuple(kStateImageOn, kStateImageOff, kStateImageOn));
    EXPECT_EQ(doc.m_pCurItem, nullptr);
}

TEST_F(TreeTest, StateImageClickSwitchesTheItemAndStoresIt)
{
    // On is heard as checked; a state image click does not select.
    for (const int on : {1, 0}) {
        Click(*tree, Node(b), CLeftView::HitPart::StateImage);
        const QAccessible::State heard = AccessibleCell(*tree, Node(b))->state();
        EXPECT_EQ(
            std::tuple(StoredState(b), doc.FindItem(b)->state, Image(b), bool(heard.checkable), bool(heard.checked)),
            std::tuple(on, on, on ? kStateImageOn : kStateImageOff, true, bool(on)));
        EXPECT_EQ(tree->currentItem(), tree->RootNode());
    }

    // The root ignores it; a system broadcast item refuses it.
    Click(*tree, tree->RootNode(), CLeftView::HitPart::StateImage);
    EXPECT_TRUE(home.boxes.shown.empty());
    Click(*tree, Node(broadcast), CLeftView::HitPart::StateImage);
    EXPECT_EQ(home.Shown(), QStringList{QStringLiteral("系统广播状态不能修改！")});
    EXPECT_EQ(std::pair(StoredState(broadcast), Image(broadcast)), std::pair(1, kStateImageOn));
}

TEST_F(TreeTest, RightClickTargetsANodeWhileTheSelectionStays)
{
    tree->setCurrentItem(Node(a));
    ContextMenu(*tree, Node(b), [&](QMenu& menu) {
        EXPECT_EQ(tree->currentItem(), Node(a));
        EXPECT_EQ(tree->CommandTarget(false), Node(b));
        EXPECT_TRUE(Node(b)->data(0, kDropHighlightRole).toBool());
        QAction* enable = ActionWithId(menu, 32776);
        ASSERT_NE(enable, nullptr);
        EXPECT_EQ(enable->text(), QStringLiteral("允许这个项目 \t CTRL+E"));
        menu.hide();
        enable->trigger();
    });
    EXPECT_EQ(std::pair(StoredState(a), StoredState(b)), std::pair(1, 1))
        << "the command went to the right-clicked node";
    EXPECT_EQ(tree->currentItem(), Node(a));
    // The highlight goes back to the selection.
    EXPECT_EQ(std::pair(Node(a)->data(0, kDropHighlightRole).toBool(), Node(b)->data(0, kDropHighlightRole).toBool()),
              std::pair(true, false));

    // A plain click ends the target; a click on the image of the selected node makes it the target.
    Click(*tree, Node(a), CLeftView::HitPart::Other);
    EXPECT_EQ(tree->CommandTarget(false), Node(a));
    Click(*tree, Node(a), CLeftView::HitPart::Image);
    EXPECT_EQ(tree->CommandTarget(false), Node(a));
}

TEST_F(TreeTest, TheRootDisablesItemCommandsAndIsPassedOverOnlyByModifyEnableDisable)
{
    tree->setCurrentItem(Node(b));
    ContextMenu(*tree, tree->RootNode(), [&](QMenu& menu) {
        // The item commands are off; add, check all and the others stay on.
        for (int id : {32773, 32774, 32781, 32776, 32777, 32772, 32782, 32816, 32819, 32820}) {
            EXPECT_EQ(ActionWithId(menu, id)->isEnabled(), id == 32772 || id > 32781) << id;
        }
        menu.hide();
    });
    // The root stays the command target: enable passes it over in favour of the selection...
    tree->OnEnableItem();
    EXPECT_EQ(StoredState(b), 1);
    // ...delete does not, so it has no target.
    tree->OnDeleteItem();
    EXPECT_EQ(home.Shown(), QStringList{QStringLiteral("请首先选择选择相应的自动检查的项目，才能进行删除操作！")});
}

TEST_F(TreeTest, CommandsWithoutATargetOrOnABroadcastItemAreRefused)
{
    for (QTreeWidgetItem* node : {tree->RootNode(), Node(broadcast)}) {
        tree->setCurrentItem(node);
        tree->OnModifyItem();
        tree->OnDeleteItem();
        if (node == tree->RootNode()) {
            tree->OnEnableItem();
        }
        tree->OnDisableItem();
    }
    const QString modify = QStringLiteral("请首先选择选择相应的自动检查的项目，才能进行修改操作！");
    EXPECT_EQ(home.Shown(),
              (QStringList{modify, QStringLiteral("请首先选择选择相应的自动检查的项目，才能进行删除操作！"), modify,
                           modify, QStringLiteral("系统广播属性不能修改！"), QStringLiteral("系统广播不能删除！"),
                           QStringLiteral("系统广播状态不能修改！")}));
    for (const auto& box : home.boxes.shown) {
        EXPECT_EQ(box.caption, QStringLiteral("确认"));
        EXPECT_EQ(box.buttons, QMessageBox::Ok);
    }
    EXPECT_EQ(home.Count("usermessagetype"), 3);
}

TEST_F(TreeTest, DeleteAsksAndRefreshesTheListForYesAndNo)
{
    tree->setCurrentItem(Node(a));
    const int before = spy.updates;
    doc.m_bReload = 0;
    home.boxes.answers = {QMessageBox::No};
    tree->OnDeleteItem();
    const ShownBox& box = home.boxes.shown.at(0);
    EXPECT_EQ(
        std::tuple(box.text, box.caption, box.defaultButton),
        std::tuple(QStringLiteral("项目:(A)\n您确认要删除这个项目吗?"), QStringLiteral("请确认"), QMessageBox::No))
        << "Enter must not delete";
    EXPECT_EQ(std::tuple(home.Count("usermessagetype"), spy.updates, doc.m_bReload.load()),
              std::tuple(3LL, before + 1, true));

    doc.m_bReload = 0;
    home.boxes.answers = {QMessageBox::Yes};
    tree->OnDeleteItem();
    EXPECT_EQ(home.Count("usermessagetype where messagetypeid=" + std::to_string(a)), 0);
    EXPECT_EQ(std::tuple(Names(), doc.m_pCurItem, spy.updates, doc.m_bReload.load()),
              std::tuple(Split("B|广播"), nullptr, before + 2, true));
}

TEST_F(TreeTest, CheckAndMarkAllActOnTheTargetItemOrOnTheRootOnAll)
{
    std::mutex lock;
    std::vector<std::string> checked;
    for (int category : {kCategoryWebPage, kCategoryBroadcast}) {
        doc.SetMonitor(category, [&](CheckContext&, MessageTypeInfo& item) {
            std::lock_guard guard(lock);
            checked.push_back(item.MessageTypeName);
            return 0;
        });
    }
    tree->setCurrentItem(tree->RootNode());
    tree->OnCheckItem();
    doc.WaitForChecks();
    std::sort(checked.begin(), checked.end()); // items are checked side by side, in any order
    EXPECT_EQ(checked, (std::vector<std::string>{"A", "广播"})) << "B is switched off";

    checked.clear();
    tree->setCurrentItem(Node(a));
    tree->OnCheckItem();
    doc.WaitForChecks();
    EXPECT_EQ(checked, std::vector<std::string>{"A"});

    home.AddMessage(a, {});
    home.AddMessage(a, {});
    home.AddMessage(b, {});
    tree->setCurrentItem(Node(a));
    const int before = spy.updates;
    tree->OnMarkAllRead();
    EXPECT_EQ(std::tuple(home.Count("userdata where status=1"),
                         home.Count("userdata where status=0 and messagetypeid=" + std::to_string(b)), spy.updates),
              std::tuple(2LL, 1LL, before + 1));

    tree->setCurrentItem(tree->RootNode());
    tree->OnMarkAllRead();
    EXPECT_EQ(home.Count("userdata where status=0"), 0);
    tree->OnMarkAllUnread();
    EXPECT_EQ(home.Count("userdata where status=0"), 3);
}

TEST_F(TreeTest, SelectionSetsTheCurrentItemAndReloadsTheListOnlyOnChange)
{
    tree->setCurrentItem(Node(b));
    EXPECT_EQ(doc.m_pCurItem, doc.FindItem(b));
    EXPECT_EQ(home.app.m_run.GetStatusText(), "当前类别:B(禁止) -()");
    // Choosing the node of the item that is current already does not reload the list.
    tree->setCurrentItem(Node(a));
    doc.m_pCurItem = doc.FindItem(b);
    const int before = spy.updates;
    tree->setCurrentItem(Node(b));
    EXPECT_EQ(spy.updates, before);
    tree->setCurrentItem(tree->RootNode());
    EXPECT_EQ(std::tuple(doc.m_pCurItem, home.app.m_run.GetStatusText(), doc.m_nCurMessageId),
              std::tuple(nullptr, std::string("当前类别: 所有 ()"), 0));
}

TEST_F(TreeTest, ItemsWithUnreadMessagesAnimateThroughEightFrames)
{
    doc.FindItem(a)->m_nUnreadCount = 2;
    for (int step = 0; step < 9; ++step) {
        tree->OnAnimationTimer();
        EXPECT_EQ(std::pair(Node(a)->data(0, kAnimFrameRole).toInt(), Node(b)->data(0, kAnimFrameRole).toInt()),
                  std::pair(step % kAnimationFrames, -1));
    }
    doc.FindItem(a)->m_nUnreadCount = 0;
    tree->OnAnimationTimer();
    EXPECT_EQ(Node(a)->data(0, kAnimFrameRole).toInt(), -1);
}

TEST_F(TreeTest, ItemsReadAfreshByARunShowUpInTheTree)
{
    tree->setCurrentItem(Node(a));
    // Another program renamed A, switched B on and deleted the broadcast item; a run reads them again.
    auto& connection = home.app.Db().main;
    ASSERT_TRUE(
        connection.Execute("update usermessagetype set MessageTypeName='A2' where messagetypeid=" + std::to_string(a)));
    ASSERT_TRUE(connection.Execute("update usermessagetype set state=1 where messagetypeid=" + std::to_string(b)));
    ASSERT_TRUE(connection.Execute("delete from usermessagetype where messagetypeid=" + std::to_string(broadcast)));
    const int c = home.AddItem("C", kCategoryWebPage, 0, "http://127.0.0.1/");
    ASSERT_TRUE(doc.LoadItems());
    tree->OnAnimationTimer();
    ASSERT_EQ(Names(), Split("A2|B|C"));
    EXPECT_EQ(Node(a)->data(0, Qt::AccessibleTextRole).toString(), QStringLiteral("A2")) << "read out renamed";
    EXPECT_EQ(std::tuple(Image(b), Node(broadcast)), std::tuple(kStateImageOn, nullptr));
    EXPECT_EQ(std::pair(doc.m_pCurItem, tree->currentItem()), std::pair(doc.FindItem(a), Node(a)))
        << "the current item is found again";

    // The current item deleted elsewhere: all items are shown.
    const int before = spy.updates;
    tree->setCurrentItem(Node(c));
    ASSERT_TRUE(connection.Execute("delete from usermessagetype where messagetypeid=" + std::to_string(c)));
    ASSERT_TRUE(doc.LoadItems());
    tree->OnAnimationTimer();
    EXPECT_EQ(std::tuple(doc.m_pCurItem, tree->currentItem(), Names()),
              std::tuple(nullptr, tree->RootNode(), Split("A2|B")));
    EXPECT_GT(spy.updates, before + 1) << "the list shows all items again";
}

TEST_F(TreeTest, AnItemAddedThroughTheDialogGetsANode)
{
    WhenModal<CMessageTypeDlg>([](CMessageTypeDlg& dialog) {
        Child<QLineEdit>(dialog, "MessageTypeName")->setText(QStringLiteral("新项目"));
        Child<QPlainTextEdit>(dialog, "connAddress")->setPlainText(QStringLiteral("Driver=x"));
        Child<QPushButton>(dialog, "ok")->click();
    });
    tree->OnAddItem();
    EXPECT_TRUE(home.boxes.shown.empty());
    EXPECT_EQ(Names(), Split("A|B|广播|新项目"));
    const auto items = doc.Items();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items.back()->MessageTypeName, "新项目");
    EXPECT_EQ(home.Count("usermessagetype where MessageTypeName='新项目'"), 1);

    WhenModal<CMessageTypeDlg>([](CMessageTypeDlg& dialog) { Child<QPushButton>(dialog, "cancel")->click(); });
    tree->OnAddItem();
    EXPECT_EQ(doc.Items().size(), 4u) << "a cancelled new item is dropped";
    EXPECT_EQ(home.Count("usermessagetype"), 4);
}

TEST_F(TreeTest, AnItemEditedWhileItsCheckRunsKeepsTheRunsCopyAndShowsTheEdit)
{
    Gate gate;
    std::string seen;
    doc.SetMonitor(kCategoryWebPage, [&](CheckContext&, MessageTypeInfo& item) {
        gate.Pass();
        seen = item.MessageTypeName;
        return 0;
    });
    tree->setCurrentItem(Node(a));
    tree->OnCheckItem();
    ASSERT_TRUE(WaitFor([&] { return gate.Arrived(); }));
    WhenModal<CMessageTypeDlg>([](CMessageTypeDlg& dialog) {
        Child<QLineEdit>(dialog, "MessageTypeName")->setText(QStringLiteral("A2"));
        Child<QPushButton>(dialog, "ok")->click();
    });
    tree->OnModifyItem();
    EXPECT_EQ(std::tuple(Node(a)->text(0), doc.FindItem(a)->MessageTypeName, home.ItemField(a, "MessageTypeName")),
              std::tuple(QStringLiteral("A2"), std::string("A2"), std::string("A2")));
    EXPECT_EQ(doc.m_pCurItem, doc.FindItem(a));
    gate.Open();
    doc.WaitForChecks();
    EXPECT_EQ(seen, "A");
}

TEST_F(TreeTest, CountsAndFailureMarksAreDrawnReadOutAndFollowChanges)
{
    for (int i = 0; i < 12; ++i) {
        home.AddMessage(a, {});
    }
    doc.RecountUnread();
    // Ink on a node's row, and the failure mark's red in its text part.
    const auto ink = [&](int id) {
        return Pixels(*tree, tree->visualItemRect(Node(id)), [](QColor c, QColor bg) {
            return std::abs(c.red() - bg.red()) + std::abs(c.green() - bg.green()) + std::abs(c.blue() - bg.blue()) >
                   120;
        });
    };
    const auto red = [&](int id) {
        return Pixels(*tree, tree->PartRect(Node(id), CLeftView::HitPart::Other),
                      [](QColor c, QColor) { return c.red() > 170 && c.green() < 90 && c.blue() < 90; });
    };
    const int bareInk = ink(a);
    tree->OnAnimationTimer();
    EXPECT_EQ(Node(a)->text(0), QStringLiteral("A")) << "the stored name stays as it is";
    EXPECT_GT(ink(a), bareInk + 20) << "\" (12)\" is drawn after the name";
    EXPECT_EQ(AccessibleCell(*tree, Node(a))->text(QAccessible::Name), QStringLiteral("A (12)"));

    // Three failed checks of B: the mark, the tooltip, the description, the summary and the tray tip
    // follow the runs at the next animation step.
    doc.SetMonitor(kCategoryWebPage, [](CheckContext& context, MessageTypeInfo&) {
        context.run.SetErrorText("无法连接到服务器");
        return 0;
    });
    tree->setCurrentItem(Node(b));
    tree->OnEnableItem();
    tree->setCurrentItem(tree->RootNode());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(red(b), 0);
        doc.CheckOne(doc.FindItem(b));
        doc.WaitForChecks();
        tree->OnAnimationTimer();
    }
    EXPECT_GT(red(b), 20) << "the failure mark is drawn";
    EXPECT_EQ(red(a), 0);
    for (const char* part : {"最后检查：", "最后成功：从未", "最后错误：无法连接到服务器"}) {
        EXPECT_TRUE(Node(b)->toolTip(0).contains(QString::fromUtf8(part))) << part;
    }
    EXPECT_EQ(AccessibleCell(*tree, Node(b))->text(QAccessible::Name), QStringLiteral("B"));
    const QString description = AccessibleCell(*tree, Node(b))->text(QAccessible::Description);
    EXPECT_TRUE(description.contains(QStringLiteral("失败（连续 3 次检查失败）"))) << description.toStdString();
    EXPECT_TRUE(description.contains(QStringLiteral("无法连接到服务器")));
    EXPECT_NE(home.app.m_run.GetStatusText().find("1 个项目检查失败"), std::string::npos);
    EXPECT_NE(doc.TrayTipText().find("\n1 个项目检查失败"), std::string::npos);

    // "检查记录…" lists the three checks.
    ContextMenu(*tree, Node(b), [&](QMenu& menu) {
        QAction* log = ActionWithId(menu, 32850);
        ASSERT_NE(log, nullptr);
        EXPECT_EQ(log->text(), QStringLiteral("检查记录…"));
        menu.hide();
        WhenModal<CCheckLogDlg>([](CCheckLogDlg& dialog) {
            QTableWidget* table = dialog.Table();
            EXPECT_EQ(table->rowCount(), 3);
            EXPECT_TRUE(table->item(0, 1)->text().endsWith(QStringLiteral(" 秒")));
            EXPECT_EQ(QStringList({table->item(0, 2)->text(), table->item(0, 3)->text(), table->item(0, 5)->text()}),
                      Split("手工|失败|无法连接到服务器"));
            dialog.accept();
        });
        log->trigger();
    });

    // Marks and deletions: the count follows without a reload.
    tree->setCurrentItem(Node(a));
    tree->OnMarkAllRead();
    EXPECT_EQ(AccessibleCell(*tree, Node(a))->text(QAccessible::Name), QStringLiteral("A"));
    tree->setCurrentItem(Node(b));
    tree->OnDeleteItem();
    EXPECT_EQ(home.app.m_run.GetStatusText().find("个项目检查失败"), std::string::npos) << "B is gone";
    EXPECT_EQ(doc.TrayTipText(), "没有未读的消息");
}

} // namespace
