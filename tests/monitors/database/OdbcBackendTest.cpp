// The ODBC backend against the real SQLite3 and PostgreSQL ODBC drivers, plus a server that
// accepts and never answers (the hanging-driver case).
#include "store/OdbcBackend.h"

#include "RemoteDatabase.h"
#include "StallServer.h"
#include "support/PostgresServer.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

std::string MixedText(size_t bytes)
{
    // 1 + 3 + 2 bytes per round, so chunk borders fall inside multibyte characters.
    std::string text;
    while (text.size() < bytes) {
        text += "a中é";
    }
    return text;
}

const DbValue& Cell(const DbResult& result, size_t row, const std::string& column)
{
    for (size_t i = 0; i < result.columns.size(); ++i) {
        if (result.columns[i].name == column) {
            return result.rows.at(row).at(i);
        }
    }
    throw std::runtime_error("no column " + column);
}

std::string Joined(const std::vector<std::string>& errors)
{
    std::string text;
    for (const auto& error : errors) {
        text += error + "\n";
    }
    return text;
}

class SqliteOdbcTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir =
            std::filesystem::temp_directory_path() / ("wendar-odbc-" + std::to_string(getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
        m_path = (m_dir / "remote.db").string();
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(m_path.c_str(), &db), SQLITE_OK);
        char* message = nullptr;
        const int rc = sqlite3_exec(db,
                                    "create table t(i integer, s smallint, b bigint, d datetime, dd date, tm time, "
                                    "bt bit, f double, n numeric(10,2), txt text, v varchar(20));"
                                    "insert into t values(7, -3, 12345678901, '2002-05-01 08:30:00', '2002-05-01', "
                                    "'08:30:15', 1, 1.5, 3.14, '  abc ', 'x''y');"
                                    "insert into t values(null, null, null, null, null, null, null, null, null, null, "
                                    "null);"
                                    "insert into t(i, d) values('not a number', 'yesterday');",
                                    nullptr, nullptr, &message);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK) << (message ? message : "");
        sqlite3_free(message);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string ConnectionString() const { return "Driver=SQLite3;Database=" + m_path + ";NoCreat=1"; }

    std::unique_ptr<IDbBackend> Open()
    {
        std::vector<std::string> errors;
        auto backend = OpenOdbcBackend(ConnectionString(), errors);
        EXPECT_TRUE(backend) << Joined(errors);
        return backend;
    }

    std::filesystem::path m_dir;
    std::string m_path;
};

TEST_F(SqliteOdbcTest, ReadsEveryColumnTypeAsTheLayerExpects)
{
    auto db = Open();
    ASSERT_TRUE(db);
    EXPECT_EQ(db->DbmsName(), "SQLite");
    EXPECT_TRUE(db->IsOpen());

    DbResult result;
    std::vector<std::string> errors;
    ASSERT_TRUE(db->Query("select * from t order by rowid", result, errors)) << Joined(errors);
    ASSERT_EQ(result.rows.size(), 3u);
    ASSERT_EQ(result.columns.size(), 11u);

    EXPECT_EQ(Cell(result, 0, "i").kind, DbValue::Kind::Int32);
    EXPECT_EQ(Cell(result, 0, "i").integer, 7);
    EXPECT_EQ(Cell(result, 0, "s").kind, DbValue::Kind::Int32);
    EXPECT_EQ(Cell(result, 0, "s").integer, -3);
    EXPECT_EQ(Cell(result, 0, "b").kind, DbValue::Kind::Int64);
    EXPECT_EQ(Cell(result, 0, "b").integer, 12345678901);
    const DbValue& stamp = Cell(result, 0, "d");
    ASSERT_EQ(stamp.kind, DbValue::Kind::Date);
    EXPECT_EQ(stamp.date.year, 2002);
    EXPECT_EQ(stamp.date.month, 5);
    EXPECT_EQ(stamp.date.day, 1);
    EXPECT_EQ(stamp.date.hour, 8);
    EXPECT_EQ(stamp.date.minute, 30);
    EXPECT_EQ(Cell(result, 0, "dd").kind, DbValue::Kind::Date);
    EXPECT_EQ(Cell(result, 0, "dd").date.day, 1);
    const DbValue& time = Cell(result, 0, "tm");
    ASSERT_EQ(time.kind, DbValue::Kind::Date);
    EXPECT_EQ(time.date.hour, 8);
    EXPECT_EQ(time.date.second, 15);
    EXPECT_EQ(Cell(result, 0, "bt").kind, DbValue::Kind::Bool);
    EXPECT_EQ(Cell(result, 0, "bt").integer, 1);
    EXPECT_EQ(Cell(result, 0, "f").kind, DbValue::Kind::Double);
    EXPECT_DOUBLE_EQ(Cell(result, 0, "f").real, 1.5);
    EXPECT_EQ(Cell(result, 0, "txt").kind, DbValue::Kind::Text);
    EXPECT_EQ(Cell(result, 0, "txt").text, "  abc "); // trimming is the recordset's business
    EXPECT_EQ(Cell(result, 0, "v").text, "x'y");

    for (const auto& value : result.rows[1]) {
        EXPECT_EQ(value.kind, DbValue::Kind::Null);
    }

    // SQLite keeps whatever was stored: values that do not fit the declared type stay text.
    EXPECT_EQ(Cell(result, 2, "i").kind, DbValue::Kind::Text);
    EXPECT_EQ(Cell(result, 2, "i").text, "not a number");
    EXPECT_EQ(Cell(result, 2, "d").kind, DbValue::Kind::Text);
    EXPECT_EQ(Cell(result, 2, "d").text, "yesterday");
}

TEST_F(SqliteOdbcTest, LongMultibyteTextArrivesWholeAcrossChunks)
{
    auto db = Open();
    ASSERT_TRUE(db);
    std::vector<std::string> errors;
    const std::string big = MixedText(1024 * 1024 + 7);
    ASSERT_TRUE(db->Execute("create table big(id integer, content text)", errors)) << Joined(errors);
    ASSERT_TRUE(db->Execute("insert into big values(1, '" + big + "')", errors)) << Joined(errors);
    DbResult result;
    ASSERT_TRUE(db->Query("select content from big", result, errors)) << Joined(errors);
    ASSERT_EQ(result.rows.size(), 1u);
    EXPECT_EQ(result.rows[0][0].text.size(), big.size());
    EXPECT_TRUE(result.rows[0][0].text == big);
}

TEST_F(SqliteOdbcTest, StatementsReportSuccessAndDriverErrors)
{
    auto db = Open();
    ASSERT_TRUE(db);
    std::vector<std::string> errors;
    EXPECT_TRUE(db->Execute("update t set i = 8 where i = 7", errors)) << Joined(errors);
    EXPECT_TRUE(db->Execute("update t set i = 9 where i = 12345", errors)) << "no row touched is still success";
    EXPECT_TRUE(errors.empty()) << Joined(errors);

    DbResult result;
    result.rows.resize(3);
    EXPECT_FALSE(db->Query("select * from no_such_table", result, errors));
    EXPECT_TRUE(result.rows.empty());
    ASSERT_FALSE(errors.empty());
    EXPECT_NE(Joined(errors).find("no_such_table"), std::string::npos) << Joined(errors);

    errors.clear();
    EXPECT_FALSE(db->Execute("this is not sql", errors));
    EXPECT_FALSE(errors.empty());

    errors.clear();
    ASSERT_TRUE(db->Query("select count(*) as n from t where i = 8", result, errors)) << Joined(errors);
    ASSERT_EQ(result.rows.size(), 1u);
    EXPECT_EQ(result.columns[0].name, "n");
    EXPECT_EQ(result.rows[0][0].integer, 1);
}

TEST_F(SqliteOdbcTest, MissingFileIsAnErrorAndIsNotCreated)
{
    const std::string missing = (m_dir / "missing.db").string();
    std::vector<std::string> errors;
    auto backend = OpenOdbcBackend("Driver=SQLite3;Database=" + missing + ";NoCreat=1", errors);
    EXPECT_FALSE(backend);
    EXPECT_FALSE(errors.empty());
    EXPECT_FALSE(std::filesystem::exists(missing));

    errors.clear();
    EXPECT_FALSE(OpenOdbcBackend("Driver={No Such Driver};Database=x", errors));
    ASSERT_FALSE(errors.empty());
    EXPECT_NE(Joined(errors).find("No Such Driver"), std::string::npos) << Joined(errors);
}

class PostgresOdbcTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        s_server = SharedPostgresServer(error);
        ASSERT_TRUE(s_server) << error;
        ASSERT_TRUE(s_server->RunSql(
            "drop table if exists kinds; create table kinds(id integer primary key, sm smallint, big bigint, "
            "ts timestamp, d date, tm time, flag boolean, num numeric(10,2), "
            "f8 float8, f4 real, txt text, vc varchar(40));"
            "insert into kinds values(1, -3, 12345678901, '2002-05-01 08:30:59.75', "
            "'2002-05-01', '23:59:58', true, 3.14, 1.5, 2.5, '中文 ''q''', 'vc');"
            "insert into kinds(id) values(2);",
            error))
            << error;
    }
    void SetUp() override { ASSERT_TRUE(s_server && s_server->port() > 0) << "PostgreSQL did not start"; }

    static inline PostgresServer* s_server = nullptr;
};

TEST_F(PostgresOdbcTest, BothDriversReadTheSameValues)
{
    for (const std::string driver : {"PostgreSQL Unicode", "PostgreSQL ANSI"}) {
        SCOPED_TRACE(driver);
        std::vector<std::string> errors;
        auto db = OpenOdbcBackend(s_server->ConnectionString(driver), errors);
        ASSERT_TRUE(db) << Joined(errors);
        EXPECT_EQ(db->DbmsName(), "PostgreSQL");

        DbResult result;
        ASSERT_TRUE(db->Query("select * from kinds order by id", result, errors)) << Joined(errors);
        ASSERT_EQ(result.rows.size(), 2u);
        EXPECT_EQ(Cell(result, 0, "id").kind, DbValue::Kind::Int32);
        EXPECT_EQ(Cell(result, 0, "sm").integer, -3);
        EXPECT_EQ(Cell(result, 0, "big").kind, DbValue::Kind::Int64);
        EXPECT_EQ(Cell(result, 0, "big").integer, 12345678901);
        const DbValue& ts = Cell(result, 0, "ts");
        ASSERT_EQ(ts.kind, DbValue::Kind::Date);
        EXPECT_EQ(ts.date.year, 2002);
        EXPECT_EQ(ts.date.minute, 30);
        EXPECT_EQ(ts.date.second, 59);
        EXPECT_EQ(Cell(result, 0, "d").kind, DbValue::Kind::Date);
        EXPECT_EQ(Cell(result, 0, "tm").date.hour, 23);
        EXPECT_EQ(Cell(result, 0, "num").kind, DbValue::Kind::Text);
        EXPECT_EQ(Cell(result, 0, "num").text, "3.14");
        EXPECT_EQ(Cell(result, 0, "f8").kind, DbValue::Kind::Double);
        EXPECT_DOUBLE_EQ(Cell(result, 0, "f8").real, 1.5);
        EXPECT_DOUBLE_EQ(Cell(result, 0, "f4").real, 2.5);
        EXPECT_EQ(Cell(result, 0, "txt").text, "中文 'q'");
        for (size_t i = 1; i < result.columns.size(); ++i) {
            EXPECT_EQ(result.rows[1][i].kind, DbValue::Kind::Null) << result.columns[i].name;
        }
    }
}

TEST_F(PostgresOdbcTest, WritesAndReadsBackHostileText)
{
    std::vector<std::string> errors;
    auto db = OpenOdbcBackend(s_server->ConnectionString(), errors);
    ASSERT_TRUE(db) << Joined(errors);
    const std::string big = MixedText(1024 * 1024 + 5);
    ASSERT_TRUE(db->Execute("create table hostile(id integer, body text)", errors)) << Joined(errors);
    ASSERT_TRUE(db->Execute("insert into hostile values(1, '<b>''x''</b>; drop table hostile; --'), (2, '" + big + "')",
                            errors))
        << Joined(errors);
    DbResult result;
    ASSERT_TRUE(db->Query("select body from hostile order by id", result, errors)) << Joined(errors);
    ASSERT_EQ(result.rows.size(), 2u);
    EXPECT_EQ(result.rows[0][0].text, "<b>'x'</b>; drop table hostile; --");
    EXPECT_EQ(result.rows[1][0].text.size(), big.size());
    EXPECT_TRUE(result.rows[1][0].text == big);
    EXPECT_TRUE(db->Execute("delete from hostile where id = 99", errors)) << "no row touched is still success";
}

TEST_F(PostgresOdbcTest, FailuresCarryTheServersWords)
{
    std::vector<std::string> errors;
    EXPECT_FALSE(OpenOdbcBackend(s_server->ConnectionString("PostgreSQL Unicode", "wrong"), errors));
    EXPECT_NE(Joined(errors).find("password authentication failed"), std::string::npos) << Joined(errors);

    errors.clear();
    auto db = OpenOdbcBackend(s_server->ConnectionString(), errors);
    ASSERT_TRUE(db) << Joined(errors);
    DbResult result;
    EXPECT_FALSE(db->Query("select * from no_such_view", result, errors));
    EXPECT_NE(Joined(errors).find("no_such_view"), std::string::npos) << Joined(errors);
}

TEST_F(PostgresOdbcTest, QueryTimeOutEndsASlowStatement)
{
    std::vector<std::string> errors;
    auto db = OpenOdbcBackend(s_server->ConnectionString(), OdbcTimeouts{5, 1}, errors);
    ASSERT_TRUE(db) << Joined(errors);
    DbResult result;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(db->Query("select pg_sleep(20)", result, errors));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(errors.empty());
}

TEST(OdbcConnectTest, ServerThatNeverAnswersIsGivenUpAfterTheLoginTimeOut)
{
    StallServer stall;
    std::string error;
    ASSERT_TRUE(stall.Start(error)) << error;
    const std::string connection = "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(stall.port()) +
                                   ";Database=x;Uid=u;Pwd=p;";
    // The process-wide default is what CAdoConnection's connections get.
    const OdbcTimeouts saved = GetOdbcTimeouts();
    SetOdbcTimeouts(OdbcTimeouts{2, 2});
    std::vector<std::string> errors;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(OpenOdbcBackend(connection, errors));
    SetOdbcTimeouts(saved);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(errors.empty());
    EXPECT_GE(stall.AcceptedCount(), 1);
}

} // namespace
