#pragma once
// The user settings: whole numbers in the INI profile
// ($XDG_CONFIG_HOME/Local AppWizard-Generated Applications/Tarvo.ini, group "morvatenX").
#include <array>
#include <string>
#include <string_view>

inline constexpr int kDefaultParallelChecks = 8;

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
    // Desktop notifications of new findings (the desktop program only); read and written after the
    // keys below, so the original keys keep their order.
    int EnableDesktopNotify = 1;
    // Items a check-all run reads from their sources at once; 1 checks them one after the other.
    int ParallelChecks = kDefaultParallelChecks;

    void LoadSettings();
    // False when the profile could not be written.
    bool SaveSettings() const;

    // Keys in profile order; all but UserType are written back. The first eight are the original
    // profile's, in its order; later keys follow them.
    static constexpr std::array<std::string_view, 9> kKeys = {
        "pagesize",     "enableAutoCheck", "AutoCheckInterval", "EnableSoundNotify", "SplitterWindowType",
        "AutoMarkRead", "enableAutoRun",   "UserType",          "ParallelChecks"};
    // Read and written after the keys above.
    static constexpr std::string_view kDesktopNotifyKey = "EnableDesktopNotify";
    int* Field(std::string_view key);
    const int* Field(std::string_view key) const;
};

inline constexpr const char* kProfileOrganization = "Local AppWizard-Generated Applications";
inline constexpr const char* kProfileApplication = "Tarvo";
inline constexpr const char* kProfileSection = "morvatenX";
