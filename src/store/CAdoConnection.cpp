#include "store/CAdoConnection.h"

#include "store/SqlText.h"

#include <cctype>

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

bool CAdoConnection::ExecuteWithTexts(const std::string& sql, const std::vector<std::string_view>& texts)
{
    std::vector<std::string> errors;
    {
        std::lock_guard guard(m_lock);
        if (!m_backend) {
            errors.push_back("数据库还未打开");
        } else if (m_backend->ExecuteWithTexts(sql, texts, errors)) {
            return true;
        }
    }
    if (m_bShowErrors) {
        ShowErrors(errors, 3);
    }
    return false;
}

bool CAdoConnection::ReadLongText(const std::string& table, const std::string& column, long long rowid,
                                  std::string& out)
{
    std::vector<std::string> errors;
    std::lock_guard guard(m_lock);
    return m_backend && m_backend->ReadLongText(table, column, rowid, out, errors);
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
