#include "app/Settings.h"

#include <QSettings>
#include <QString>
#include <utility>

namespace {

QSettings Profile()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QString::fromUtf8(kProfileOrganization),
                     QString::fromUtf8(kProfileApplication));
}

QString KeyPath(std::string_view key)
{
    return QString::fromUtf8(kProfileSection) + QLatin1Char('/') +
           QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

// A minute is the finest the timer is meant to run, a day the coarsest that still watches; a page
// of fewer than ten rows is no list and more than a thousand fill the list slowly; an hour is
// longer than anyone reads one message.
constexpr std::pair<std::string_view, SettingBounds> kBounds[] = {
    {"pagesize", {10, 1000}},          {"enableAutoCheck", {0, 1}},    {"AutoCheckInterval", {1, 1440}},
    {"EnableSoundNotify", {0, 1}},     {"SplitterWindowType", {0, 1}}, {"AutoMarkRead", {0, 3600}},
    {"enableAutoRun", {0, 1}},         {"ParallelChecks", {1, 64}},    {"PerHostChecks", {1, 16}},
    {"FailuresBeforeAlert", {1, 100}}, {"UiLanguage", {0, 2}},
};

} // namespace

const SettingBounds* Settings::Bounds(std::string_view key)
{
    for (const auto& [name, bounds] : kBounds) {
        if (name == key) {
            return &bounds;
        }
    }
    return nullptr;
}

int* Settings::Field(std::string_view key)
{
    return const_cast<int*>(static_cast<const Settings*>(this)->Field(key));
}

const int* Settings::Field(std::string_view key) const
{
    const int* fields[] = {&pagesize,           &enableAutoCheck, &AutoCheckInterval, &EnableSoundNotify,
                           &SplitterWindowType, &AutoMarkRead,    &enableAutoRun,     &UserType};
    static_assert(std::size(fields) == kKeys.size());
    for (size_t i = 0; i < kKeys.size(); ++i) {
        if (kKeys[i] == key) {
            return fields[i];
        }
    }
    const int* added[] = {&ParallelChecks, &PerHostChecks, &FailuresBeforeAlert, &UiLanguage};
    static_assert(std::size(added) == kAddedKeys.size());
    for (size_t i = 0; i < kAddedKeys.size(); ++i) {
        if (kAddedKeys[i] == key) {
            return added[i];
        }
    }
    return nullptr;
}

void Settings::LoadSettings()
{
    QSettings profile = Profile();
    for (auto key : kKeys) {
        int* field = Field(key);
        bool ok = false;
        const int value = profile.value(KeyPath(key), *field).toInt(&ok);
        if (ok) {
            *field = value;
        }
    }
    bool ok = false;
    const int notify = profile.value(KeyPath(kDesktopNotifyKey), EnableDesktopNotify).toInt(&ok);
    if (ok) {
        EnableDesktopNotify = notify;
    }
    for (auto key : kAddedKeys) {
        int* field = Field(key);
        const int value = profile.value(KeyPath(key), *field).toInt(&ok);
        if (ok) {
            *field = value;
        }
    }
}

bool Settings::SaveSettings() const
{
    QSettings profile = Profile();
    for (auto key : kKeys) {
        if (key == "UserType") {
            continue;
        }
        profile.setValue(KeyPath(key), *Field(key));
    }
    profile.setValue(KeyPath(kDesktopNotifyKey), EnableDesktopNotify);
    for (auto key : kAddedKeys) {
        profile.setValue(KeyPath(key), *Field(key));
    }
    profile.sync();
    return profile.status() == QSettings::NoError;
}
