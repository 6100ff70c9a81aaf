// "wendar-cli check" on database items (category 1 on PostgreSQL, 66 on SQLite): the dispatcher
// hands both to the database check and new rows are stored once.
#include "RemoteDatabase.h"
#include "support/ChildProcess.h"
#include "support/TestStore.h"

#include <filesystem>

namespace {

TEST(CliCheckTest, CheckStoresNewRowsOfDatabaseAndBroadcastItems)
{
    const std::string cli = std::string(WENDAR_RUNTIME_DIR) + "wendar-cli";
    ASSERT_TRUE(std::filesystem::exists(cli)) << cli << " is not built";
    TempDir home;
    const auto run = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {cli, "--home", home.path()});
        const ChildResult result = RunChild(arguments, {{"XDG_CONFIG_HOME", home.path() + "config"}});
        EXPECT_EQ(result.status, 0) << result.out << result.err;
        return result.out + result.err;
    };
    const RemoteDatabase sqlite = MakeRemote("SQLite", home.path());
    sqlite.Run(kCreateNotices + InsertRows(1, 3));
    const RemoteDatabase postgres = MakeRemote("PostgreSQL", home.path());
    postgres.Run(kCreateNotices + InsertRows(1, 25));
    run({"items", "add", "--name", "数据库", "--category", "1", "--check-number", "20", "--view", "v_notice",
         "--address", postgres.connection});
    run({"items", "add", "--name", "广播", "--category", "66", "--check-number", "10000", "--view", "v_notice",
         "--address", sqlite.connection});

    std::string output = run({"check", "--all"});
    // Started by hand, not by the timer.
    EXPECT_NE(output.find("正在检查：数据库 >>->检查完毕!"), std::string::npos) << output;
    EXPECT_NE(output.find("正在检查：广播 >>->检查完毕!"), std::string::npos) << output;
    EXPECT_NE(output.find("检查结果:1\n新消息:23条"), std::string::npos) << output;
    output = run({"check", "--all"});
    EXPECT_NE(output.find("检查结果:0\n新消息:0条"), std::string::npos) << output;
}

} // namespace
