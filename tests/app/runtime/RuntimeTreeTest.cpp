// The runtime tree the build lays beside the executables: what a freshly built program finds in its
// application directory.
#include "app/AppPaths.h"
#include "platform/SoundFile.h"
#include "store/LocalDatabase.h"
#include "store/PresetReader.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <set>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

const std::string kRuntimeDir = WENDAR_RUNTIME_DIR;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// The tables and indexes of a database as "type name: sql" lines.
std::set<std::string> SchemaOf(sqlite3* db)
{
    std::set<std::string> schema;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "select type, name, sql from sqlite_master where sql is not null", -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        std::string line;
        for (int column = 0; column < 3; ++column) {
            const auto* text = sqlite3_column_text(statement, column);
            line += std::string(text != nullptr ? reinterpret_cast<const char*>(text) : "") + "|";
        }
        schema.insert(line);
    }
    sqlite3_finalize(statement);
    return schema;
}

TEST(RuntimeTreeTest, PresetDatabaseHasTheLocalLayout)
{
    sqlite3* presets = nullptr;
    ASSERT_EQ(sqlite3_open_v2((kRuntimeDir + "messagetype.dat").c_str(), &presets, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    sqlite3* fresh = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &fresh), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(fresh, LocalSchemaSql().c_str(), nullptr, nullptr, nullptr), SQLITE_OK);

    // Same tables, columns and indexes as a message.dat made by this build: the dialog loads a
    // preset with the very loader of the check items.
    EXPECT_EQ(SchemaOf(presets), SchemaOf(fresh));

    sqlite3_close(fresh);
    sqlite3_close(presets);
}

TEST(RuntimeTreeTest, PresetsCoverEveryKindOfSourceAndPassTheDialogsChecks)
{
    const auto presets = ReadPresets(PresetConnectionString(kRuntimeDir));
    ASSERT_TRUE(presets.has_value());
    ASSERT_GE(presets->size(), 4U);

    std::map<int, int> perCategory;
    std::set<std::string> names;
    for (const Preset& preset : *presets) {
        const MessageTypeInfo& item = preset.item;
        SCOPED_TRACE(item.MessageTypeName);
        ++perCategory[item.MessageCategory];
        // Generated fresh: a second build must not have added the presets again.
        EXPECT_TRUE(names.insert(item.MessageTypeName).second) << "preset listed twice";
        EXPECT_EQ(item.messagetypeid, 0);
        EXPECT_GT(item.m_nLoadedId, 0);
        EXPECT_EQ(item.state, 1);
        EXPECT_GT(item.CheckInterval, 0);
        EXPECT_EQ(item.CheckInterval % 60, 0) << "the dialog edits whole minutes";
        EXPECT_GE(item.bNotify, -1);
        EXPECT_FALSE(item.About.empty());
        // The sound is found from the application directory, whatever the working directory.
        EXPECT_TRUE(std::filesystem::is_regular_file(ResolveProgramFile(kRuntimeDir, item.notifysound)))
            << item.notifysound;

        // The address tests the dialog makes before it saves.
        const std::string address = Upper(item.connAddress);
        switch (item.MessageCategory) {
        case kCategoryDatabase:
            EXPECT_EQ(address.rfind("DRIVER=", 0), 0U) << item.connAddress;
            EXPECT_FALSE(item.ViewName.empty());
            EXPECT_GT(item.CheckNumber, 0);
            break;
        case kCategoryWebPage:
            EXPECT_EQ(address.rfind("HTTP://", 0), 0U) << item.connAddress;
            break;
        case kCategoryFtp:
            EXPECT_EQ(address.rfind("FTP://", 0), 0U) << item.connAddress;
            EXPECT_EQ(item.connAddress.back(), '/') << "a directory URL ends in '/'";
            break;
        case kCategoryMail:
            EXPECT_FALSE(item.connAddress.empty());
            break;
        default:
            ADD_FAILURE() << "unexpected category " << item.MessageCategory;
        }
        if (item.MessageCategory != kCategoryWebPage) {
            EXPECT_TRUE(preset.excludes.empty());
        }
    }
    for (const int category : {kCategoryDatabase, kCategoryWebPage, kCategoryFtp, kCategoryMail}) {
        EXPECT_GE(perCategory[category], 1) << "no preset of category " << category;
    }

    const auto full = std::find_if(presets->begin(), presets->end(), [](const Preset& preset) {
        return preset.item.connAddress.find("Driver={PostgreSQL Unicode};Server=") == 0;
    });
    EXPECT_NE(full, presets->end()) << "a PostgreSQL preset with a complete connection string";

    const auto web = std::find_if(presets->begin(), presets->end(),
                                  [](const Preset& preset) { return preset.item.MessageCategory == kCategoryWebPage; });
    ASSERT_NE(web, presets->end());
    EXPECT_FALSE(web->item.IncludeFrom.empty());
    EXPECT_FALSE(web->item.IncludeTo.empty());
    ASSERT_GE(web->excludes.size(), 2U);
    for (const ExcludeRange& range : web->excludes) {
        EXPECT_FALSE(range.excludeFrom.empty());
        EXPECT_FALSE(range.excludeTo.empty());
    }

    const auto tls = std::find_if(presets->begin(), presets->end(), [](const Preset& preset) {
        return preset.item.MessageCategory == kCategoryMail && preset.item.connAddress.rfind("pop3s://", 0) == 0;
    });
    ASSERT_NE(tls, presets->end());
    EXPECT_EQ(tls->item.ViewName, "") << "the port comes from the address";
}

// The chunk body of a RIFF file, or empty.
std::string RiffChunk(const std::string& file, const std::string& id)
{
    if (file.size() < 12 || file.compare(0, 4, "RIFF") != 0 || file.compare(8, 4, "WAVE") != 0) {
        return {};
    }
    for (std::size_t pos = 12; pos + 8 <= file.size();) {
        const auto* p = reinterpret_cast<const unsigned char*>(file.data() + pos + 4);
        const std::size_t length = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::size_t>(p[3]) << 24);
        if (file.compare(pos, 4, id) == 0) {
            return file.substr(pos + 8, length);
        }
        pos += 8 + length + (length % 2);
    }
    return {};
}

TEST(RuntimeTreeTest, SoundsAreShortAudible16BitMonoWaves)
{
    for (const std::string name : {"sound/ring01.wav", "sound/Cuckoo01.wav", "ring01.wav"}) {
        SCOPED_TRACE(name);
        const std::string path = kRuntimeDir + name;
        const std::string format = RiffChunk(ReadFile(path), "fmt ");
        ASSERT_GE(format.size(), 16U);
        EXPECT_EQ(format[0], 1) << "PCM";
        EXPECT_EQ(format[2], 1) << "mono";
        EXPECT_EQ(format[14], 16) << "16 bit";

        SoundFile file;
        ASSERT_TRUE(file.Open(path)) << file.Error();
        EXPECT_EQ(file.Channels(), 1);
        EXPECT_GT(file.DurationSeconds(), 0.3);
        EXPECT_LT(file.DurationSeconds(), 3.0);

        // Loud enough to hear, never clipped, and quiet at both ends (no click).
        std::vector<std::int16_t> samples;
        std::vector<std::int16_t> all;
        while (file.ReadFrames(samples, 4096) > 0) {
            all.insert(all.end(), samples.begin(), samples.end());
        }
        ASSERT_EQ(static_cast<std::int64_t>(all.size()), file.Frames());
        int peak = 0;
        for (const std::int16_t sample : all) {
            peak = std::max(peak, std::abs(static_cast<int>(sample)));
        }
        EXPECT_GT(peak, 8000);
        EXPECT_LT(peak, 32767);
        EXPECT_LT(std::abs(static_cast<int>(all.front())), 500);
        EXPECT_LT(std::abs(static_cast<int>(all.back())), 500);
    }
    EXPECT_EQ(ReadFile(kRuntimeDir + "ring01.wav"), ReadFile(kRuntimeDir + "sound/ring01.wav"));
    EXPECT_NE(ReadFile(kRuntimeDir + "sound/ring01.wav"), ReadFile(kRuntimeDir + "sound/Cuckoo01.wav"));
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF. Counts CJK ideographs.
bool IsUtf8(const std::string& text, int& ideographs)
{
    ideographs = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = 0;
        std::uint32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xe0) == 0xc0) {
            length = 2;
            code = lead & 0x1f;
        } else if ((lead & 0xf0) == 0xe0) {
            length = 3;
            code = lead & 0x0f;
        } else if ((lead & 0xf8) == 0xf0) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3f);
        }
        static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) {
            return false;
        }
        if (code >= 0x4e00 && code <= 0x9fff) {
            ++ideographs;
        }
        i += length;
    }
    return true;
}

TEST(RuntimeTreeTest, HelpPageIsChineseUtf8AndTheDataFolderExists)
{
    const std::string help = ReadFile(kRuntimeDir + "help/help.htm");
    ASSERT_FALSE(help.empty());
    int ideographs = 0;
    EXPECT_TRUE(IsUtf8(help, ideographs));
    EXPECT_GT(ideographs, 500);
    EXPECT_NE(help.find("<meta charset=\"utf-8\">"), std::string::npos);
    for (const char* topic : {"数据库监视", "网页监视", "FTP", "POP3", "pop3s://", "不检查下列之间的内容", "消息列表",
                              "ring01.wav", "系统设置", "wendar-cli"}) {
        EXPECT_NE(help.find(topic), std::string::npos) << topic;
    }
    EXPECT_TRUE(std::filesystem::is_directory(kRuntimeDir + "data"));
}

} // namespace
