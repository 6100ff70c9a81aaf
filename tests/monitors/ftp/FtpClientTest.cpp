#include "monitors/CFtpClient.h"
#include "support/FtpScriptedServer.h"

#include <algorithm>
#include <chrono>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

FtpClientOptions FastOptions()
{
    FtpClientOptions options;
    options.connectTimeoutSeconds = 2;
    options.stallTimeoutSeconds = 2;
    options.totalTimeoutSeconds = 20;
    return options;
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Logs in to a scripted server and changes to "/pub/"; the step results are returned.
struct Session
{
    explicit Session(const FtpScriptedServer& server, FtpClientOptions options = FastOptions()) : client(options)
    {
        connected = client.Connect("127.0.0.1", server.port(), "tester", "secret");
        entered = connected && client.ChangeDirectory("/pub/");
    }
    CFtpClient client;
    bool connected = false;
    bool entered = false;
};

FtpScriptedServer::Script PubScript()
{
    FtpScriptedServer::Script script;
    script.directories = {"/pub"};
    return script;
}

TEST(FtpClientScripted, FallsBackToListWhenMlsdIsUnknownAndReadsDosLines)
{
    auto script = PubScript();
    script.mlsd = false;
    script.listListing = "03-05-24  02:07PM       <DIR>          Old Stuff\r\n"
                         "03-05-24  02:09PM                 1234 report 1.doc\r\n";
    FtpScriptedServer server(script);
    Session session(server);
    ASSERT_TRUE(session.entered) << session.client.GetLastError();
    std::vector<FtpEntry> entries;
    ASSERT_TRUE(session.client.List(entries)) << session.client.GetLastError();
    EXPECT_THAT(entries, ElementsAre(FtpEntry{"Old Stuff", true, 0, FtpTimestamp{2024, 3, 5, 14, 7, 0}},
                                     FtpEntry{"report 1.doc", false, 1234, FtpTimestamp{2024, 3, 5, 14, 9, 0}}));
    std::vector<std::string> listings;
    for (const std::string& word : server.CommandWords()) {
        if (word == "MLSD" || word == "LIST") {
            listings.push_back(word);
        }
    }
    EXPECT_THAT(listings, ElementsAre("MLSD", "LIST"));
    // One login for all steps, and the directory taken from the root, not the login directory.
    const auto commands = server.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "USER tester"), 1);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "CWD /pub"), 1);
}

TEST(FtpClientScripted, AListingThatStallsMidwayFails)
{
    auto script = PubScript();
    script.mlsdListing =
        "type=file;modify=20240305140733;size=3; a.txt\r\ntype=file;modify=20240305140733;size=3; b\r\n";
    script.dataBytesBeforeStall = 5;
    FtpScriptedServer server(script);
    Session session(server);
    ASSERT_TRUE(session.entered) << session.client.GetLastError();
    const auto start = std::chrono::steady_clock::now();
    std::vector<FtpEntry> entries;
    EXPECT_FALSE(session.client.List(entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_THAT(session.client.GetLastError(), HasSubstr("sent nothing for 2 seconds"));
    EXPECT_FALSE(session.client.WasAborted());
    EXPECT_LT(SecondsSince(start), 4.0);
}

TEST(FtpClientScripted, AnOversizedListingIsRefused)
{
    auto script = PubScript();
    for (int i = 0; i < 100; ++i) {
        script.mlsdListing += "type=file;modify=20240305140733;size=3; file" + std::to_string(i) + "\r\n";
    }
    FtpScriptedServer server(script);
    FtpClientOptions options = FastOptions();
    options.maxListingBytes = 1000;
    Session session(server, options);
    ASSERT_TRUE(session.entered) << session.client.GetLastError();
    std::vector<FtpEntry> entries;
    EXPECT_FALSE(session.client.List(entries));
    EXPECT_THAT(session.client.GetLastError(), HasSubstr("larger than 1000 bytes"));
    // A too large MLSD listing is no reason to try LIST.
    const auto words = server.CommandWords();
    EXPECT_EQ(std::count(words.begin(), words.end(), "LIST"), 0);
}

TEST(FtpClientScripted, TheAbortCheckEndsAHangingLogin)
{
    auto script = PubScript();
    script.silentAfter = "PASS";
    FtpScriptedServer server(script);
    FtpClientOptions options = FastOptions();
    options.stallTimeoutSeconds = 30;
    CFtpClient client(options);
    const auto start = std::chrono::steady_clock::now();
    client.SetAbortCheck([&] { return SecondsSince(start) > 0.5; });
    EXPECT_FALSE(client.Connect("127.0.0.1", server.port(), "tester", "secret"));
    EXPECT_TRUE(client.WasAborted());
    EXPECT_LT(SecondsSince(start), 3.0);
}

} // namespace
