#pragma once
// The tick's actions in a program without windows (wendar-cli watch): never in the foreground, so
// nothing is marked read; no tray icon and no keyboard light; a refresh clears the reload flag as
// the list's reload would. The auto-check timer is a due time on a clock that can be handed in.
#include "app/ITickActions.h"

#include <chrono>
#include <functional>

class CTarvoDoc;

class CHeadlessTickActions final : public ITickActions
{
public:
    using Clock = std::chrono::steady_clock;
    using ClockFunction = std::function<Clock::time_point()>;

    explicit CHeadlessTickActions(CTarvoDoc& doc, ClockFunction clock = &Clock::now);

    bool IsFrameForeground() override { return false; }
    void MarkSelectedRead() override {}
    void SetTrayIcon(int) override {}
    void ToggleScrollLock() override {}
    void RefreshViews() override;
    void ArmAutoCheckTimer(int periodMs) override;
    void StopAutoCheckTimer() override;
    void CheckAllItems() override;

    // A period that replaces the one the tick arms (watch --interval-seconds); zero = none.
    void SetPeriodOverride(std::chrono::milliseconds period) { m_periodOverride = period; }
    // Zero while the timer is stopped.
    std::chrono::milliseconds Period() const { return m_period; }
    // True once a period has passed since the timer was armed or last fired; it then runs on.
    bool TakeDueTimer();

private:
    CTarvoDoc& m_doc;
    ClockFunction m_clock;
    std::chrono::milliseconds m_periodOverride{0};
    std::chrono::milliseconds m_period{0};
    Clock::time_point m_nextDue;
};
