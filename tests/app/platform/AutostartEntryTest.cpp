// The auto-start entry as a desktop session reads it.
#include "platform/AutostartEntry.h"

#include "ScopedEnv.h"
#include "support/TestStore.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string ExecLine(const std::string& entryText)
{
    const auto start = entryText.find("\nExec=");
    if (start == std::string::npos) {
        return {};
    }
    const auto end = entryText.find('\n', start + 1);
    return entryText.substr(start + 1, end - start - 1);
}

TEST(AutostartEntryTest, WriteCreatesTheFolderAndRemoveTakesTheEntryAway)
{
    TempDir dir;
    const AutostartEntry entry(dir.path() + "config/autostart");
    EXPECT_EQ(entry.Path(), dir.path() + "config/autostart/wendar.desktop");
    EXPECT_FALSE(entry.Exists());

    std::string error;
    ASSERT_TRUE(entry.Write("/opt/wendar/bin/wendar", error)) << error;
    ASSERT_TRUE(entry.Exists());
    const std::string text = ReadFile(entry.Path());
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0U);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_EQ(ExecLine(text), "Exec=\"/opt/wendar/bin/wendar\" /R");

    // Writing again (each time the program closes with auto-run on) replaces, never appends.
    ASSERT_TRUE(entry.Write("/usr/local/bin/wendar", error)) << error;
    const std::string again = ReadFile(entry.Path());
    EXPECT_EQ(ExecLine(again), "Exec=\"/usr/local/bin/wendar\" /R");
    EXPECT_EQ(again.find("/opt/wendar"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(entry.Path() + ".tmp"));

    ASSERT_TRUE(entry.Remove(error)) << error;
    EXPECT_FALSE(entry.Exists());
    // Switching auto-run off twice is not an error.
    EXPECT_TRUE(entry.Remove(error)) << error;
}

TEST(AutostartEntryTest, ExecQuotesEveryReservedCharacterOfThePath)
{
    // freedesktop.org Exec rules: '"', '`', '$' and '\' take a backslash inside the quotes, the
    // backslash itself is doubled once more by the string escape, '%' is doubled.
    EXPECT_EQ(ExecLine(AutostartEntry::EntryText("/home/张三/my apps/wendar")),
              "Exec=\"/home/张三/my apps/wendar\" /R");
    EXPECT_EQ(ExecLine(AutostartEntry::EntryText("/a\"b`c$d/e")), "Exec=\"/a\\\\\"b\\\\`c\\\\$d/e\" /R");
    EXPECT_EQ(ExecLine(AutostartEntry::EntryText("/x\\y/100%/w")), "Exec=\"/x\\\\\\\\y/100%%/w\" /R");
    EXPECT_EQ(ExecLine(AutostartEntry::EntryText("/it's/wendar")), "Exec=\"/it's/wendar\" /R");
}

TEST(AutostartEntryTest, RefusesPathsThatCannotStandInAnEntry)
{
    TempDir dir;
    const AutostartEntry entry(dir.path());
    std::string error;
    // A line break would start a key of its own; a relative path depends on the session's folder.
    for (const std::string path : {"/tmp/a\nExec=/bin/evil", "/tmp/tab\there", "bin/wendar", ""}) {
        error.clear();
        EXPECT_FALSE(entry.Write(path, error)) << path;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(AutostartEntry::EntryText(path), "");
    }
    EXPECT_FALSE(entry.Exists());
}

TEST(AutostartEntryTest, ReportsAFolderThatCannotBeCreated)
{
    TempDir dir;
    std::ofstream(dir.path() + "blocker") << "a file where the folder should be";
    const AutostartEntry entry(dir.path() + "blocker/autostart");
    std::string error;
    EXPECT_FALSE(entry.Write("/usr/bin/wendar", error));
    EXPECT_NE(error.find("blocker"), std::string::npos) << error;
}

TEST(AutostartEntryTest, DefaultFolderFollowsXdgConfigHome)
{
    ScopedEnv home("HOME", "/home/tester");
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/srv/cfg");
        EXPECT_EQ(AutostartEntry::DefaultDirectory(), "/srv/cfg/autostart");
        EXPECT_EQ(AutostartEntry().Path(), "/srv/cfg/autostart/wendar.desktop");
    }
    {
        ScopedEnv config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(AutostartEntry::DefaultDirectory(), "/home/tester/.config/autostart");
    }
    {
        // Relative values are invalid by the XDG rules and ignored.
        ScopedEnv config("XDG_CONFIG_HOME", "cfg");
        EXPECT_EQ(AutostartEntry::DefaultDirectory(), "/home/tester/.config/autostart");
    }
}

} // namespace
