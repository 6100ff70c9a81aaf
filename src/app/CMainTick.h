#pragma once
// The frame's one-second housekeeping (auto-mark countdown, re-announce pass, reload and tip,
// blinking and Scroll Lock while unread messages exist, the resting icon once when they end, once a
// minute the items that fell silent) and
// the auto-check schedule, without any widget. The owner calls OnSecond once a second and
// OnAutoCheckTimer when the timer it armed fires; time never passes inside this class.
#include "app/ITickActions.h"

class CTarvoDoc;
struct Settings;

class CMainTick final
{
public:
    // The countdown starts from settings.AutoMarkRead.
    CMainTick(CTarvoDoc& doc, Settings& settings, ITickActions& actions);
    CMainTick(const CMainTick&) = delete;
    CMainTick& operator=(const CMainTick&) = delete;

    // The frame was created: auto-check is switched on at every start, whatever enableAutoCheck
    // the profile holds.
    void Start();
    // Timer 501.
    void OnSecond();
    // Timer 502, and the check-all command (32782) alike: the tip reads kCheckingTipText (then the
    // unread summary), and all items are checked.
    void OnAutoCheckTimer();
    // The list's selection changed: the countdown starts again from AutoMarkRead.
    void ResetAutoMarkCountdown();

    // enableAutoCheck on, the timer re-armed with AutoCheckInterval x 60000 ms, icon 198. An
    // interval below one minute is taken as one: a zero period would check without a pause.
    void EnableAutoCheck();
    // enableAutoCheck off, the timer stopped, icon 183.
    void DisableAutoCheck();
    // One of the two by enableAutoCheck (after the settings dialog stored new values).
    void ApplyAutoCheckSetting();
    // The toggle of the toolbar button and the system menu.
    void ToggleAutoCheck();

    bool IsAutoCheckOn() const;
    int AutoCheckPeriodMs() const;
    int BlinkPhase() const { return m_nBlinkPhase; }
    int AutoMarkCountdown() const { return m_nAutoMarkCountdown; }

private:
    CTarvoDoc& m_doc;
    Settings& m_settings;
    ITickActions& m_actions;
    int m_nAutoMarkCountdown = 0;
    int m_nBlinkPhase = 0;
    bool m_bBlinkingWasOn = true; // so the first quiet tick sets the resting icon
    int m_nHealthCountdown = 0;   // seconds since the last pass over the items' silence
};
