#include "store/DbBackend.h"
#include "store/GatheredLogWrites.h"
#include "store/ListTextOrder.h"
#include "store/WalCheckpointer.h"
#include "store/WriteWaitMark.h"
#include "util/UiText.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <limits>
#include <sqlite3.h>
#include <thread>

namespace {

struct SqliteCloser
{
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer
{
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

bool IsDateType(const char* declType)
{
    if (!declType) {
        return false;
    }
    std::string upper;
    for (const char* p = declType; *p; ++p) {
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    }
    return upper.find("DATE") != std::string::npos || upper.find("TIME") != std::string::npos;
}

// Reads n digits at text[pos]; false when any of them is not a digit.
bool Digits(const std::string& text, size_t pos, size_t n, int& value)
{
    if (pos + n > text.size()) {
        return false;
    }
    value = 0;
    for (size_t i = pos; i < pos + n; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM" or "YYYY-MM-DD HH:MM:SS[.fff]", as SQLite's date functions write them.
bool ParseSqliteDate(const std::string& text, DbDateTime& out)
{
    DbDateTime d;
    if (!Digits(text, 0, 4, d.year) || text.size() < 10 || text[4] != '-' || !Digits(text, 5, 2, d.month) ||
        text[7] != '-' || !Digits(text, 8, 2, d.day)) {
        return false;
    }
    if (text.size() > 10) {
        if ((text[10] != ' ' && text[10] != 'T') || !Digits(text, 11, 2, d.hour) || text.size() < 16 ||
            text[13] != ':' || !Digits(text, 14, 2, d.minute)) {
            return false;
        }
        if (text.size() > 16 && (text[16] != ':' || !Digits(text, 17, 2, d.second))) {
            return false;
        }
    }
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31 || d.hour > 23 || d.minute > 59 || d.second > 60) {
        return false;
    }
    out = d;
    return true;
}

// Reads the rows of a prepared statement one at a time into current.rows[0] (current.columns set
// once), calling onRow after each; the statement is left done or failed. The row's values are
// overwritten in place, so that reading many rows reuses their memory.
bool EachRow(sqlite3* db, sqlite3_stmt* stmt, DbResult& current, const std::function<void()>& onRow,
             std::vector<std::string>& errors)
{
    const int columns = sqlite3_column_count(stmt);
    std::vector<bool> dateColumns(columns);
    current.columns.clear();
    current.rows.resize(1);
    for (int i = 0; i < columns; ++i) {
        dateColumns[i] = IsDateType(sqlite3_column_decltype(stmt, i));
        current.columns.push_back({sqlite3_column_name(stmt, i), false});
    }
    for (;;) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE) {
            return true;
        }
        if (rc != SQLITE_ROW) {
            errors.push_back(sqlite3_errmsg(db));
            return false;
        }
        std::vector<DbValue>& row = current.rows[0];
        row.resize(static_cast<size_t>(columns));
        for (int i = 0; i < columns; ++i) {
            DbValue& v = row[i];
            v.integer = 0;
            v.real = 0;
            v.text.clear();
            v.date = {};
            switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_INTEGER: {
                sqlite3_int64 n = sqlite3_column_int64(stmt, i);
                v.integer = n;
                v.kind = (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max())
                             ? DbValue::Kind::Int32
                             : DbValue::Kind::Int64;
                break;
            }
            case SQLITE_FLOAT:
                v.kind = DbValue::Kind::Double;
                v.real = sqlite3_column_double(stmt, i);
                break;
            case SQLITE_TEXT:
            case SQLITE_BLOB: {
                const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, i));
                v.text.assign(data ? data : "", static_cast<size_t>(sqlite3_column_bytes(stmt, i)));
                v.kind = DbValue::Kind::Text;
                if (dateColumns[i] && ParseSqliteDate(v.text, v.date)) {
                    v.kind = DbValue::Kind::Date;
                }
                break;
            }
            default:
                v.kind = DbValue::Kind::Null;
                break;
            }
        }
        onRow();
    }
}

// Reads every row of a prepared statement into result; the statement is left done or failed.
bool ReadRows(sqlite3* db, sqlite3_stmt* stmt, DbResult& result, std::vector<std::string>& errors)
{
    DbResult current;
    result.rows.clear();
    const bool ok = EachRow(
        db, stmt, current, [&] { result.rows.push_back(std::move(current.rows[0])); }, errors);
    result.columns = std::move(current.columns);
    return ok;
}

constexpr std::chrono::milliseconds kBusyTimeout{5000};
// A writer of another connection is asked after again in short steps: a check commits its slices
// with short pauses between them, and a waiting write must take its turn in such a pause.
constexpr std::chrono::milliseconds kFineBusyStep{1};
constexpr std::chrono::milliseconds kFineBusyPeriod{200};
constexpr std::chrono::milliseconds kCoarseBusyStep{5};

bool IsBusyCode(int rc)
{
    return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
}

// Ends the connection's waiting mark (WriteWaitMark) when the call that may have waited returns.
class WaitEnd final
{
public:
    explicit WaitEnd(WriteWaitMark& mark) : m_mark(mark) {}
    ~WaitEnd() { m_mark.Unmark(); }
    WaitEnd(const WaitEnd&) = delete;
    WaitEnd& operator=(const WaitEnd&) = delete;

private:
    WriteWaitMark& m_mark;
};

std::string DatabasePath(sqlite3* db)
{
    const char* path = sqlite3_db_filename(db, "main");
    return path ? path : "";
}

class SqliteStatement final : public IDbStatement
{
public:
    SqliteStatement(sqlite3* db, sqlite3_stmt* stmt, WriteWaitMark& waitMark)
        : m_db(db), m_stmt(stmt), m_waitMark(waitMark)
    {}

    void Bind(int index, std::string_view text) override
    {
        // NUL bytes are left out, as the quoting helper leaves them out of statement texts: a
        // value stored either way compares the same.
        if (text.find('\0') == std::string_view::npos) {
            sqlite3_bind_text64(m_stmt.get(), index, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8);
            return;
        }
        std::string value;
        value.reserve(text.size());
        for (char c : text) {
            if (c != '\0') {
                value += c;
            }
        }
        sqlite3_bind_text64(m_stmt.get(), index, value.data(), value.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    void Bind(int index, long long number) override { sqlite3_bind_int64(m_stmt.get(), index, number); }

    bool Run(DbResult* result, std::vector<std::string>& errors) override
    {
        const WaitEnd waitEnd(m_waitMark);
        DbResult ignored;
        const bool ok = ReadRows(m_db, m_stmt.get(), result ? *result : ignored, errors);
        m_nChanges = ok ? sqlite3_changes(m_db) : 0;
        sqlite3_reset(m_stmt.get());
        sqlite3_clear_bindings(m_stmt.get()); // the texts were bound in place; none may outlive the run
        return ok;
    }
    int Changes() const override { return m_nChanges; }

private:
    sqlite3* m_db;
    StatementPtr m_stmt;
    WriteWaitMark& m_waitMark; // the connection's, which outlives its statements
    int m_nChanges = 0;
};

class SqliteBackend final : public IDbBackend
{
public:
    explicit SqliteBackend(sqlite3* db) : m_db(db), m_waitMark(DatabasePath(db))
    {
        sqlite3_busy_handler(m_db.get(), &SqliteBackend::OnBusy, this);
        const std::string path = DatabasePath(db);
        if (!path.empty() && sqlite3_db_readonly(db, "main") == 0) {
            m_checkpointer = std::make_unique<WalCheckpointer>(path);
            m_checkpointer->Watch(db);
        }
    }

    void SetBusyTimeout(std::chrono::milliseconds wait) override { m_busyTimeout = m_limit = wait; }
    bool SetTriggers(bool on) override
    {
        return sqlite3_db_config(m_db.get(), SQLITE_DBCONFIG_ENABLE_TRIGGER, on ? 1 : 0, nullptr) == SQLITE_OK;
    }
    bool LastFailureBusy() const override { return IsBusyCode(sqlite3_extended_errcode(m_db.get())); }
    bool InTransaction() const override { return sqlite3_get_autocommit(m_db.get()) == 0; }
    bool OtherWriterWaiting() const override { return m_waitMark.OthersWaiting(); }

    bool Execute(const std::string& sql, std::vector<std::string>& errors) override
    {
        const WaitEnd waitEnd(m_waitMark);
        char* message = nullptr;
        if (sqlite3_exec(m_db.get(), sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            errors.push_back(message ? message : sqlite3_errmsg(m_db.get()));
            sqlite3_free(message);
            return false;
        }
        return true;
    }

    bool Query(const std::string& sql, DbResult& result, std::vector<std::string>& errors) override
    {
        const WaitEnd waitEnd(m_waitMark);
        StatementPtr stmt = PrepareQuery(sql, errors);
        return stmt && ReadRows(m_db.get(), stmt.get(), result, errors);
    }

    bool QueryEach(const std::string& sql, DbResult& current, const std::function<void()>& onRow,
                   std::vector<std::string>& errors) override
    {
        const WaitEnd waitEnd(m_waitMark);
        StatementPtr stmt = PrepareQuery(sql, errors);
        return stmt && EachRow(m_db.get(), stmt.get(), current, onRow, errors);
    }

    bool ExecuteWithTexts(const std::string& sql, const std::vector<std::string_view>& texts,
                          std::vector<std::string>& errors) override
    {
        const WaitEnd waitEnd(m_waitMark);
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(m_db.get(), sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK) {
            errors.push_back(sqlite3_errmsg(m_db.get()));
            return false;
        }
        StatementPtr stmt(raw);
        if (!stmt || sqlite3_bind_parameter_count(stmt.get()) != static_cast<int>(texts.size())) {
            errors.push_back("the statement does not take " + std::to_string(texts.size()) + " values");
            return false;
        }
        for (size_t i = 0; i < texts.size(); ++i) {
            // SQLITE_STATIC: the text stays where it is until the statement is done.
            if (sqlite3_bind_text64(stmt.get(), static_cast<int>(i + 1), texts[i].data(), texts[i].size(),
                                    SQLITE_STATIC, SQLITE_UTF8) != SQLITE_OK) {
                errors.push_back(sqlite3_errmsg(m_db.get()));
                return false;
            }
        }
        const int rc = sqlite3_step(stmt.get());
        if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
            errors.push_back(sqlite3_errmsg(m_db.get()));
            return false;
        }
        return true;
    }

    bool ReadLongText(const std::string& table, const std::string& column, long long rowid, std::string& out,
                      std::vector<std::string>& errors) override
    {
        sqlite3_blob* raw = nullptr;
        if (sqlite3_blob_open(m_db.get(), "main", table.c_str(), column.c_str(), rowid, 0, &raw) != SQLITE_OK) {
            errors.push_back(sqlite3_errmsg(m_db.get()));
            sqlite3_blob_close(raw);
            return false;
        }
        const int bytes = sqlite3_blob_bytes(raw);
        out.assign(static_cast<size_t>(bytes), '\0');
        const int rc = bytes > 0 ? sqlite3_blob_read(raw, out.data(), bytes, 0) : SQLITE_OK;
        sqlite3_blob_close(raw);
        if (rc != SQLITE_OK) {
            errors.push_back(sqlite3_errstr(rc));
            out.clear();
            return false;
        }
        return true;
    }

    bool IsOpen() const override { return m_db != nullptr; }
    std::string DbmsName() const override { return "SQLite"; }

    std::unique_ptr<IDbStatement> Prepare(const std::string& sql, std::vector<std::string>& errors) override
    {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v3(m_db.get(), sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &raw,
                               nullptr) != SQLITE_OK ||
            !raw) {
            errors.push_back(raw ? sqlite3_errmsg(m_db.get()) : "empty statement");
            sqlite3_finalize(raw);
            return nullptr;
        }
        return std::make_unique<SqliteStatement>(m_db.get(), raw, m_waitMark);
    }

    bool BeginWrite(std::chrono::milliseconds wait, std::vector<std::string>& errors, bool& busy) override
    {
        const WaitEnd waitEnd(m_waitMark);
        m_limit = wait;
        const int rc = sqlite3_exec(m_db.get(), "begin immediate", nullptr, nullptr, nullptr);
        m_limit = m_busyTimeout;
        busy = IsBusyCode(rc);
        if (rc != SQLITE_OK) {
            errors.push_back(sqlite3_errmsg(m_db.get()));
            return false;
        }
        return true;
    }

    bool EndWrite(bool commit, std::vector<std::string>& errors) override
    {
        const WaitEnd waitEnd(m_waitMark);
        if (commit && sqlite3_exec(m_db.get(), "commit", nullptr, nullptr, nullptr) == SQLITE_OK) {
            return true;
        }
        if (commit) {
            errors.push_back(sqlite3_errmsg(m_db.get()));
        }
        // A failed commit leaves the transaction open; it is rolled back so the next one can begin.
        if (!sqlite3_get_autocommit(m_db.get())) {
            sqlite3_exec(m_db.get(), "rollback", nullptr, nullptr, nullptr);
        }
        return !commit;
    }

private:
    // A statement of one query; null (with the reason in errors) when it does not compile or is empty.
    StatementPtr PrepareQuery(const std::string& sql, std::vector<std::string>& errors)
    {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(m_db.get(), sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK) {
            errors.push_back(sqlite3_errmsg(m_db.get()));
            return nullptr;
        }
        StatementPtr stmt(raw);
        if (!stmt) {
            errors.push_back("not a query");
        }
        return stmt;
    }

    static int OnBusy(void* self, int count)
    {
        auto& backend = *static_cast<SqliteBackend*>(self);
        const auto now = std::chrono::steady_clock::now();
        if (count == 0) {
            backend.m_busySince = now;
        }
        // Taken again if the first try failed: a writer that just committed leaves the lock free for
        // a moment only when it sees somebody waiting.
        backend.m_waitMark.Mark();
        const auto waited = now - backend.m_busySince;
        if (waited >= backend.m_limit) {
            return 0;
        }
        const auto step = waited < kFineBusyPeriod ? kFineBusyStep : kCoarseBusyStep;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(step, backend.m_limit - waited));
        return 1;
    }

    std::unique_ptr<sqlite3, SqliteCloser> m_db;
    std::chrono::milliseconds m_busyTimeout = kBusyTimeout;
    std::chrono::milliseconds m_limit{kBusyTimeout}; // of the statement under way
    std::chrono::steady_clock::time_point m_busySince;
    WriteWaitMark m_waitMark;                        // held while a statement waits for another connection's lock
    std::unique_ptr<WalCheckpointer> m_checkpointer; // ends before the connection closes
};

int CompareListTextCollation(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    return CompareListText(std::string_view(static_cast<const char*>(a), static_cast<size_t>(lengthA)),
                           std::string_view(static_cast<const char*>(b), static_cast<size_t>(lengthB)));
}

// listtextkey(text): the blob that sorts, byte by byte, as the text does in the list's order.
void ListTextKeyFunction(sqlite3_context* context, int, sqlite3_value** values)
{
    if (sqlite3_value_type(values[0]) == SQLITE_NULL) {
        sqlite3_result_blob(context, "", 0, SQLITE_STATIC);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
    const std::string key =
        '\x01' + ListTextKey(std::string_view(text ? text : "", static_cast<size_t>(sqlite3_value_bytes(values[0]))));
    sqlite3_result_blob64(context, key.data(), key.size(), SQLITE_TRANSIENT);
}

} // namespace

std::unique_ptr<IDbBackend> OpenSqliteBackend(const std::string& path, std::vector<std::string>& errors)
{
    sqlite3* raw = nullptr;
    // The log's pages are written in large pieces (GatheredLogWrites.h).
    const char* vfs = GatheredLogWritesVfs();
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, vfs);
    std::unique_ptr<sqlite3, SqliteCloser> db(raw);
    if (rc == SQLITE_READONLY || rc == SQLITE_CANTOPEN || rc == SQLITE_PERM) {
        // A file we may only read (an installed preset file) is still readable.
        db.reset();
        raw = nullptr;
        rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, vfs);
        db.reset(raw);
    }
    if (rc != SQLITE_OK) {
        errors.push_back(std::string(UiText("SqliteBackend", "不能打开数据库文件 ")) + path + ": " +
                         (db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc)));
        return nullptr;
    }
    sqlite3_busy_timeout(db.get(), static_cast<int>(kBusyTimeout.count()));
    sqlite3_create_collation_v2(db.get(), kListTextCollation, SQLITE_UTF8, nullptr, &CompareListTextCollation, nullptr);
    // Direct calls only: a trigger or view that used it would fail in every other program.
    sqlite3_create_function_v2(db.get(), kListTextKeyFunction, 1,
                               SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY, nullptr, &ListTextKeyFunction,
                               nullptr, nullptr, nullptr);
    // Reading the schema proves the file is a database before anybody relies on it.
    char* message = nullptr;
    if (sqlite3_exec(db.get(), "select 1 from sqlite_master limit 1", nullptr, nullptr, &message) != SQLITE_OK) {
        errors.push_back(std::string(UiText("SqliteBackend", "不能打开数据库文件 ")) + path + ": " +
                         (message ? message : "?"));
        sqlite3_free(message);
        return nullptr;
    }
    // message.dat is in WAL mode (EnsureLocalDatabase); other files keep theirs: a preset file
    // switched over could no longer be read where it is installed read-only.
    // Sorts and temporary indexes of the duplicate tests stay in memory.
    // A larger page cache keeps the indexes of a long check's inserts in memory.
    sqlite3_exec(db.get(), "pragma synchronous=normal;pragma temp_store=memory;pragma cache_size=-32768", nullptr,
                 nullptr, nullptr);
    return std::make_unique<SqliteBackend>(db.release());
}
