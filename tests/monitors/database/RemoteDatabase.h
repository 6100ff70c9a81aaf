#pragma once
// The remote side of a database check in tests: a table of notices and a view over it, in a real
// SQLite file (SQLite3 ODBC driver) or in the shared throwaway PostgreSQL cluster.
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One row of the notices table; a missing value is stored as NULL.
struct NoticeRow
{
    int id = 0;
    std::optional<std::string> sourceType = "notice";
    std::optional<std::string> fromDate = "2002-05-01 08:30:00";
    std::optional<std::string> fromId = "u1";
    std::optional<std::string> fromName = "张三";
    std::optional<std::string> info = "title";
    std::optional<std::string> toId = "u2";
    std::optional<std::string> toName = "李四";
    std::optional<std::string> content = "body";
    std::optional<std::string> link = "http://127.0.0.1/n";
};

class RemoteDatabase
{
public:
    virtual ~RemoteDatabase() = default;
    virtual std::string Name() const = 0;
    virtual std::string ConnectionString() const = 0;
    // Runs statements (several, separated by ';'); false with the reason in error.
    virtual bool Run(const std::string& sql, std::string& error) = 0;

    // A fresh notices table and the view v_notice with the ten columns.
    bool CreateNotices(std::string& error);
    bool Insert(const std::vector<NoticeRow>& rows, std::string& error);
};

// Rows id first..last with distinct texts.
std::vector<NoticeRow> NumberedRows(int first, int last);

std::unique_ptr<RemoteDatabase> MakeSqliteRemote(const std::string& dir);
// On the cluster shared by the whole test program (started on first use, stopped at its end).
// Null with the reason in error when PostgreSQL cannot be started.
std::unique_ptr<RemoteDatabase> MakePostgresRemote(std::string& error);
class PostgresServer;
// The cluster shared by the whole test program; null with the reason in error.
PostgresServer* SharedPostgresServer(std::string& error);
// Connection string of the shared cluster with another password.
std::string PostgresConnectionString(const std::string& password);
