#include "store/CAdoConnection.h"

#include "store/SqlText.h"
#include "util/UiText.h"

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <thread>

namespace {

constexpr const char* kConnectFailedText =
    WENDAR_TR_NOOP("CAdoConnection", "连接数据失败，请检查网络和数据库设置是否正确");
constexpr const char* kConnectCaption = WENDAR_TR_NOOP("CAdoConnection", "连接失败");
constexpr const char* kUnknownErrorText = WENDAR_TR_NOOP("CAdoConnection", "数据库连接未知错误，无法捕捉具体错误信息!");
constexpr const char* kUnknownErrorCaption = WENDAR_TR_NOOP("CAdoConnection", "错误");
constexpr const char* kNotOpenError = WENDAR_TR_NOOP("CAdoConnection", "数据库还未打开");

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// How long a write transaction without priority waits for the priority writes of this process.
constexpr std::chrono::milliseconds kTurnWait{200};
// The pause after a write transaction without priority before the next one: the write lock is
// free for a moment, long enough for another connection's busy handler to take it.
constexpr std::chrono::milliseconds kWriteGap{2};

// The priority writes of this process that wait or run (process-wide: one window per process).
struct WriteTurns
{
    std::mutex lock;
    std::condition_variable ended;
    std::atomic<int> waiting{0};
};

WriteTurns& Turns()
{
    static WriteTurns turns;
    return turns;
}

void TakeTurn()
{
    ++Turns().waiting;
}

void GiveTurn()
{
    WriteTurns& turns = Turns();
    {
        std::lock_guard guard(turns.lock);
        --turns.waiting;
    }
    turns.ended.notify_all();
}

// A write of a priority connection outside a transaction counts as waiting while it runs.
class TurnWhileRunning final
{
public:
    explicit TurnWhileRunning(bool take) : m_bHeld(take)
    {
        if (m_bHeld) {
            TakeTurn();
        }
    }
    ~TurnWhileRunning()
    {
        if (m_bHeld) {
            GiveTurn();
        }
    }
    TurnWhileRunning(const TurnWhileRunning&) = delete;
    TurnWhileRunning& operator=(const TurnWhileRunning&) = delete;

private:
    bool m_bHeld;
};

std::string JoinErrors(const std::vector<std::string>& errors)
{
    std::string joined;
    for (const auto& text : errors) {
        joined += (joined.empty() ? "" : "; ") + text;
    }
    return joined.empty() ? std::string(UiText("CAdoConnection", kUnknownErrorText)) : joined;
}

} // namespace

bool CAdoConnection::IsPriorityWriteWaiting()
{
    return Turns().waiting.load() > 0;
}

void CAdoConnection::WaitForTurn()
{
    {
        std::lock_guard guard(m_lock);
        if (m_nTransactionDepth > 0) {
            return; // an inner transaction joins the outer one, which has the write lock already
        }
    }
    WriteTurns& turns = Turns();
    {
        std::unique_lock guard(turns.lock);
        turns.ended.wait_for(guard, kTurnWait, [&turns] { return turns.waiting.load() == 0; });
    }
    std::chrono::steady_clock::time_point lastEnd;
    {
        std::lock_guard guard(m_lock);
        lastEnd = m_lastWriteEnd;
    }
    const auto since = std::chrono::steady_clock::now() - lastEnd;
    // Nobody to take the lock in the gap: a long check would only idle (a tenth of its time).
    if (since < kWriteGap && IsOtherWriterWaiting()) {
        std::this_thread::sleep_for(kWriteGap - since);
    }
}

bool CAdoConnection::IsOtherWriterWaiting() const
{
    std::lock_guard guard(m_lock);
    return !m_backend || m_backend->OtherWriterWaiting();
}

void CAdoConnection::SetBusyTimeout(std::chrono::milliseconds wait)
{
    std::lock_guard guard(m_lock);
    m_busyTimeout = wait;
    if (m_backend) {
        m_backend->SetBusyTimeout(wait);
    }
}

std::chrono::milliseconds CAdoConnection::BusyTimeout() const
{
    std::lock_guard guard(m_lock);
    return m_busyTimeout;
}

bool CAdoConnection::LastFailureWasBusy() const
{
    std::lock_guard guard(m_lock);
    return m_bLastBusy;
}

void CAdoConnection::NoteOutcome(bool done)
{
    m_bLastBusy = !done && m_backend && m_backend->LastFailureBusy();
}

std::string LocalDatabasePath(const std::string& connectionString)
{
    static constexpr std::string_view prefix = "DBQ=";
    static constexpr std::string_view suffix = ";DRIVER={SQLite3}";
    const std::string_view s = connectionString;
    if (s.size() > prefix.size() + suffix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix) &&
        EqualsNoCase(s.substr(s.size() - suffix.size()), suffix)) {
        return std::string(s.substr(prefix.size(), s.size() - prefix.size() - suffix.size()));
    }
    return {};
}

CAdoConnection::CAdoConnection(std::shared_ptr<IMessageReporter> reporter)
{
    SetReporter(std::move(reporter));
}

void CAdoConnection::SetReporter(std::shared_ptr<IMessageReporter> reporter)
{
    m_reporter = reporter ? std::move(reporter) : std::make_shared<StderrMessageReporter>();
}

CAdoConnection::QuietOnThisThread::QuietOnThisThread(CAdoConnection& connection) : m_connection(connection)
{
    std::lock_guard guard(m_connection.m_quietLock);
    m_connection.m_quietScopes.push_back({std::this_thread::get_id(), {}});
}

CAdoConnection::QuietOnThisThread::~QuietOnThisThread()
{
    std::lock_guard guard(m_connection.m_quietLock);
    auto& scopes = m_connection.m_quietScopes;
    auto it = std::find_if(scopes.rbegin(), scopes.rend(),
                           [](const QuietScope& scope) { return scope.thread == std::this_thread::get_id(); });
    if (it != scopes.rend()) {
        scopes.erase(std::next(it).base());
    }
}

CAdoConnection::QuietScope* CAdoConnection::InnermostScope()
{
    auto it = std::find_if(m_quietScopes.rbegin(), m_quietScopes.rend(),
                           [](const QuietScope& scope) { return scope.thread == std::this_thread::get_id(); });
    return it == m_quietScopes.rend() ? nullptr : &*it;
}

const CAdoConnection::QuietScope* CAdoConnection::InnermostScope() const
{
    return const_cast<CAdoConnection*>(this)->InnermostScope();
}

bool CAdoConnection::IsQuietOnThisThread() const
{
    std::lock_guard guard(m_quietLock);
    return InnermostScope() != nullptr;
}

std::string CAdoConnection::QuietError() const
{
    std::lock_guard guard(m_quietLock);
    const QuietScope* scope = InnermostScope();
    return scope ? scope->lastError : std::string();
}

void CAdoConnection::NoteFailure(const std::vector<std::string>& errors)
{
    std::lock_guard guard(m_quietLock);
    if (QuietScope* scope = InnermostScope()) {
        scope->lastError = JoinErrors(errors);
    }
}

bool CAdoConnection::GetShowErrors() const
{
    return m_bShowErrors.load() && !IsQuietOnThisThread();
}

void CAdoConnection::Report(const std::string& text, const std::string& caption, MessageIcon icon) const
{
    if (!IsQuietOnThisThread()) {
        m_reporter->ShowMessage(text, caption, icon);
    }
}

CAdoConnection::~CAdoConnection()
{
    Close();
}

bool CAdoConnection::Open(const std::string& connectionString, bool forceNew)
{
    std::vector<std::string> errors;
    {
        std::lock_guard guard(m_lock);
        if (!forceNew && m_backend && m_backend->IsOpen()) {
            return true;
        }
        m_backend.reset();
        m_nTransactionDepth = 0;
        m_strConnection = connectionString;
        const std::string localPath = LocalDatabasePath(connectionString);
        if (!localPath.empty()) {
            m_backend = OpenSqliteBackend(localPath, errors);
        } else if (connectionString.size() >= kMaxConnectionString) {
            errors.push_back(UiText("CAdoConnection", "连接字符串过长（") + std::to_string(connectionString.size()) +
                             UiText("CAdoConnection", " 个字符，最多 ") + std::to_string(kMaxConnectionString - 1) +
                             UiText("CAdoConnection", " 个）"));
        } else {
            m_backend = OpenOdbcBackend(connectionString, errors);
        }
        if (m_backend) {
            m_backend->SetBusyTimeout(m_busyTimeout);
            return true;
        }
    }
    if (GetShowErrors()) {
        if (errors.empty()) {
            Report(UiText("CAdoConnection", kConnectFailedText), UiText("CAdoConnection", kConnectCaption),
                   MessageIcon::Information);
        } else {
            ShowErrors(errors, 0);
        }
    }
    return false;
}

void CAdoConnection::Close()
{
    std::lock_guard guard(m_lock);
    m_backend.reset();
    m_nTransactionDepth = 0;
}

bool CAdoConnection::IsOpen() const
{
    std::lock_guard guard(m_lock);
    return m_backend && m_backend->IsOpen();
}

std::string CAdoConnection::GetDbmsName() const
{
    std::lock_guard guard(m_lock);
    return m_backend ? m_backend->DbmsName() : std::string();
}

namespace {

std::string RewriteFor(const IDbBackend& backend, const std::string& sql)
{
    const std::string dbms = backend.DbmsName();
    // Only SQLite is known to gain from "id desc"; other engines get the text as written.
    return RewriteForDialect(sql, DialectForDbms(dbms), dbms == "SQLite");
}

} // namespace

bool CAdoConnection::ExecuteUnderLock(const std::string& sql, std::vector<std::string>& errors)
{
    std::lock_guard guard(m_lock);
    if (!m_backend) {
        errors.push_back(UiText("CAdoConnection", kNotOpenError));
        return false;
    }
    bool done = false;
    {
        TurnWhileRunning turn(TakesTurn());
        done = m_backend->Execute(RewriteFor(*m_backend, sql), errors);
    }
    NoteOutcome(done);
    return done;
}

bool CAdoConnection::Execute(const std::string& sql)
{
    std::vector<std::string> errors;
    if (ExecuteUnderLock(sql, errors)) {
        return true;
    }
    NoteFailure(errors);
    if (GetShowErrors()) {
        ShowErrors(errors, 3);
    }
    return false;
}

bool CAdoConnection::Execute(const std::string& sql, std::string& error)
{
    std::vector<std::string> errors;
    if (ExecuteUnderLock(sql, errors)) {
        return true;
    }
    error = JoinErrors(errors);
    NoteFailure(errors);
    return false;
}

bool CAdoConnection::Query(const std::string& sql, DbResult& result, std::string& error)
{
    std::vector<std::string> errors;
    if (RunQuery(sql, result, errors)) {
        return true;
    }
    error = errors.empty() ? sql : errors.front();
    return false;
}

bool CAdoConnection::ExecuteWithTexts(const std::string& sql, const std::vector<std::string_view>& texts,
                                      std::string& error)
{
    std::vector<std::string> errors;
    {
        std::lock_guard guard(m_lock);
        if (!m_backend) {
            errors.push_back(UiText("CAdoConnection", kNotOpenError));
        } else {
            bool done = false;
            {
                TurnWhileRunning turn(TakesTurn());
                done = m_backend->ExecuteWithTexts(sql, texts, errors);
            }
            NoteOutcome(done);
            if (done) {
                return true;
            }
        }
    }
    error = JoinErrors(errors);
    NoteFailure(errors);
    return false;
}

bool CAdoConnection::ReadLongText(const std::string& table, const std::string& column, long long rowid,
                                  std::string& out)
{
    std::vector<std::string> errors;
    std::lock_guard guard(m_lock);
    return m_backend && m_backend->ReadLongText(table, column, rowid, out, errors);
}

bool CAdoConnection::SetTriggers(bool on)
{
    std::lock_guard guard(m_lock);
    return m_backend && m_backend->SetTriggers(on);
}

bool CAdoConnection::InTransaction()
{
    std::lock_guard guard(m_lock);
    return m_backend && m_backend->InTransaction();
}

bool CAdoConnection::RunQuery(const std::string& sql, DbResult& result, std::vector<std::string>& errors)
{
    bool done = false;
    {
        std::lock_guard guard(m_lock);
        if (!m_backend) {
            errors.push_back(UiText("CAdoConnection", kNotOpenError));
        } else {
            done = m_backend->Query(RewriteFor(*m_backend, sql), result, errors);
            NoteOutcome(done);
        }
    }
    if (!done) {
        NoteFailure(errors);
    }
    return done;
}

bool CAdoConnection::RunQueryEach(const std::string& sql, DbResult& current, const std::function<void()>& onRow,
                                  std::vector<std::string>& errors)
{
    bool done = false;
    {
        std::lock_guard guard(m_lock);
        if (!m_backend) {
            errors.push_back(UiText("CAdoConnection", kNotOpenError));
        } else {
            done = m_backend->QueryEach(RewriteFor(*m_backend, sql), current, onRow, errors);
            NoteOutcome(done);
        }
    }
    if (!done) {
        NoteFailure(errors);
    }
    return done;
}

void CAdoConnection::ShowErrors(const std::vector<std::string>& errors, int mode) const
{
    if (errors.empty()) {
        Report(UiText("CAdoConnection", kUnknownErrorText), UiText("CAdoConnection", kUnknownErrorCaption),
               MessageIcon::Information);
        return;
    }
    const bool plainBox = mode == 0 || mode == 2;
    for (const auto& description : errors) {
        Report(description, plainBox ? UiText("CAdoConnection", kConnectCaption) : "", MessageIcon::Information);
    }
}

CAdoCommand::CAdoCommand(CAdoConnection& connection, const std::string& sql) : m_connection(connection)
{
    std::lock_guard guard(m_connection.m_lock);
    if (!m_connection.m_backend) {
        m_errors.push_back(UiText("CAdoConnection", "数据库还未打开"));
        return;
    }
    m_statement = m_connection.m_backend->Prepare(sql, m_errors);
}

CAdoCommand::~CAdoCommand()
{
    std::lock_guard guard(m_connection.m_lock);
    m_statement.reset();
}

CAdoCommand& CAdoCommand::Bind(int index, std::string_view text)
{
    if (m_statement) {
        m_statement->Bind(index, text);
    }
    return *this;
}

CAdoCommand& CAdoCommand::Bind(int index, long long number)
{
    if (m_statement) {
        m_statement->Bind(index, number);
    }
    return *this;
}

bool CAdoCommand::Run(DbResult* result)
{
    std::lock_guard guard(m_connection.m_lock);
    m_errors.clear();
    if (!m_statement) {
        return false;
    }
    bool done = false;
    {
        TurnWhileRunning turn(m_connection.TakesTurn());
        done = m_statement->Run(result, m_errors);
    }
    m_connection.NoteOutcome(done);
    return done;
}

int CAdoCommand::Changes() const
{
    return m_statement ? m_statement->Changes() : 0;
}

CAdoTransaction::~CAdoTransaction()
{
    if (m_bActive) {
        End(false);
    }
}

bool CAdoTransaction::Begin(const std::function<bool()>& keepWaiting)
{
    if (m_bActive) {
        return true;
    }
    m_errors.clear();
    m_bBusy = false;
    m_bCommitted = false;
    const bool priority = m_connection.HasWritePriority();
    if (priority) {
        TakeTurn();
        m_bTurn = true;
    } else {
        m_connection.WaitForTurn();
    }
    m_hold = std::unique_lock(m_connection.m_lock);
    if (!m_connection.m_backend) {
        m_errors.push_back(UiText("CAdoConnection", "数据库还未打开"));
        Release();
        return false;
    }
    if (m_connection.m_nTransactionDepth > 0) {
        ++m_connection.m_nTransactionDepth;
        m_bActive = true;
        return true;
    }
    // A short busy timeout (the window's) bounds the whole wait.
    const bool shortWait = m_connection.m_busyTimeout < kWaitRound;
    const auto wait = shortWait ? m_connection.m_busyTimeout : kWaitRound;
    const int rounds = shortWait ? 1 : kWaitRounds;
    for (int round = 0; round < rounds; ++round) {
        if (round > 0 && keepWaiting && !keepWaiting()) {
            break;
        }
        std::vector<std::string> errors;
        bool busy = false;
        if (m_connection.m_backend->BeginWrite(wait, errors, busy)) {
            m_connection.m_nTransactionDepth = 1;
            m_connection.m_bLastBusy = false;
            m_bActive = true;
            m_bBusy = false;
            return true;
        }
        m_errors = std::move(errors);
        m_bBusy = busy;
        if (!busy) {
            break;
        }
        // Another program writes: let this process's other threads use the connection meanwhile.
        m_hold.unlock();
        std::this_thread::yield();
        m_hold.lock();
    }
    m_connection.m_bLastBusy = m_bBusy;
    Release();
    return false;
}

void CAdoTransaction::Release()
{
    if (m_hold.owns_lock()) {
        m_hold.unlock();
    }
    if (m_bTurn) {
        m_bTurn = false;
        GiveTurn();
    }
}

bool CAdoTransaction::Commit()
{
    if (!m_bActive) {
        return false;
    }
    End(true);
    return m_bCommitted;
}

void CAdoTransaction::Rollback()
{
    if (m_bActive) {
        End(false);
    }
}

void CAdoTransaction::End(bool commit)
{
    m_bActive = false;
    if (--m_connection.m_nTransactionDepth > 0) {
        // An inner transaction: the outer one decides.
        m_bCommitted = commit;
    } else {
        m_connection.m_nTransactionDepth = 0;
        m_bCommitted = m_connection.m_backend && m_connection.m_backend->EndWrite(commit, m_errors) && commit;
        m_connection.m_lastWriteEnd = std::chrono::steady_clock::now();
    }
    Release();
}
