// The runtime tree the build lays beside the executables: what a freshly built program finds in its
// application directory.
#include "app/AppPaths.h"
#include "app/TestFiles.h"
#include "platform/SoundFile.h"
#include "store/PresetReader.h"
#include "util/TextEncoding.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <strings.h>
#include <vector>

namespace {

const std::string kRuntimeDir = WENDAR_RUNTIME_DIR;

TEST(RuntimeTreeTest, PresetsCoverEveryKindOfSourceAndPassTheDialogsChecks)
{
    const auto presets = ReadPresets(PresetConnectionString(kRuntimeDir));
    ASSERT_TRUE(presets.has_value());
    std::set<int> categories;
    std::set<std::string> names;
    for (const auto& [item, excludes] : *presets) {
        SCOPED_TRACE(item.MessageTypeName);
        const int category = item.MessageCategory;
        ASSERT_TRUE(category >= kCategoryDatabase && category <= kCategoryMail) << category;
        categories.insert(category);
        // Generated fresh: a second build must not have added the presets again.
        EXPECT_TRUE(names.insert(item.MessageTypeName).second) << "preset listed twice";
        EXPECT_TRUE(item.CheckInterval > 0 && item.CheckInterval % 60 == 0) << "the dialog edits whole minutes";
        // The sound is found from the application directory, whatever the working directory.
        EXPECT_TRUE(std::filesystem::is_regular_file(ResolveProgramFile(kRuntimeDir, item.notifysound)))
            << item.notifysound;
        // The address tests the dialog makes before it saves.
        const std::string prefix[] = {"", "driver=", "http://", "ftp://", ""};
        const std::string& address = item.connAddress;
        EXPECT_TRUE(!address.empty() &&
                    strncasecmp(address.c_str(), prefix[category].c_str(), prefix[category].size()) == 0)
            << address;
        EXPECT_TRUE(category != kCategoryDatabase || (!item.ViewName.empty() && item.CheckNumber > 0));
        EXPECT_TRUE(category != kCategoryFtp || address.back() == '/') << "a directory URL ends in '/'";
        // Only the web page has exclusion ranges, at least two.
        EXPECT_TRUE(category == kCategoryWebPage ? excludes.size() >= 2 : excludes.empty()) << excludes.size();
        for (const ExcludeRange& range : excludes) {
            EXPECT_FALSE(range.excludeFrom.empty() || range.excludeTo.empty());
        }
    }
    EXPECT_EQ(categories, (std::set<int>{kCategoryDatabase, kCategoryWebPage, kCategoryFtp, kCategoryMail}));
}

TEST(RuntimeTreeTest, SoundsAreShortAudibleAndClickFree)
{
    for (const std::string name : {"sound/ring01.wav", "sound/Cuckoo01.wav", "ring01.wav"}) {
        SCOPED_TRACE(name);
        SoundFile file;
        ASSERT_TRUE(file.Open(kRuntimeDir + name)) << file.Error();
        EXPECT_TRUE(file.DurationSeconds() > 0.3 && file.DurationSeconds() < 3.0) << file.DurationSeconds();
        // Loud enough to hear, never clipped, and quiet at both ends.
        std::vector<std::int16_t> all;
        ASSERT_EQ(file.ReadFrames(all, file.Frames()), file.Frames());
        const auto [low, high] = std::minmax_element(all.begin(), all.end());
        EXPECT_GT(std::max(-*low, static_cast<int>(*high)), 8000);
        EXPECT_TRUE(*low > -32768 && *high < 32767);
        EXPECT_TRUE(std::abs(all.front()) < 500 && std::abs(all.back()) < 500);
    }
    // ring01.wav beside the executables is the default sound.
    EXPECT_EQ(ReadFile(kRuntimeDir + "ring01.wav"), ReadFile(kRuntimeDir + "sound/ring01.wav"));
    EXPECT_NE(ReadFile(kRuntimeDir + "sound/ring01.wav"), ReadFile(kRuntimeDir + "sound/Cuckoo01.wav"));
}

TEST(RuntimeTreeTest, HelpPageIsChineseUtf8AndTheDataFolderExists)
{
    const std::string help = ReadFile(kRuntimeDir + "help/help.htm");
    EXPECT_TRUE(IsValidUtf8(help));
    // Lead bytes E4 to E9 start the three-byte forms of the common CJK ideographs.
    const auto ideographs =
        std::count_if(help.begin(), help.end(), [](unsigned char c) { return c >= 0xe4 && c <= 0xe9; });
    EXPECT_GT(ideographs, 500);
    EXPECT_NE(help.find("<meta charset=\"utf-8\">"), std::string::npos);
    for (const char* topic : {"数据库监视", "网页监视", "FTP", "POP3", "pop3s://", "不检查下列之间的内容", "消息列表",
                              "ring01.wav", "系统设置", "wendar-cli"}) {
        EXPECT_NE(help.find(topic), std::string::npos) << topic;
    }
    EXPECT_TRUE(std::filesystem::is_directory(kRuntimeDir + "data"));
}

} // namespace
