#include "app/AppConnections.h"
#include "app/AppPaths.h"
#include "app/CTarvoApp.h"
#include "app/Settings.h"
#include "store/CAdoRecordset.h"
#include "support/TestStore.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Every test of this binary keeps its profile under one private XDG_CONFIG_HOME, set before Qt first reads it.
const TempDir g_config;
const bool g_configSet = ::setenv("XDG_CONFIG_HOME", g_config.path().c_str(), 1) == 0;
const std::string g_profile = g_config.path() + "Local AppWizard-Generated Applications/Tarvo.ini";

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(Settings, FreshProfileGivesTheDefaultsSavingNeverWritesUserTypeAndReadingToleratesJunk)
{
    ASSERT_TRUE(g_configSet);
    std::filesystem::remove(g_profile);
    Settings settings;
    settings.pagesize = 7;
    settings.LoadSettings();
    EXPECT_EQ(settings.pagesize, 7); // a missing key leaves the value it had (the defaults: the CLI's settings test)
    Settings fresh;
    fresh.AutoCheckInterval = 30;
    fresh.UserType = 4;
    fresh.SaveSettings();
    const std::string text = ReadFile(g_profile);
    EXPECT_NE(text.find("[morvatenX]"), std::string::npos) << text;
    EXPECT_NE(text.find("AutoCheckInterval=30"), std::string::npos) << text;
    EXPECT_EQ(text.find("UserType"), std::string::npos) << text;
    Settings again;
    again.LoadSettings();
    EXPECT_EQ(std::pair(again.AutoCheckInterval, again.UserType), std::pair(30, 0));

    std::ofstream(g_profile) << "[morvatenX]\nUserType=3\npagesize=abc\n";
    again.LoadSettings();
    EXPECT_EQ(std::pair(again.UserType, again.pagesize), std::pair(3, 100));
}

TEST(AppPaths, ConnectionStringsAndAutoStart)
{
    EXPECT_EQ(MainConnectionString("/opt/监视/"), "DBQ=/opt/监视/message.dat;DRIVER={SQLite3}");
    EXPECT_EQ(PresetConnectionString("/a/"), "DBQ=/a/messagetype.dat;DRIVER={SQLite3}");
    EXPECT_EQ(LocalDatabasePath(MainConnectionString("/opt/监视;x/")), "/opt/监视;x/message.dat");
    EXPECT_EQ(LocalDatabasePath("Driver=SQLite3;Database=/tmp/x.db"), "");

    EXPECT_TRUE(IsAutoStartCommandLine("/Rest of it"));
    EXPECT_FALSE(IsAutoStartCommandLine("/r"));
    EXPECT_FALSE(IsAutoStartCommandLine(" /R"));
}

TEST(Startup, CreatesAPrivateStoreOnceAndRefusesAFileThatIsNoDatabase)
{
    TempDir dir;
    std::string error;
    {
        CTarvoApp app;
        ASSERT_TRUE(app.InitInstance(dir.path(), "/nowhere/wendar", error)) << error;
        EXPECT_EQ(app.m_strMainConnection, MainConnectionString(dir.path()));
        EXPECT_EQ(app.m_run.GetStatusText(), "当前状态：空闲");
        EXPECT_EQ(std::pair(app.m_strUserName, app.m_nUserId), std::pair(std::string("morvaten"), 88));
        ASSERT_TRUE(app.Db().main.Execute("insert into userdata (status) values (0)"));
    }
    struct stat st = {};
    ASSERT_EQ(::stat((dir.path() + "message.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    {
        CTarvoApp app; // an existing store is opened as it is
        ASSERT_TRUE(app.InitInstance(dir.path(), "/nowhere/wendar", error)) << error;
        CAdoRecordset rs(app.Db().main);
        ASSERT_TRUE(rs.Open("select * from userdata"));
        EXPECT_EQ(rs.GetRecordCount(), 1);
    }
    std::ofstream(dir.path() + "message.dat", std::ios::trunc) << "this is not a database, it is a letter";
    CTarvoApp app;
    EXPECT_FALSE(app.InitInstance(dir.path(), "/nowhere/wendar", error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFile(dir.path() + "message.dat"), "this is not a database, it is a letter");
}
