#include "platform/PulseSoundPlayer.h"

#include "platform/SoundFile.h"
#include "util/UiText.h"

#include <cstdint>
#include <memory>
#include <pulse/sample.h>
#include <pulse/simple.h>
#include <utility>
#include <vector>

namespace {
constexpr const char* kClientName = "Wendar";
constexpr const char* kStreamName = WENDAR_TR_NOOP("PulseSoundPlayer", "新消息提示音");
// About a tenth of a second at 44.1 kHz: small enough to keep memory flat for long files.
constexpr std::int64_t kChunkFrames = 4096;
// What the server holds ahead of the speaker: a stop is heard within this much (the default
// buffer of two seconds would keep a closed dialog's sound going that long).
constexpr pa_usec_t kBufferUsec = 250000;

struct SimpleStreamFree
{
    void operator()(pa_simple* stream) const { pa_simple_free(stream); }
};
using SimpleStream = std::unique_ptr<pa_simple, SimpleStreamFree>;
} // namespace

PulseSoundPlayer::PulseSoundPlayer(std::string server) : m_server(std::move(server)) {}

bool PulseSoundPlayer::Play(const std::string& path)
{
    const std::atomic<bool> never{false};
    return PlayUntilStopped(path, never);
}

bool PulseSoundPlayer::PlayUntilStopped(const std::string& path, const std::atomic<bool>& stop)
{
    // The file first: a missing or broken file must not cost a server connection.
    SoundFile file;
    if (path.empty() || !file.Open(path)) {
        return false;
    }
    std::vector<std::int16_t> samples;
    if (file.ReadFrames(samples, kChunkFrames) == 0) {
        return false;
    }

    pa_sample_spec sampleFormat{};
    sampleFormat.format = PA_SAMPLE_S16NE;
    sampleFormat.rate = static_cast<std::uint32_t>(file.SampleRate());
    sampleFormat.channels = static_cast<std::uint8_t>(file.Channels());
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<std::uint32_t>(-1);
    buffer.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kBufferUsec, &sampleFormat));
    buffer.prebuf = static_cast<std::uint32_t>(-1);
    buffer.minreq = static_cast<std::uint32_t>(-1);
    buffer.fragsize = static_cast<std::uint32_t>(-1);
    int error = 0;
    SimpleStream stream(pa_simple_new(m_server.empty() ? nullptr : m_server.c_str(), kClientName, PA_STREAM_PLAYBACK,
                                      nullptr, UiText("PulseSoundPlayer", kStreamName).c_str(), &sampleFormat, nullptr,
                                      &buffer, &error));
    if (!stream) {
        return false;
    }
    do {
        if (stop.load()) {
            pa_simple_flush(stream.get(), &error);
            return false;
        }
        if (pa_simple_write(stream.get(), samples.data(), samples.size() * sizeof(std::int16_t), &error) < 0) {
            return false;
        }
    } while (file.ReadFrames(samples, kChunkFrames) > 0);
    return pa_simple_drain(stream.get(), &error) >= 0;
}
