// Two programs on one application directory, as the desktop program and wendar-cli side by side:
// the same items checked by both at once store every finding once. (That a run reads the items as
// another program left them is the document's, tested in TwoProgramRunTest.)
#include "CliRunner.h"

#include <thread>

using namespace std::chrono_literals;

using TwoPrograms = CliRunner;

TEST_F(TwoPrograms, CheckingTheSamePop3FtpAndWebItemsAtOnceStoresEachFindingOnce)
{
    const std::string page = "/two-programs.htm";
    // A slow page keeps the two checks of it side by side.
    AddMailItem();
    AddItem("FTP", "3", NewFtpDirectory("two-programs"));
    AddItem("网页", "2", SetPage(page, "", 300ms));

    constexpr int kRounds = 3, kPerRound = 15;
    std::string outputs;
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kPerRound; ++i) {
            const int n = round * kPerRound + i;
            const std::string number = std::to_string(n);
            DeliverMail("17000" + std::to_string(100 + n) + ".M1P1.two",
                        "From: sender" + number + "@example.com\r\nTo: tester@example.com\r\nSubject: mail " + number +
                            "\r\nDate: Mon, 1 Jan 2024 10:00:00 +0800\r\n\r\nbody\r\n");
            WriteFtpFile("two-programs", "file-" + number + ".txt");
        }
        SetPage(page, "<p>version " + std::to_string(round) + "</p>", 300ms);
        // Both programs check everything at the same moment; both must succeed.
        std::string first, second;
        std::thread other([&] { second = Ok({"check", "--all"}); });
        first = Ok({"check", "--all"});
        other.join();
        outputs += first + second;
    }
    // No row stored more than once: the same item, identity, name and date.
    EXPECT_EQ(Number("select count(*) - (select count(*) from (select distinct MessageTypeID, SourceID, SourceInfo, "
                     "SourceDate, SourceContent from userdata)) from userdata"),
              0)
        << outputs;
    // The mailbox is shared with other tests: only this test's mails are counted.
    EXPECT_EQ(Number("select count(*) from userdata where MessageTypeID=1 and SourceInfo like 'mail %'"),
              kRounds * kPerRound);
    EXPECT_EQ(Number("select count(*) from userdata where MessageTypeID=2"), kRounds * kPerRound);
    // The first copy, then one change per later round.
    EXPECT_EQ(Number("select count(*) from userdata where MessageTypeID=3"), kRounds);
}
