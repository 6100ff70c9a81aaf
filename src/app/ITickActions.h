#pragma once
// What the one-second housekeeping tick and the auto-check schedule ask of the program around
// them. The GUI frame implements it with its panes, tray icon and timer; wendar-cli watch with
// its own loop. All calls come on the thread that drives the tick (the UI thread).
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
    // Every view except the tree is updated (the list reloads); the tip is refreshed afterwards.
    virtual void RefreshViews() = 0;
    // The auto-check timer: (re)armed with a period in milliseconds, or stopped.
    virtual void ArmAutoCheckTimer(int periodMs) = 0;
    virtual void StopAutoCheckTimer() = 0;
    // The auto-check timer fired: the tip shows "现在正在检查", then all items are checked.
    virtual void CheckAllItems() = 0;
};

// Tray icon resources.
inline constexpr int kIconBlink = 181;
inline constexpr int kIconAutoCheckOff = 183;
inline constexpr int kIconNormal = 198;
