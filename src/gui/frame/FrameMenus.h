#pragma once
// The main menu (menu 128), the tray menu (menu 161) and the read-filter menu (menu 189) as
// tables: popup texts, then items in order, 0 for a separator.
#include <QtGlobal>
#include <span>

struct MenuItemText
{
    int id;
    const char* text;
};

struct MenuPopupText
{
    const char* title;
    std::span<const MenuItemText> items;
};

std::span<const MenuPopupText> MainMenuTable();
std::span<const MenuItemText> TrayMenuTable();
std::span<const MenuItemText> FilterMenuTable();
// The tray menu's popup title.
inline constexpr const char* kTrayMenuTitle = QT_TRANSLATE_NOOP("FrameMenus", "任务栏图标区菜单");
