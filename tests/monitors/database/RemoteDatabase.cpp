#include "RemoteDatabase.h"

#include "store/SqlText.h"
#include "support/PostgresServer.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

std::string Literal(const std::optional<std::string>& value)
{
    return value ? "'" + SqlEscape(*value) + "'" : std::string("NULL");
}

class SqliteRemote final : public RemoteDatabase
{
public:
    explicit SqliteRemote(std::string path) : m_path(std::move(path)) {}
    std::string Name() const override { return "SQLite"; }
    std::string ConnectionString() const override { return "Driver=SQLite3;Database=" + m_path + ";NoCreat=1"; }
    bool Run(const std::string& sql, std::string& error) override
    {
        sqlite3* db = nullptr;
        if (sqlite3_open(m_path.c_str(), &db) != SQLITE_OK) {
            error = "cannot open " + m_path;
            sqlite3_close(db);
            return false;
        }
        char* message = nullptr;
        const bool ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK;
        if (!ok) {
            error = message ? message : "sqlite3_exec failed";
        }
        sqlite3_free(message);
        sqlite3_close(db);
        return ok;
    }

private:
    std::string m_path;
};

// One cluster for the whole program; the environment stops it after the last test.
class SharedPostgres final : public ::testing::Environment
{
public:
    static PostgresServer* Get(std::string& error)
    {
        if (!s_server) {
            s_server = std::make_unique<PostgresServer>();
            if (!s_server->Start(s_error)) {
                s_server->Stop();
            }
        }
        error = s_error;
        return s_server->IsRunning() ? s_server.get() : nullptr;
    }
    void TearDown() override { s_server.reset(); }

private:
    static inline std::unique_ptr<PostgresServer> s_server;
    static inline std::string s_error;
};

[[maybe_unused]] auto* const g_sharedPostgres = ::testing::AddGlobalTestEnvironment(new SharedPostgres);

class PostgresRemote final : public RemoteDatabase
{
public:
    explicit PostgresRemote(PostgresServer& server) : m_server(server) {}
    std::string Name() const override { return "PostgreSQL"; }
    std::string ConnectionString() const override { return m_server.ConnectionString(); }
    bool Run(const std::string& sql, std::string& error) override { return m_server.RunSql(sql, error); }

private:
    PostgresServer& m_server;
};

} // namespace

bool RemoteDatabase::CreateNotices(std::string& error)
{
    return Run("drop view if exists v_short; drop view if exists v_notice; drop table if exists notices;"
               "create table notices(id integer primary key, sourcetype varchar(50), fromdate timestamp, "
               "fromid varchar(50), fromname varchar(100), info varchar(200), toid varchar(50), "
               "toname varchar(100), content text, link varchar(200));"
               "create view v_notice as select id as ID, sourcetype as SourceType, fromdate as FromDate, "
               "fromid as FromID, fromname as FromName, info as Info, toid as ToID, toname as ToName, "
               "content as Content, link as Link from notices;",
               error);
}

bool RemoteDatabase::Insert(const std::vector<NoticeRow>& rows, std::string& error)
{
    if (rows.empty()) {
        return true;
    }
    std::string sql = "insert into notices values ";
    for (size_t i = 0; i < rows.size(); ++i) {
        const NoticeRow& r = rows[i];
        sql += (i ? ",(" : "(") + std::to_string(r.id) + "," + Literal(r.sourceType) + "," + Literal(r.fromDate) + "," +
               Literal(r.fromId) + "," + Literal(r.fromName) + "," + Literal(r.info) + "," + Literal(r.toId) + "," +
               Literal(r.toName) + "," + Literal(r.content) + "," + Literal(r.link) + ")";
    }
    return Run(sql, error);
}

std::vector<NoticeRow> NumberedRows(int first, int last)
{
    std::vector<NoticeRow> rows;
    for (int id = first; id <= last; ++id) {
        NoticeRow row;
        row.id = id;
        row.info = "notice " + std::to_string(id);
        row.content = "content of " + std::to_string(id);
        rows.push_back(row);
    }
    return rows;
}

std::unique_ptr<RemoteDatabase> MakeSqliteRemote(const std::string& dir)
{
    return std::make_unique<SqliteRemote>(dir + "remote.db");
}

std::unique_ptr<RemoteDatabase> MakePostgresRemote(std::string& error)
{
    PostgresServer* server = SharedPostgres::Get(error);
    if (!server) {
        return nullptr;
    }
    return std::make_unique<PostgresRemote>(*server);
}

PostgresServer* SharedPostgresServer(std::string& error)
{
    return SharedPostgres::Get(error);
}

std::string PostgresConnectionString(const std::string& password)
{
    std::string error;
    PostgresServer* server = SharedPostgres::Get(error);
    return server ? server->ConnectionString("PostgreSQL Unicode", password) : std::string();
}
