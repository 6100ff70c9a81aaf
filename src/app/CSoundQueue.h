#pragma once
// The sound queue and the sound thread: newest sound first, at most 100 waiting, played one after
// the other. The queue lock is held only for the list operation, never while a sound plays.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class ISoundPlayer;

inline constexpr size_t kMaxQueuedSounds = 100;

class CSoundQueue final
{
public:
    // defaultSound: played in place of an empty path and of a file that cannot be played.
    CSoundQueue(std::shared_ptr<ISoundPlayer> player, std::string defaultSound);
    // Ends the thread: a sound being played is finished, the rest is dropped.
    ~CSoundQueue();
    CSoundQueue(const CSoundQueue&) = delete;
    CSoundQueue& operator=(const CSoundQueue&) = delete;

    // Adds the path (the default sound when empty) at the head while 99 or fewer are waiting.
    void QueueSound(const std::string& path);
    // While paused the thread takes no entry; a sound already playing ends normally.
    void Pause(bool paused);
    std::vector<std::string> Pending() const;
    // Waits until nothing is queued or playing (paused entries count as queued); false on time-out.
    bool WaitUntilIdle(std::chrono::milliseconds timeout);
    const std::string& DefaultSound() const { return m_strDefaultSound; }

private:
    void SoundThreadProc();

    std::shared_ptr<ISoundPlayer> m_player;
    std::string m_strDefaultSound;
    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::string> m_soundQueue;
    bool m_bPaused = false;
    bool m_bQuit = false;
    bool m_bPlaying = false;
    std::condition_variable m_idle;
    std::thread m_thread;
};
