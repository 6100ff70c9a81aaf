#pragma once
// What the one-second housekeeping tick and the auto-check schedule ask of the program around
// them. The GUI frame implements it with its panes, tray icon and timer; wendar-cli watch with
// its own loop. All calls come on the thread that drives the tick (the UI thread).
#include "util/UiText.h"

class ITickActions
{
public:
    virtual ~ITickActions() = default;
    // True while the main window is the foreground window (the auto-mark countdown runs only then).
    virtual bool IsFrameForeground() = 0;
    // The list marks its selected messages read (AutoMarkSelected with 1).
    virtual void MarkSelectedRead() = 0;
    // The tray icon: kIconNormal, kIconAutoCheckOff or kIconBlink.
    virtual void SetTrayIcon(int iconId) = 0;
    // Scroll Lock pressed and released once: the light changes state.
    virtual void ToggleScrollLock() = 0;
    // Every view except the tree is updated (the list reloads and clears m_bReload). The tick
    // refreshes the tray tip itself afterwards.
    virtual void RefreshViews() = 0;
    // The auto-check timer: (re)armed with a period in milliseconds, or stopped.
    virtual void ArmAutoCheckTimer(int periodMs) = 0;
    virtual void StopAutoCheckTimer() = 0;
    // All items are checked (the tree's check-all); the tick has set the tip to kCheckingTipText.
    virtual void CheckAllItems() = 0;
};

// Tray icon resources.
inline constexpr int kIconBlink = 181;
inline constexpr int kIconAutoCheckOff = 183;
inline constexpr int kIconNormal = 198;

// The tip shown when a check of all items starts (the auto-check timer and the check-all command).
inline constexpr const char* kCheckingTipText = WENDAR_TR_NOOP("ITickActions", "现在正在检查");
