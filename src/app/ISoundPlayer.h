#pragma once
// Plays one sound file on the sound thread and returns when it has ended.
#include <string>

class ISoundPlayer
{
public:
    virtual ~ISoundPlayer() = default;
    // False when the file could not be played (missing, not a sound, no sound server); the caller
    // then plays the default sound. Must fail quickly when there is no sound device at all.
    virtual bool Play(const std::string& path) = 0;
};
