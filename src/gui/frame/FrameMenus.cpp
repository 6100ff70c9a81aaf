#include "gui/frame/FrameMenus.h"

#include "gui/frame/FrameCommands.h"

#include <array>

namespace {
using namespace cmd;

constexpr std::array kSystemItems = {
    MenuItemText{kImportItems, "导入新的检查项目\tCtrl+O"},
    MenuItemText{kExportItems, "导出选定的检查项目\tCtrl+S"},
    MenuItemText{kSeparator, ""},
    MenuItemText{kFilePrint, "打印(&P)...\tCtrl+P"},
    MenuItemText{kFilePrintPreview, "打印预览(&V)"},
    MenuItemText{kFilePrintSetup, "打印设置(&R)..."},
    MenuItemText{kSeparator, ""},
    MenuItemText{kToggleAutoCheck, "允许自动检查"},
    MenuItemText{kSeparator, ""},
    MenuItemText{kSystemSettings, "系统设置"},
    MenuItemText{kSeparator, ""},
    MenuItemText{kExit, "退出(&X)"},
};

constexpr std::array kItemItems = {
    MenuItemText{kAddItem, "增加一个项目"},
    MenuItemText{kModifyItem, "修改这个项目"},
    MenuItemText{kDeleteItem, "删除这个项目"},
    MenuItemText{kSeparator, ""},
    MenuItemText{kEnableItem, "允许这个项目 \t CTRL+E"},
    MenuItemText{kDisableItem, "禁止这个项目"},
    MenuItemText{kSeparator, ""},
    MenuItemText{kCheckItem, "开始检查此项目"},
    MenuItemText{kCheckAll, "启动所有的检查项目"},
    MenuItemText{kSeparator, ""},
    MenuItemText{kStopCheck, "停止当前检查"},
};

constexpr std::array kMessageItems = {
    MenuItemText{kFirstPage, "移动到首页"},
    MenuItemText{kPreviousPage, "移动到前一页"},
    MenuItemText{kNextPage, "移动到后一页"},
    MenuItemText{kLastPage, "移动到尾页"},
    MenuItemText{kSeparator, ""},
    MenuItemText{kDeleteSelected, "删除已选消息      "},
    MenuItemText{kUndoDelete, "撤销删除\tCtrl+Z"},
    MenuItemText{kNextUnread, "下一条未读消息"},
    MenuItemText{kSeparator, ""},
    MenuItemText{kMarkSelectedRead, "标记选中为已读"},
    MenuItemText{kMarkSelectedUnread, "标记选中为未读"},
    MenuItemText{kMarkAllRead, "标记所有为已读"},
    MenuItemText{kMarkAllUnread, "标记所有为未读"},
};

constexpr std::array kViewItems = {
    MenuItemText{kViewToolbar, "工具栏(&T)"},
    MenuItemText{kViewStatusBar, "状态栏(&S)"},
    MenuItemText{kMessageDetail, "消息细节(&D)"},
};

constexpr std::array kHelpItems = {
    MenuItemText{kAppAbout, "关于 Wendar(&A)..."},
    MenuItemText{kHelp, "帮助信息(&H)..."},
};

constexpr std::array kMainMenu = {
    MenuPopupText{"系统(&F)", kSystemItems},  MenuPopupText{"检查项目(&C)", kItemItems},
    MenuPopupText{"消息(&M)", kMessageItems}, MenuPopupText{"查看(&V)", kViewItems},
    MenuPopupText{"帮助(&H)", kHelpItems},
};

constexpr std::array kTrayMenu = {
    MenuItemText{kOpenMainWindow, "打开主窗口"},
    MenuItemText{kSeparator, ""},
    MenuItemText{kTrayEnableAutoCheck, "允许自动检查"},
    MenuItemText{kTrayDisableAutoCheck, "禁止自动检查"},
    MenuItemText{kSeparator, ""},
    MenuItemText{kToggleSound, "新消息声音提示"},
    MenuItemText{kSeparator, ""},
    MenuItemText{kCheckAll, "现在开始检查..."},
    MenuItemText{kSeparator, ""},
    MenuItemText{kEvery15Minutes, "每隔15分钟自动检查"},
    MenuItemText{kEvery30Minutes, "每隔30分钟自动检查"},
    MenuItemText{kSeparator, ""},
    MenuItemText{kExit, "退出"},
};

constexpr std::array kFilterMenu = {
    MenuItemText{kShowAll, "显示全部消息"},
    MenuItemText{kShowUnread, "显示未读消息"},
    MenuItemText{kShowRead, "显示已读消息"},
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
