#include "store/CAdoConnection.h"
#include "store/LocalDatabase.h"
#include "store/MessageTypeInfo.h"
#include "store/SourceRowInfo.h"
#include "support/ChildProcess.h"
#include "support/TestStore.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Cli : public testing::Test
{
protected:
    ChildResult Run(std::vector<std::string> args)
    {
        std::vector<std::string> argv = {WENDAR_CLI_PATH, "--home", home.path()};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunChild(argv, Env());
    }
    std::map<std::string, std::string> Env() const
    {
        return {{"XDG_CONFIG_HOME", config.path()}, {"WENDAR_HOME", ""}, {"PULSE_SERVER", "unix:/nonexistent"}};
    }
    // Stores findings straight into the CLI's message.dat.
    void StoreFindings(int messagetypeid, int count, int category = kCategoryWebPage)
    {
        std::string error;
        ASSERT_TRUE(EnsureLocalDatabase(home.path() + "message.dat", error));
        CAdoConnection connection;
        ASSERT_TRUE(connection.Open("DBQ=" + home.path() + "message.dat;DRIVER={SQLite3}"));
        MessageTypeInfo item;
        item.messagetypeid = messagetypeid;
        item.MessageCategory = category;
        item.MessageTypeName = "item";
        connection.Execute("begin");
        for (int i = 0; i < count; ++i) {
            SourceRowInfo row;
            row.ID = std::to_string(i);
            row.Info = "title " + std::to_string(i);
            row.Link = "http://127.0.0.1/" + std::to_string(i);
            row.Insert(connection, item);
        }
        connection.Execute("commit");
    }
    std::string Database() { return ReadFile(home.path() + "message.dat"); }

    TempDir home;
    TempDir config;
};

} // namespace

TEST_F(Cli, ItemsAreAddedShownChangedAndDeletedWithQuotesIntact)
{
    auto added = Run({"items",
                      "add",
                      "--name",
                      "O'Neil 新闻",
                      "--category",
                      "2",
                      "--address",
                      "http://h/'x'.htm",
                      "--password",
                      "p'w",
                      "--include-from",
                      "<td class='n'>",
                      "--interval-minutes",
                      "3",
                      "--exclude",
                      "<span id='c'>",
                      "</span>",
                      "--exclude",
                      "时间",
                      ""});
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, "1\n");

    auto shown = Run({"--json", "items", "show", "1"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find(R"("MessageTypeName":"O'Neil 新闻")"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find(R"("IncludeFrom":"<td class='n'>")"), std::string::npos);
    EXPECT_NE(shown.out.find(R"("CheckInterval":180)"), std::string::npos);
    EXPECT_NE(shown.out.find(R"("excludeFrom":"<span id='c'>","excludeTo":"</span>")"), std::string::npos);
    EXPECT_NE(shown.out.find(R"("excludeFrom":"时间","excludeTo":"")"), std::string::npos);

    ASSERT_EQ(Run({"items", "set", "1", "--state", "0", "--password", "new'"}).status, 0);
    auto listed = Run({"items"});
    ASSERT_EQ(listed.status, 0);
    EXPECT_NE(listed.out.find("1\t2\t禁止\tO'Neil 新闻\thttp://h/'x'.htm\t0\n"), std::string::npos) << listed.out;
    EXPECT_NE(Run({"--json", "items", "show", "1"}).out.find(R"("Password":"new'")"), std::string::npos);

    StoreFindings(1, 3);
    EXPECT_NE(Run({"items"}).out.find("\t3\n"), std::string::npos);
    ASSERT_EQ(Run({"items", "delete", "1"}).status, 0);
    EXPECT_EQ(Run({"items"}).out, "编号\t类型\t状态\t名称\t链接地址\t未读\n");
    EXPECT_NE(Run({"messages"}).out.find("共:0条"), std::string::npos);
}

TEST_F(Cli, MessagesArePagedAsTheListShowsThem)
{
    ASSERT_EQ(Run({"items", "add", "--name", "a"}).status, 0);
    StoreFindings(1, 250);
    auto last = Run({"messages", "--page", "9"});
    ASSERT_EQ(last.status, 0) << last.err;
    EXPECT_NE(last.out.find("3/3页  每页:100/共:250条"), std::string::npos) << last.out;
    EXPECT_EQ(std::count(last.out.begin(), last.out.end(), '\n'), 52); // header, 50 rows, paging bar

    auto json = Run({"--json", "messages", "--item", "1", "--filter", "unread"});
    ASSERT_EQ(json.status, 0);
    EXPECT_EQ(json.out.rfind(R"({"page":1,"pageCount":3,"totalCount":250,"pageSize":100,"unread":250,)", 0), 0u)
        << json.out.substr(0, 200);
    EXPECT_NE(json.out.find(R"("ID":250,"status":0)"), std::string::npos);

    ASSERT_EQ(Run({"mark", "read", "250", "249"}).status, 0);
    EXPECT_NE(Run({"--json", "messages", "--filter", "read"}).out.find(R"("totalCount":2,)"), std::string::npos);
    ASSERT_EQ(Run({"mark-all", "read", "--item", "1"}).status, 0);
    EXPECT_NE(Run({"messages", "--filter", "unread"}).out.find("共:0条"), std::string::npos);
    ASSERT_EQ(Run({"delete", "1", "2"}).status, 0);
    EXPECT_NE(Run({"messages"}).out.find("共:248条"), std::string::npos);

    auto one = Run({"--json", "message", "3"});
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_NE(one.out.find(R"("SourceInfo":"title 2")"), std::string::npos);
    EXPECT_NE(one.out.find(R"("CategoryName":"网页监视")"), std::string::npos);
}

TEST_F(Cli, ProtectedRecordsRefuseToChangeState)
{
    ASSERT_EQ(Run({"items", "add", "--name", "a"}).status, 0);
    StoreFindings(1, 1);
    {
        CAdoConnection connection;
        ASSERT_TRUE(connection.Open("DBQ=" + home.path() + "message.dat;DRIVER={SQLite3}"));
        ASSERT_TRUE(connection.Execute("update userdata set bCanChangeState=0"));
    }
    auto refused = Run({"mark", "read", "1"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("对不起,此类消息必须通过相应的业务软件进行处理"), std::string::npos) << refused.err;
    EXPECT_NE(Run({"messages", "--filter", "unread"}).out.find("共:1条"), std::string::npos);
}

TEST_F(Cli, BadInputExitsWithTwoAndChangesNothing)
{
    ASSERT_EQ(Run({"items", "add", "--name", "a"}).status, 0);
    StoreFindings(1, 2);
    const std::string before = Database();
    const std::vector<std::vector<std::string>> bad = {
        {"frobnicate"},
        {"items", "show", "99"},
        {"items", "set", "1", "--state", "yes"},
        {"items", "set", "1", "--category", "7"},
        {"items", "set", "1", "--bogus", "x"},
        {"items", "add", "--category", "2"},
        {"items", "delete", "x"},
        {"messages", "--page", "two"},
        {"messages", "--filter", "new"},
        {"messages", "--item", "42"},
        {"message", "99"},
        {"mark", "read", "1", "99"},
        {"mark", "maybe", "1"},
        {"delete", "1", "abc"},
        {"settings", "UserType", "3"},
        {"settings", "nosuchkey", "3"},
        {"settings", "pagesize", "0"},
        {"check", "77"},
        {"watch", "--interval-seconds", "0"},
    };
    for (const auto& args : bad) {
        auto result = Run(args);
        EXPECT_EQ(result.status, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "") << ": " << result.out;
        EXPECT_FALSE(result.err.empty());
    }
    EXPECT_EQ(Database(), before);
    EXPECT_FALSE(std::filesystem::exists(config.path() + "Local AppWizard-Generated Applications/Tarvo.ini"));
}

TEST_F(Cli, AFileThatIsNoDatabaseIsRefusedUntouched)
{
    std::ofstream(home.path() + "message.dat") << "not a database";
    auto result = Run({"items"});
    EXPECT_EQ(result.status, 2);
    EXPECT_FALSE(result.err.empty());
    EXPECT_EQ(ReadFile(home.path() + "message.dat"), "not a database");
}

TEST_F(Cli, SettingsAreShownAndWritten)
{
    auto shown = Run({"settings"});
    ASSERT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, "pagesize\t100\nenableAutoCheck\t1\nAutoCheckInterval\t15\nEnableSoundNotify\t1\n"
                         "SplitterWindowType\t0\nAutoMarkRead\t2\nenableAutoRun\t1\nUserType\t0\n");
    ASSERT_EQ(Run({"settings", "AutoCheckInterval", "5"}).status, 0);
    EXPECT_NE(Run({"--json", "settings"}).out.find(R"("AutoCheckInterval":5)"), std::string::npos);
    const std::string profile = ReadFile(config.path() + "Local AppWizard-Generated Applications/Tarvo.ini");
    EXPECT_NE(profile.find("AutoCheckInterval=5"), std::string::npos);
    EXPECT_EQ(profile.find("UserType"), std::string::npos);
}

TEST_F(Cli, PresetsComeFromThePresetFile)
{
    std::filesystem::copy_file(std::string(WENDAR_RUNTIME_DIR) + "messagetype.dat", home.path() + "messagetype.dat");
    auto presets = Run({"--json", "presets"});
    ASSERT_EQ(presets.status, 0) << presets.err;
    for (int category = 1; category <= 4; ++category) {
        EXPECT_NE(presets.out.find("\"MessageCategory\":" + std::to_string(category)), std::string::npos);
    }
    EXPECT_NE(presets.out.find("\"excludeFrom\""), std::string::npos);
    EXPECT_NE(Run({"presets"}).out.find("编号\t类型\t名称"), std::string::npos);
}

TEST_F(Cli, CheckAllRunsAndReportsItsResult)
{
    ASSERT_EQ(Run({"items", "add", "--name", "other", "--category", "5"}).status, 0);
    auto result = Run({"check", "--all"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("全部检查完毕！\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("检查结果:0\n新消息:0条\n"), std::string::npos) << result.out;
    auto one = Run({"--json", "check", "1"});
    ASSERT_EQ(one.status, 0);
    EXPECT_NE(one.out.find(R"({"result":0,"stored":0,)"), std::string::npos) << one.out;
}

TEST_F(Cli, WatchRunsUntilTerminatedAndSaysWhatIsUnread)
{
    ASSERT_EQ(Run({"items", "add", "--name", "other", "--category", "5"}).status, 0);
    StoreFindings(1, 2);
    auto result = RunChildAndTerminate({WENDAR_CLI_PATH, "--home", home.path(), "watch", "--interval-seconds", "1"},
                                       Env(), 2500ms, 30s);
    EXPECT_EQ(result.status, 0) << result.err;
    const auto runs = [&] {
        size_t n = 0;
        for (size_t at = 0; (at = result.out.find("您还有:2条消息未读", at)) != std::string::npos; ++at) {
            ++n;
        }
        return n;
    }();
    EXPECT_GE(runs, 2u) << result.out;
}
