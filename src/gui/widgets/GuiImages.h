#pragma once
// The program's images: SVG resources under :/frame/, drawn crisp at any device pixel ratio, each
// read when it is first drawn.
#include <QIcon>

// The image of a command in menus and on the toolbar; a null icon for commands without one.
QIcon CommandIcon(int commandId);
// Tray icons 198 (normal), 183 (auto-check off) and 181 (the blink frame).
QIcon TrayIcon(int iconId);
// The read-state images of the list and the read-filter menu: 0 unread, 1 read.
QIcon ReadStateIcon(int index);
QIcon FilterButtonIcon();
QIcon ApplicationIcon();
// The resource path of a tray icon (tests compare it).
QString TrayIconPath(int iconId);
