// The start of either program: its profile, the user's data directory apart from the program's
// resources, the private store, and the move of an earlier build's message.dat out of the
// executable's folder.
#include "TestFiles.h"
#include "app/AppConnections.h"
#include "app/AppPaths.h"
#include "app/CTarvoApp.h"
#include "app/Settings.h"
#include "platform/ScopedEnv.h"
#include "store/CAdoRecordset.h"
#include "store/LocalDatabase.h"
#include "support/TestStore.h"

#include <gmock/gmock.h>

namespace fs = std::filesystem;
using testing::HasSubstr;

namespace {

// Every test of this binary keeps its profile under one private XDG_CONFIG_HOME, set before Qt first reads it.
const TempDir g_config;
const bool g_configSet = ::setenv("XDG_CONFIG_HOME", g_config.path().c_str(), 1) == 0;
const std::string g_profile = g_config.path() + "Local AppWizard-Generated Applications/Tarvo.ini";

// A store with one check item called name, as an earlier build left it.
void MakeStore(const std::string& dir, const std::string& name)
{
    fs::create_directories(dir);
    std::string error;
    ASSERT_TRUE(EnsureLocalDatabase(dir + "message.dat", error)) << error;
    CAdoConnection connection;
    ASSERT_TRUE(connection.Open(MainConnectionString(dir)));
    ASSERT_TRUE(connection.Execute("insert into usermessagetype (MessageTypeName) values ('" + name + "')"));
}

std::string ItemName(CTarvoApp& app)
{
    CAdoRecordset rs(app.Db().main);
    std::string name;
    if (rs.Open("select MessageTypeName from usermessagetype") && !rs.IsEOF()) {
        rs.GetFieldValue("MessageTypeName", name);
    }
    return name;
}

// An installed layout under a temporary prefix: bin/wendar and share/wendar with the presets.
class Installed : public testing::Test
{
protected:
    void SetUp() override
    {
        WriteFile(prefix + "bin/wendar", "x");
        WriteFile(prefix + "share/wendar/sound/Cuckoo01.wav", "x");
        fs::copy_file(std::string(WENDAR_RUNTIME_DIR) + "messagetype.dat", prefix + "share/wendar/messagetype.dat");
    }
    bool Start(CTarvoApp& app, const std::string& home = "")
    {
        std::string error;
        const bool ok = app.InitInstance(home, exe, error);
        EXPECT_TRUE(ok) << error;
        return ok;
    }
    // A start that tells one notice, holding `notice`; the directory and the item of the store it uses.
    std::pair<std::string, std::string> StartTelling(const std::string& notice)
    {
        CTarvoApp app;
        EXPECT_TRUE(Start(app));
        EXPECT_THAT(app.m_notices, testing::ElementsAre(HasSubstr(notice)));
        return {app.m_strAppDir, ItemName(app)};
    }

    TempDir root;
    const std::string prefix = root.path() + "usr/";
    const std::string exe = prefix + "bin/wendar";
    const std::string data = root.path() + "xdg/wendar/";
    ScopedEnv xdg{"XDG_DATA_HOME", (root.path() + "xdg").c_str()};
    ScopedEnv noHome{"WENDAR_HOME", nullptr};
};

} // namespace

TEST(Settings, FreshProfileGivesTheDefaultsSavingNeverWritesUserTypeAndReadingToleratesJunk)
{
    ASSERT_TRUE(g_configSet);
    fs::remove(g_profile);
    Settings settings;
    settings.pagesize = 7;
    settings.LoadSettings();
    EXPECT_EQ(settings.pagesize, 7); // a missing key leaves the value it had (the defaults: the CLI's settings test)
    Settings fresh;
    fresh.AutoCheckInterval = 30;
    fresh.UserType = 4;
    fresh.SaveSettings();
    EXPECT_THAT(ReadFile(g_profile), testing::AllOf(HasSubstr("[morvatenX]"), HasSubstr("AutoCheckInterval=30"),
                                                    testing::Not(HasSubstr("UserType"))));
    Settings again;
    again.LoadSettings();
    EXPECT_EQ(std::pair(again.AutoCheckInterval, again.UserType), std::pair(30, 0));

    std::ofstream(g_profile) << "[morvatenX]\nUserType=3\npagesize=abc\n";
    again.LoadSettings();
    EXPECT_EQ(std::pair(again.UserType, again.pagesize), std::pair(3, 100));
}

TEST(AppPaths, DataDirectoryFollowsXdgAndResourcesFollowTheExecutable)
{
    ScopedEnv noHome("WENDAR_HOME", nullptr);
    {
        ScopedEnv xdg("XDG_DATA_HOME", "/srv/监视 数据/");
        EXPECT_EQ(DefaultDataDirectory(), "/srv/监视 数据/wendar/");
        EXPECT_EQ(ResolveApplicationDirectory("", "/opt/x/bin/wendar"), "/srv/监视 数据/wendar/");
        ScopedEnv env("WENDAR_HOME", "/env/home");
        EXPECT_EQ(ResolveApplicationDirectory("", "/x/wendar"), "/env/home/");
        EXPECT_EQ(ResolveApplicationDirectory("/opt/h", "/x/wendar"), "/opt/h/"); // --home wins
    }
    {
        // A relative XDG_DATA_HOME is invalid and ignored.
        ScopedEnv xdg("XDG_DATA_HOME", "relative/dir");
        ScopedEnv home("HOME", "/home/u");
        EXPECT_EQ(DefaultDataDirectory(), "/home/u/.local/share/wendar/");
    }

    TempDir root;
    for (const char* file : {"build/bin/messagetype.dat", "usr/share/wendar/help/help.htm",
                             "usr/share/wendar/sound/a.wav", "usr/share/wendar/sound/b.wav", "data/sound/b.wav"}) {
        WriteFile(root.path() + file, "x");
    }
    EXPECT_EQ(ResourceDirectoryFor(root.path() + "build/bin/wendar-cli"), root.path() + "build/bin/");
    EXPECT_EQ(ResourceDirectoryFor(root.path() + "usr/bin/wendar-cli"), root.path() + "usr/share/wendar/");
    EXPECT_FALSE(ResourceDirectoryFor(root.path() + "elsewhere/wendar-cli").starts_with(root.path()));

    // A relative program file: the data directory's own first, then the resource directory's.
    const std::string data = root.path() + "data/";
    const std::string res = root.path() + "usr/share/wendar/";
    EXPECT_EQ(ResolveProgramFile(data, res, "sound\\a.wav"), res + "sound/a.wav");
    EXPECT_EQ(ResolveProgramFile(data, res, "sound/b.wav"), data + "sound/b.wav");
    EXPECT_EQ(ResolveProgramFile(data, res, "sound/none.wav"), data + "sound/none.wav");
    EXPECT_EQ(ResolveProgramFile(data, res, "/abs/c.wav"), "/abs/c.wav");

    EXPECT_EQ(LocalDatabasePath(MainConnectionString("/opt/监视;x/")), "/opt/监视;x/message.dat");
    EXPECT_EQ(LocalDatabasePath("Driver=SQLite3;Database=/tmp/x.db"), "");
    EXPECT_EQ(
        std::tuple(IsAutoStartCommandLine("/Rest of it"), IsAutoStartCommandLine("/r"), IsAutoStartCommandLine(" /R")),
        std::tuple(true, false, false));
}

TEST_F(Installed, FirstStartMakesAPrivateStoreReadsTheInstalledResourcesAndRefusesAFileThatIsNoDatabase)
{
    {
        CTarvoApp app;
        ASSERT_TRUE(Start(app));
        EXPECT_EQ(std::tuple(app.m_strAppDir, app.m_strResourceDir, app.m_strMainConnection),
                  std::tuple(data, prefix + "share/wendar/", MainConnectionString(data)));
        EXPECT_TRUE(app.m_notices.empty());
        EXPECT_EQ(std::tuple(app.m_run.GetStatusText(), app.m_strUserName, app.m_nUserId),
                  std::tuple("当前状态：空闲", "morvaten", 88));
        EXPECT_EQ(std::pair(FileMode(data), FileMode(data + "message.dat")), std::pair(0700u, 0600u));
        EXPECT_FALSE(fs::exists(prefix + "bin/message.dat"));
        EXPECT_EQ(app.m_strPresetConnection, PresetConnectionString(prefix + "share/wendar/"));
        EXPECT_EQ(app.ProgramFile("sound\\Cuckoo01.wav"), prefix + "share/wendar/sound/Cuckoo01.wav");
        WriteFile(data + "sound/Cuckoo01.wav", "x"); // the user's own file of the same name wins
        EXPECT_EQ(app.ProgramFile("sound\\Cuckoo01.wav"), data + "sound/Cuckoo01.wav");
        ASSERT_TRUE(app.Db().main.Execute("insert into usermessagetype (MessageTypeName) values ('kept')"));
    }
    {
        CTarvoApp app; // an existing store is opened as it is
        ASSERT_TRUE(Start(app));
        EXPECT_EQ(ItemName(app), "kept");
    }
    std::ofstream(data + "message.dat", std::ios::trunc) << "this is not a database, it is a letter";
    CTarvoApp app;
    std::string error;
    EXPECT_FALSE(app.InitInstance("", exe, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFile(data + "message.dat"), "this is not a database, it is a letter");
}

TEST_F(Installed, AHomeDirectoryKeepsItsOwnFilesAndTakesTheMissingOnesFromTheResources)
{
    TempDir home;
    {
        CTarvoApp app;
        ASSERT_TRUE(Start(app, home.path()));
        EXPECT_EQ(app.m_strAppDir, home.path());
        EXPECT_EQ(app.m_strPresetConnection, PresetConnectionString(prefix + "share/wendar/"));
        EXPECT_EQ(app.ProgramFile("help/help.htm"), home.path() + "help/help.htm"); // missing everywhere
        EXPECT_FALSE(fs::exists(data)); // the default data directory is not touched
    }
    WriteFile(home.path() + "messagetype.dat", "x");
    CTarvoApp app;
    ASSERT_TRUE(Start(app, home.path()));
    EXPECT_EQ(app.m_strPresetConnection, PresetConnectionString(home.path()));

    std::string error;
    CTarvoApp missing;
    EXPECT_FALSE(missing.InitInstance(home.path() + "nowhere", exe, error)); // a named directory is never created
    EXPECT_THAT(error, HasSubstr("应用目录不存在"));
}

TEST_F(Installed, AnOldStoreBesideTheExecutableIsMovedWholeOnceOrUsedWhereItIsButNeverLeftBehindSilently)
{
    MakeStore(prefix + "bin/", "旧项目");
    WriteFile(prefix + "bin/message.dat-wal", "");    // travels with its database
    fs::create_directories(data + "message.dat-wal"); // the log's move fails after the file's
    EXPECT_EQ(StartTelling("继续使用原处的数据库"), std::pair(prefix + "bin/", std::string("旧项目")));
    EXPECT_FALSE(fs::exists(data + "message.dat")); // the half move was undone
    fs::remove(data + "message.dat-wal");
    EXPECT_EQ(StartTelling("已把旧的数据库 " + prefix + "bin/message.dat 移到 " + data),
              std::pair(data, std::string("旧项目")));
    EXPECT_FALSE(fs::exists(prefix + "bin/message.dat") || fs::exists(prefix + "bin/message.dat-wal"));
    // (The next start is quiet: the CLI's test.) Another old store while the data directory has one: kept, and said so
    // at every start.
    MakeStore(prefix + "bin/", "另一个");
    for (int start = 0; start < 2; ++start) {
        EXPECT_EQ(StartTelling("没有使用"), std::pair(data, std::string("旧项目")));
    }
    EXPECT_TRUE(fs::exists(prefix + "bin/message.dat"));
}
