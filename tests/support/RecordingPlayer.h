#pragma once
// A sound player for tests: records what it plays; a path with "missing" in it cannot be played.
#include "app/ISoundPlayer.h"

#include <mutex>
#include <string>
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
    std::vector<std::string> Played()
    {
        std::lock_guard guard(m_lock);
        return m_played;
    }

private:
    std::mutex m_lock;
    std::vector<std::string> m_played;
};
