// The menus, the toolbar and the tray menu: texts in order, separators, enabled states, check
// marks and keys; every control can be found by its accessible name.
#include "FrameFixture.h"

using MainFrameMenus = FrameTest;

TEST_F(MainFrameMenus, MainAndTrayMenuHaveTheirItemsInOrderAndCheckMarksAndOnlyItemsWithoutHandlerAreDisabled)
{
    const QList<QAction*> popups = frame->menuBar()->actions();
    EXPECT_EQ(ActionTexts(popups), Split("系统(&F)|检查项目(&C)|消息(&M)|查看(&V)|帮助(&H)"));
    const char* items[] = {
        "导入新的检查项目\tCtrl+O|导出选定的检查项目\tCtrl+S|-|打印(&P)...\tCtrl+P|打印预览(&V)|打印设置(&R)...|-|"
        "允许自动检查|-|系统设置|-|退出(&X)",
        "增加一个项目|修改这个项目|删除这个项目|-|允许这个项目 \t CTRL+E|禁止这个项目|-|开始检查此项目|"
        "启动所有的检查项目|-|停止当前检查",
        "移动到首页|移动到前一页|移动到后一页|移动到尾页|-|删除已选消息      |撤销删除\tCtrl+Z|下一条未读消息|-|"
        "标记选中为已读|标记选中为未读|标记所有为已读|标记所有为未读",
        "工具栏(&T)|状态栏(&S)|消息细节(&D)",
        "关于 Wendar(&A)...|帮助信息(&H)...",
    };
    ASSERT_EQ(popups.size(), 5);
    QList<QAction*> all = frame->TrayMenu()->actions();
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ActionTexts(popups[i]->menu()->actions()), Split(items[i])) << i;
        all += popups[i]->menu()->actions();
    }
    for (QAction* action : all) {
        const int id = action->data().toInt();
        const bool enabled = action->isSeparator() || (id != cmd::kEvery15Minutes && id != cmd::kEvery30Minutes);
        EXPECT_EQ(action->isEnabled(), enabled) << action->text().toStdString();
    }
    // The 15/30-minute tray items change nothing.
    const int interval = app.m_settings.AutoCheckInterval;
    frame->Command(cmd::kEvery30Minutes);
    EXPECT_EQ(app.m_settings.AutoCheckInterval, interval);

    // The tray menu in order, with its check marks.
    QMenu* tray = frame->TrayMenu();
    EXPECT_EQ(tray->title(), QStringLiteral("任务栏图标区菜单"));
    EXPECT_EQ(ActionTexts(tray->actions()),
              Split("打开主窗口|-|允许自动检查|禁止自动检查|-|新消息声音提示|-|现在开始检查...|-|"
                    "每隔15分钟自动检查|每隔30分钟自动检查|-|退出"));
    auto* enable = frame->TrayAction(cmd::kTrayEnableAutoCheck);
    auto* disable = frame->TrayAction(cmd::kTrayDisableAutoCheck);
    auto* sound = frame->TrayAction(cmd::kToggleSound);
    const auto marks = [&] { return std::tuple(enable->isChecked(), disable->isChecked(), sound->isChecked()); };
    EXPECT_EQ(marks(), std::tuple(true, false, true));
    disable->trigger();
    sound->trigger();
    EXPECT_EQ(marks(), std::tuple(false, true, false));
    EXPECT_EQ(std::tuple(app.m_settings.enableAutoCheck, app.m_settings.EnableSoundNotify), std::tuple(0, 0));
    sound->trigger();
    EXPECT_EQ(app.m_settings.EnableSoundNotify, 1);
}

// The checkable 自动 button switches auto-check, also as a screen reader's toggle; the menu item follows.
TEST_F(MainFrameMenus, ToolbarHasFiveButtonsAndTheAutoButtonFollowsAutoCheck)
{
    frame->ShowAtStart(false);
    EXPECT_EQ(ActionTexts(frame->ToolBar()->actions()), Split("增加|属性|检查|自动|退出"));
    QAction* autoButton = frame->ToolbarAction(cmd::kToggleAutoCheck);
    QAction* autoItem = frame->Action(cmd::kToggleAutoCheck);
    EXPECT_EQ(std::tuple(autoButton->isChecked(), autoItem->isChecked()), std::tuple(true, true));

    QWidget* button = frame->ToolBar()->widgetForAction(autoButton);
    QAccessibleActionInterface* actions = QAccessible::queryAccessibleInterface(button)->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    actions->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(std::tuple(app.m_settings.enableAutoCheck,
                         QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name), autoItem->isChecked(),
                         frame->AutoCheckTimer().isActive(), frame->Tray().IconResource()),
              std::tuple(0, QStringLiteral("手动"), false, false, 183));

    autoItem->trigger();
    EXPECT_EQ(std::tuple(app.m_settings.enableAutoCheck, autoButton->text(), autoButton->isChecked(),
                         frame->AutoCheckTimer().isActive(), frame->Tray().IconResource()),
              std::tuple(1, QStringLiteral("自动"), true, true, 198));
}

TEST_F(MainFrameMenus, EveryControlHasAnAccessibleNameAndAScreenReaderHearsTheShownValues)
{
    frame->ShowAtStart(false);
    int controls = 0;
    EXPECT_EQ(Unnamed(*frame, &controls), QStringList());
    EXPECT_GT(controls, 15);
    // The image-only delete button is found by its tooltip text.
    EXPECT_EQ(frame->PagingBar()->DeleteButton()->accessibleName(), QStringLiteral("删除选定的消息"));

    StoreMessages(250);
    frame->UpdateCommandUi();
    const auto text = [](QWidget* widget, QAccessible::Text kind) {
        return QAccessible::queryAccessibleInterface(widget)->text(kind);
    };
    CPagingBar* bar = frame->PagingBar();
    app.m_run.SetStatusText("全部检查完毕！\n第二行");
    frame->UpdateCommandUi();
    QWidget* status = frame->StatusTextPane();
    EXPECT_EQ(QStringList({text(bar->PageLabel(), QAccessible::Name), text(bar->PageLabel(), QAccessible::Description),
                           text(bar->CountLabel(), QAccessible::Name), text(status, QAccessible::Name),
                           text(status, QAccessible::Description)}),
              Split("1/3页|页次|每页:100/共:250条|全部检查完毕！ 第二行|当前状态"));
}
