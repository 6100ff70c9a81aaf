#include "CliRunner.h"

using HealthCli = CliRunner;

// Each kind is tried against its real server: what a check would store is told, and message.dat
// (records, items, log, state) is exactly as before.
TEST_F(HealthCli, ADryRunOfEveryKindTellsWhatWouldBeStoredAndLeavesMessageDatAsItWas)
{
    AddItem("库", "1", NoticeDatabase(2), {"--view", "v_notice"});
    Ok({"check", "1"});
    NoticeDatabase(3); // one more than stored: the trial compares with the item's records
    AddItem("页", "2", SetPage("/trial.htm", "<p>试验页</p>"));
    const std::string ftp = NewFtpDirectory("trial");
    WriteFtpFile("trial", "a.txt");
    AddItem("文件", "3", ftp);
    DeliverMail("1700009101.M1P1.trial",
                "From: a@example.com\r\nSubject: 试验主题\r\nTo: tester@example.com\r\n\r\nbody\r\n");
    AddMailItem();
    const std::string before = Dump();

    EXPECT_EQ(Ok({"check", "1", "--dry-run"}), "试验检查: 新消息1条 (没有保存)\n主题\tnotice 3\n");
    EXPECT_THAT(Ok({"--json", "check", "2", "--dry-run"}), HasSubstr(R"("ok":true,"newFindings":1,)"));
    EXPECT_THAT(Ok({"check", "3", "--dry-run"}), HasSubstr("新消息1条")) << ftp;
    const std::string mail = Ok({"check", "4", "--dry-run"});
    EXPECT_TRUE(Count(mail, "主题\t试验主题") > 0 || Count(mail, "主题\t") == 5) << mail;
    EXPECT_EQ(Dump(), before);

    // A failure is told in words, with exit status 1; still nothing written.
    Ok({"items", "set", "4", "--password", "wrong"});
    const std::string changed = Dump();
    EXPECT_THAT(Out(1, {"check", "4", "--dry-run"}), HasSubstr("试验检查失败: "));
    EXPECT_EQ(Dump(), changed);
}

TEST_F(HealthCli, ItemsTellHealthScheduleAndTheLastTwentyChecks)
{
    AddItem("坏库", "1", kBrokenDatabase,
            {"--own-schedule", "1", "--interval-minutes", "60", "--expect-minutes", "30"});
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(Run({"check", "1"}).status, 1);
    }
    EXPECT_THAT(Ok({"items"}), HasSubstr("\t0\t失败\t20"));
    const std::string shown = Ok({"items", "show", "1"});
    EXPECT_THAT(shown, AllOf(HasSubstr("\nCheckInterval\t3600\n"), HasSubstr("\nownSchedule\t1\nexpectMinutes\t30\n")));
    EXPECT_EQ(Count(shown, "\tcli\tfailed\t0\t"), 20u) << shown;
    EXPECT_THAT(Ok({"--json", "items", "show", "1"}),
                AllOf(HasSubstr(R"("health":"failing","consecutiveFailures":21,"lastCheck":"20)"),
                      HasSubstr(R"("lastSuccess":"")"), HasSubstr(R"("lastError":"正在检查：坏库 >>错误：)"),
                      HasSubstr(R"("log":[{"start":"20)"),
                      HasSubstr(R"(,"trigger":"cli","result":"failed","newFindings":0,"text":")")));
    EXPECT_THAT(Ok({"--json", "items"}), HasSubstr(R"("health":"failing","consecutiveFailures":21,)"));
    Ok({"items", "set", "1", "--own-schedule", "0", "--trust-certificate", std::string(64, 'A')});
    EXPECT_THAT(Ok({"items", "show", "1"}),
                HasSubstr("\nownSchedule\t0\nexpectMinutes\t30\ntrustedCertificate\t" + std::string(64, 'a') + "\n"));
    EXPECT_EQ(Run({"items", "set", "1", "--trust-certificate", "ab:cd"}).status, 2);
}

// A one-second watch, until it is terminated, checks the plain item at every run, the item with its
// own hour once, and the failing one after waits of 2 and 4 seconds, telling each finding and the
// failure once.
TEST_F(HealthCli, WatchHonoursOwnSchedulesAndBacksOffAFailingItem)
{
    const std::string page = SetPage("/watch-health.htm", "<p>页</p>");
    AddItem("每次", "2", page);
    AddItem("每小时", "2", page, {"--own-schedule", "1", "--interval-minutes", "60"});
    AddItem("坏库", "1", kBrokenDatabase);
    const auto failingTold = [](const std::string& out) { return Count(out, "状态变化\t坏库\t失败\t") > 0; };
    const std::string watch =
        Ok({"watch", "--interval-seconds", "1"}, {.timeout = std::chrono::minutes(2), .enough = failingTold});
    EXPECT_TRUE(failingTold(watch)) << watch;
    EXPECT_EQ(Count(watch, "状态变化"), 1u) << watch;
    EXPECT_EQ(Count(watch, "新消息\t每次\t"), 1u) << watch;
    EXPECT_GE(Count(watch, "您还有:2条消息未读"), 3u) << "a line per run";
    const auto checks = [this](int id) {
        return Number("select count(*) from userdata_checklog where MessageTypeID=" + std::to_string(id));
    };
    EXPECT_GE(checks(1), 3); // more when the runs are quick: the back-off is timed in Health tests
    EXPECT_EQ(checks(2), 1);
    EXPECT_EQ(checks(3), 3);
    EXPECT_EQ(Number("select count(*) from userdata_checklog where StartedBy<>0"), 0); // all by the timer
}
