#include "platform/SoundFile.h"

#include <sndfile.h>

namespace {
// PulseAudio takes at most 32 channels; anything above that is not a sound we can play.
constexpr int kMaxChannels = 32;
constexpr int kMaxSampleRate = 384000;
} // namespace

SoundFile::~SoundFile()
{
    Close();
}

bool SoundFile::Open(const std::string& path)
{
    Close();
    m_error.clear();
    SF_INFO info{};
    m_file = sf_open(path.c_str(), SFM_READ, &info);
    if (m_file == nullptr) {
        m_error = sf_strerror(nullptr);
        return false;
    }
    if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate < 1 || info.samplerate > kMaxSampleRate ||
        info.frames < 0) {
        Close();
        m_error = "unsupported channel count or sample rate";
        return false;
    }
    m_channels = info.channels;
    m_sampleRate = info.samplerate;
    m_frames = info.frames;
    return true;
}

void SoundFile::Close()
{
    if (m_file != nullptr) {
        sf_close(m_file);
        m_file = nullptr;
    }
    m_channels = 0;
    m_sampleRate = 0;
    m_frames = 0;
}

double SoundFile::DurationSeconds() const
{
    return m_sampleRate > 0 ? static_cast<double>(m_frames) / m_sampleRate : 0.0;
}

std::int64_t SoundFile::ReadFrames(std::vector<std::int16_t>& samples, std::int64_t maxFrames)
{
    samples.clear();
    if (m_file == nullptr || maxFrames <= 0) {
        return 0;
    }
    samples.resize(static_cast<std::size_t>(maxFrames) * static_cast<std::size_t>(m_channels));
    const sf_count_t got = sf_readf_short(m_file, samples.data(), maxFrames);
    const std::int64_t frames = got > 0 ? got : 0;
    samples.resize(static_cast<std::size_t>(frames) * static_cast<std::size_t>(m_channels));
    return frames;
}
