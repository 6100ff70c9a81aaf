#include "FtpTestEnvironment.h"
#include "monitors/ftp/CFtpClient.h"

#include <chrono>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using Server = ScriptedLineServer;

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// An MLSD listing of count files.
std::string Listing(int count)
{
    std::string listing;
    for (int i = 0; i < count; ++i) {
        listing += "type=file;modify=20240305140733;size=3; file" + std::to_string(i) + "\r\n";
    }
    return listing;
}

// A listing of 50 files that trickles, a byte every 100 ms.
const Server::Step kTrickle = Server::Send(Listing(50), 1, std::chrono::milliseconds(100));

// Logs in to a scripted server and changes to "/pub/".
bool Enter(CFtpClient& client, const Server& server)
{
    return client.Connect("127.0.0.1", server.port(), "tester", "secret") && client.ChangeDirectory("/pub/");
}

TEST(FtpClientScripted, FallsBackToListWhenMlsdIsUnknownAndReadsDosLines)
{
    Server data({Server::Send("03-05-24  02:07PM       <DIR>          Old Stuff\r\n"
                              "03-05-24  02:09PM                 1234 report 1.doc\r\n"),
                 Server::Close()});
    const std::string epsv = "229 Extended Passive Mode (|||" + std::to_string(data.port()) + "|)";
    Server control(FtpControlScript(data.port(), {"500 Unknown command", epsv, "150 Here\r\n226 Done", "221 Bye"}));
    {
        CFtpClient client({.connectTimeoutSeconds = 30, .stallTimeoutSeconds = 30});
        std::vector<FtpEntry> entries;
        ASSERT_TRUE(Enter(client, control) && client.List(entries)) << client.GetLastError();
        EXPECT_THAT(entries, ElementsAre(FtpEntry{"Old Stuff", true, 0, FtpTimestamp{2024, 3, 5, 14, 7, 0}},
                                         FtpEntry{"report 1.doc", false, 1234, FtpTimestamp{2024, 3, 5, 14, 9, 0}}));
    }
    // One login for all steps, the directory taken from the root, and LIST only after MLSD.
    ASSERT_TRUE(control.WaitForConnectionsEnded(1, std::chrono::seconds(60)));
    EXPECT_EQ(control.ConnectionsAccepted(), 1);
    EXPECT_THAT(control.Lines(), ElementsAre("USER tester\r\n", "PASS secret\r\n", "PWD\r\n", "CWD /pub\r\n",
                                             "EPSV\r\n", "TYPE A\r\n", "MLSD\r\n", "EPSV\r\n", "LIST\r\n", "QUIT\r\n"));
}

// A stall (the rest of the line never comes), a listing too large to hold and one that trickles past
// the overall limit (counted from the connect) each end the listing with their reason.
TEST(FtpClientScripted, AListingThatStallsGrowsTooLargeOrTricklesPastTheOverallLimitFailsWithoutTryingList)
{
    const FtpClientOptions limits{.connectTimeoutSeconds = 2, .stallTimeoutSeconds = 2, .maxListingBytes = 1000};
    const FtpClientOptions overall{.connectTimeoutSeconds = 30, .stallTimeoutSeconds = 30, .totalTimeoutSeconds = 2};
    // The data connection's script, the reply to MLSD, the client's limits, the error, the most it takes in seconds.
    const std::tuple<std::vector<Server::Step>, const char*, FtpClientOptions, const char*, double> cases[] = {
        {{Server::Send("type=file;mod"), Server::Hold()}, "150 Here", limits, "服务器 2 秒没有回应", 20.0},
        {{Server::Send(Listing(100)), Server::Close()}, "150 Here\r\n226 Done", limits, "目录列表超过 1000 字节", 20.0},
        {{kTrickle}, "150 Here", overall, "服务器在 2 秒内没有完成", 3.0}};
    for (const auto& [script, reply, options, error, seconds] : cases) {
        Server data(script);
        Server control(FtpControlScript(data.port(), {reply}));
        CFtpClient client(options);
        std::vector<FtpEntry> entries;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(Enter(client, control)) << client.GetLastError();
        EXPECT_FALSE(client.List(entries));
        EXPECT_TRUE(entries.empty());
        EXPECT_THAT(client.GetLastError(), HasSubstr(error));
        EXPECT_FALSE(client.WasAborted());
        EXPECT_LT(SecondsSince(start), seconds) << error; // the time-out, not a hang
        EXPECT_THAT(control.Lines(), Not(Contains("LIST\r\n")));
    }
}

// The login is part of the connect: every reply within the stall time-out is no stall, however long
// the whole login takes; a login that hangs ends on the abort check.
TEST(FtpClientScripted, ASlowButAnsweringLoginIsNoStallAndTheAbortCheckEndsAHangingOne)
{
    std::vector<Server::Step> script = {Server::Send("220 scripted server\r\n")};
    for (const char* reply : {"331 Password\r\n", "230 Logged in\r\n", "257 \"/\" is current\r\n"}) {
        script.insert(script.end(),
                      {Server::ReadLine(), Server::Pause(std::chrono::milliseconds(1200)), Server::Send(reply)});
    }
    script.insert(script.end(), {Server::ReadLine(), Server::Send("221 Bye\r\n")});
    Server slow(script);
    CFtpClient client({.connectTimeoutSeconds = 10, .stallTimeoutSeconds = 3});
    EXPECT_TRUE(client.Connect("127.0.0.1", slow.port(), "tester", "secret")) << client.GetLastError();

    Server hanging(FtpControlScript(0, {""}, 1)); // silent after PASS
    CFtpClient aborted({.connectTimeoutSeconds = 2, .stallTimeoutSeconds = 30});
    const auto start = std::chrono::steady_clock::now();
    aborted.SetAbortCheck([&] { return SecondsSince(start) > 0.5; });
    EXPECT_FALSE(aborted.Connect("127.0.0.1", hanging.port(), "tester", "secret"));
    EXPECT_TRUE(aborted.WasAborted());
    EXPECT_LT(SecondsSince(start), 20.0); // the stall time-out is 30 s
}

// Stop latency per step, with the stall time-out far away: a PASV that is never answered, a data
// connection that never sends, a listing that trickles.
TEST(FtpClientScripted, AStopEndsEveryStepAtOnce)
{
    // The step, the data connection's script, the replies of the control script before it falls silent.
    const std::tuple<const char*, std::vector<Server::Step>, std::size_t> cases[] = {
        {"stalled PASV", {}, 4}, {"silent data connection", {Server::Hold()}, 7}, {"trickling listing", {kTrickle}, 7}};
    for (const auto& [what, script, login] : cases) {
        Server data(script);
        Server control(FtpControlScript(data.port(), {"150 Here"}, login));
        CFtpClient client({.connectTimeoutSeconds = 30, .stallTimeoutSeconds = 30});
        ASSERT_TRUE(Enter(client, control)) << client.GetLastError();
        const auto stopAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
        client.SetAbortCheck([&] { return std::chrono::steady_clock::now() >= stopAt; });
        std::vector<FtpEntry> entries;
        EXPECT_FALSE(client.List(entries)) << what;
        EXPECT_TRUE(client.WasAborted()) << what << ": " << client.GetLastError();
        EXPECT_LT(SecondsSince(stopAt), 5.0) << what; // the stall time-out is 30 s
    }
}

} // namespace
