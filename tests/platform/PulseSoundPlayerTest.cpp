// The sound output without a sound server (as in CI and on headless machines), and the sound file
// reader underneath it.
#include "platform/PulseSoundPlayer.h"

#include "platform/SoundFile.h"
#include "support/TestStore.h"

#include <bit>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

// A 16-bit PCM RIFF/WAVE file at 8000 Hz as any recorder writes it.
void WriteWav(const std::string& path, std::uint32_t channels, const std::vector<std::int16_t>& samples)
{
    static_assert(std::endian::native == std::endian::little);
    const auto dataSize = static_cast<std::uint32_t>(samples.size() * 2);
    std::ofstream out(path, std::ios::binary);
    const auto put = [&out](std::uint32_t value) { out.write(reinterpret_cast<const char*>(&value), 4); };
    out << "RIFF";
    put(36 + dataSize);
    out << "WAVEfmt ";
    // Format size, then the 16-bit fields in pairs: PCM and channels, rate, byte rate, block and bits.
    for (const std::uint32_t field : {16U, 1U | channels << 16, 8000U, 16000U * channels, 2U * channels | 16U << 16}) {
        put(field);
    }
    out << "data";
    put(dataSize);
    out.write(reinterpret_cast<const char*>(samples.data()), dataSize);
}

// No sound server (as in CI and on headless machines), or a file that is no sound: false at once and
// nothing on stderr, every time (the sound thread calls again for every queued sound).
TEST(PulseSoundPlayerTest, NoServerOrNoSoundFailsQuicklyAndQuietlyEveryTime)
{
    TempDir dir;
    std::ofstream(dir.path() + "notes.wav") << "this is not a sound\n";
    std::ofstream{dir.path() + "empty.wav"};
    WriteWav(dir.path() + "silent.wav", 1, {});
    // An address where nothing listens: a machine without a sound server, whatever the desktop runs.
    PulseSoundPlayer noServer("unix:" + dir.path() + "no-server/native");
    const std::string wav = std::string(WENDAR_RUNTIME_DIR) + "ring01.wav";
    CaptureStderr();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(noServer.Play(wav));
    EXPECT_FALSE(noServer.Play(wav));
    // About 10 ms on an idle machine; the margin is for loaded CI runners and sanitizers.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    // The default server here: these fail on the file, whatever the desktop runs. Also the folder
    // itself, an empty path and a stored Windows path that nobody resolved.
    PulseSoundPlayer player;
    for (const std::string name : {"", "missing.wav", "notes.wav", "empty.wav", "silent.wav"}) {
        EXPECT_FALSE(player.Play(dir.path() + name)) << name;
    }
    EXPECT_FALSE(player.Play(""));
    EXPECT_FALSE(player.Play("sound\\Cuckoo01.wav"));
    EXPECT_EQ(GetCapturedStderr(), "");
}

TEST(PulseSoundPlayerTest, SoundFileDeliversInterleavedFramesAndStopsAtATruncatedEnd)
{
    TempDir dir;
    WriteWav(dir.path() + "stereo.wav", 2, {1, -2, 3, -4, 5, -6});
    SoundFile stereo;
    ASSERT_TRUE(stereo.Open(dir.path() + "stereo.wav")) << stereo.Error();
    EXPECT_EQ(stereo.Channels(), 2);
    EXPECT_EQ(stereo.Frames(), 3);
    std::vector<std::int16_t> samples;
    ASSERT_EQ(stereo.ReadFrames(samples, 2), 2);
    EXPECT_EQ(samples, (std::vector<std::int16_t>{1, -2, 3, -4}));
    ASSERT_EQ(stereo.ReadFrames(samples, 2), 1);
    EXPECT_EQ(samples, (std::vector<std::int16_t>{5, -6}));
    EXPECT_EQ(stereo.ReadFrames(samples, 2), 0);
    EXPECT_TRUE(samples.empty());

    // The header promises five samples; the file ends after three.
    const std::string cut = dir.path() + "cut.wav";
    WriteWav(cut, 1, {1000, -1000, 2000, 3000, 4000});
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) - 4);
    SoundFile file;
    ASSERT_TRUE(file.Open(cut)) << file.Error();
    std::int64_t total = 0;
    for (int reads = 0; reads < 10; ++reads) {
        total += file.ReadFrames(samples, 2);
    }
    EXPECT_EQ(total, 3);
}

} // namespace
