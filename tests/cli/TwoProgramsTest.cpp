// Two programs on one application directory, as the desktop program and wendar-cli side by side:
// the same items checked by both at once store every finding once, and a run sees the items as
// another program left them.
#include "CliRunner.h"
#include "LocalServers.h"
#include "support/WaitUntil.h"

#include <atomic>
#include <thread>

using namespace std::chrono_literals;

namespace {

class TwoPrograms : public CliRunner
{
protected:
    // Both programs check everything at the same moment; both must succeed.
    void CheckTwiceAtOnce()
    {
        ChildResult first, second;
        std::thread other([&] { second = Run({"check", "--all"}); });
        first = Run({"check", "--all"});
        other.join();
        EXPECT_EQ(first.status, 0) << first.err;
        EXPECT_EQ(second.status, 0) << second.err;
        outputs += first.out + second.out;
    }
    std::string outputs;
};

std::string Mail(int n)
{
    return "From: sender" + std::to_string(n) + "@example.com\r\nTo: tester@example.com\r\nSubject: mail " +
           std::to_string(n) + "\r\nDate: Mon, 1 Jan 2024 10:00:00 +0800\r\n\r\nbody\r\n";
}

} // namespace

TEST_F(TwoPrograms, CheckingTheSamePop3FtpAndWebItemsAtOnceStoresEachFindingOnce)
{
    const std::string pop3Port = std::to_string(LocalServers::Pop3Port());
    const std::string ftp = LocalServers::NewFtpDirectory("two-programs");
    const std::string page = "/two-programs.htm";
    // A slow page keeps the two checks of it side by side.
    LocalServers::SetPage(page, "<p>version 0</p>", 300ms);
    Ok({"items", "add", "--name", "邮件", "--category", "4", "--address", "127.0.0.1", "--view", pop3Port, "--user",
        "tester", "--password", "secret"});
    Ok({"items", "add", "--name", "FTP", "--category", "3", "--address", ftp});
    Ok({"items", "add", "--name", "网页", "--category", "2", "--address",
        "http://127.0.0.1:" + std::to_string(LocalServers::HttpPort()) + page});

    constexpr int kRounds = 3, kPerRound = 15;
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kPerRound; ++i) {
            const int n = round * kPerRound + i;
            LocalServers::DeliverMail("17000" + std::to_string(100 + n) + ".M1P1.two", Mail(n));
            LocalServers::WriteFtpFile("two-programs", "file-" + std::to_string(n) + ".txt");
        }
        LocalServers::SetPage(page, "<p>version " + std::to_string(round) + "</p>", 300ms);
        CheckTwiceAtOnce();
    }
    EXPECT_EQ(Duplicates(), 0) << outputs;
    // The mailbox is shared with other tests: only this test's mails are counted.
    EXPECT_EQ(Number("select count(*) from userdata where MessageTypeID=1 and SourceInfo like 'mail %'"),
              kRounds * kPerRound);
    EXPECT_EQ(Number("select count(*) from userdata where MessageTypeID=2"), kRounds * kPerRound);
    // The first copy, then one change per later round.
    EXPECT_EQ(Number("select count(*) from userdata where MessageTypeID=3"), kRounds);
}

TEST_F(TwoPrograms, WatchFollowsItemsDeletedSwitchedOffAndAddedByAnotherProgram)
{
    const std::string base = "http://127.0.0.1:" + std::to_string(LocalServers::HttpPort());
    for (const char* path : {"/deleted.htm", "/off.htm", "/added.htm", "/kept.htm"}) {
        LocalServers::SetPage(path, "<p>page</p>");
    }
    Ok({"items", "add", "--name", "deleted", "--category", "2", "--address", base + "/deleted.htm"});
    Ok({"items", "add", "--name", "off", "--category", "2", "--address", base + "/off.htm"});
    Ok({"items", "add", "--name", "kept", "--category", "2", "--address", base + "/kept.htm"});

    // The edits land after the watch's first run; the watch ends after two whole runs since.
    std::atomic<bool> edited{false};
    std::atomic<int> keptAfterEdits{0};
    const auto twoRunsSinceTheEdits = [&](const std::string&) {
        return edited && LocalServers::Requests("/kept.htm") >= keptAfterEdits + 2 &&
               LocalServers::Requests("/added.htm") >= 1;
    };
    ChildResult watch;
    std::thread watcher([&] {
        watch = RunChildUntil(Command({"watch", "--interval-seconds", "1"}), Environment(), twoRunsSinceTheEdits);
    });
    EXPECT_TRUE(WaitUntil([] { return LocalServers::Requests("/kept.htm") >= 1; })) << "the watch never ran";
    Ok({"items", "delete", "1"});
    Ok({"items", "set", "2", "--state", "0"});
    Ok({"items", "add", "--name", "added", "--category", "2", "--address", base + "/added.htm"});
    const int deletedBefore = LocalServers::Requests("/deleted.htm");
    const int offBefore = LocalServers::Requests("/off.htm");
    keptAfterEdits = LocalServers::Requests("/kept.htm");
    edited = true;
    watcher.join();

    EXPECT_EQ(watch.status, 0) << watch.err;
    // At most a run that was already under way when the edits came reads the old items once more.
    EXPECT_LE(LocalServers::Requests("/deleted.htm") - deletedBefore, 1);
    EXPECT_LE(LocalServers::Requests("/off.htm") - offBefore, 1);
    EXPECT_GE(LocalServers::Requests("/added.htm"), 1) << watch.out;
    EXPECT_EQ(Number("select count(*) from userdata where MessageTypeID not in (select messagetypeid from "
                     "usermessagetype)"),
              0);
}
