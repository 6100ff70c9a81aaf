#pragma once
// Plays sound files synchronously on the calling thread (the sound thread) through the PulseAudio
// simple API, which PipeWire desktops serve as well. Any format libsndfile reads is played as
// 16-bit samples. Errors: Play returns false and prints nothing; the caller decides what to do.
#include "app/ISoundPlayer.h"

#include <string>

class PulseSoundPlayer final : public ISoundPlayer
{
public:
    // server: a PulseAudio server address ("unix:/run/user/1000/pulse/native"); empty takes the
    // desktop's default.
    explicit PulseSoundPlayer(std::string server = {});

    // Returns when the sound has been played to its end. False when the file is missing, is not a
    // sound or holds no samples, or when no sound server takes the stream (fails at once then).
    bool Play(const std::string& path) override;
    // Stops within about kBufferMs of stop being set.
    bool PlayUntilStopped(const std::string& path, const std::atomic<bool>& stop) override;

private:
    std::string m_server;
};
