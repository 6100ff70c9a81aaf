#include "store/CAdoConnection.h"
#include "store/LocalDatabase.h"
#include "store/MessageTypeInfo.h"
#include "store/SourceRowInfo.h"
#include "support/ChildProcess.h"
#include "support/TestStore.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

using namespace std::chrono_literals;

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class Cli : public testing::Test
{
protected:
    ChildResult Run(std::vector<std::string> args, std::chrono::milliseconds terminateAfter = 0ms)
    {
        args.insert(args.begin(), {WENDAR_CLI_PATH, "--home", home.path()});
        const std::map<std::string, std::string> env = {
            {"XDG_CONFIG_HOME", config.path()}, {"WENDAR_HOME", ""}, {"PULSE_SERVER", "unix:/nonexistent"}};
        return terminateAfter.count() ? RunChildAndTerminate(args, env, terminateAfter, 30s) : RunChild(args, env);
    }
    // Adds item 1 with the CLI, then stores findings for it straight into the CLI's message.dat.
    void AddItemWithFindings(int count, const std::string& category = "2")
    {
        ASSERT_EQ(Run({"items", "add", "--name", "a", "--category", category}).status, 0);
        CAdoConnection connection;
        ASSERT_TRUE(connection.Open("DBQ=" + home.path() + "message.dat;DRIVER={SQLite3}"));
        MessageTypeInfo item;
        item.messagetypeid = 1;
        item.MessageCategory = kCategoryWebPage;
        connection.Execute("begin");
        for (int i = 0; i < count; ++i) {
            SourceRowInfo row;
            row.ID = std::to_string(i);
            row.Info = "title " + std::to_string(i);
            row.Insert(connection, item);
        }
        connection.Execute("commit");
    }

    TempDir home;
    TempDir config;
};

} // namespace

TEST_F(Cli, ItemsAreAddedShownChangedAndDeletedWithQuotesIntact)
{
    auto added = Run({"items", "add", "--name", "O'Neil 新闻", "--category", "2", "--address", "http://h/'x'.htm",
                      "--include-from", "<td class='n'>", "--interval-minutes", "3"});
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, "1\n");
    ASSERT_EQ(Run({"items", "set", "1", "--state", "0", "--password", "p'w", "--exclude", "<span id='c'>", "</span>",
                   "--exclude", "时间", ""})
                  .status,
              0);
    auto shown = Run({"--json", "items", "show", "1"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    for (const char* field :
         {R"("MessageTypeName":"O'Neil 新闻")", R"("IncludeFrom":"<td class='n'>")", R"("CheckInterval":180)",
          R"("Password":"p'w")", R"("excludeFrom":"<span id='c'>","excludeTo":"</span>")",
          R"("excludeFrom":"时间","excludeTo":"")"}) {
        EXPECT_TRUE(Has(shown.out, field)) << field << " in " << shown.out;
    }
    EXPECT_TRUE(Has(Run({"items"}).out, "1\t2\t禁止\tO'Neil 新闻\thttp://h/'x'.htm\t0\n"));
    ASSERT_EQ(Run({"items", "delete", "1"}).status, 0);
    EXPECT_EQ(Run({"items"}).out, "编号\t类型\t状态\t名称\t链接地址\t未读\n");
}

TEST_F(Cli, MessagesArePagedMarkedAndDeletedAsTheListDoesItExceptProtectedOnes)
{
    AddItemWithFindings(250);
    EXPECT_TRUE(Has(Run({"items"}).out, "\t250\n"));
    auto last = Run({"messages", "--page", "9"});
    ASSERT_EQ(last.status, 0) << last.err;
    EXPECT_TRUE(Has(last.out, "3/3页  每页:100/共:250条")) << last.out;
    EXPECT_EQ(std::count(last.out.begin(), last.out.end(), '\n'), 52); // header, 50 rows, paging bar
    auto json = Run({"--json", "messages", "--item", "1", "--filter", "unread"});
    EXPECT_EQ(json.out.rfind(R"({"page":1,"pageCount":3,"totalCount":250,"pageSize":100,"unread":250,)", 0), 0u)
        << json.out.substr(0, 200);
    EXPECT_TRUE(Has(json.out, R"("ID":250,"status":0)"));

    ASSERT_EQ(Run({"mark", "read", "250", "249"}).status, 0);
    EXPECT_TRUE(Has(Run({"--json", "messages", "--filter", "read"}).out, R"("totalCount":2,)"));
    ASSERT_EQ(Run({"mark-all", "read", "--item", "1"}).status, 0);
    EXPECT_TRUE(Has(Run({"messages", "--filter", "unread"}).out, "共:0条"));
    {
        CAdoConnection connection;
        ASSERT_TRUE(connection.Open("DBQ=" + home.path() + "message.dat;DRIVER={SQLite3}"));
        ASSERT_TRUE(connection.Execute("update userdata set bCanChangeState=0 where id=3"));
    }
    auto refused = Run({"mark", "unread", "3"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(Has(refused.err, "对不起,此类消息必须通过相应的业务软件进行处理")) << refused.err;
    EXPECT_TRUE(Has(Run({"messages", "--filter", "unread"}).out, "共:0条"));
    {
        CAdoConnection connection;
        ASSERT_TRUE(connection.Open("DBQ=" + home.path() + "message.dat;DRIVER={SQLite3}"));
        ASSERT_TRUE(connection.Execute("create trigger refuse before update on userdata begin select raise(abort, "
                                       "'refused'); end; create trigger refuse_item before update on usermessagetype "
                                       "begin select raise(abort, 'refused'); end"));
    }
    EXPECT_EQ(Run({"mark", "unread", "4"}).status, 1); // a change the database refused is no success
    EXPECT_EQ(Run({"items", "set", "1", "--name", "b"}).status, 1);
    {
        CAdoConnection connection;
        ASSERT_TRUE(connection.Open("DBQ=" + home.path() + "message.dat;DRIVER={SQLite3}"));
        ASSERT_TRUE(connection.Execute("drop trigger refuse; drop trigger refuse_item"));
    }
    ASSERT_EQ(Run({"delete", "1", "2"}).status, 0);
    EXPECT_TRUE(Has(Run({"messages"}).out, "共:248条"));
    auto one = Run({"--json", "message", "3"});
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_TRUE(Has(one.out, R"("SourceInfo":"title 2")"));
    EXPECT_TRUE(Has(one.out, R"("CategoryName":"网页监视")"));
    ASSERT_EQ(Run({"items", "delete", "1"}).status, 0);
    EXPECT_TRUE(Has(Run({"messages"}).out, "共:0条"));
}

TEST_F(Cli, BadInputExitsWithTwoAndChangesNothing)
{
    AddItemWithFindings(2);
    const std::string before = ReadFile(home.path() + "message.dat");
    for (const char* line :
         {"frobnicate", "items show 99", "items set 1 --state yes", "items set 1 --category 7", "items set 1 --bogus x",
          "items add --category 2", "items delete x", "messages --page two", "messages --filter new",
          "messages --item 42", "message 99", "mark read 1 99", "mark maybe 1", "delete 1 abc", "settings UserType 3",
          "settings nosuchkey 3", "settings pagesize 0", "check 77", "watch --interval-seconds 0"}) {
        std::istringstream words(line);
        auto result = Run({std::istream_iterator<std::string>(words), {}});
        EXPECT_EQ(result.status, 2) << line << ": " << result.out;
        EXPECT_FALSE(result.err.empty()) << line;
    }
    EXPECT_EQ(ReadFile(home.path() + "message.dat"), before);
    EXPECT_FALSE(std::filesystem::exists(config.path() + "Local AppWizard-Generated Applications/Tarvo.ini"));

    std::ofstream(home.path() + "message.dat", std::ios::trunc) << "not a database";
    auto result = Run({"items"});
    EXPECT_EQ(result.status, 2);
    EXPECT_FALSE(result.err.empty());
    EXPECT_EQ(ReadFile(home.path() + "message.dat"), "not a database");
}

TEST_F(Cli, SettingsAndPresetsAreShownAndSettingsWritten)
{
    EXPECT_EQ(Run({"settings"}).out, "pagesize\t100\nenableAutoCheck\t1\nAutoCheckInterval\t15\nEnableSoundNotify\t1\n"
                                     "SplitterWindowType\t0\nAutoMarkRead\t2\nenableAutoRun\t1\nUserType\t0\n");
    ASSERT_EQ(Run({"settings", "AutoCheckInterval", "5"}).status, 0);
    EXPECT_TRUE(Has(Run({"--json", "settings"}).out, R"("AutoCheckInterval":5)"));
    const std::string profile = ReadFile(config.path() + "Local AppWizard-Generated Applications/Tarvo.ini");
    EXPECT_TRUE(Has(profile, "AutoCheckInterval=5"));
    EXPECT_FALSE(Has(profile, "UserType"));

    // A profile that cannot be written is a failure, not a success.
    std::filesystem::remove_all(config.path() + "Local AppWizard-Generated Applications");
    std::ofstream(config.path() + "Local AppWizard-Generated Applications") << "a file";
    auto unwritable = Run({"settings", "pagesize", "50"});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_FALSE(unwritable.err.empty());

    std::filesystem::copy_file(std::string(WENDAR_RUNTIME_DIR) + "messagetype.dat", home.path() + "messagetype.dat");
    auto presets = Run({"--json", "presets"});
    ASSERT_EQ(presets.status, 0) << presets.err;
    for (int category = 1; category <= 4; ++category) {
        EXPECT_TRUE(Has(presets.out, "\"MessageCategory\":" + std::to_string(category)));
    }
    EXPECT_TRUE(Has(presets.out, "\"excludeFrom\""));
    EXPECT_TRUE(Has(Run({"presets"}).out, "编号\t类型\t名称"));
}

TEST_F(Cli, CheckRunsOnceAndWatchRunsUntilTerminated)
{
    AddItemWithFindings(2, "5");
    auto all = Run({"check", "--all"});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_TRUE(Has(all.out, "全部检查完毕！\n检查结果:0\n新消息:0条\n")) << all.out;
    EXPECT_TRUE(Has(Run({"--json", "check", "1"}).out, R"({"result":0,"stored":0,)"));

    auto watch = Run({"watch", "--interval-seconds", "1"}, 2500ms);
    EXPECT_EQ(watch.status, 0) << watch.err;
    const auto first = watch.out.find("您还有:2条消息未读");
    EXPECT_NE(watch.out.find("您还有:2条消息未读", first + 1), std::string::npos) << watch.out;
}
