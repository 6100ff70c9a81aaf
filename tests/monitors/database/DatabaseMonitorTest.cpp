// CheckDatabase against real remote views: SQLite through the SQLite3 ODBC driver and PostgreSQL
// through its ODBC driver, storing into a real local message.dat.
#include "monitors/database/DatabaseMonitor.h"

#include "app/ItemStore.h"
#include "monitors/CRunState.h"
#include "monitors/CheckContext.h"
#include "store/MessageTable.h"
#include "store/OdbcBackend.h"
#include "store/SqlText.h"
#include "support/CountingHttpServer.h"
#include "support/RemoteDatabase.h"
#include "support/TestStore.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ranges>
#include <thread>

namespace {

using Strings = std::vector<std::string>;
const std::string kPrefix = "正在进行自动检查：通知 >>";
const std::string kDone = kPrefix + "->检查完毕!";
const std::string kStopped = kPrefix + "意外停止！";
const std::string kConnectFailed = kPrefix + "错误：不能链接到远程自动检查数据库－";

Strings Ids(int first, int last)
{
    auto ids = std::views::iota(first, last + 1) | std::views::transform([](int id) { return std::to_string(id); });
    return {ids.begin(), ids.end()};
}

// The remote connection is made inside the check with the main connection's reporter: any message box
// either opened would land in the store's reporter.
class DatabaseCheckTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedTimeouts = GetOdbcTimeouts();
        SetOdbcTimeouts(OdbcTimeouts{3, 20});
    }
    void TearDown() override
    {
        SetOdbcTimeouts(m_savedTimeouts);
        EXPECT_TRUE(m_store.reporter().Texts().empty()) << m_store.reporter().Texts()[0];
    }

    MessageTypeInfo NewItem(const std::string& connection)
    {
        MessageTypeInfo item = ::NewItem("通知", kCategoryDatabase, connection);
        item.ViewName = "v_notice";
        item.CheckNumber = 0; // the whole view
        return m_store.AddItem(item);
    }
    int Check(MessageTypeInfo& item)
    {
        // The timer's run: the texts say "自动检查" (a check by hand says "正在检查：").
        CheckContext context{m_store.connection(), m_run, m_store.appDir(), nullptr, true};
        return CheckDatabase(context, item);
    }
    Strings StoredIds(const MessageTypeInfo& item)
    {
        Strings ids;
        std::ranges::transform(m_store.Messages(item.messagetypeid), std::back_inserter(ids), &MessageInfo::SourceID);
        return ids;
    }
    long long StoredCount() { return m_store.QueryNumber("select count(*) from userdata"); }

    TestStore m_store;
    CRunState m_run;
    OdbcTimeouts m_savedTimeouts;
};

// Each test runs on SQLite and on PostgreSQL with a fresh, empty notices table.
class DatabaseMonitorTest : public DatabaseCheckTest, public ::testing::WithParamInterface<std::string>
{
protected:
    void SetUp() override
    {
        DatabaseCheckTest::SetUp();
        m_remote = MakeRemote(GetParam(), m_store.appDir());
        ASSERT_NO_FATAL_FAILURE(m_remote.Run(kCreateNotices));
    }
    RemoteDatabase m_remote;
};

TEST_P(DatabaseMonitorTest, StoresNewRowsOldestFirstOnceAndAgainWhenTheirDateChangesAndFiltersBySourceType)
{
    m_remote.Run(InsertRows(1, 30));
    MessageTypeInfo item = NewItem(m_remote.connection);
    item.CheckNumber = 20;
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(StoredIds(item), Ids(11, 30)) << "the 20 highest ids, stored from the oldest";
    EXPECT_EQ(item.m_nNewCount, 20);
    EXPECT_EQ(m_run.GetStatusText(), kDone);

    EXPECT_EQ(Check(item), 0) << "an unchanged view holds nothing new";
    EXPECT_EQ(m_run.GetStatusText(), kDone);

    item.CheckNumber = 0;
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(item.m_nNewCount, 30);
    ASSERT_EQ(StoredIds(item).size(), 30u);
    const MessageInfo first = m_store.Messages(item.messagetypeid)[0];
    EXPECT_EQ((Strings{first.SourceDate, first.SourceInfo, first.SourceContent, first.SourceFromName,
                       first.SourceToName, first.SourceLink}),
              (Strings{"2002年05月01日-08:30", "notice 11", "content of 11", "张三", "李四", "http://127.0.0.1/n"}));
    EXPECT_EQ(first.MessageCategory, kCategoryDatabase);
    EXPECT_EQ(first.status, 0);

    m_remote.Run("update notices set fromdate = '2002-05-02 09:05:00' where id = 12");
    EXPECT_EQ(Check(item), 1);
    const auto messages = m_store.Messages(item.messagetypeid);
    ASSERT_EQ(messages.size(), 31u);
    EXPECT_EQ(messages[30].SourceID + " " + messages[30].SourceDate, "12 2002年05月02日-09:05");
    EXPECT_EQ(Check(item), 0) << "the changed row is now stored";
    std::vector<int> stored;
    std::ranges::transform(messages, std::back_inserter(stored), &MessageInfo::ID);
    std::string error;
    ASSERT_TRUE(DeleteMessages(m_store.connection(), stored, error)) << error;
    EXPECT_EQ(Check(item), 0) << "deleted rows, both versions of the changed one, are not new again";
    EXPECT_EQ(StoredCount(), 0);

    // An item with a source type reads only its rows, the quotes in it taken literally.
    m_remote.Run("update notices set sourcetype = 'o''neil' where id in (1, 3);"
                 "update notices set sourcetype = 'o''''neil' where id = 4");
    MessageTypeInfo mine = NewItem(m_remote.connection);
    mine.MessageTypeUser = "o'neil";
    EXPECT_EQ(Check(mine), 1);
    ASSERT_EQ(StoredIds(mine), (Strings{"1", "3"}));
    EXPECT_EQ(m_store.Messages(mine.messagetypeid)[0].SourceType, "o'neil");
}

TEST_P(DatabaseMonitorTest, HostileValuesAreStoredExactly)
{
    std::string big;
    while (big.size() < 1024 * 1024) {
        big += "<p>'中文' & \"x\"</p>\n";
    }
    // fromid, fromname, info, toname, link; row 2 is all NULLs: empty fields, not those of row 1.
    const Strings hostile = {"'; drop table userdata; --", "O'Brien \"q\" 中文", "<script>alert('x')</script>",
                             "a\\b%_'", "javascript:alert('x')"};
    std::string values;
    for (const auto& value : hostile) {
        values += "'" + SqlEscape(value) + "',";
    }
    m_remote.Run("insert into notices(fromid, fromname, info, toname, link, content, id) values(" + values + "'" +
                 SqlEscape(big) + "', 1); insert into notices(id) values(2)");
    MessageTypeInfo item = NewItem(m_remote.connection);
    EXPECT_EQ(Check(item), 1);
    const auto messages = m_store.Messages(item.messagetypeid);
    ASSERT_EQ(messages.size(), 2u);
    const MessageInfo& m = messages[0];
    EXPECT_EQ((Strings{m.SourceFromID, m.SourceFromName, m.SourceInfo, m.SourceToName, m.SourceLink}), hostile);
    EXPECT_TRUE(m.SourceContent == big.substr(0, big.size() - 1)) << "only the trailing newline is trimmed";
    EXPECT_EQ(
        (Strings{messages[1].SourceID, messages[1].SourceFromName, messages[1].SourceContent, messages[1].SourceDate}),
        (Strings{"2", "", "", ""}));
    EXPECT_EQ(Check(item), 0);
}

TEST_P(DatabaseMonitorTest, FailingStepsEndWithTheirStatusAndStoreNothing)
{
    MessageTypeInfo item = NewItem(m_remote.connection);
    item.CheckNumber = 5;
    m_run.SetStatusText("earlier text");
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText(), "earlier text") << "an empty view puts back the earlier status";

    m_remote.Run(InsertRows(1, 3));
    m_remote.Run("create view v_short as select id, sourcetype, fromdate, fromid, fromname, info, toid, toname, "
                 "content from notices");
    const std::pair<std::string, std::string> cases[] = {
        {"v_short", "错误：不能打开数据表中的内容 --- v_short"}, // lacks a column: fails at the first row
        {"no_such_view", "错误：不能链接到远程自动检查数据库内的数据表 --- no_such_view"},
        {"", "错误：这个数据库检查的视图名称为空，不能进行自动检查"},
    };
    for (const auto& [view, status] : cases) {
        item.ViewName = view;
        EXPECT_EQ(Check(item), 0) << view;
        EXPECT_EQ(m_run.GetStatusText(), kPrefix + status);
    }
    EXPECT_EQ(StoredCount() + item.m_nNewCount, 0);
}

TEST_P(DatabaseMonitorTest, StopKeepsWhatWasStoredAndStoppedOrSwitchedOffChecksDoNothing)
{
    constexpr int kRows = 3000;
    m_remote.Run(InsertRows(1, kRows));
    MessageTypeInfo item = NewItem(m_remote.connection);
    m_run.SetStatusListener([this](const std::string& text) {
        if (text == kPrefix + "正在保存这些检查到的远程数据") {
            m_run.RequestStop();
        }
    });
    EXPECT_EQ(Check(item), 0) << "a stop between the steps stores nothing";
    EXPECT_EQ(m_run.GetStatusText(), kStopped);
    m_run.SetStatusListener(nullptr);
    m_run.SetStatusText("before");
    EXPECT_EQ(Check(item), 0) << "a stop already requested changes nothing";
    EXPECT_EQ(m_run.GetStatusText(), "before");
    EXPECT_EQ(StoredCount(), 0);
    m_run.EndRun();

    // Ask for a stop as soon as the third row is stored, as the user's stop command would (a tight
    // watch: a whole SQLite view is stored within a few sleeps of a polling wait).
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        while (!done.load() && item.m_nNewCount.load() < 3) {
            std::this_thread::yield();
        }
        m_run.RequestStop();
    });
    const int result = Check(item);
    done = true;
    watcher.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(m_run.GetStatusText(), kStopped);
    const auto ids = StoredIds(item);
    ASSERT_GE(ids.size(), 3u);
    EXPECT_LT(ids.size(), static_cast<size_t>(kRows));
    EXPECT_EQ(ids, Ids(1, static_cast<int>(ids.size()))) << "the oldest rows, in order";
    EXPECT_EQ(item.m_nNewCount, static_cast<int>(ids.size()));

    m_run.EndRun();
    item.state = 0;
    EXPECT_EQ(Check(item), 0) << "an item that is switched off is not checked";
    EXPECT_EQ(m_run.GetStatusText(), kStopped);
}

INSTANTIATE_TEST_SUITE_P(Drivers, DatabaseMonitorTest, ::testing::Values("SQLite", "PostgreSQL"),
                         [](const auto& param) { return param.param; });

TEST_F(DatabaseCheckTest, ConnectFailuresEndWithTheConnectStatusAndStoreNothing)
{
    std::string error;
    PostgresServer* server = SharedServer<PostgresServer>(error);
    ASSERT_TRUE(server) << error;
    std::string sqlite = "Driver=SQLite3;Database=" + m_store.appDir() + "remote.db;NoCreat=0;";
    sqlite += "Description=" + std::string(511 - sqlite.size() - 12, 'x');
    ASSERT_EQ(sqlite.size(), 511u);
    // 511 characters still connect (the driver creates the empty file, the query then fails).
    MessageTypeInfo item = NewItem(sqlite);
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText(), kPrefix + "错误：不能链接到远程自动检查数据库内的数据表 --- v_notice");

    const int closedPort = LoopbackListener().port(); // nothing listens there once it is gone
    CountingHttpServer silent;                        // accepts and never answers: the login time-out ends the wait
    const auto at = [](int port) {
        return "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(port) +
               ";Database=testdb;Uid=tester;Pwd=secret;";
    };
    SetOdbcTimeouts(OdbcTimeouts{2, 2});
    for (const std::string& connection : {server->ConnectionString("PostgreSQL Unicode", "wrong"), at(closedPort),
                                          at(silent.port()), sqlite + "x", sqlite + std::string(100000, 'x')}) {
        SCOPED_TRACE(connection.substr(0, 100));
        item.connAddress = connection;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Check(item), 0);
        EXPECT_EQ(m_run.GetStatusText(), kConnectFailed);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    }
    EXPECT_GE(silent.AcceptedCount(), 1);
    EXPECT_EQ(StoredCount(), 0);
}

} // namespace
