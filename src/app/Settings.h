#pragma once
// The user settings: whole numbers in the INI profile
// ($XDG_CONFIG_HOME/Local AppWizard-Generated Applications/Tarvo.ini, group "morvatenX").
#include <array>
#include <string>
#include <string_view>

inline constexpr int kDefaultParallelChecks = 8;

// The values a setting may take, both ends included; the dialog and wendar-cli refuse others.
struct SettingBounds
{
    int low = 0;
    int high = 0;
    bool Contains(int value) const { return value >= low && value <= high; }
};

struct Settings
{
    int pagesize = 100;
    int enableAutoCheck = 1;
    int AutoCheckInterval = 15;
    int EnableSoundNotify = 1;
    int SplitterWindowType = 0;
    int AutoMarkRead = 2;
    int enableAutoRun = 1;
    int UserType = 0; // read only; never written
    // Items a check-all run reads from their sources at once; 1 checks them one after the other.
    int ParallelChecks = kDefaultParallelChecks;
    // Desktop notifications of new findings (the desktop program only); read after the eight keys
    // and written after the seven, so the original keys keep their order.
    int EnableDesktopNotify = 1;
    // Failed checks in a row after which an item counts as failing (and is announced once).
    int FailuresBeforeAlert = 3;

    void LoadSettings();
    // False when the profile could not be written.
    bool SaveSettings() const;

    // Keys in profile order; the first seven are written back. The original profile's eight keys
    // keep their order; the keys added since are read and written after them.
    static constexpr std::array<std::string_view, 8> kKeys = {
        "pagesize",           "enableAutoCheck", "AutoCheckInterval", "EnableSoundNotify",
        "SplitterWindowType", "AutoMarkRead",    "enableAutoRun",     "UserType"};
    static constexpr std::string_view kDesktopNotifyKey = "EnableDesktopNotify";
    // Keys added since, read and written after the original ones (and after the desktop key) and
    // shown with them by wendar-cli.
    static constexpr std::array<std::string_view, 2> kAddedKeys = {"ParallelChecks", "FailuresBeforeAlert"};
    int* Field(std::string_view key);
    const int* Field(std::string_view key) const;
    // Null for a key that cannot be set (UserType) or is unknown.
    static const SettingBounds* Bounds(std::string_view key);
};

inline constexpr const char* kProfileOrganization = "Local AppWizard-Generated Applications";
inline constexpr const char* kProfileApplication = "Tarvo";
inline constexpr const char* kProfileSection = "morvatenX";
