#include "gui/frame/FrameMenus.h"

#include "gui/frame/FrameCommands.h"

#include <QCoreApplication>
#include <array>

namespace {
using namespace cmd;

constexpr std::array kSystemItems = {
    MenuItemText{kImportItems, QT_TRANSLATE_NOOP("FrameMenus", "导入新的检查项目\tCtrl+O")},
    MenuItemText{kExportItems, QT_TRANSLATE_NOOP("FrameMenus", "导出选定的检查项目\tCtrl+S")},
    MenuItemText{kSeparator, ""},
    MenuItemText{kFilePrint, QT_TRANSLATE_NOOP("FrameMenus", "打印(&P)...\tCtrl+P")},
    MenuItemText{kFilePrintPreview, QT_TRANSLATE_NOOP("FrameMenus", "打印预览(&V)")},
    MenuItemText{kFilePrintSetup, QT_TRANSLATE_NOOP("FrameMenus", "打印设置(&R)...")},
    MenuItemText{kSeparator, ""},
    MenuItemText{kToggleAutoCheck, QT_TRANSLATE_NOOP("FrameMenus", "允许自动检查")},
    MenuItemText{kSeparator, ""},
    MenuItemText{kSystemSettings, QT_TRANSLATE_NOOP("FrameMenus", "系统设置")},
    MenuItemText{kSeparator, ""},
    MenuItemText{kExit, QT_TRANSLATE_NOOP("FrameMenus", "退出(&X)")},
};

constexpr std::array kItemItems = {
    MenuItemText{kAddItem, QT_TRANSLATE_NOOP("FrameMenus", "增加一个项目")},
    MenuItemText{kModifyItem, QT_TRANSLATE_NOOP("FrameMenus", "修改这个项目")},
    MenuItemText{kDeleteItem, QT_TRANSLATE_NOOP("FrameMenus", "删除这个项目")},
    MenuItemText{kSeparator, ""},
    MenuItemText{kEnableItem, QT_TRANSLATE_NOOP("FrameMenus", "允许这个项目 \t CTRL+E")},
    MenuItemText{kDisableItem, QT_TRANSLATE_NOOP("FrameMenus", "禁止这个项目")},
    MenuItemText{kSeparator, ""},
    MenuItemText{kCheckItem, QT_TRANSLATE_NOOP("FrameMenus", "开始检查此项目")},
    MenuItemText{kCheckAll, QT_TRANSLATE_NOOP("FrameMenus", "启动所有的检查项目")},
    MenuItemText{kSeparator, ""},
    MenuItemText{kStopCheck, QT_TRANSLATE_NOOP("FrameMenus", "停止当前检查")},
};

constexpr std::array kMessageItems = {
    MenuItemText{kFirstPage, QT_TRANSLATE_NOOP("FrameMenus", "移动到首页")},
    MenuItemText{kPreviousPage, QT_TRANSLATE_NOOP("FrameMenus", "移动到前一页")},
    MenuItemText{kNextPage, QT_TRANSLATE_NOOP("FrameMenus", "移动到后一页")},
    MenuItemText{kLastPage, QT_TRANSLATE_NOOP("FrameMenus", "移动到尾页")},
    MenuItemText{kSeparator, ""},
    MenuItemText{kDeleteSelected, QT_TRANSLATE_NOOP("FrameMenus", "删除已选消息      ")},
    MenuItemText{kUndoDelete, QT_TRANSLATE_NOOP("FrameMenus", "撤销删除\tCtrl+Z")},
    MenuItemText{kNextUnread, QT_TRANSLATE_NOOP("FrameMenus", "下一条未读消息")},
    MenuItemText{kSeparator, ""},
    MenuItemText{kMarkSelectedRead, QT_TRANSLATE_NOOP("FrameMenus", "标记选中为已读")},
    MenuItemText{kMarkSelectedUnread, QT_TRANSLATE_NOOP("FrameMenus", "标记选中为未读")},
    MenuItemText{kMarkAllRead, QT_TRANSLATE_NOOP("FrameMenus", "标记所有为已读")},
    MenuItemText{kMarkAllUnread, QT_TRANSLATE_NOOP("FrameMenus", "标记所有为未读")},
};

constexpr std::array kViewItems = {
    MenuItemText{kViewToolbar, QT_TRANSLATE_NOOP("FrameMenus", "工具栏(&T)")},
    MenuItemText{kViewStatusBar, QT_TRANSLATE_NOOP("FrameMenus", "状态栏(&S)")},
    MenuItemText{kMessageDetail, QT_TRANSLATE_NOOP("FrameMenus", "消息细节(&D)")},
};

constexpr std::array kHelpItems = {
    MenuItemText{kAppAbout, QT_TRANSLATE_NOOP("FrameMenus", "关于 Wendar(&A)...")},
    MenuItemText{kHelp, QT_TRANSLATE_NOOP("FrameMenus", "帮助信息(&H)...")},
};

constexpr std::array kMainMenu = {
    MenuPopupText{QT_TRANSLATE_NOOP("FrameMenus", "系统(&F)"), kSystemItems},
    MenuPopupText{QT_TRANSLATE_NOOP("FrameMenus", "检查项目(&C)"), kItemItems},
    MenuPopupText{QT_TRANSLATE_NOOP("FrameMenus", "消息(&M)"), kMessageItems},
    MenuPopupText{QT_TRANSLATE_NOOP("FrameMenus", "查看(&V)"), kViewItems},
    MenuPopupText{QT_TRANSLATE_NOOP("FrameMenus", "帮助(&H)"), kHelpItems},
};

constexpr std::array kTrayMenu = {
    MenuItemText{kOpenMainWindow, QT_TRANSLATE_NOOP("FrameMenus", "打开主窗口")},
    MenuItemText{kSeparator, ""},
    MenuItemText{kTrayEnableAutoCheck, QT_TRANSLATE_NOOP("FrameMenus", "允许自动检查")},
    MenuItemText{kTrayDisableAutoCheck, QT_TRANSLATE_NOOP("FrameMenus", "禁止自动检查")},
    MenuItemText{kSeparator, ""},
    MenuItemText{kToggleSound, QT_TRANSLATE_NOOP("FrameMenus", "新消息声音提示")},
    MenuItemText{kSeparator, ""},
    MenuItemText{kCheckAll, QT_TRANSLATE_NOOP("FrameMenus", "现在开始检查...")},
    MenuItemText{kSeparator, ""},
    MenuItemText{kEvery15Minutes, QT_TRANSLATE_NOOP("FrameMenus", "每隔15分钟自动检查")},
    MenuItemText{kEvery30Minutes, QT_TRANSLATE_NOOP("FrameMenus", "每隔30分钟自动检查")},
    MenuItemText{kSeparator, ""},
    MenuItemText{kExit, QT_TRANSLATE_NOOP("FrameMenus", "退出")},
};

constexpr std::array kFilterMenu = {
    MenuItemText{kShowAll, QT_TRANSLATE_NOOP("FrameMenus", "显示全部消息")},
    MenuItemText{kShowUnread, QT_TRANSLATE_NOOP("FrameMenus", "显示未读消息")},
    MenuItemText{kShowRead, QT_TRANSLATE_NOOP("FrameMenus", "显示已读消息")},
};
} // namespace

std::span<const MenuPopupText> MainMenuTable()
{
    return kMainMenu;
}

std::span<const MenuItemText> TrayMenuTable()
{
    return kTrayMenu;
}

std::span<const MenuItemText> FilterMenuTable()
{
    return kFilterMenu;
}
