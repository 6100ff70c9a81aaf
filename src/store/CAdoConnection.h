#pragma once
// The program's way into every database: the local SQLite files and remote ODBC sources.
// Errors: every operation returns false on failure and, while show-errors is on, reports the
// failure through the connection's message reporter. Nothing throws out of this layer.
//
// The main connection is shared by the UI thread and the check worker. Every statement and every
// recordset open runs under the connection's lock; a recordset reads all its rows at Open, so the
// lock is never held while a message is shown or while the caller walks the rows. A write
// transaction (CAdoTransaction) holds the lock from its begin to its end, so the statements of
// other threads neither join it nor land in the middle of it; the lock is recursive for that.
#include "store/DbBackend.h"
#include "store/MessageReporter.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

class CAdoRecordset;
class CAdoCommand;
class CAdoTransaction;

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
    friend class CAdoCommand;
    friend class CAdoTransaction;

    mutable std::recursive_mutex m_lock;
    std::unique_ptr<IDbBackend> m_backend;
    int m_nTransactionDepth = 0; // under m_lock; inner transactions join the outer one
    std::string m_strConnection;
    bool m_bShowErrors = true;
    std::shared_ptr<IMessageReporter> m_reporter;
};

// The parts of a connection string the local files use: "DBQ=<path>;DRIVER={SQLite3}".
// Returns the DBQ path when the string names the SQLite driver, empty otherwise.
std::string LocalDatabasePath(const std::string& connectionString);

// A statement of the local store compiled once and run many times with bound values (1-based).
// Runs under its connection's lock; it must end before its connection is opened anew or closed.
class CAdoCommand final
{
public:
    CAdoCommand(CAdoConnection& connection, const std::string& sql);
    ~CAdoCommand();
    CAdoCommand(const CAdoCommand&) = delete;
    CAdoCommand& operator=(const CAdoCommand&) = delete;

    bool IsValid() const { return m_statement != nullptr; }
    // A bound text must stay in place until Run.
    CAdoCommand& Bind(int index, std::string_view text);
    CAdoCommand& Bind(int index, long long number);
    // Runs it; the rows of a query go into result when given. Errors are kept, never shown.
    bool Run(DbResult* result = nullptr);
    int Changes() const;
    const std::vector<std::string>& Errors() const { return m_errors; }

private:
    CAdoConnection& m_connection;
    std::unique_ptr<IDbStatement> m_statement;
    std::vector<std::string> m_errors;
};

// One write transaction on the local store: "begin immediate" at Begin, "commit" at Commit,
// "rollback" when it ends uncommitted. From Begin to its end it holds the connection for its
// thread. Begin waits for a writer of another program in short rounds, bounded in number, and
// asks keepWaiting between them (false gives up: a stop request). A transaction begun inside
// another one on the same connection joins it.
class CAdoTransaction final
{
public:
    explicit CAdoTransaction(CAdoConnection& connection) : m_connection(connection) {}
    ~CAdoTransaction();
    CAdoTransaction(const CAdoTransaction&) = delete;
    CAdoTransaction& operator=(const CAdoTransaction&) = delete;

    bool Begin(const std::function<bool()>& keepWaiting = {});
    bool Commit();
    void Rollback();
    bool IsActive() const { return m_bActive; }
    // Begin failed because another program kept the write lock through every round.
    bool WasBusy() const { return m_bBusy; }
    const std::vector<std::string>& Errors() const { return m_errors; }

    static constexpr std::chrono::milliseconds kWaitRound{200};
    static constexpr int kWaitRounds = 50;

private:
    void End(bool commit);

    CAdoConnection& m_connection;
    std::unique_lock<std::recursive_mutex> m_hold;
    bool m_bActive = false;
    bool m_bBusy = false;
    bool m_bCommitted = false;
    std::vector<std::string> m_errors;
};
