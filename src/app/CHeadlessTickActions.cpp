#include "app/CHeadlessTickActions.h"

#include "app/CTarvoDoc.h"

CHeadlessTickActions::CHeadlessTickActions(CTarvoDoc& doc, ClockFunction clock) : m_doc(doc), m_clock(std::move(clock))
{}

void CHeadlessTickActions::RefreshViews()
{
    m_doc.m_bReload = false;
}

void CHeadlessTickActions::ArmAutoCheckTimer(int periodMs)
{
    m_period = m_periodOverride.count() > 0 ? m_periodOverride : std::chrono::milliseconds(periodMs);
    m_nextDue = m_clock() + m_period;
}

void CHeadlessTickActions::StopAutoCheckTimer()
{
    m_period = std::chrono::milliseconds(0);
}

void CHeadlessTickActions::CheckAllItems()
{
    m_doc.CheckAll(true);
}

bool CHeadlessTickActions::TakeDueTimer()
{
    if (m_period.count() <= 0) {
        return false;
    }
    const Clock::time_point now = m_clock();
    if (now < m_nextDue) {
        return false;
    }
    // A timer that was held up fires once, not once for every period it missed.
    m_nextDue = now + m_period;
    return true;
}
