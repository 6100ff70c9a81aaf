#include "app/AppPaths.h"
#include "app/CTarvoApp.h"
#include "app/Settings.h"
#include "support/TestStore.h"

#include <QSettings>
#include <QStandardPaths>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

// Every test of this file writes its profile under one private XDG_CONFIG_HOME.
class ProfileEnvironment final : public testing::Environment
{
public:
    void SetUp() override
    {
        m_dir = std::make_unique<TempDir>();
        ::setenv("XDG_CONFIG_HOME", m_dir->path().c_str(), 1);
    }
    void TearDown() override { m_dir.reset(); }
    static std::string ProfilePath()
    {
        return std::string(::getenv("XDG_CONFIG_HOME")) + "Local AppWizard-Generated Applications/Tarvo.ini";
    }

private:
    std::unique_ptr<TempDir> m_dir;
};

const auto* const g_profile = testing::AddGlobalTestEnvironment(new ProfileEnvironment);

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(Settings, FreshProfileGivesTheDefaultsAndSavingNeverWritesUserType)
{
    std::filesystem::remove(ProfileEnvironment::ProfilePath());
    Settings settings;
    settings.pagesize = 7;
    settings.LoadSettings();
    EXPECT_EQ(settings.pagesize, 7); // a missing key leaves the value it had
    Settings fresh;
    fresh.LoadSettings();
    EXPECT_EQ(fresh.pagesize, 100);
    EXPECT_EQ(fresh.enableAutoCheck, 1);
    EXPECT_EQ(fresh.AutoCheckInterval, 15);
    EXPECT_EQ(fresh.EnableSoundNotify, 1);
    EXPECT_EQ(fresh.SplitterWindowType, 0);
    EXPECT_EQ(fresh.AutoMarkRead, 2);
    EXPECT_EQ(fresh.enableAutoRun, 1);
    EXPECT_EQ(fresh.UserType, 0);
    EXPECT_FALSE(std::filesystem::exists(ProfileEnvironment::ProfilePath()));

    fresh.AutoCheckInterval = 30;
    fresh.UserType = 4;
    fresh.SaveSettings();
    const std::string text = ReadFile(ProfileEnvironment::ProfilePath());
    EXPECT_NE(text.find("[morvatenX]"), std::string::npos) << text;
    EXPECT_NE(text.find("AutoCheckInterval=30"), std::string::npos) << text;
    EXPECT_EQ(text.find("UserType"), std::string::npos) << text;
    Settings again;
    again.LoadSettings();
    EXPECT_EQ(again.AutoCheckInterval, 30);
    EXPECT_EQ(again.UserType, 0);
}

TEST(Settings, UserTypeIsReadFromTheProfile)
{
    std::filesystem::create_directories(std::filesystem::path(ProfileEnvironment::ProfilePath()).parent_path());
    std::ofstream(ProfileEnvironment::ProfilePath()) << "[morvatenX]\nUserType=3\npagesize=abc\n";
    Settings settings;
    settings.LoadSettings();
    EXPECT_EQ(settings.UserType, 3);
    EXPECT_EQ(settings.pagesize, 100);
    std::filesystem::remove(ProfileEnvironment::ProfilePath());
}

TEST(AppPaths, DirectoryAndConnectionStrings)
{
    ::unsetenv("WENDAR_HOME");
    EXPECT_EQ(ResolveApplicationDirectory("", "/opt/监视 程序/bin/wendar"), "/opt/监视 程序/bin/");
    EXPECT_EQ(ResolveApplicationDirectory("/srv/w", "/x/wendar"), "/srv/w/");
    ::setenv("WENDAR_HOME", "/env/home/", 1);
    EXPECT_EQ(ResolveApplicationDirectory("", "/x/wendar"), "/env/home/");
    EXPECT_EQ(ResolveApplicationDirectory("/opt/h", "/x/wendar"), "/opt/h/"); // --home wins
    ::unsetenv("WENDAR_HOME");
    EXPECT_EQ(MainConnectionString("/opt/监视/"), "DBQ=/opt/监视/message.dat;DRIVER={SQLite3}");
    EXPECT_EQ(PresetConnectionString("/a/"), "DBQ=/a/messagetype.dat;DRIVER={SQLite3}");
    EXPECT_EQ(LocalDatabasePath(MainConnectionString("/opt/监视;x/")), "/opt/监视;x/message.dat");
    EXPECT_EQ(LocalDatabasePath("Driver=SQLite3;Database=/tmp/x.db"), "");
}

TEST(AppPaths, AutoStartAndProgramFiles)
{
    EXPECT_TRUE(IsAutoStartCommandLine("/R"));
    EXPECT_TRUE(IsAutoStartCommandLine("/Rest of it"));
    EXPECT_FALSE(IsAutoStartCommandLine("/r"));
    EXPECT_FALSE(IsAutoStartCommandLine(" /R"));
    EXPECT_EQ(ResolveProgramFile("/app/", "sound\\Cuckoo01.wav"), "/app/sound/Cuckoo01.wav");
    EXPECT_EQ(ResolveProgramFile("/app/", "/usr/share/a.wav"), "/usr/share/a.wav");
}

TEST(Startup, CreatesTheStoreOnceAndRefusesAFileThatIsNoDatabase)
{
    TempDir dir;
    {
        CTarvoApp app;
        std::string error;
        ASSERT_TRUE(app.InitInstance(dir.path(), "/nowhere/wendar", error)) << error;
        EXPECT_EQ(app.m_strAppDir, dir.path());
        EXPECT_EQ(app.m_strMainConnection, "DBQ=" + dir.path() + "message.dat;DRIVER={SQLite3}");
        EXPECT_TRUE(app.m_mainConnection.IsOpen());
        EXPECT_EQ(app.m_run.GetStatusText(), "当前状态：空闲");
        EXPECT_EQ(app.m_strUserName, "morvaten");
        EXPECT_EQ(app.m_nUserId, 88);
    }
    TempDir bad;
    std::ofstream(bad.path() + "message.dat") << "this is not a database, it is a letter";
    CTarvoApp app;
    std::string error;
    EXPECT_FALSE(app.InitInstance(bad.path(), "/nowhere/wendar", error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFile(bad.path() + "message.dat"), "this is not a database, it is a letter");
}
