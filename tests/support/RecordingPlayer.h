#pragma once
// A sound player for tests: records what it plays; a path with "missing" in it cannot be played,
// one with "endless" in it plays until it is stopped (at most a minute).
#include "app/ISoundPlayer.h"

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class RecordingPlayer final : public ISoundPlayer
{
public:
    bool Play(const std::string& path) override
    {
        std::lock_guard guard(m_lock);
        m_played.push_back(path);
        return path.find("missing") == std::string::npos;
    }
    bool PlayUntilStopped(const std::string& path, const std::atomic<bool>& stop) override
    {
        if (path.find("endless") == std::string::npos) {
            return ISoundPlayer::PlayUntilStopped(path, stop);
        }
        Play(path);
        const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (!stop.load() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        std::lock_guard guard(m_lock);
        m_bStopped = stop.load();
        return false;
    }
    // An endless sound ended because it was stopped.
    bool Stopped()
    {
        std::lock_guard guard(m_lock);
        return m_bStopped;
    }
    std::vector<std::string> Played()
    {
        std::lock_guard guard(m_lock);
        return m_played;
    }

private:
    std::mutex m_lock;
    std::vector<std::string> m_played;
    bool m_bStopped = false;
};
