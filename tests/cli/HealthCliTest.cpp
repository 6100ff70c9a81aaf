#include "CliRunner.h"
#include "LocalServers.h"

#include <sqlite3.h>

namespace {

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

class HealthCli : public CliRunner
{
protected:
    // Every row of every table, in stored order.
    std::string Dump() const
    {
        CAdoConnection connection;
        EXPECT_TRUE(connection.Open("DBQ=" + DatabasePath() + ";DRIVER={SQLite3}"));
        DbResult tables;
        std::vector<std::string> errors;
        connection.RunQuery("select name from sqlite_master where type='table' order by name", tables, errors);
        std::string dump;
        for (const auto& table : tables.rows) {
            DbResult rows;
            EXPECT_TRUE(connection.RunQuery("select * from " + table[0].text, rows, errors)) << table[0].text;
            dump += table[0].text + "\n";
            for (const auto& row : rows.rows) {
                for (const DbValue& value : row) {
                    dump += std::to_string(static_cast<int>(value.kind)) + ":" + std::to_string(value.integer) + ":" +
                            std::to_string(value.real) + ":" + value.text + "|";
                }
                dump += "\n";
            }
        }
        return dump;
    }
    // A database of notices with a view the database monitor reads; rows 1..count.
    std::string NoticeDatabase(int count) const
    {
        const std::string path = home.path() + "remote.db";
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        const std::string sql =
            "create table if not exists notices(id integer primary key, info text, fromdate text);"
            "create view if not exists v_notice as select id as ID, 'n' as SourceType, fromdate as FromDate, "
            "'u' as FromID, '张三' as FromName, info as Info, 'u2' as ToID, '李四' as ToName, '' as Content, "
            "'' as Link from notices;"
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < " +
            std::to_string(count) +
            ") insert or ignore into notices select i, '通知 ' || i, '2002-05-01 08:30' from n;";
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
        return "Driver=SQLite3;Database=" + path;
    }
};

} // namespace

// Each kind is tried against its real server: what a check would store is told, and message.dat
// (records, items, log, state) is exactly as before.
TEST_F(HealthCli, ADryRunOfEveryKindTellsWhatWouldBeStoredAndLeavesMessageDatAsItWas)
{
    Ok({"items", "add", "--name", "库", "--category", "1", "--address", NoticeDatabase(2), "--view", "v_notice"});
    Ok({"check", "1"});
    NoticeDatabase(3); // one more than stored: the trial compares with the item's records
    LocalServers::SetPage("/trial.htm", "<p>试验页</p>");
    Ok({"items", "add", "--name", "页", "--category", "2", "--address",
        "http://127.0.0.1:" + std::to_string(LocalServers::HttpPort()) + "/trial.htm"});
    const std::string ftp = LocalServers::NewFtpDirectory("trial");
    LocalServers::WriteFtpFile("trial", "a.txt");
    Ok({"items", "add", "--name", "文件", "--category", "3", "--address", ftp});
    LocalServers::DeliverMail("1700009101.M1P1.trial",
                              "From: a@example.com\r\nSubject: 试验主题\r\nTo: tester@example.com\r\n\r\nbody\r\n");
    Ok({"items", "add", "--name", "邮件", "--category", "4", "--address", "127.0.0.1", "--view",
        std::to_string(LocalServers::Pop3Port()), "--user", "tester", "--password", "secret"});
    const std::string before = Dump();

    EXPECT_EQ(Ok({"check", "1", "--dry-run"}), "试验检查: 新消息1条 (没有保存)\n主题\t通知 3\n");
    EXPECT_TRUE(Has(Ok({"--json", "check", "2", "--dry-run"}), R"("ok":true,"newFindings":1,)"));
    EXPECT_TRUE(Has(Ok({"check", "3", "--dry-run"}), "新消息1条")) << ftp;
    const std::string mail = Ok({"check", "4", "--dry-run"});
    EXPECT_TRUE(Has(mail, "主题\t试验主题") || Count(mail, "主题\t") == 5) << mail;
    EXPECT_EQ(Dump(), before);

    // A failure is told in words, with exit status 1; still nothing written.
    Ok({"items", "set", "4", "--password", "wrong"});
    const std::string changed = Dump();
    const ChildResult refused = Run({"check", "4", "--dry-run"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(Has(refused.out, "试验检查失败: ")) << refused.out;
    EXPECT_EQ(Dump(), changed);
}

TEST_F(HealthCli, ItemsTellHealthScheduleAndTheLastTwentyChecks)
{
    Ok({"items", "add", "--name", "坏库", "--category", "1", "--address", "Driver=SQLite3;Database=/nonexistent/x.db",
        "--own-schedule", "1", "--interval-minutes", "60", "--expect-minutes", "30"});
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(Run({"check", "1"}).status, 1);
    }
    EXPECT_TRUE(Has(Ok({"items"}), "\t0\t失败\t20")) << Ok({"items"});
    const std::string shown = Ok({"items", "show", "1"});
    EXPECT_TRUE(Has(shown, "\nCheckInterval\t3600\n") && Has(shown, "\nownSchedule\t1\nexpectMinutes\t30\n")) << shown;
    EXPECT_EQ(Count(shown, "\tcli\tfailed\t0\t"), 20u) << shown;
    const std::string json = Ok({"--json", "items", "show", "1"});
    for (const char* field : {R"("health":"failing","consecutiveFailures":21,"lastCheck":"20)", R"("lastSuccess":"")",
                              R"("lastError":"正在检查：坏库 >>错误：)", R"("log":[{"start":"20)",
                              R"(,"trigger":"cli","result":"failed","newFindings":0,"text":")"}) {
        EXPECT_TRUE(Has(json, field)) << field << " in " << json;
    }
    EXPECT_TRUE(Has(Ok({"--json", "items"}), R"("health":"failing","consecutiveFailures":21,)"));
    Ok({"items", "set", "1", "--own-schedule", "0", "--trust-certificate", std::string(64, 'A')});
    EXPECT_TRUE(Has(Ok({"items", "show", "1"}),
                    "\nownSchedule\t0\nexpectMinutes\t30\ntrustedCertificate\t" + std::string(64, 'a') + "\n"));
    EXPECT_EQ(Run({"items", "set", "1", "--trust-certificate", "ab:cd"}).status, 2);
}

// A one-second watch checks the plain item at every run, the item with its own hour once, and the
// failing one after waits of 2 and 4 seconds, telling its failure once.
TEST_F(HealthCli, WatchHonoursOwnSchedulesAndBacksOffAFailingItem)
{
    LocalServers::SetPage("/watch-health.htm", "<p>页</p>");
    const std::string page = "http://127.0.0.1:" + std::to_string(LocalServers::HttpPort()) + "/watch-health.htm";
    Ok({"items", "add", "--name", "每次", "--category", "2", "--address", page});
    Ok({"items", "add", "--name", "每小时", "--category", "2", "--address", page, "--own-schedule", "1",
        "--interval-minutes", "60"});
    Ok({"items", "add", "--name", "坏库", "--category", "1", "--address", "Driver=SQLite3;Database=/nonexistent/x.db"});
    const auto failingTold = [](const std::string& out) { return Has(out, "状态变化\t坏库\t失败\t"); };
    const ChildResult watch = RunChildUntil(Command({"watch", "--interval-seconds", "1"}), Environment(), failingTold);
    EXPECT_TRUE(failingTold(watch.out)) << watch.out;
    EXPECT_EQ(Count(watch.out, "状态变化"), 1u) << watch.out;
    const auto checks = [this](int id) {
        return Number("select count(*) from userdata_checklog where MessageTypeID=" + std::to_string(id));
    };
    EXPECT_GE(checks(1), 3); // more when the runs are quick: the back-off is timed in Health tests
    EXPECT_EQ(checks(2), 1);
    EXPECT_EQ(checks(3), 3);
    EXPECT_EQ(Number("select count(*) from userdata_checklog where StartedBy<>0"), 0); // all by the timer
}
