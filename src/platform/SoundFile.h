#pragma once
// A sound file opened for reading through libsndfile (any format it reads), delivered as 16-bit
// interleaved samples. Errors: Open returns false with the library's reason in Error().
#include <cstdint>
#include <string>
#include <vector>

struct sf_private_tag;

class SoundFile final
{
public:
    SoundFile() = default;
    ~SoundFile();
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }

    int Channels() const { return m_channels; }
    int SampleRate() const { return m_sampleRate; }
    std::int64_t Frames() const { return m_frames; }
    double DurationSeconds() const;
    const std::string& Error() const { return m_error; }

    // Reads up to maxFrames frames, replacing the contents of samples (frames x channels values).
    // Returns the number of frames read; 0 at the end of the file or on a read error.
    std::int64_t ReadFrames(std::vector<std::int16_t>& samples, std::int64_t maxFrames);

private:
    sf_private_tag* m_file = nullptr;
    int m_channels = 0;
    int m_sampleRate = 0;
    std::int64_t m_frames = 0;
    std::string m_error;
};
