#include "store/CAdoConnection.h"

#include "store/SqlText.h"

#include <cctype>
#include <thread>

namespace {

constexpr const char* kConnectFailedText = "连接数据失败，请检查网络和数据库设置是否正确";
constexpr const char* kConnectCaption = "连接失败";
constexpr const char* kUnknownErrorText = "数据库连接未知错误，无法捕捉具体错误信息!";
constexpr const char* kUnknownErrorCaption = "错误";
// Connection strings of remote sources are kept in a buffer of this size by their drivers' callers.
constexpr size_t kMaxConnectionString = 512;

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

} // namespace

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

CAdoConnection::CAdoConnection() : m_reporter(DefaultMessageReporter()) {}

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
            errors.push_back("连接字符串过长（" + std::to_string(connectionString.size()) + " 个字符，最多 " +
                             std::to_string(kMaxConnectionString - 1) + " 个）");
        } else {
            m_backend = OpenOdbcBackend(connectionString, errors);
        }
        if (m_backend) {
            return true;
        }
    }
    if (m_bShowErrors) {
        if (errors.empty()) {
            m_reporter->ShowMessage(kConnectFailedText, kConnectCaption, MessageIcon::Information);
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

bool CAdoConnection::Execute(const std::string& sql)
{
    std::vector<std::string> errors;
    {
        std::lock_guard guard(m_lock);
        if (!m_backend) {
            errors.push_back("数据库还未打开");
        } else if (m_backend->Execute(RewriteFor(*m_backend, sql), errors)) {
            return true;
        }
    }
    if (m_bShowErrors) {
        ShowErrors(errors, 3);
    }
    return false;
}

bool CAdoConnection::RunQuery(const std::string& sql, DbResult& result, std::vector<std::string>& errors)
{
    std::lock_guard guard(m_lock);
    if (!m_backend) {
        errors.push_back("数据库还未打开");
        return false;
    }
    return m_backend->Query(RewriteFor(*m_backend, sql), result, errors);
}

void CAdoConnection::ShowErrors(const std::vector<std::string>& errors, int mode) const
{
    if (errors.empty()) {
        m_reporter->ShowMessage(kUnknownErrorText, kUnknownErrorCaption, MessageIcon::Information);
        return;
    }
    const bool plainBox = mode == 0 || mode == 2;
    for (const auto& description : errors) {
        m_reporter->ShowMessage(description, plainBox ? kConnectCaption : "", MessageIcon::Information);
    }
}

CAdoCommand::CAdoCommand(CAdoConnection& connection, const std::string& sql) : m_connection(connection)
{
    std::lock_guard guard(m_connection.m_lock);
    if (!m_connection.m_backend) {
        m_errors.push_back("数据库还未打开");
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
    return m_statement && m_statement->Run(result, m_errors);
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
    m_hold = std::unique_lock(m_connection.m_lock);
    if (!m_connection.m_backend) {
        m_errors.push_back("数据库还未打开");
        m_hold.unlock();
        return false;
    }
    if (m_connection.m_nTransactionDepth > 0) {
        ++m_connection.m_nTransactionDepth;
        m_bActive = true;
        return true;
    }
    for (int round = 0; round < kWaitRounds; ++round) {
        if (round > 0 && keepWaiting && !keepWaiting()) {
            break;
        }
        std::vector<std::string> errors;
        bool busy = false;
        if (m_connection.m_backend->BeginWrite(kWaitRound, errors, busy)) {
            m_connection.m_nTransactionDepth = 1;
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
    m_hold.unlock();
    return false;
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
    }
    m_hold.unlock();
}
