#include "app/CBackgroundWrites.h"

#include "store/CAdoConnection.h"

CBackgroundWrites::CBackgroundWrites(CAdoConnection& uiConnection, Limits limits) : m_ui(uiConnection), m_limits(limits)
{}

CBackgroundWrites::~CBackgroundWrites()
{
    Close();
}

CBackgroundWrites::Outcome CBackgroundWrites::Run(Write write, Done done, std::string& error)
{
    {
        std::lock_guard guard(m_lock);
        if (!m_jobs.empty() && !m_bClosing) {
            m_jobs.push_back({std::move(write), std::move(done)}); // behind the earlier ones
            return Outcome::Deferred;
        }
    }
    if (write(m_ui, error)) {
        return Outcome::Written;
    }
    std::lock_guard guard(m_lock);
    if (!m_ui.LastFailureWasBusy() || m_bClosing) {
        return Outcome::Failed;
    }
    error.clear();
    m_jobs.push_back({std::move(write), std::move(done)});
    if (!m_thread.joinable()) {
        m_thread = std::thread([this] { Work(); });
    }
    m_wake.notify_one();
    return Outcome::Deferred;
}

std::size_t CBackgroundWrites::Pending() const
{
    std::lock_guard guard(m_lock);
    return m_jobs.size();
}

void CBackgroundWrites::Close()
{
    {
        std::lock_guard guard(m_lock);
        m_bClosing = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CBackgroundWrites::Work()
{
    CAdoConnection connection(m_ui.GetReporter());
    connection.SetShowErrors(false);
    connection.SetBusyTimeout(m_limits.wait);
    // Its writes go before this program's own checks, as the window's do.
    connection.SetWritePriority(true);
    for (;;) {
        Job* job = nullptr;
        {
            std::unique_lock guard(m_lock);
            m_wake.wait(guard, [this] { return m_bClosing || !m_jobs.empty(); });
            if (m_jobs.empty()) {
                return;
            }
            job = &m_jobs.front(); // stays in place: later writes are added at the back
        }
        if (!connection.IsOpen()) {
            connection.Open(m_ui.GetConnectionString(), true);
        }
        RunJob(connection, *job);
        std::lock_guard guard(m_lock);
        m_jobs.pop_front();
    }
}

void CBackgroundWrites::RunJob(CAdoConnection& connection, Job& job)
{
    std::string error;
    bool written = false;
    for (int attempt = 0; attempt < m_limits.attempts; ++attempt) {
        error.clear();
        written = job.write(connection, error);
        if (written || !connection.LastFailureWasBusy()) {
            break;
        }
        std::lock_guard guard(m_lock);
        if (m_bClosing) {
            break;
        }
    }
    if (job.done) {
        job.done(written, error);
    }
}
