#pragma once
// What CAdoConnection needs of a database engine. Errors are returned as the engine's own
// descriptions, one entry each; the access layer decides whether to show them.
#include "store/DbValue.h"
#include "util/UiText.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A statement compiled once and run many times with new values (1-based parameters).
class IDbStatement
{
public:
    virtual ~IDbStatement() = default;
    // The text must stay in place until the statement has run (it is not copied).
    virtual void Bind(int index, std::string_view text) = 0;
    virtual void Bind(int index, long long number) = 0;
    // Runs it with the bound values; the rows of a query go into result when it is given.
    virtual bool Run(DbResult* result, std::vector<std::string>& errors) = 0;
    // Rows the last run inserted, changed or deleted.
    virtual int Changes() const = 0;
};

class IDbBackend
{
public:
    virtual ~IDbBackend() = default;
    virtual bool Execute(const std::string& sql, std::vector<std::string>& errors) = 0;
    virtual bool Query(const std::string& sql, DbResult& result, std::vector<std::string>& errors) = 0;
    // The rows one at a time: each in current.rows[0] (current.columns set), then onRow. Engines
    // that read the whole result first hand its rows on the same way.
    virtual bool QueryEach(const std::string& sql, DbResult& current, const std::function<void()>& onRow,
                           std::vector<std::string>& errors)
    {
        DbResult all;
        if (!Query(sql, all, errors)) {
            return false;
        }
        current.columns = std::move(all.columns);
        current.rows.resize(1);
        for (auto& row : all.rows) {
            current.rows[0] = std::move(row);
            onRow();
        }
        return true;
    }
    virtual bool IsOpen() const = 0;
    // A statement whose "?" placeholders take texts that may be megabytes: the engine reads them
    // where they are, no statement text holds them. Engines that cannot say so in errors.
    virtual bool ExecuteWithTexts(const std::string& sql, const std::vector<std::string_view>& texts,
                                  std::vector<std::string>& errors)
    {
        (void)sql;
        (void)texts;
        errors.push_back("not supported by this database");
        return false;
    }
    // One text or blob value of one row (by its rowid), read into out in one piece.
    virtual bool ReadLongText(const std::string& table, const std::string& column, long long rowid, std::string& out,
                              std::vector<std::string>& errors)
    {
        (void)table;
        (void)column;
        (void)rowid;
        (void)out;
        errors.push_back("not supported by this database");
        return false;
    }
    // The engine's name as the dialect is chosen by: "SQLite", "PostgreSQL", "Microsoft SQL Server" ...
    virtual std::string DbmsName() const = 0;

    // The local store only; remote sources are read, never written in transactions.
    virtual std::unique_ptr<IDbStatement> Prepare(const std::string& sql, std::vector<std::string>& errors)
    {
        (void)sql;
        errors.push_back(UiText("DbBackend", "这个数据库不支持预编译语句"));
        return nullptr;
    }
    // Takes the write lock at once ("begin immediate"), waiting at most `wait` for a writer of another
    // program; busy is set when that writer still held it.
    virtual bool BeginWrite(std::chrono::milliseconds wait, std::vector<std::string>& errors, bool& busy)
    {
        (void)wait;
        (void)errors;
        busy = false;
        return true;
    }
    virtual bool EndWrite(bool commit, std::vector<std::string>& errors)
    {
        (void)commit;
        (void)errors;
        return true;
    }
    // Turns this connection's triggers off or on again (statements prepared afterwards); false when
    // the engine cannot.
    virtual bool SetTriggers(bool on)
    {
        (void)on;
        return false;
    }
    // Whether a transaction is open: some failures (a full disk) end it with the statement.
    virtual bool InTransaction() const { return true; }
    // How long a statement waits for a writer of another connection before it fails as busy.
    virtual void SetBusyTimeout(std::chrono::milliseconds wait) { (void)wait; }
    // Whether the last failure was another connection's lock (asked right after a failure).
    virtual bool LastFailureBusy() const { return false; }
    // Whether a statement of another connection waits for the write lock now; engines that cannot
    // tell say yes.
    virtual bool OtherWriterWaiting() const { return true; }
};

// SQLite for "DBQ=<file>;DRIVER={SQLite3}" strings, ODBC (the string passed unchanged) for all
// others. Null with the reasons in errors when the connection cannot be made.
std::unique_ptr<IDbBackend> OpenSqliteBackend(const std::string& path, std::vector<std::string>& errors);
std::unique_ptr<IDbBackend> OpenOdbcBackend(const std::string& connectionString, std::vector<std::string>& errors);
