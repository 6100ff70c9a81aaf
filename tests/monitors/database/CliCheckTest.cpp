// "wendar-cli check" on database items (category 1 on PostgreSQL, 66 on SQLite): the dispatcher
// hands both to the database check and new rows are stored once.
#include "RemoteDatabase.h"
#include "support/TestStore.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

const std::string kCli = std::string(WENDAR_RUNTIME_DIR) + "wendar-cli";

std::string Quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

// Runs the CLI with its home in dir; stdout and stderr together.
std::string Cli(const std::string& dir, const std::string& arguments, int& status)
{
    const std::string command = "XDG_CONFIG_HOME=" + Quoted(dir + "config") + " " + Quoted(kCli) + " --home " +
                                Quoted(dir) + " " + arguments + " 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return output;
    }
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) {
        output.append(buffer, n);
    }
    status = pclose(pipe);
    return output;
}

TEST(CliCheckTest, CheckStoresNewRowsOfDatabaseAndBroadcastItems)
{
    ASSERT_TRUE(std::filesystem::exists(kCli)) << kCli << " is not built";
    TempDir home;
    std::string error;
    auto sqlite = MakeSqliteRemote(home.path());
    ASSERT_TRUE(sqlite->CreateNotices(error)) << error;
    ASSERT_TRUE(sqlite->Insert(NumberedRows(1, 3), error)) << error;
    auto postgres = MakePostgresRemote(error);
    ASSERT_TRUE(postgres) << error;
    ASSERT_TRUE(postgres->CreateNotices(error)) << error;
    ASSERT_TRUE(postgres->Insert(NumberedRows(1, 25), error)) << error;

    int status = 0;
    std::string output = Cli(home.path(),
                             "items add --name 数据库 --category 1 --check-number 20 --view v_notice --address " +
                                 Quoted(postgres->ConnectionString()),
                             status);
    ASSERT_EQ(status, 0) << output;
    output = Cli(home.path(),
                 "items add --name 广播 --category 66 --check-number 0 --view v_notice --address " +
                     Quoted(sqlite->ConnectionString()),
                 status);
    ASSERT_EQ(status, 0) << output;

    output = Cli(home.path(), "check --all", status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("正在进行自动检查：数据库 >>->检查完毕!"), std::string::npos) << output;
    EXPECT_NE(output.find("正在进行自动检查：广播 >>->检查完毕!"), std::string::npos) << output;
    EXPECT_NE(output.find("检查结果:1\n新消息:23条"), std::string::npos) << output;

    output = Cli(home.path(), "check --all", status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("检查结果:0\n新消息:0条"), std::string::npos) << output;
}

} // namespace
