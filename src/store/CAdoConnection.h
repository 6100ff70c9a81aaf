#pragma once
// The program's way into every database: the local SQLite files and remote ODBC sources.
// Errors: every operation returns false on failure and, while show-errors is on, reports the
// failure through the connection's message reporter. Nothing throws out of this layer.
//
// The main connection is shared by the UI thread and the check worker. Every statement and every
// recordset open runs under the connection's lock; a recordset reads all its rows at Open, so the
// lock is never held while a message is shown or while the caller walks the rows.
#include "store/DbBackend.h"
#include "store/MessageReporter.h"

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class CAdoRecordset;

class CAdoConnection final
{
public:
    CAdoConnection();
    ~CAdoConnection();
    CAdoConnection(const CAdoConnection&) = delete;
    CAdoConnection& operator=(const CAdoConnection&) = delete;

    bool Open(const std::string& connectionString, bool forceNew = false);
    void Close();
    bool Execute(const std::string& sql);
    // For page copies of many megabytes, which must not be copied into statement texts: the
    // statement's "?" placeholders take the texts in order. Reported like Execute.
    bool ExecuteWithTexts(const std::string& sql, const std::vector<std::string_view>& texts);
    // One long text value of one row, read in one piece; false (never reported) when the engine
    // cannot, so the caller may fall back to a query.
    bool ReadLongText(const std::string& table, const std::string& column, long long rowid, std::string& out);
    bool IsOpen() const;

    void SetShowErrors(bool show) { m_bShowErrors = show; }
    bool GetShowErrors() const { return m_bShowErrors; }
    const std::string& GetConnectionString() const { return m_strConnection; }
    // The engine name the SQL dialect is chosen by ("SQLite", "PostgreSQL", ...).
    std::string GetDbmsName() const;

    void SetReporter(std::shared_ptr<IMessageReporter> reporter) { m_reporter = std::move(reporter); }
    const std::shared_ptr<IMessageReporter>& GetReporter() const { return m_reporter; }

    // Used by CAdoRecordset: runs a query under the lock; the dialect rewrite happens here.
    bool RunQuery(const std::string& sql, DbResult& result, std::vector<std::string>& errors);
    // Shows one message per engine error (the "ShowErrors" of the access layer).
    void ShowErrors(const std::vector<std::string>& errors, int mode) const;

private:
    mutable std::mutex m_lock;
    std::unique_ptr<IDbBackend> m_backend;
    std::string m_strConnection;
    bool m_bShowErrors = true;
    std::shared_ptr<IMessageReporter> m_reporter;
};

// The parts of a connection string the local files use: "DBQ=<path>;DRIVER={SQLite3}".
// Returns the DBQ path when the string names the SQLite driver, empty otherwise.
std::string LocalDatabasePath(const std::string& connectionString);
