#pragma once
// The program's way into every database: the local SQLite files and remote ODBC sources.
// Errors: every operation returns false on failure and, while show-errors is on, reports the
// failure through the reporter the connection was handed. Nothing throws out of this layer.
//
// Each thread that writes the local store has a connection of its own: the window one (its
// writes have priority), every check thread one it opens for itself. The local file is in WAL
// mode, so a reader never waits for a writer; writers take turns on the file's write lock, and a
// check thread gives the window's waiting write its turn between the slices of a long store.
// Every statement and every recordset open still runs under the connection's lock, for a
// connection that is shared (the command-line program's, whose main thread waits for its checks);
// a recordset reads all its rows at Open. A check run keeps its connection quiet on its own thread
// (QuietOnThisThread): a reporter that waits for the user must never hold up a check thread. A
// write transaction (CAdoTransaction) holds the lock from its begin to its end, so the statements
// of other threads neither join it nor land in the middle of it; the lock is recursive for that.
#include "store/DbBackend.h"
#include "store/MessageReporter.h"

#include <atomic>
#include <chrono>
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
    // The rows of a query. Reports nothing: on failure error holds the database's own words.
    bool Query(const std::string& sql, DbResult& result, std::string& error);
    // For page copies of many megabytes, which must not be copied into statement texts: the
    // statement's "?" placeholders take the texts in order. Reports nothing: on failure error
    // holds the database's own words.
    bool ExecuteWithTexts(const std::string& sql, const std::vector<std::string_view>& texts, std::string& error);
    // One long text value of one row, read in one piece; false (never reported) when the engine
    // cannot, so the caller may fall back to a query.
    bool ReadLongText(const std::string& table, const std::string& column, long long rowid, std::string& out);
    // Turns the connection's triggers off or on again; false when the engine cannot.
    bool SetTriggers(bool on);
    // Whether the engine still holds a transaction open (a full disk ends it with the statement).
    bool InTransaction();
    bool IsOpen() const;

    void SetShowErrors(bool show) { m_bShowErrors = show; }
    // False also on a thread that keeps the connection quiet.
    bool GetShowErrors() const;
    const std::string& GetConnectionString() const { return m_strConnection; }
    // The engine name the SQL dialect is chosen by ("SQLite", "PostgreSQL", ...).
    std::string GetDbmsName() const;

    // How long a statement, and a transaction's Begin, wait for another connection's write lock
    // before failing as busy (local files; 5 s unless set). Kept across Open.
    void SetBusyTimeout(std::chrono::milliseconds wait);
    std::chrono::milliseconds BusyTimeout() const;
    // Whether the last statement or Begin on this connection failed on another connection's lock.
    bool LastFailureWasBusy() const;
    // Whether a statement of another connection, in any program, waits for the write lock now (yes
    // when that cannot be told): only then does a writer that just committed pause before its next.
    bool IsOtherWriterWaiting() const;
    // The window's connection: while one of its writes waits or runs, the other connections of
    // this process begin no write transaction (bounded) and a long store ends its slice early.
    void SetWritePriority(bool priority) { m_bWritePriority = priority; }
    bool HasWritePriority() const { return m_bWritePriority; }
    static bool IsPriorityWriteWaiting();

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
    // The same, a row at a time (see IDbBackend::QueryEach); onRow runs under the lock and must not
    // use the connection.
    bool RunQueryEach(const std::string& sql, DbResult& current, const std::function<void()>& onRow,
                      std::vector<std::string>& errors);
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
    // Under m_lock, after a statement: remembers whether it failed on another connection's lock.
    void NoteOutcome(bool done);
    // A write of a priority connection outside a transaction counts as waiting while it runs.
    bool TakesTurn() const { return m_bWritePriority && m_nTransactionDepth == 0; }
    // Before a write transaction of a connection without priority: the waiting priority writes go
    // first (bounded), and a connection that just ended one leaves the lock free for a moment.
    void WaitForTurn();
    // Keeps the engine's words in this thread's innermost quiet scope, if it has one.
    void NoteFailure(const std::vector<std::string>& errors);
    QuietScope* InnermostScope();
    const QuietScope* InnermostScope() const;

    mutable std::recursive_mutex m_lock;
    std::unique_ptr<IDbBackend> m_backend;
    int m_nTransactionDepth = 0; // under m_lock; inner transactions join the outer one
    std::chrono::milliseconds m_busyTimeout{5000};
    bool m_bLastBusy = false;                             // under m_lock
    std::chrono::steady_clock::time_point m_lastWriteEnd; // under m_lock
    std::atomic<bool> m_bWritePriority{false};
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
// asks keepWaiting between them (false gives up: a stop request); a connection whose busy timeout
// is shorter than a round waits that long, once. A transaction begun inside another one on the
// same connection joins it.
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
    // Lets go of the connection and of the priority turn.
    void Release();

    CAdoConnection& m_connection;
    std::unique_lock<std::recursive_mutex> m_hold;
    bool m_bActive = false;
    bool m_bBusy = false;
    bool m_bCommitted = false;
    bool m_bTurn = false; // a priority connection's write counts as waiting until its end
    std::vector<std::string> m_errors;
};
