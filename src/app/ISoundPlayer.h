#pragma once
// Plays one sound file on the sound thread and returns when it has ended.
#include <atomic>
#include <string>

class ISoundPlayer
{
public:
    virtual ~ISoundPlayer() = default;
    // False when the file could not be played (missing, not a sound, no sound server); the caller
    // then plays the default sound. Must fail quickly when there is no sound device at all.
    virtual bool Play(const std::string& path) = 0;
    // The same, ending early (false) once stop is set: a sound test whose dialog has closed. A
    // player that cannot stop in between plays to the end.
    virtual bool PlayUntilStopped(const std::string& path, const std::atomic<bool>& stop)
    {
        return !stop.load() && Play(path);
    }
};
