// The ODBC backend against the real SQLite3 and PostgreSQL ODBC drivers. A server that accepts and
// never answers (the hanging-driver case) is met through the database monitor's tests.
#include "store/OdbcBackend.h"

#include "support/RemoteDatabase.h"
#include "support/TestStore.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>

namespace {

using namespace std::string_literals;

const auto Joined = [](const std::vector<std::string>& errors) { return ::testing::PrintToString(errors); };

// One value as kind:value; dates as year-month-day hour:minute:second.
std::string Show(const DbValue& value)
{
    char date[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:%02d", value.date.year, value.date.month, value.date.day,
                  value.date.hour, value.date.minute, value.date.second);
    std::ostringstream real;
    real << "d:" << value.real;
    const std::string integer = std::to_string(value.integer);
    const std::string shown[] = {"null", "i:" + integer, "I:" + integer, real.str(), "t:" + value.text,
                                 date,   "b:" + integer}; // in the order of DbValue::Kind
    return shown[static_cast<int>(value.kind)];
}

using Row = std::vector<std::string>;

struct DriverCase
{
    std::string remote;
    bool ansi; // the PostgreSQL ANSI driver instead of the Unicode one
    std::string createTable;
    std::vector<Row> rows; // of "select * from t order by 1"
};

class OdbcDriverTest : public ::testing::TestWithParam<DriverCase>
{
};

TEST_P(OdbcDriverTest, ReadsEveryKindAndHostileTextAndCarriesTheDriversErrors)
{
    TempDir dir;
    const DriverCase& param = GetParam();
    const RemoteDatabase remote = MakeRemote(param.remote, dir.path());
    remote.Run("drop table if exists t; drop table if exists big; create table big(id integer, body text);" +
               param.createTable);
    std::string connection = remote.connection;
    if (param.ansi) {
        connection.replace(connection.find("Unicode"), 7, "ANSI");
    }
    std::vector<std::string> errors;
    auto db = OpenOdbcBackend(connection, errors);
    ASSERT_TRUE(db) << Joined(errors);
    EXPECT_EQ(db->DbmsName(), param.remote);
    DbResult result;
    ASSERT_TRUE(db->Query("select * from t order by 1", result, errors)) << Joined(errors);
    std::vector<Row> shown;
    for (const auto& row : result.rows) {
        std::ranges::transform(row, std::back_inserter(shown.emplace_back()), Show);
    }
    EXPECT_EQ(shown, param.rows);

    // 1 + 3 + 2 bytes per round, so chunk borders fall inside multibyte characters.
    std::string big;
    while (big.size() < 1024 * 1024 + 5) {
        big += "a中é";
    }
    ASSERT_TRUE(db->Execute("insert into big values(1, '" + big + "')", errors)) << Joined(errors);
    EXPECT_TRUE(db->Execute("delete from big where id = 99", errors)) << "no row touched is still success";
    EXPECT_TRUE(errors.empty()) << Joined(errors);
    ASSERT_TRUE(db->Query("select body from big", result, errors)) << Joined(errors);
    ASSERT_EQ(result.rows.size(), 1u);
    EXPECT_TRUE(result.rows[0][0].text == big) << result.rows[0][0].text.size() << " of " << big.size() << " bytes";

    EXPECT_FALSE(db->Query("select * from no_such_view", result, errors));
    EXPECT_TRUE(result.rows.empty());
    EXPECT_NE(Joined(errors).find("no_such_view"), std::string::npos) << Joined(errors);
    errors.clear();
    EXPECT_FALSE(db->Execute("this is not sql", errors));
    EXPECT_FALSE(errors.empty());
}

// A time alone falls on the zero date 1899-12-30; trimming is the recordset's business; SQLite keeps
// values that do not fit the declared type as text; numeric arrives as decimal text.
const std::string kPostgresTable =
    "create table t(id integer, sm smallint, big bigint, ts timestamp, tm time, num numeric(10,2), f8 float8, "
    "f4 real, txt text); insert into t values(1, -3, 12345678901, '2002-05-01 08:30:59.75', '23:59:58', 3.14, 1.5, "
    "2.5, '中文 ''q'''); insert into t(id) values(2);";
const std::vector<Row> kPostgresRows = {{"i:1", "i:-3", "I:12345678901", "2002-05-01 08:30:59", "1899-12-30 23:59:58",
                                         "t:3.14", "d:1.5", "d:2.5", "t:中文 'q'"},
                                        {"i:2", "null", "null", "null", "null", "null", "null", "null", "null"}};
INSTANTIATE_TEST_SUITE_P(
    Drivers, OdbcDriverTest,
    ::testing::Values(
        DriverCase{"SQLite",
                   false,
                   "create table t(i integer, s smallint, b bigint, d datetime, dd date, tm time, bt bit, f double, "
                   "txt text, v varchar(20)); insert into t values(7, -3, 12345678901, '2002-05-01 08:30:00', "
                   "'2002-05-01', '08:30:15', 1, 1.5, '  abc ', 'x''y'); insert into t(i) values(null);"
                   "insert into t(i, d) values('not a number', 'yesterday');",
                   {Row(10, "null"),
                    {"i:7", "i:-3", "I:12345678901", "2002-05-01 08:30:00", "2002-05-01 00:00:00",
                     "1899-12-30 08:30:15", "b:1", "d:1.5", "t:  abc ", "t:x'y"},
                    {"t:not a number", "null", "null", "t:yesterday", "null", "null", "null", "null", "null", "null"}}},
        DriverCase{"PostgreSQL", false, kPostgresTable, kPostgresRows},
        DriverCase{"PostgreSQL", true, kPostgresTable, kPostgresRows}),
    [](const auto& param) { return param.param.remote + (param.param.ansi ? "Ansi" : ""); });

TEST(OdbcBackendTest, FailuresCarryTheDriversWordsAndAQueryTimeOutEndsTheWait)
{
    TempDir dir;
    const std::string missing = dir.path() + "missing.db";
    std::string error;
    PostgresServer* server = SharedServer<PostgresServer>(error);
    ASSERT_TRUE(server) << error;
    std::vector<std::string> errors;
    for (const auto& [connection, words] :
         {std::pair{"Driver=SQLite3;Database=" + missing + ";NoCreat=1", "connect failed"s},
          std::pair{"Driver={No Such Driver};Database=x"s, "No Such Driver"s},
          std::pair{server->ConnectionString("PostgreSQL Unicode", "wrong"), "password authentication failed"s}}) {
        errors.clear();
        EXPECT_FALSE(OpenOdbcBackend(connection, errors));
        EXPECT_NE(Joined(errors).find(words), std::string::npos) << Joined(errors);
    }
    EXPECT_FALSE(std::filesystem::exists(missing));

    errors.clear();
    auto db = OpenOdbcBackend(server->ConnectionString(), OdbcTimeouts{5, 1}, errors);
    ASSERT_TRUE(db) << Joined(errors);
    DbResult result;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(db->Query("select pg_sleep(20)", result, errors));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(errors.empty());
}

} // namespace
