// The sound output without a sound server (as in CI and on headless machines), and the sound file
// reader underneath it.
#include "platform/PulseSoundPlayer.h"

#include "platform/SoundFile.h"
#include "support/TestStore.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void PutLe(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xff);
    }
}

// A RIFF/WAVE PCM file as any recorder writes it; bits is 8 or 16. With a too-large data length
// the file is truncated.
void WriteWav(const std::string& path, int channels, int rate, int bits, const std::vector<int>& samples,
              std::uint32_t extraDataLength = 0)
{
    const int bytesPerSample = bits / 8;
    const auto dataLength = static_cast<std::uint32_t>(samples.size() * bytesPerSample) + extraDataLength;
    std::string out = "RIFF";
    PutLe(out, 36 + dataLength, 4);
    out += "WAVEfmt ";
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);
    PutLe(out, static_cast<std::uint32_t>(channels), 2);
    PutLe(out, static_cast<std::uint32_t>(rate), 4);
    PutLe(out, static_cast<std::uint32_t>(rate * channels * bytesPerSample), 4);
    PutLe(out, static_cast<std::uint32_t>(channels * bytesPerSample), 2);
    PutLe(out, static_cast<std::uint32_t>(bits), 2);
    out += "data";
    PutLe(out, dataLength, 4);
    for (const int sample : samples) {
        PutLe(out, static_cast<std::uint32_t>(sample), bytesPerSample);
    }
    std::ofstream(path, std::ios::binary) << out;
}

// Everything the code under test writes to stderr while fn runs.
template <typename Fn> std::string CaptureStderr(Fn fn)
{
    std::fflush(stderr);
    char name[] = "/tmp/wendar-stderr-XXXXXX";
    const int capture = mkstemp(name);
    const int saved = dup(STDERR_FILENO);
    dup2(capture, STDERR_FILENO);
    fn();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(capture);
    std::ifstream in(name, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(name);
    return text;
}

class PulseSoundPlayerTest : public ::testing::Test
{
protected:
    // A server address where nothing listens: the same as a machine without a sound server, and
    // independent of whatever server the developer's desktop runs.
    std::string NoServer() const { return "unix:" + m_dir.path() + "no-server/native"; }

    std::string ValidWav()
    {
        const std::string path = m_dir.path() + "beep.wav";
        std::vector<int> samples;
        for (int i = 0; i < 800; ++i) {
            samples.push_back((i / 10) % 2 == 0 ? 8000 : -8000);
        }
        WriteWav(path, 1, 8000, 16, samples);
        return path;
    }

    TempDir m_dir;
};

TEST_F(PulseSoundPlayerTest, NoServerFailsQuicklyAndQuietly)
{
    PulseSoundPlayer player(NoServer());
    const std::string wav = ValidWav();
    bool played = true;
    const auto start = std::chrono::steady_clock::now();
    const std::string noise = CaptureStderr([&] { played = player.Play(wav); });
    const auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_FALSE(played);
    EXPECT_EQ(noise, "");
    // About 10 ms on an idle machine; the margin is for loaded CI runners and sanitizers.
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 1000);

    // The sound thread calls it again for every queued sound: no state may stick.
    EXPECT_FALSE(player.Play(wav));
}

TEST_F(PulseSoundPlayerTest, FilesThatAreNoSoundAreRefusedBeforeAnyServerIsAsked)
{
    const std::string text = m_dir.path() + "notes.wav";
    std::ofstream(text) << "this is not a sound\n";
    const std::string empty = m_dir.path() + "empty.wav";
    std::ofstream{empty};
    const std::string silent = m_dir.path() + "silent.wav";
    WriteWav(silent, 1, 8000, 16, {});

    // The default server here: these must fail on the file, whatever the desktop runs.
    PulseSoundPlayer player;
    const std::string noise = CaptureStderr([&] {
        EXPECT_FALSE(player.Play(""));
        EXPECT_FALSE(player.Play(m_dir.path() + "missing.wav"));
        EXPECT_FALSE(player.Play(m_dir.path()));
        EXPECT_FALSE(player.Play(text));
        EXPECT_FALSE(player.Play(empty));
        EXPECT_FALSE(player.Play(silent));
        // A stored Windows path that nobody resolved.
        EXPECT_FALSE(player.Play("sound\\Cuckoo01.wav"));
    });
    EXPECT_EQ(noise, "");
}

TEST_F(PulseSoundPlayerTest, SoundFileDeliversSixteenBitInterleavedFrames)
{
    // 8-bit stereo: unsigned samples around 128, widened to signed 16 bit.
    const std::string path = m_dir.path() + "stereo8.wav";
    WriteWav(path, 2, 11025, 8, {128, 255, 0, 128, 192, 64});
    SoundFile file;
    ASSERT_TRUE(file.Open(path)) << file.Error();
    EXPECT_EQ(file.Channels(), 2);
    EXPECT_EQ(file.SampleRate(), 11025);
    EXPECT_EQ(file.Frames(), 3);

    std::vector<std::int16_t> samples;
    ASSERT_EQ(file.ReadFrames(samples, 2), 2);
    ASSERT_EQ(samples.size(), 4U);
    EXPECT_EQ(samples[0], 0);
    EXPECT_GT(samples[1], 32000);
    EXPECT_EQ(samples[2], -32768);
    EXPECT_EQ(samples[3], 0);
    ASSERT_EQ(file.ReadFrames(samples, 2), 1);
    EXPECT_GT(samples[0], 0);
    EXPECT_LT(samples[1], 0);
    EXPECT_EQ(file.ReadFrames(samples, 2), 0);
    EXPECT_TRUE(samples.empty());
}

TEST_F(PulseSoundPlayerTest, SoundFileReadsATruncatedFileUpToItsEnd)
{
    const std::string path = m_dir.path() + "cut.wav";
    WriteWav(path, 1, 8000, 16, {1000, -1000, 2000}, 1'000'000);
    SoundFile file;
    ASSERT_TRUE(file.Open(path)) << file.Error();
    std::vector<std::int16_t> samples;
    std::int64_t total = 0;
    for (std::int64_t got = 0; (got = file.ReadFrames(samples, 2)) > 0;) {
        total += got;
    }
    EXPECT_EQ(total, 3);

    SoundFile missing;
    EXPECT_FALSE(missing.Open(m_dir.path() + "missing.wav"));
    EXPECT_FALSE(missing.Error().empty());
    EXPECT_EQ(missing.ReadFrames(samples, 10), 0);
    EXPECT_DOUBLE_EQ(missing.DurationSeconds(), 0.0);
}

} // namespace
