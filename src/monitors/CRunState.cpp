#include "monitors/CRunState.h"

void CRunState::SetStatusText(std::string text)
{
    StatusListener listener;
    {
        std::lock_guard guard(m_lock);
        if (m_strStatus == text) {
            return;
        }
        m_strStatus = text;
        listener = m_listener;
    }
    if (listener) {
        listener(text);
    }
    if (m_pRun != nullptr) {
        m_pRun->SetStatusText(std::move(text));
    }
}

void CRunState::SetErrorText(std::string text)
{
    // The run of a check among several at once counts it too.
    for (CRunState* state = this; state != nullptr; state = state->m_pRun) {
        ++state->m_nErrors;
        std::lock_guard guard(state->m_lock);
        state->m_strLastError = text;
    }
    SetStatusText(std::move(text));
}

std::string CRunState::LastErrorText() const
{
    std::lock_guard guard(m_lock);
    return m_strLastError;
}

std::string CRunState::GetStatusText() const
{
    std::lock_guard guard(m_lock);
    return m_strStatus;
}

void CRunState::SetStatusListener(StatusListener listener)
{
    std::lock_guard guard(m_lock);
    m_listener = std::move(listener);
}

bool CRunState::TryBeginRun()
{
    int expected = 0;
    return m_bCheckRunActive.compare_exchange_strong(expected, 1);
}

void CRunState::EndRun()
{
    // The stop flag first: a stop meant for the next run, asked for once this one is over, stays.
    m_bStopRequested.store(0);
    m_bCheckRunActive.store(0);
}
