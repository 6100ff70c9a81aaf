#include "store/OdbcBackend.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <mutex>
#include <sql.h>
#include <sqlext.h>
#include <string_view>

namespace {

std::mutex g_timeoutLock;
OdbcTimeouts g_timeouts;

// Long values arrive in pieces of this size (SQL_SUCCESS_WITH_INFO, 01004).
constexpr SQLLEN kChunkSize = 32 * 1024;
// A driver that keeps returning diagnostics must not keep us reading them.
constexpr SQLSMALLINT kMaxDiagRecords = 50;

template <SQLSMALLINT HandleType> class OdbcHandle final
{
public:
    OdbcHandle() = default;
    ~OdbcHandle() { Reset(); }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    bool Allocate(SQLHANDLE parent)
    {
        Reset();
        if (SQL_SUCCEEDED(SQLAllocHandle(HandleType, parent, &m_handle))) {
            return true;
        }
        m_handle = SQL_NULL_HANDLE;
        return false;
    }
    SQLHANDLE get() const { return m_handle; }
    void Reset()
    {
        if (m_handle != SQL_NULL_HANDLE) {
            SQLFreeHandle(HandleType, m_handle);
        }
        m_handle = SQL_NULL_HANDLE;
    }

private:
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

std::string TrimRight(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

// Appends the diagnostic records of handle; when the driver left none, says which call failed.
void CollectErrors(SQLSMALLINT type, SQLHANDLE handle, const char* call, std::vector<std::string>& errors)
{
    const size_t before = errors.size();
    if (handle != SQL_NULL_HANDLE) {
        std::vector<SQLCHAR> message(1024);
        for (SQLSMALLINT record = 1; record <= kMaxDiagRecords; ++record) {
            SQLCHAR state[6] = {};
            SQLINTEGER native = 0;
            SQLSMALLINT length = 0;
            SQLRETURN rc = SQLGetDiagRec(type, handle, record, state, &native, message.data(),
                                         static_cast<SQLSMALLINT>(message.size()), &length);
            if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size()) &&
                length < SHRT_MAX) {
                message.resize(static_cast<size_t>(length) + 1);
                rc = SQLGetDiagRec(type, handle, record, state, &native, message.data(),
                                   static_cast<SQLSMALLINT>(message.size()), &length);
            }
            if (!SQL_SUCCEEDED(rc)) {
                break;
            }
            const size_t size = std::min(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)), message.size() - 1);
            errors.push_back(TrimRight(std::string(reinterpret_cast<const char*>(message.data()), size)));
        }
    }
    if (errors.size() == before) {
        errors.push_back(std::string("ODBC call ") + call + " failed without a diagnostic");
    }
}

enum class ColumnKind
{
    Int32,
    Int64,
    Date,
    Bool,
    Double,
    Text,
};

ColumnKind KindOfSqlType(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
        return ColumnKind::Int32;
    case SQL_BIGINT:
        return ColumnKind::Int64;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP:
        return ColumnKind::Date;
    case SQL_BIT:
        return ColumnKind::Bool;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return ColumnKind::Double;
    default:
        return ColumnKind::Text;
    }
}

bool IsLongTextType(SQLSMALLINT sqlType)
{
    return sqlType == SQL_LONGVARCHAR || sqlType == SQL_WLONGVARCHAR || sqlType == SQL_LONGVARBINARY;
}

// Reads exactly count digits at text[pos...] into value.
bool ReadDigits(std::string_view text, size_t& pos, size_t count, int& value)
{
    if (pos + count > text.size()) {
        return false;
    }
    value = 0;
    for (size_t i = 0; i < count; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    pos += count;
    return true;
}

bool ReadTime(std::string_view text, size_t& pos, DbDateTime& date)
{
    if (!ReadDigits(text, pos, 2, date.hour) || pos >= text.size() || text[pos++] != ':' ||
        !ReadDigits(text, pos, 2, date.minute)) {
        return false;
    }
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        if (!ReadDigits(text, pos, 2, date.second)) {
            return false;
        }
    }
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            ++pos;
        }
    }
    return date.hour <= 23 && date.minute <= 59 && date.second <= 59;
}

// The text forms drivers give for DATE, TIME and TIMESTAMP values: "2002-05-01",
// "08:30:00[.fff]", "2002-05-01 08:30:00[.ffffff][+08]". A zone suffix is dropped (the value is
// shown as the server wrote it); anything else is not a date.
bool ParseDateText(std::string_view text, DbDateTime& date)
{
    date = DbDateTime{};
    size_t pos = 0;
    if (text.size() >= 5 && text[2] == ':') {
        // A time of day alone: the date part is day 0 of the OLE calendar, as ADO gives it.
        date.year = 1899;
        date.month = 12;
        date.day = 30;
        return ReadTime(text, pos, date) && pos == text.size();
    }
    if (!ReadDigits(text, pos, 4, date.year) || pos >= text.size() || text[pos++] != '-' ||
        !ReadDigits(text, pos, 2, date.month) || pos >= text.size() || text[pos++] != '-' ||
        !ReadDigits(text, pos, 2, date.day)) {
        return false;
    }
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31) {
        return false;
    }
    if (pos == text.size()) {
        return true;
    }
    if (text[pos] != ' ' && text[pos] != 'T') {
        return false;
    }
    ++pos;
    if (!ReadTime(text, pos, date)) {
        return false;
    }
    if (pos == text.size()) {
        return true;
    }
    // Zone offset: +08, -05:30, +0530.
    if (text[pos] != '+' && text[pos] != '-') {
        return false;
    }
    ++pos;
    while (pos < text.size() && ((text[pos] >= '0' && text[pos] <= '9') || text[pos] == ':')) {
        ++pos;
    }
    return pos == text.size();
}

// Converts the fetched text by the column's kind; text that does not fit the kind stays text.
DbValue MakeValue(ColumnKind kind, std::string text)
{
    DbValue value;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    switch (kind) {
    case ColumnKind::Int32:
    case ColumnKind::Int64: {
        std::int64_t number = 0;
        const auto [end, ec] = std::from_chars(first, last, number);
        if (ec == std::errc() && end == last && !text.empty()) {
            const bool fits32 = number >= INT32_MIN && number <= INT32_MAX;
            value.kind = kind == ColumnKind::Int32 && fits32 ? DbValue::Kind::Int32 : DbValue::Kind::Int64;
            value.integer = number;
            return value;
        }
        break;
    }
    case ColumnKind::Double: {
        double number = 0;
        const auto [end, ec] = std::from_chars(first, last, number);
        if (ec == std::errc() && end == last && !text.empty()) {
            value.kind = DbValue::Kind::Double;
            value.real = number;
            return value;
        }
        break;
    }
    case ColumnKind::Bool:
        if (text == "1" || text == "0" || text == "t" || text == "f" || text == "true" || text == "false") {
            value.kind = DbValue::Kind::Bool;
            value.integer = text == "1" || text == "t" || text == "true" ? 1 : 0;
            return value;
        }
        break;
    case ColumnKind::Date:
        if (ParseDateText(text, value.date)) {
            value.kind = DbValue::Kind::Date;
            return value;
        }
        value.date = DbDateTime{};
        break;
    case ColumnKind::Text:
        break;
    }
    value.kind = DbValue::Kind::Text;
    value.text = std::move(text);
    return value;
}

class OdbcBackend final : public IDbBackend
{
public:
    OdbcBackend() = default;
    ~OdbcBackend() override
    {
        if (m_bConnected) {
            SQLDisconnect(m_dbc.get());
        }
    }
    OdbcBackend(const OdbcBackend&) = delete;
    OdbcBackend& operator=(const OdbcBackend&) = delete;

    bool Connect(const std::string& connectionString, const OdbcTimeouts& timeouts, std::vector<std::string>& errors);

    bool Execute(const std::string& sql, std::vector<std::string>& errors) override;
    bool Query(const std::string& sql, DbResult& result, std::vector<std::string>& errors) override;
    bool IsOpen() const override { return m_bConnected; }
    std::string DbmsName() const override { return m_strDbmsName; }

private:
    // Runs sql on a fresh statement; false (errors filled) when it failed.
    bool ExecDirect(OdbcHandle<SQL_HANDLE_STMT>& stmt, const std::string& sql, std::vector<std::string>& errors);
    bool ReadText(SQLHSTMT stmt, SQLUSMALLINT column, std::string& text, bool& isNull,
                  std::vector<std::string>& errors);

    // Declared in this order so that the connection handle is freed before its environment.
    OdbcHandle<SQL_HANDLE_ENV> m_env;
    OdbcHandle<SQL_HANDLE_DBC> m_dbc;
    bool m_bConnected = false;
    int m_nQueryTimeout = 0;
    std::string m_strDbmsName;
    std::vector<SQLCHAR> m_chunk;
};

bool OdbcBackend::Connect(const std::string& connectionString, const OdbcTimeouts& timeouts,
                          std::vector<std::string>& errors)
{
    if (!m_env.Allocate(SQL_NULL_HANDLE)) {
        errors.push_back("ODBC: cannot allocate an environment handle");
        return false;
    }
    SQLSetEnvAttr(m_env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!m_dbc.Allocate(m_env.get())) {
        CollectErrors(SQL_HANDLE_ENV, m_env.get(), "SQLAllocHandle", errors);
        return false;
    }
    if (connectionString.size() >= static_cast<size_t>(SHRT_MAX)) {
        errors.push_back("ODBC: the connection string is too long");
        return false;
    }
    // Drivers that do not know an attribute say so with a warning; the connection still goes on.
    if (timeouts.loginSeconds > 0) {
        const auto seconds = static_cast<SQLULEN>(timeouts.loginSeconds);
        SQLSetConnectAttr(m_dbc.get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(seconds), 0);
    }
    m_nQueryTimeout = std::max(timeouts.querySeconds, 0);

    std::vector<SQLCHAR> completed(1024);
    SQLSMALLINT completedLength = 0;
    std::vector<SQLCHAR> input(connectionString.begin(), connectionString.end());
    input.push_back(0);
    const SQLRETURN rc = SQLDriverConnect(
        m_dbc.get(), nullptr, input.data(), static_cast<SQLSMALLINT>(input.size() - 1), completed.data(),
        static_cast<SQLSMALLINT>(completed.size()), &completedLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        CollectErrors(SQL_HANDLE_DBC, m_dbc.get(), "SQLDriverConnect", errors);
        return false;
    }
    m_bConnected = true;
    if (m_nQueryTimeout > 0) {
        const auto seconds = static_cast<SQLULEN>(m_nQueryTimeout);
        SQLSetConnectAttr(m_dbc.get(), SQL_ATTR_CONNECTION_TIMEOUT, reinterpret_cast<SQLPOINTER>(seconds), 0);
    }

    SQLCHAR name[256] = {};
    SQLSMALLINT nameLength = 0;
    if (SQL_SUCCEEDED(SQLGetInfo(m_dbc.get(), SQL_DBMS_NAME, name, sizeof name, &nameLength))) {
        m_strDbmsName = reinterpret_cast<const char*>(name);
    }
    return true;
}

bool OdbcBackend::ExecDirect(OdbcHandle<SQL_HANDLE_STMT>& stmt, const std::string& sql,
                             std::vector<std::string>& errors)
{
    if (!m_bConnected) {
        errors.push_back("ODBC: the connection is not open");
        return false;
    }
    if (!stmt.Allocate(m_dbc.get())) {
        CollectErrors(SQL_HANDLE_DBC, m_dbc.get(), "SQLAllocHandle", errors);
        return false;
    }
    if (m_nQueryTimeout > 0) {
        const auto seconds = static_cast<SQLULEN>(m_nQueryTimeout);
        SQLSetStmtAttr(stmt.get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(seconds), 0);
    }
    if (sql.size() >= static_cast<size_t>(INT32_MAX)) {
        errors.push_back("ODBC: the statement is too long");
        return false;
    }
    std::vector<SQLCHAR> text(sql.begin(), sql.end());
    text.push_back(0);
    const SQLRETURN rc = SQLExecDirect(stmt.get(), text.data(), static_cast<SQLINTEGER>(sql.size()));
    // SQL_NO_DATA: a searched update or delete that touched no row.
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) {
        return true;
    }
    CollectErrors(SQL_HANDLE_STMT, stmt.get(), "SQLExecDirect", errors);
    return false;
}

bool OdbcBackend::Execute(const std::string& sql, std::vector<std::string>& errors)
{
    OdbcHandle<SQL_HANDLE_STMT> stmt;
    return ExecDirect(stmt, sql, errors);
}

bool OdbcBackend::ReadText(SQLHSTMT stmt, SQLUSMALLINT column, std::string& text, bool& isNull,
                           std::vector<std::string>& errors)
{
    text.clear();
    isNull = false;
    m_chunk.resize(kChunkSize);
    const SQLLEN room = kChunkSize - 1; // one byte goes to the terminator
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt, column, SQL_C_CHAR, m_chunk.data(), kChunkSize, &indicator);
        if (rc == SQL_NO_DATA) {
            return true;
        }
        if (!SQL_SUCCEEDED(rc)) {
            CollectErrors(SQL_HANDLE_STMT, stmt, "SQLGetData", errors);
            return false;
        }
        if (indicator == SQL_NULL_DATA) {
            isNull = true;
            return true;
        }
        // 01004: more of the value follows; the indicator holds the whole remaining length, if known.
        const bool truncated = rc == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator > room);
        const SQLLEN size = truncated ? room : std::clamp<SQLLEN>(indicator, 0, room);
        text.append(reinterpret_cast<const char*>(m_chunk.data()), static_cast<size_t>(size));
        if (!truncated) {
            return true;
        }
    }
}

bool OdbcBackend::Query(const std::string& sql, DbResult& result, std::vector<std::string>& errors)
{
    result = DbResult{};
    OdbcHandle<SQL_HANDLE_STMT> stmt;
    if (!ExecDirect(stmt, sql, errors)) {
        return false;
    }

    SQLSMALLINT columnCount = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(stmt.get(), &columnCount))) {
        CollectErrors(SQL_HANDLE_STMT, stmt.get(), "SQLNumResultCols", errors);
        return false;
    }
    if (columnCount <= 0) {
        return true; // a statement without a result set
    }

    std::vector<ColumnKind> kinds;
    std::vector<SQLCHAR> name(256);
    for (SQLUSMALLINT column = 1; column <= static_cast<SQLUSMALLINT>(columnCount); ++column) {
        SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        SQLRETURN rc = SQLDescribeCol(stmt.get(), column, name.data(), static_cast<SQLSMALLINT>(name.size()),
                                      &nameLength, &sqlType, &size, &digits, &nullable);
        if (SQL_SUCCEEDED(rc) && nameLength >= static_cast<SQLSMALLINT>(name.size())) {
            name.resize(static_cast<size_t>(nameLength) + 1);
            rc = SQLDescribeCol(stmt.get(), column, name.data(), static_cast<SQLSMALLINT>(name.size()), &nameLength,
                                &sqlType, &size, &digits, &nullable);
        }
        if (!SQL_SUCCEEDED(rc)) {
            CollectErrors(SQL_HANDLE_STMT, stmt.get(), "SQLDescribeCol", errors);
            return false;
        }
        const size_t length = std::min(static_cast<size_t>(std::max<SQLSMALLINT>(nameLength, 0)), name.size() - 1);
        result.columns.push_back(
            {std::string(reinterpret_cast<const char*>(name.data()), length), IsLongTextType(sqlType)});
        kinds.push_back(KindOfSqlType(sqlType));
    }

    std::string text;
    for (;;) {
        const SQLRETURN rc = SQLFetch(stmt.get());
        if (rc == SQL_NO_DATA) {
            break;
        }
        if (!SQL_SUCCEEDED(rc)) {
            CollectErrors(SQL_HANDLE_STMT, stmt.get(), "SQLFetch", errors);
            result.rows.clear();
            return false;
        }
        std::vector<DbValue> row;
        row.reserve(kinds.size());
        for (SQLUSMALLINT column = 1; column <= static_cast<SQLUSMALLINT>(columnCount); ++column) {
            bool isNull = false;
            if (!ReadText(stmt.get(), column, text, isNull, errors)) {
                result.rows.clear();
                return false;
            }
            row.push_back(isNull ? DbValue{} : MakeValue(kinds[column - 1], std::move(text)));
        }
        result.rows.push_back(std::move(row));
    }
    return true;
}

} // namespace

void SetOdbcTimeouts(const OdbcTimeouts& timeouts)
{
    const std::lock_guard<std::mutex> guard(g_timeoutLock);
    g_timeouts = timeouts;
}

OdbcTimeouts GetOdbcTimeouts()
{
    const std::lock_guard<std::mutex> guard(g_timeoutLock);
    return g_timeouts;
}

std::unique_ptr<IDbBackend> OpenOdbcBackend(const std::string& connectionString, const OdbcTimeouts& timeouts,
                                            std::vector<std::string>& errors)
{
    auto backend = std::make_unique<OdbcBackend>();
    if (!backend->Connect(connectionString, timeouts, errors)) {
        return nullptr;
    }
    return backend;
}

std::unique_ptr<IDbBackend> OpenOdbcBackend(const std::string& connectionString, std::vector<std::string>& errors)
{
    return OpenOdbcBackend(connectionString, GetOdbcTimeouts(), errors);
}
