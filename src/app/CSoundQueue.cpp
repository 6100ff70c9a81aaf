#include "app/CSoundQueue.h"

#include "app/ISoundPlayer.h"

#include <chrono>

CSoundQueue::CSoundQueue(std::shared_ptr<ISoundPlayer> player, std::string defaultSound)
    : m_player(std::move(player)), m_strDefaultSound(std::move(defaultSound))
{
    m_thread = std::thread(&CSoundQueue::SoundThreadProc, this);
}

CSoundQueue::~CSoundQueue()
{
    {
        std::lock_guard guard(m_lock);
        m_bQuit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void CSoundQueue::QueueSound(const std::string& path)
{
    {
        std::lock_guard guard(m_lock);
        if (m_soundQueue.size() >= kMaxQueuedSounds) {
            return;
        }
        m_soundQueue.push_front(path.empty() ? m_strDefaultSound : path);
    }
    m_wake.notify_all();
}

void CSoundQueue::Pause(bool paused)
{
    {
        std::lock_guard guard(m_lock);
        m_bPaused = paused;
    }
    m_wake.notify_all();
}

std::vector<std::string> CSoundQueue::Pending() const
{
    std::lock_guard guard(m_lock);
    return {m_soundQueue.begin(), m_soundQueue.end()};
}

void CSoundQueue::SoundThreadProc()
{
    for (;;) {
        std::string next;
        {
            std::unique_lock lock(m_lock);
            // An idle queue is looked at again every second, as a woken one is at once.
            m_wake.wait_for(lock, std::chrono::seconds(1),
                            [this] { return m_bQuit || (!m_bPaused && !m_soundQueue.empty()); });
            if (m_bQuit) {
                return;
            }
            if (m_bPaused || m_soundQueue.empty()) {
                continue;
            }
            next = std::move(m_soundQueue.front());
            m_soundQueue.pop_front();
            m_bPlaying = true;
        }
        if (!next.empty() && m_player && !m_player->Play(next) && next != m_strDefaultSound) {
            m_player->Play(m_strDefaultSound);
        }
        {
            std::lock_guard guard(m_lock);
            m_bPlaying = false;
        }
        m_idle.notify_all();
    }
}

bool CSoundQueue::WaitUntilIdle(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_lock);
    return m_idle.wait_for(lock, timeout, [this] { return m_soundQueue.empty() && !m_bPlaying; });
}
