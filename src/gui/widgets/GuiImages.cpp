#include "gui/widgets/GuiImages.h"

#include "app/ITickActions.h"
#include "gui/frame/FrameCommands.h"
#include "gui/widgets/CSvgIconEngine.h"

#include <map>

namespace {

QIcon FrameIcon(const char* name)
{
    return QIcon(new CSvgIconEngine(QStringLiteral(":/frame/") + QLatin1String(name) + QStringLiteral(".svg")));
}

} // namespace

QIcon CommandIcon(int commandId)
{
    using namespace cmd;
    static const std::map<int, const char*> names = {
        {kAddItem, "add"},
        {kModifyItem, "modify"},
        {kDeleteItem, "delete-item"},
        {kEnableItem, "enable"},
        {kDisableItem, "disable"},
        {kCheckItem, "check"},
        {kCheckAll, "check-all"},
        {kToggleAutoCheck, "auto"},
        {kExit, "exit"},
        {kOpenMainWindow, "open"},
        {kSystemSettings, "settings"},
        {kHelp, "help"},
        {kFirstPage, "first"},
        {kPreviousPage, "previous"},
        {kNextPage, "next"},
        {kLastPage, "last"},
        {kDeleteSelected, "delete"},
        {kMarkSelectedRead, "mark-read"},
        {kMarkSelectedUnread, "mark-unread"},
        {kShowUnread, "unread"},
        {kShowRead, "read"},
    };
    const auto it = names.find(commandId);
    return it == names.end() ? QIcon() : FrameIcon(it->second);
}

QString TrayIconPath(int iconId)
{
    switch (iconId) {
    case kIconBlink:
        return QStringLiteral(":/frame/tray-blink.svg");
    case kIconAutoCheckOff:
        return QStringLiteral(":/frame/tray-off.svg");
    default:
        return QStringLiteral(":/frame/tray-normal.svg");
    }
}

QIcon TrayIcon(int iconId)
{
    return QIcon(new CSvgIconEngine(TrayIconPath(iconId)));
}

QIcon ReadStateIcon(int index)
{
    return FrameIcon(index == 0 ? "unread" : "read");
}

QIcon FilterButtonIcon()
{
    return FrameIcon("filter");
}

QIcon ApplicationIcon()
{
    return FrameIcon("tray-normal");
}
