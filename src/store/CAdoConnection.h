#pragma once
// The program's way into every database: the local SQLite files and remote ODBC sources.
// Errors: every operation returns false on failure and, while show-errors is on, reports the
// failure through the reporter the connection was handed. Nothing throws out of this layer.
//
// The main connection is shared by the UI thread and the check worker. Every statement and every
// recordset open runs under the connection's lock; a recordset reads all its rows at Open, so the
// lock is never held while a message is shown or while the caller walks the rows. A check run
// keeps the connection quiet on its own thread (QuietOnThisThread): a reporter that waits for the
// user must never hold up the worker that the UI thread may be waiting for. A write transaction
// (CAdoTransaction) holds the lock from its begin to its end, so the statements of other threads
// neither join it nor land in the middle of it; the lock is recursive for that.
#include "store/DbBackend.h"
#include "store/MessageReporter.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class CAdoRecordset;
class CAdoCommand;
class CAdoTransaction;

// A remote connection string of this length or more is refused: the drivers' callers keep them in
// buffers of this size, terminator included.
inline constexpr std::size_t kMaxConnectionString = 512;

class CAdoConnection final
{
public:
    // Without a reporter the messages go to stderr.
    explicit CAdoConnection(std::shared_ptr<IMessageReporter> reporter = nullptr);
    ~CAdoConnection();
    CAdoConnection(const CAdoConnection&) = delete;
    CAdoConnection& operator=(const CAdoConnection&) = delete;

    bool Open(const std::string& connectionString, bool forceNew = false);
    void Close();
    bool Execute(const std::string& sql);
    // Reports nothing: on failure error holds the database's own words.
    bool Execute(const std::string& sql, std::string& error);
    // For page copies of many megabytes, which must not be copied into statement texts: the
    // statement's "?" placeholders take the texts in order. Reports nothing: on failure error
    // holds the database's own words.
    bool ExecuteWithTexts(const std::string& sql, const std::vector<std::string_view>& texts, std::string& error);
    // One long text value of one row, read in one piece; false (never reported) when the engine
    // cannot, so the caller may fall back to a query.
    bool ReadLongText(const std::string& table, const std::string& column, long long rowid, std::string& out);
    bool IsOpen() const;

    void SetShowErrors(bool show) { m_bShowErrors = show; }
    // False also on a thread that keeps the connection quiet.
    bool GetShowErrors() const;
    const std::string& GetConnectionString() const { return m_strConnection; }
    // The engine name the SQL dialect is chosen by ("SQLite", "PostgreSQL", ...).
    std::string GetDbmsName() const;

    // Set before the connection is shared with another thread.
    void SetReporter(std::shared_ptr<IMessageReporter> reporter);
    const std::shared_ptr<IMessageReporter>& GetReporter() const { return m_reporter; }
    // One message through the reporter, unless this thread keeps the connection quiet.
    void Report(const std::string& text, const std::string& caption, MessageIcon icon) const;

    // While one lives, the connection shows no message on the thread that made it; failures still
    // come back as false, and QuietError names the last one. Scopes nest.
    class QuietOnThisThread final
    {
    public:
        explicit QuietOnThisThread(CAdoConnection& connection);
        ~QuietOnThisThread();
        QuietOnThisThread(const QuietOnThisThread&) = delete;
        QuietOnThisThread& operator=(const QuietOnThisThread&) = delete;

    private:
        CAdoConnection& m_connection;
    };
    bool IsQuietOnThisThread() const;
    // The database's own words for the last failure this thread's quiet scope kept from being
    // shown; empty when there was none.
    std::string QuietError() const;

    // Used by CAdoRecordset: runs a query under the lock; the dialect rewrite happens here.
    bool RunQuery(const std::string& sql, DbResult& result, std::vector<std::string>& errors);
    // Shows one message per engine error (the "ShowErrors" of the access layer).
    void ShowErrors(const std::vector<std::string>& errors, int mode) const;

private:
    friend class CAdoCommand;
    friend class CAdoTransaction;

    struct QuietScope
    {
        std::thread::id thread;
        std::string lastError;
    };
    bool ExecuteUnderLock(const std::string& sql, std::vector<std::string>& errors);
    // Keeps the engine's words in this thread's innermost quiet scope, if it has one.
    void NoteFailure(const std::vector<std::string>& errors);
    QuietScope* InnermostScope();
    const QuietScope* InnermostScope() const;

    mutable std::recursive_mutex m_lock;
    std::unique_ptr<IDbBackend> m_backend;
    int m_nTransactionDepth = 0; // under m_lock; inner transactions join the outer one
    std::string m_strConnection;
    std::atomic<bool> m_bShowErrors{true};
    std::shared_ptr<IMessageReporter> m_reporter;
    mutable std::mutex m_quietLock;
    std::vector<QuietScope> m_quietScopes; // one entry per live scope, innermost last
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
