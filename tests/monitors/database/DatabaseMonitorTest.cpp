// CheckDatabase against real remote views: SQLite through the SQLite3 ODBC driver and PostgreSQL
// through its ODBC driver, storing into a real local message.dat.
#include "monitors/DatabaseMonitor.h"

#include "RemoteDatabase.h"
#include "StallServer.h"
#include "app/CRunState.h"
#include "app/CheckContext.h"
#include "store/OdbcBackend.h"
#include "support/TestStore.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

const std::string kPrefix = "正在进行自动检查：通知 >>";
const std::string kDone = kPrefix + "->检查完毕!";
const std::string kStopped = kPrefix + "意外停止！";
const std::string kConnectFailed = kPrefix + "错误：不能链接到远程自动检查数据库－";

class DatabaseMonitorTest : public ::testing::TestWithParam<std::string>
{
protected:
    void SetUp() override
    {
        std::string error;
        if (GetParam() == "SQLite") {
            m_remote = MakeSqliteRemote(m_store.appDir());
        } else {
            m_remote = MakePostgresRemote(error);
            ASSERT_TRUE(m_remote) << error;
        }
        ASSERT_TRUE(m_remote->CreateNotices(error)) << error;
        // The remote connection is made inside the check: any message box it opened would land here.
        m_savedReporter = DefaultMessageReporter();
        SetDefaultMessageReporter(m_boxes);
        m_savedTimeouts = GetOdbcTimeouts();
        SetOdbcTimeouts(OdbcTimeouts{3, 20});
    }
    void TearDown() override
    {
        SetDefaultMessageReporter(m_savedReporter);
        SetOdbcTimeouts(m_savedTimeouts);
        EXPECT_TRUE(m_boxes->Texts().empty()) << "a message box opened on the check thread: " << m_boxes->Texts()[0];
        EXPECT_TRUE(m_store.reporter().Texts().empty()) << m_store.reporter().Texts()[0];
    }

    void Insert(const std::vector<NoticeRow>& rows)
    {
        std::string error;
        ASSERT_TRUE(m_remote->Insert(rows, error)) << error;
    }
    void Run(const std::string& sql)
    {
        std::string error;
        ASSERT_TRUE(m_remote->Run(sql, error)) << error;
    }

    MessageTypeInfo NewItem(int checkNumber = 0, const std::string& user = "")
    {
        MessageTypeInfo item;
        item.MessageCategory = kCategoryDatabase;
        item.MessageTypeName = "通知";
        item.connAddress = m_remote->ConnectionString();
        item.ViewName = "v_notice";
        item.CheckNumber = checkNumber;
        item.MessageTypeUser = user;
        return m_store.AddItem(item);
    }

    int Check(MessageTypeInfo& item)
    {
        CheckContext context{m_store.connection(), m_run, m_store.appDir()};
        return CheckDatabase(context, item);
    }

    std::vector<std::string> StoredIds(const MessageTypeInfo& item)
    {
        std::vector<std::string> ids;
        for (const auto& message : m_store.Messages(item.messagetypeid)) {
            ids.push_back(message.SourceID);
        }
        return ids;
    }

    static std::vector<std::string> Ids(int first, int last)
    {
        std::vector<std::string> ids;
        for (int id = first; id <= last; ++id) {
            ids.push_back(std::to_string(id));
        }
        return ids;
    }

    TestStore m_store;
    CRunState m_run;
    std::unique_ptr<RemoteDatabase> m_remote;
    std::shared_ptr<RecordingReporter> m_boxes = std::make_shared<RecordingReporter>();
    std::shared_ptr<IMessageReporter> m_savedReporter;
    OdbcTimeouts m_savedTimeouts;
};

TEST_P(DatabaseMonitorTest, StoresTheNewestRowsOldestFirstAndOnlyOnce)
{
    Insert(NumberedRows(1, 30));
    MessageTypeInfo item = NewItem(20);

    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(StoredIds(item), Ids(11, 30)) << "the 20 highest ids, stored from the oldest";
    EXPECT_EQ(item.m_nNewCount, 20);
    EXPECT_EQ(m_run.GetStatusText(), kDone);

    EXPECT_EQ(Check(item), 0) << "an unchanged view holds nothing new";
    EXPECT_EQ(StoredIds(item).size(), 20u);
    EXPECT_EQ(item.m_nNewCount, 20);
    EXPECT_EQ(m_run.GetStatusText(), kDone);

    item.CheckNumber = 0; // the whole view
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(StoredIds(item).size(), 30u);
    EXPECT_EQ(item.m_nNewCount, 30);

    const auto messages = m_store.Messages(item.messagetypeid);
    EXPECT_EQ(messages[0].SourceDate, "2002年05月01日-08:30");
    EXPECT_EQ(messages[0].SourceInfo, "notice 11");
    EXPECT_EQ(messages[0].SourceContent, "content of 11");
    EXPECT_EQ(messages[0].SourceFromName, "张三");
    EXPECT_EQ(messages[0].SourceLink, "http://127.0.0.1/n");
    EXPECT_EQ(messages[0].MessageCategory, kCategoryDatabase);
    EXPECT_EQ(messages[0].status, 0);
}

TEST_P(DatabaseMonitorTest, SourceTypeFilterTakesQuotesLiterally)
{
    auto rows = NumberedRows(1, 4);
    rows[0].sourceType = "o'neil";
    rows[2].sourceType = "o'neil";
    rows[3].sourceType = "o''neil";
    Insert(rows);

    MessageTypeInfo mine = NewItem(0, "o'neil");
    EXPECT_EQ(Check(mine), 1);
    EXPECT_EQ(StoredIds(mine), (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(m_store.Messages(mine.messagetypeid)[0].SourceType, "o'neil");

    MessageTypeInfo everyone = NewItem(0, "");
    EXPECT_EQ(Check(everyone), 1);
    EXPECT_EQ(StoredIds(everyone), Ids(1, 4));
}

TEST_P(DatabaseMonitorTest, ChangedFromDateIsStoredAgain)
{
    Insert(NumberedRows(1, 2));
    MessageTypeInfo item = NewItem(0);
    ASSERT_EQ(Check(item), 1);

    Run("update notices set fromdate = '2002-05-02 09:05:00' where id = 2");
    EXPECT_EQ(Check(item), 1);
    const auto messages = m_store.Messages(item.messagetypeid);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[2].SourceID, "2");
    EXPECT_EQ(messages[2].SourceDate, "2002年05月02日-09:05");
    EXPECT_EQ(item.m_nNewCount, 3);

    EXPECT_EQ(Check(item), 0) << "the changed row is now the newest stored one";
}

TEST_P(DatabaseMonitorTest, HostileValuesAreStoredExactly)
{
    std::string big;
    while (big.size() < 1024 * 1024) {
        big += "<p>'中文' & \"x\"</p>\n";
    }
    NoticeRow hostile;
    hostile.id = 1;
    hostile.fromId = "'; drop table userdata; --";
    hostile.fromName = "O'Brien \"q\" 中文";
    hostile.info = "<script>alert('x')</script>";
    hostile.toName = "a\\b%_'";
    hostile.content = big;
    hostile.link = "javascript:alert('x')";
    NoticeRow empty{2,
                    std::nullopt,
                    std::nullopt,
                    std::nullopt,
                    std::nullopt,
                    std::nullopt,
                    std::nullopt,
                    std::nullopt,
                    std::nullopt,
                    std::nullopt};
    Insert({hostile, empty});

    MessageTypeInfo item = NewItem(0);
    EXPECT_EQ(Check(item), 1);
    const auto messages = m_store.Messages(item.messagetypeid);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].SourceFromID, *hostile.fromId);
    EXPECT_EQ(messages[0].SourceFromName, *hostile.fromName);
    EXPECT_EQ(messages[0].SourceInfo, *hostile.info);
    EXPECT_EQ(messages[0].SourceToName, *hostile.toName);
    EXPECT_EQ(messages[0].SourceLink, *hostile.link);
    EXPECT_EQ(messages[0].SourceContent.size(), big.size() - 1) << "the trailing newline is trimmed on load";
    EXPECT_TRUE(messages[0].SourceContent == big.substr(0, big.size() - 1));
    // A row of NULLs gives empty fields, not the values of the row read before it.
    EXPECT_EQ(messages[1].SourceID, "2");
    EXPECT_EQ(messages[1].SourceFromName, "");
    EXPECT_EQ(messages[1].SourceContent, "");
    EXPECT_EQ(messages[1].SourceDate, "");

    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_store.QueryNumber("select count(*) from userdata"), 2);
}

TEST_P(DatabaseMonitorTest, ViewLackingAColumnFailsAtTheFirstRow)
{
    Insert(NumberedRows(1, 3));
    Run("create view v_short as select id, sourcetype, fromdate, fromid, fromname, info, toid, toname, content "
        "from notices");
    MessageTypeInfo item = NewItem(0);
    item.ViewName = "v_short";
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText(), kPrefix + "错误：不能打开数据表中的内容 --- v_short");
    EXPECT_EQ(m_store.QueryNumber("select count(*) from userdata"), 0);
    EXPECT_EQ(item.m_nNewCount, 0);
}

TEST_P(DatabaseMonitorTest, EmptyViewPutsBackTheEarlierStatus)
{
    MessageTypeInfo item = NewItem(5);
    m_run.SetStatusText("earlier text");
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText(), "earlier text");
}

TEST_P(DatabaseMonitorTest, MissingViewAndEmptyViewNameEndWithTheirStatus)
{
    MessageTypeInfo item = NewItem(0);
    item.ViewName = "no_such_view";
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText(), kPrefix + "错误：不能链接到远程自动检查数据库内的数据表 --- no_such_view");

    item.ViewName = "";
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText(), kPrefix + "错误：这个数据库检查的视图名称为空，不能进行自动检查");
}

TEST_P(DatabaseMonitorTest, StopDuringTheRowLoopKeepsWhatWasStored)
{
    constexpr int kRows = 3000;
    Insert(NumberedRows(1, kRows));
    MessageTypeInfo item = NewItem(0);

    // Ask for a stop as soon as the third row is stored, as the user's stop command would.
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
}

TEST_P(DatabaseMonitorTest, StopBetweenStepsStoresNothing)
{
    Insert(NumberedRows(1, 3));
    MessageTypeInfo item = NewItem(0);
    m_run.SetStatusListener([this](const std::string& text) {
        if (text == kPrefix + "正在保存这些检查到的远程数据") {
            m_run.RequestStop();
        }
    });
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText(), kStopped);
    EXPECT_EQ(m_store.QueryNumber("select count(*) from userdata"), 0);

    m_run.SetStatusListener(nullptr);
    m_run.SetStatusText("before");
    EXPECT_EQ(Check(item), 0) << "a stop already requested changes nothing";
    EXPECT_EQ(m_run.GetStatusText(), "before");
    m_run.EndRun();

    item.state = 0;
    EXPECT_EQ(Check(item), 0) << "an item that is switched off is not checked";
    EXPECT_EQ(m_run.GetStatusText(), "before");
}

INSTANTIATE_TEST_SUITE_P(Drivers, DatabaseMonitorTest, ::testing::Values("SQLite", "PostgreSQL"),
                         [](const auto& param) { return param.param; });

// Failures of the connection itself: each ends with the connect status, stores nothing and opens
// no message box.
class DatabaseMonitorConnectTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedReporter = DefaultMessageReporter();
        SetDefaultMessageReporter(m_boxes);
        m_savedTimeouts = GetOdbcTimeouts();
        SetOdbcTimeouts(OdbcTimeouts{2, 2});
    }
    void TearDown() override
    {
        SetDefaultMessageReporter(m_savedReporter);
        SetOdbcTimeouts(m_savedTimeouts);
        EXPECT_TRUE(m_boxes->Texts().empty()) << m_boxes->Texts()[0];
        EXPECT_EQ(m_store.QueryNumber("select count(*) from userdata"), 0);
    }

    int Check(const std::string& connection)
    {
        MessageTypeInfo item;
        item.MessageTypeName = "通知";
        item.connAddress = connection;
        item.ViewName = "v_notice";
        item = m_store.AddItem(item);
        CheckContext context{m_store.connection(), m_run, m_store.appDir()};
        return CheckDatabase(context, item);
    }

    TestStore m_store;
    CRunState m_run;
    std::shared_ptr<RecordingReporter> m_boxes = std::make_shared<RecordingReporter>();
    std::shared_ptr<IMessageReporter> m_savedReporter;
    OdbcTimeouts m_savedTimeouts;
};

TEST_F(DatabaseMonitorConnectTest, WrongPassword)
{
    const std::string connection = PostgresConnectionString("wrong");
    ASSERT_FALSE(connection.empty()) << "PostgreSQL did not start";
    EXPECT_EQ(Check(connection), 0);
    EXPECT_EQ(m_run.GetStatusText(), kConnectFailed);
}

TEST_F(DatabaseMonitorConnectTest, UnreachableAndSilentServers)
{
    StallServer stall;
    std::string error;
    ASSERT_TRUE(stall.Start(error)) << error;
    const int silentPort = stall.port();
    StallServer closed;
    ASSERT_TRUE(closed.Start(error)) << error;
    const int closedPort = closed.port();
    closed.Stop(); // nothing listens there any more

    for (const int port : {closedPort, silentPort}) {
        SCOPED_TRACE(port);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Check("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(port) +
                        ";Database=testdb;Uid=tester;Pwd=secret;"),
                  0);
        EXPECT_EQ(m_run.GetStatusText(), kConnectFailed);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    }
    EXPECT_GE(stall.AcceptedCount(), 1);
}

TEST_F(DatabaseMonitorConnectTest, OverlongConnectionStringIsRefused)
{
    TempDir dir;
    std::string connection = "Driver=SQLite3;Database=" + dir.path() + "remote.db;NoCreat=0;";
    connection += "Description=" + std::string(511 - connection.size() - 12, 'x');
    ASSERT_EQ(connection.size(), 511u);
    // 511 characters still connect (the driver creates the empty file, the query then fails).
    EXPECT_EQ(Check(connection), 0);
    EXPECT_EQ(m_run.GetStatusText(), kPrefix + "错误：不能链接到远程自动检查数据库内的数据表 --- v_notice");

    EXPECT_EQ(Check(connection + "x"), 0);
    EXPECT_EQ(m_run.GetStatusText(), kConnectFailed);
    EXPECT_EQ(Check(connection + std::string(100000, 'x')), 0);
    EXPECT_EQ(m_run.GetStatusText(), kConnectFailed);
}

} // namespace
