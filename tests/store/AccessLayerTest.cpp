#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"
#include "store/LocalDatabase.h"
#include "support/TestStore.h"
#include "support/WaitUntil.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <thread>

namespace {

// A fresh store; its file, and the connection string of its file for further connections.
class AccessLayer : public testing::Test
{
protected:
    TestStore store;
    const std::string path = store.appDir() + "message.dat";
    const std::string connectionString = "DBQ=" + path + ";DRIVER={SQLite3}";
};

} // namespace

TEST_F(AccessLayer, FieldsConvertAsTheRecordsExpectAndRowsWalkBothWays)
{
    ASSERT_TRUE(store.connection().Execute("create table t (id integer, name text, n integer, d datetime, e text, "
                                           "big integer); insert into t values (1, '  abc ', 7, "
                                           "'2002-05-01 08:30:00', null, 5000000000); insert into t (id) values (2)"));
    CAdoRecordset rs(store.connection());
    ASSERT_TRUE(rs.Open("select * from t order by -id"));
    EXPECT_EQ(rs.GetRecordCount(), 2);
    rs.MoveLast();
    std::string text = "kept";
    for (auto [field, expected] : {std::pair{"NAME", "abc"},
                                   {"n", "7"},
                                   {"d", "2002/05/01-08:30"},
                                   {"e", "2002/05/01-08:30"},
                                   {"big", "5000000000"}}) {
        EXPECT_TRUE(rs.GetFieldValue(field, text));
        EXPECT_EQ(text, expected) << field; // a null leaves the value as it was
    }
    rs.SetDateFormat("%Y年%m月%d日-%H:%M");
    EXPECT_TRUE(rs.GetFieldValue("d", text));
    EXPECT_EQ(text, "2002年05月01日-08:30");
    int number = -1;
    EXPECT_TRUE(rs.GetFieldValue("e", number));
    EXPECT_EQ(number, -1);
    EXPECT_TRUE(rs.GetFieldValue("n", number));
    EXPECT_EQ(number, 7);
    std::vector<int> ids;
    for (; !rs.IsBOF(); rs.MovePrevious()) {
        rs.GetFieldValue("id", ids.emplace_back());
    }
    EXPECT_EQ(ids, (std::vector<int>{1, 2}));
    EXPECT_TRUE(store.reporter().Texts().empty());
    EXPECT_FALSE(rs.GetFieldValue("nosuchcolumn", number));
    EXPECT_EQ(store.reporter().Texts(), std::vector<std::string>{"字段访问发生错误，请确认数据库结构没有改动。"});

    // Row by row, the same values; a row's nulls are not what the row before held there.
    std::vector<std::string> rows;
    EXPECT_TRUE(rs.ForEachRow("select * from t order by id", [&rows](CAdoRecordset& row) {
        std::string name = "null", n = "null", big = "null";
        int id = 0;
        row.GetFieldValue("id", id);
        row.GetFieldValue("name", name);
        row.GetFieldValue("N", n);
        row.GetFieldValue("big", big);
        rows.push_back(std::to_string(id) + " " + name + " " + n + " " + big);
    }));
    EXPECT_EQ(rows, (std::vector<std::string>{"1 abc 7 5000000000", "2 null null null"}));
    EXPECT_FALSE(rs.IsOpen());
}

TEST_F(AccessLayer, ErrorsAreShownInTheEnginesWordsOnlyWhenAskedAndAClosedConnectionRefusesWork)
{
    CAdoRecordset quiet(store.connection());
    quiet.SetShowErrors(false);
    EXPECT_FALSE(quiet.Open("select * from nosuchtable"));
    EXPECT_FALSE(quiet.ForEachRow("select * from nosuchtable", [](CAdoRecordset&) { ADD_FAILURE(); }));
    EXPECT_TRUE(store.reporter().Texts().empty());
    EXPECT_FALSE(store.connection().Execute("insert into nosuchtable values (1)"));
    ASSERT_EQ(store.reporter().Texts().size(), 1u);
    EXPECT_NE(store.reporter().Texts()[0].find("nosuchtable"), std::string::npos);
    CAdoRecordset loud(store.connection());
    EXPECT_FALSE(loud.Open("select * from nosuchtable"));
    EXPECT_EQ(store.reporter().Texts().size(), 2u);
    store.connection().SetShowErrors(false);
    EXPECT_FALSE(store.connection().Execute("insert into nosuchtable values (1)"));
    EXPECT_EQ(store.reporter().Texts().size(), 2u);

    // Opening again without force keeps the connection.
    const std::string before = store.connection().GetConnectionString();
    EXPECT_TRUE(store.connection().Open("DBQ=/nonexistent/x.dat;DRIVER={SQLite3}", false));
    EXPECT_EQ(store.connection().GetConnectionString(), before);
    auto handed = std::make_shared<RecordingReporter>();
    CAdoConnection other(handed);
    EXPECT_FALSE(other.Open("DBQ=/nonexistent/x.dat;DRIVER={SQLite3}", true));
    EXPECT_EQ(handed->Texts().size(), 1u) << "a connection reports to the reporter it was handed";
    CAdoRecordset rs;
    rs.SetShowErrors(false);
    EXPECT_FALSE(rs.SetConnection(other));
    EXPECT_FALSE(other.Execute("select 1"));
}

TEST_F(AccessLayer, AQuietThreadShowsNothingAndKeepsTheEnginesWordsWhileOtherThreadsShowTheirs)
{
    CAdoConnection& connection = store.connection();
    {
        CAdoConnection::QuietOnThisThread quiet(connection);
        EXPECT_FALSE(connection.GetShowErrors());
        CAdoRecordset rs(connection);
        EXPECT_FALSE(rs.Open("select * from nosuchtable"));
        EXPECT_NE(connection.QuietError().find("nosuchtable"), std::string::npos) << connection.QuietError();
        {
            CAdoConnection::QuietOnThisThread inner(connection);
            EXPECT_EQ(connection.QuietError(), "");
            std::string error;
            EXPECT_FALSE(connection.Execute("insert into nowhere values (1)", error));
            EXPECT_NE(error.find("nowhere"), std::string::npos) << error;
            EXPECT_EQ(connection.QuietError(), error);
        }
        EXPECT_NE(connection.QuietError().find("nosuchtable"), std::string::npos);
        std::thread([&connection] { EXPECT_FALSE(connection.Execute("insert into elsewhere values (1)")); }).join();
        ASSERT_EQ(store.reporter().Texts().size(), 1u);
        EXPECT_NE(store.reporter().Texts()[0].find("elsewhere"), std::string::npos);
    }
    EXPECT_TRUE(connection.GetShowErrors());
    EXPECT_EQ(connection.QuietError(), "");
    EXPECT_FALSE(connection.Execute("insert into here values (1)"));
    EXPECT_EQ(store.reporter().Texts().size(), 2u);
}

TEST_F(AccessLayer, AnOldJournalFileOpensInWalModeAndAShortBusyTimeoutFailsAsBusy)
{
    store.connection().Close();
    std::string error;
    {
        CAdoConnection older; // as an older version left the file
        ASSERT_TRUE(older.Open(connectionString));
        ASSERT_TRUE(older.Execute("pragma journal_mode=delete"));
    }
    DbResult mode;
    std::vector<std::string> errors;
    {
        // Opening alone changes nothing: a preset file that is only read keeps its mode, or a copy
        // installed read-only could not be opened any more.
        CAdoConnection reader;
        ASSERT_TRUE(reader.Open(connectionString));
        ASSERT_TRUE(reader.RunQuery("pragma journal_mode", mode, errors));
        EXPECT_EQ(mode.rows.at(0).at(0).text, "delete");
    }
    ASSERT_TRUE(EnsureLocalDatabase(path, error)) << error; // start-up switches an older file over
    CAdoConnection window;
    window.SetBusyTimeout(std::chrono::milliseconds(20));
    ASSERT_TRUE(window.Open(connectionString));
    ASSERT_TRUE(window.RunQuery("pragma journal_mode", mode, errors));
    EXPECT_EQ(mode.rows.at(0).at(0).text, "wal");

    CAdoConnection other;
    ASSERT_TRUE(other.Open(connectionString));
    ASSERT_TRUE(other.Execute("begin immediate"));
    EXPECT_TRUE(window.RunQuery("select count(*) from userdata", mode, errors)) << "a reader never waits";
    EXPECT_FALSE(window.Execute("delete from userdata", error));
    EXPECT_TRUE(window.LastFailureWasBusy()) << error;
    CAdoTransaction write(window);
    EXPECT_FALSE(write.Begin());
    EXPECT_TRUE(write.WasBusy());
    EXPECT_TRUE(window.LastFailureWasBusy());
    EXPECT_FALSE(window.Execute("delete from nowhere", error));
    EXPECT_FALSE(window.LastFailureWasBusy()) << "a failure of another kind";
    ASSERT_TRUE(other.Execute("commit"));
    EXPECT_TRUE(window.Execute("delete from userdata", error)) << error;
}

// A writer pauses after its commit only for a writer that waits: the wait is seen from every other
// connection, whichever kind of statement waits, and ends with the statement.
TEST_F(AccessLayer, AWriterWaitingForTheLockIsSeenByOtherConnectionsWhileItWaits)
{
    CAdoConnection check;
    CAdoConnection cli;
    ASSERT_TRUE(check.Open(connectionString));
    ASSERT_TRUE(cli.Open(connectionString));
    EXPECT_FALSE(check.IsOtherWriterWaiting());
    for (bool inTransaction : {false, true}) {
        ASSERT_TRUE(check.Execute("begin immediate"));
        std::thread waiter([&] {
            if (inTransaction) {
                CAdoTransaction write(cli);
                EXPECT_TRUE(write.Begin());
                EXPECT_TRUE(write.Commit());
            } else {
                EXPECT_TRUE(cli.Execute("update userdata set status=1"));
            }
        });
        EXPECT_TRUE(WaitUntil([&] { return check.IsOtherWriterWaiting(); }));
        EXPECT_TRUE(check.Execute("commit")); // the waiter is joined either way
        waiter.join();
        EXPECT_FALSE(check.IsOtherWriterWaiting()) << "the wait ended with its statement";
    }

    // A file without the lock file beside it (an installed preset file) cannot tell: the pause stays.
    const std::string bare = store.appDir() + "bare.db";
    std::filesystem::copy_file(path, bare);
    CAdoConnection reader;
    ASSERT_TRUE(reader.Open("DBQ=" + bare + ";DRIVER={SQLite3}"));
    EXPECT_TRUE(reader.IsOtherWriterWaiting());
}

// True once every page of the log is in the file: the log's index (the -shm file, in the layout
// SQLite documents) holds the log's last frame at byte 16 and the last one copied back at byte 96.
bool LogCopiedToFile(const std::string& path)
{
    std::ifstream index(path + "-shm", std::ios::binary);
    std::uint32_t last = 0;
    std::uint32_t copied = 0;
    index.seekg(16).read(reinterpret_cast<char*>(&last), sizeof last);
    index.seekg(96).read(reinterpret_cast<char*>(&copied), sizeof copied);
    return index && last > 0 && copied == last;
}

// The pages of a large commit are copied back into the file by a thread of the connection's own,
// without another commit, so the next commit writes the log from its start again instead of making
// it grow; a connection closed while its copy may be under way loses nothing.
TEST_F(AccessLayer, ALargeCommitReachesTheFileWithoutAnotherCommitAndTheLogDoesNotGrow)
{
    // 6,000 rows of 2 KB: about 1,500 pages of the store's 8 KB, past the 1,000 that start a copy.
    constexpr unsigned kRows = 6000;
    const std::string kFill = "insert into big select randomblob(2000) from (with recursive n(i) as (select 1 "
                              "union all select i + 1 from n where i < " +
                              std::to_string(kRows) + ") select i from n)";
    ASSERT_TRUE(store.connection().Execute("create table big (b blob)"));
    for (int round = 1; round <= 4; ++round) {
        ASSERT_TRUE(store.connection().Execute(kFill));
        EXPECT_TRUE(WaitUntil([&] { return LogCopiedToFile(path); })) << "round " << round;
    }
    EXPECT_GE(std::filesystem::file_size(path), 4 * kRows * 2000u);
    EXPECT_LT(std::filesystem::file_size(path + "-wal"), 2 * kRows * 2000u);
    {
        CAdoConnection writer;
        ASSERT_TRUE(writer.Open(connectionString));
        ASSERT_TRUE(writer.Execute(kFill));
    } // closed at once, its copy perhaps under way
    EXPECT_EQ(store.QueryNumber("select count(*) from big"), 5 * kRows);
}

// The log's pages are written in large pieces (GatheredLogWrites.h): a transaction larger than the
// page cache, which writes pages to the log before its commit, reads some back and writes some
// again (and then every frame's checksum), is whole after a crash that closed nothing, fails when
// the disk refuses a write, leaving the file as it was, and is whole for another program at once.
TEST_F(AccessLayer, ACommitLargerThanThePageCacheIsWholeForOthersAtOnceAndAfterACrashAndFailsWhenAWriteFails)
{
    // 20,000 rows of 2 KB (past the 32 MiB cache), then a seventh of them written again.
    const auto fill = [](CAdoConnection& connection, int rows) {
        CAdoTransaction transaction(connection);
        return transaction.Begin() &&
               connection.Execute("insert into big select randomblob(2000) from (with recursive n(i) as (select 1 "
                                  "union all select i + 1 from n where i < " +
                                  std::to_string(rows) + ") select i from n)") &&
               connection.Execute("update big set b = randomblob(2000) where rowid % 7 = 0") && transaction.Commit();
    };
    // Another program: SQLite's own file layer, nothing of ours.
    const auto otherProgramReads = [this](const std::string& sql) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* statement = nullptr;
        std::string value = "(fails)";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(statement, 0);
            value = text ? reinterpret_cast<const char*>(text) : "(null)";
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return value;
    };
    // The writers that crash or fail are children forked while this process has no thread but its own.
    ASSERT_TRUE(store.connection().Execute("create table big (b blob)"));
    const auto fillAndExit = [&](bool pastTheDisksEnd) {
        if (pastTheDisksEnd) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{1 << 20, 1 << 20}; // no file may grow past 1 MiB: the log must
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        CAdoConnection writer;
        writer.SetShowErrors(false);
        std::_Exit(writer.Open(connectionString) && fill(writer, 20000) ? 0 : 1); // closes nothing
    };
    // The crashed writer is the only one: without the log's index (as after a reboot) the next
    // reader reads the log again frame by frame, each checked against the checksums written.
    store.connection().Close();
    EXPECT_EXIT(fillAndExit(false), testing::ExitedWithCode(0), "");
    std::filesystem::remove(path + "-shm");
    EXPECT_EQ(otherProgramReads("select count(*) || ' ' || sum(length(b)) from big"), "20000 40000000");
    EXPECT_EQ(otherProgramReads("pragma integrity_check"), "ok");
    ASSERT_TRUE(store.connection().Open(connectionString));

    EXPECT_EXIT(fillAndExit(true), testing::ExitedWithCode(1), "");
    EXPECT_EQ(otherProgramReads("select count(*) from big"), "20000");

    ASSERT_TRUE(fill(store.connection(), 20000));
    EXPECT_EQ(otherProgramReads("select count(*) || ' ' || sum(length(b)) from big"), "40000 80000000");
    EXPECT_EQ(otherProgramReads("pragma integrity_check"), "ok");

    // A cache of 10 pages cycled through 50: every page is read back moments after it was written.
    CAdoConnection cycler;
    ASSERT_TRUE(cycler.Open(connectionString));
    ASSERT_TRUE(cycler.Execute("pragma cache_size=10"));
    CAdoTransaction transaction(cycler);
    ASSERT_TRUE(transaction.Begin());
    ASSERT_TRUE(cycler.Execute("create table cycled (n integer, b blob)"));
    ASSERT_TRUE(cycler.Execute("insert into cycled select 0, zeroblob(2000) from big limit 100"));
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(cycler.Execute("update cycled set n = n + 1"));
    }
    ASSERT_TRUE(transaction.Commit());
    EXPECT_EQ(otherProgramReads("select count(*) || ' ' || sum(n) from cycled"), "100 2000");
}
