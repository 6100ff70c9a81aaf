// The auto-start entry as a desktop session reads it.
#include "platform/AutostartEntry.h"

#include "ScopedEnv.h"
#include "app/TestFiles.h"
#include "support/TestStore.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {

TEST(AutostartEntryTest, WritesAQuotedExecLineRewritesInPlaceAndRemovesIdempotently)
{
    TempDir dir;
    const AutostartEntry entry(dir.path() + "config/autostart");
    // freedesktop.org Exec rules: '"', '`', '$' and '\' take a backslash inside the quotes, the
    // backslash itself is doubled once more by the string escape, '%' is doubled.
    const std::pair<std::string, std::string> cases[] = {{"/opt/wendar/bin/wendar", "\"/opt/wendar/bin/wendar\""},
                                                         {"/home/张三/my apps/it's", "\"/home/张三/my apps/it's\""},
                                                         {"/a\"b`c$d/e", "\"/a\\\\\"b\\\\`c\\\\$d/e\""},
                                                         {"/x\\y/100%/w", "\"/x\\\\\\\\y/100%%/w\""}};
    std::string error;
    for (const auto& [path, quoted] : cases) {
        // Written each time the program closes with auto-run on: replaced, never appended.
        ASSERT_TRUE(entry.Write(path, error)) << error;
        const std::string text = ReadFile(entry.Path());
        EXPECT_EQ(text, AutostartEntry::EntryText(path));
        EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0U);
        EXPECT_NE(text.find("\nExec=" + quoted + " /R\n"), std::string::npos) << text;
    }
    EXPECT_FALSE(std::filesystem::exists(entry.Path() + ".tmp"));
    // A program on its own data directory starts on it again; "/R" first: only a command line that
    // begins with it starts hidden.
    ASSERT_TRUE(entry.Write("/usr/bin/wendar", "/home/张三/my data$", error)) << error;
    EXPECT_NE(ReadFile(entry.Path()).find("\nExec=\"/usr/bin/wendar\" /R --home \"/home/张三/my data\\\\$\"\n"),
              std::string::npos)
        << ReadFile(entry.Path());
    ASSERT_TRUE(entry.Remove(error)) << error;
    EXPECT_FALSE(entry.Exists());
    EXPECT_TRUE(entry.Remove(error)) << error; // switching auto-run off twice is no error
}

TEST(AutostartEntryTest, RefusesPathsThatCannotStandInAnEntryAndFoldersThatCannotBeMade)
{
    TempDir dir;
    const AutostartEntry entry(dir.path());
    std::string error;
    // A line break would start a key of its own; a relative path depends on the session's folder.
    for (const std::string path : {"/tmp/a\nExec=/bin/evil", "/tmp/tab\there", "bin/wendar", ""}) {
        error.clear();
        EXPECT_FALSE(entry.Write(path, error)) << path;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(entry.Write("/usr/bin/wendar", "data", error)); // the data directory, alike
    EXPECT_FALSE(entry.Write("/usr/bin/wendar", "/a\nExec=/bin/evil", error));
    EXPECT_FALSE(entry.Exists());

    WriteFile(dir.path() + "blocker", "a file where the folder should be");
    EXPECT_FALSE(AutostartEntry(dir.path() + "blocker/autostart").Write("/usr/bin/wendar", error));
    EXPECT_NE(error.find("blocker"), std::string::npos) << error;
}

TEST(AutostartEntryTest, DefaultFolderFollowsXdgConfigHome)
{
    ScopedEnv home("HOME", "/home/tester");
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/srv/cfg");
        EXPECT_EQ(AutostartEntry().Path(), "/srv/cfg/autostart/wendar.desktop");
    }
    // Unset, or relative (invalid by the XDG rules and ignored).
    for (const char* value : {static_cast<const char*>(nullptr), "cfg"}) {
        ScopedEnv config("XDG_CONFIG_HOME", value);
        EXPECT_EQ(AutostartEntry::DefaultDirectory(), "/home/tester/.config/autostart");
    }
}

} // namespace
