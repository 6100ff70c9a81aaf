#include "app/WindowState.h"

#include "app/Settings.h"

#include <QSettings>
#include <QStringList>

namespace {

constexpr const char* kGroup = "Window";

QSettings Profile()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QString::fromUtf8(kProfileOrganization),
                     QString::fromUtf8(kProfileApplication));
}

// "116,300": readable in the profile, unlike a serialised list.
QString JoinSizes(const QList<int>& sizes)
{
    QStringList parts;
    for (int size : sizes) {
        parts << QString::number(size);
    }
    return parts.join(QLatin1Char(','));
}

QList<int> SplitSizes(const QString& text)
{
    QList<int> sizes;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int size = part.trimmed().toInt(&ok);
        if (!ok || size < 0) {
            return {}; // a hand-edited value that makes no sense: the defaults
        }
        sizes << size;
    }
    return sizes;
}

} // namespace

void WindowState::Load()
{
    QSettings profile = Profile();
    profile.beginGroup(QString::fromUtf8(kGroup));
    geometry = profile.value(QStringLiteral("geometry")).toByteArray();
    splitterLayout = profile.value(QStringLiteral("splitterLayout"), -1).toInt();
    outerSizes = SplitSizes(profile.value(QStringLiteral("outerSizes")).toString());
    innerSizes = SplitSizes(profile.value(QStringLiteral("innerSizes")).toString());
    listColumns = profile.value(QStringLiteral("listColumns")).toByteArray();
    sortColumn = profile.value(QStringLiteral("sortColumn"), -1).toInt();
    sortDescending = profile.value(QStringLiteral("sortDescending"), 0).toInt() != 0;
    toolbarVisible = profile.value(QStringLiteral("toolbar"), 1).toInt() != 0;
    statusBarVisible = profile.value(QStringLiteral("statusBar"), 1).toInt() != 0;
}

bool WindowState::Save() const
{
    QSettings profile = Profile();
    profile.beginGroup(QString::fromUtf8(kGroup));
    profile.setValue(QStringLiteral("geometry"), geometry);
    profile.setValue(QStringLiteral("splitterLayout"), splitterLayout);
    profile.setValue(QStringLiteral("outerSizes"), JoinSizes(outerSizes));
    profile.setValue(QStringLiteral("innerSizes"), JoinSizes(innerSizes));
    profile.setValue(QStringLiteral("listColumns"), listColumns);
    profile.setValue(QStringLiteral("sortColumn"), sortColumn);
    profile.setValue(QStringLiteral("sortDescending"), sortDescending ? 1 : 0);
    profile.setValue(QStringLiteral("toolbar"), toolbarVisible ? 1 : 0);
    profile.setValue(QStringLiteral("statusBar"), statusBarVisible ? 1 : 0);
    profile.endGroup();
    profile.sync();
    return profile.status() == QSettings::NoError;
}
