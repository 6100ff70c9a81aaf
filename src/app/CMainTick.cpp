#include "app/CMainTick.h"

#include "app/CTarvoDoc.h"
#include "app/Settings.h"

#include <algorithm>
#include <climits>
#include <string>

namespace {
constexpr int kMillisecondsPerMinute = 60000;
// Silence comes with time alone; a minute is as fine as an expected period is given.
constexpr int kHealthPassSeconds = 60;
} // namespace

CMainTick::CMainTick(CTarvoDoc& doc, Settings& settings, ITickActions& actions)
    : m_doc(doc), m_settings(settings), m_actions(actions), m_nAutoMarkCountdown(settings.AutoMarkRead)
{}

void CMainTick::Start()
{
    EnableAutoCheck();
}

void CMainTick::OnSecond()
{
    if (++m_nHealthCountdown >= kHealthPassSeconds) {
        m_nHealthCountdown = 0;
        m_doc.CheckHealthOverTime();
    }
    if (m_actions.IsFrameForeground()) {
        if (m_nAutoMarkCountdown == 0) {
            m_actions.MarkSelectedRead();
            m_nAutoMarkCountdown = m_settings.AutoMarkRead;
        } else {
            --m_nAutoMarkCountdown;
        }
    }
    if (m_doc.m_nUnreadCount > 0) {
        m_doc.ReannounceTick();
        if (m_doc.m_bReload) {
            m_actions.RefreshViews();
            m_doc.RefreshTrayTip();
        }
        m_nBlinkPhase = m_nBlinkPhase == 0 ? 1 : 0;
        m_actions.ToggleScrollLock();
        m_actions.SetTrayIcon(m_nBlinkPhase == 1 ? kIconBlink : kIconNormal);
        m_bBlinkingWasOn = true;
    } else if (m_bBlinkingWasOn) {
        m_actions.SetTrayIcon(m_settings.enableAutoCheck != 0 ? kIconNormal : kIconAutoCheckOff);
        m_bBlinkingWasOn = false;
    }
}

void CMainTick::OnAutoCheckTimer()
{
    m_doc.RefreshTrayTip(std::string(kCheckingTipText));
    m_actions.CheckAllItems();
}

void CMainTick::ResetAutoMarkCountdown()
{
    m_nAutoMarkCountdown = m_settings.AutoMarkRead;
}

void CMainTick::EnableAutoCheck()
{
    m_settings.enableAutoCheck = 1;
    m_actions.StopAutoCheckTimer();
    m_actions.SetTrayIcon(kIconNormal);
    m_actions.ArmAutoCheckTimer(AutoCheckPeriodMs());
}

void CMainTick::DisableAutoCheck()
{
    m_settings.enableAutoCheck = 0;
    m_actions.StopAutoCheckTimer();
    m_actions.SetTrayIcon(kIconAutoCheckOff);
}

void CMainTick::ApplyAutoCheckSetting()
{
    if (m_settings.enableAutoCheck != 0) {
        EnableAutoCheck();
    } else {
        DisableAutoCheck();
    }
}

void CMainTick::ToggleAutoCheck()
{
    if (IsAutoCheckOn()) {
        DisableAutoCheck();
    } else {
        EnableAutoCheck();
    }
}

bool CMainTick::IsAutoCheckOn() const
{
    return m_settings.enableAutoCheck != 0;
}

int CMainTick::AutoCheckPeriodMs() const
{
    // A period past what a timer can hold is the longest it can.
    const long long period = static_cast<long long>(m_settings.AutoCheckInterval) * kMillisecondsPerMinute;
    return static_cast<int>(std::clamp<long long>(period, kMillisecondsPerMinute, INT_MAX));
}
