#include "store/LocalDatabase.h"

#include "store/CAdoConnection.h"
#include "util/UiText.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct SqliteCloser
{
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};

// The file at path, open for writing; null with the database's words in error.
std::unique_ptr<sqlite3, SqliteCloser> OpenForWriting(const std::string& path, std::string& error)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, SqliteCloser> db(raw);
    if (rc != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc);
        db.reset();
    }
    return db;
}

bool RunScript(sqlite3* db, const std::string& script, std::string& error)
{
    char* message = nullptr;
    if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        error = message ? message : "schema failed";
        sqlite3_free(message);
        return false;
    }
    return true;
}

// 8 KiB pages: a store grows to a million records, and a change that touches every tenth of them
// (marking an item's records read) costs a fifth less than with SQLite's 4 KiB default, in page
// reads, log frames and B-tree steps; larger pages make each small commit dearer. A page size holds
// only before the first table: older files keep theirs.
constexpr const char* kNewFileSql = "pragma page_size=8192;pragma journal_mode=wal;begin;";

bool RunSchema(const std::string& path, std::string& error)
{
    const auto db = OpenForWriting(path, error);
    return db && RunScript(db.get(), kNewFileSql + LocalSchemaSql() + ";commit;", error);
}

constexpr const char* kAdditionsMarker = "-- Added after the first release";
constexpr const char* kHasAdditionsSql =
    "select count(*) from sqlite_master where name in ('userdata_deleted','userdata_undo','userdata_itemoptions',"
    "'userdata_checklog','userdata_checkstate','userdata_search_state','userdata_keys','userdata_sort_date',"
    "'userdata_sortkeys_delete')";
constexpr int kAdditionTables = 9;
constexpr int kBusyWaitMs = 10000;

// An older file gets WAL and the tables added since.
bool AddNewTables(const std::string& path, std::string& error)
{
    const auto db = OpenForWriting(path, error);
    if (!db) {
        return false;
    }
    sqlite3_busy_timeout(db.get(), kBusyWaitMs);
    // WAL: readers never wait for a writer, so the window reads while a check stores. A file made
    // by an older version is switched over here, at start-up.
    sqlite3_exec(db.get(), "pragma journal_mode=wal", nullptr, nullptr, nullptr);
    sqlite3_stmt* statement = nullptr;
    int found = 0;
    if (sqlite3_prepare_v2(db.get(), kHasAdditionsSql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        found = sqlite3_column_int(statement, 0);
    }
    sqlite3_finalize(statement);
    if (found == kAdditionTables) {
        return true;
    }
    return RunScript(db.get(), "begin immediate;" + LocalSchemaAdditionsSql() + ";commit;", error);
}

constexpr const char* kUnfinishedSuffix = ".new-";
constexpr int kFirstStartWaitRounds = 200; // of 50 ms: 10 s

// flock on the whole lock file; byte-range locks of the checks on the same file do not meet it.
class FirstStartLock final
{
public:
    explicit FirstStartLock(const std::string& lockFile)
    {
        m_fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        for (int round = 0; m_fd >= 0 && round < kFirstStartWaitRounds; ++round) {
            if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
                m_bHeld = true;
                return;
            }
            ::usleep(50 * 1000);
        }
    }
    ~FirstStartLock()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FirstStartLock(const FirstStartLock&) = delete;
    FirstStartLock& operator=(const FirstStartLock&) = delete;
    bool IsHeld() const { return m_bHeld; }

private:
    int m_fd = -1;
    bool m_bHeld = false;
};

// Files of first starts that were killed before they were done.
void RemoveUnfinishedCopies(const std::string& path)
{
    const std::filesystem::path target(path);
    const std::string prefix = target.filename().string() + kUnfinishedSuffix;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(target.parent_path(), ec)) {
        if (entry.path().filename().string().rfind(prefix, 0) == 0) {
            std::filesystem::remove(entry.path(), ec);
        }
    }
}

void SyncFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool EnsureLocalDatabase(const std::string& path, std::string& error)
{
    // First starts of several programs at once take turns; a starter that is killed drops the lock.
    FirstStartLock lock(LocalLockFilePath(path));
    struct stat st
    {
    };
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        error = path + UiText("LocalDatabase", " 不是一个文件");
        return false;
    }
    // An empty file is what an interrupted first start of an older version left: it is made anew.
    if (exists && st.st_size > 0) {
        if (!AddNewTables(path, error)) {
            error = UiText("LocalDatabase", "不能更新数据库文件 ") + path + ": " + error;
            return false;
        }
        return true;
    }
    if (lock.IsHeld()) {
        RemoveUnfinishedCopies(path);
    }
    // The schema goes into a file of its own that takes the final name only when complete, so a
    // start killed half-way leaves no half-made message.dat behind. Readable by the user alone:
    // the file holds the sources' passwords.
    std::string temporary = path + kUnfinishedSuffix + "XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = UiText("LocalDatabase", "不能创建数据库文件 ") + path + ": " + std::strerror(errno);
        return false;
    }
    ::fchmod(fd, 0600);
    ::close(fd);
    if (!RunSchema(temporary, error)) {
        error = UiText("LocalDatabase", "不能创建数据库文件 ") + path + ": " + error;
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFile(temporary);
    // Without the lock another starter may have won meanwhile: its file is kept (link never replaces).
    const bool placed = exists ? ::rename(temporary.c_str(), path.c_str()) == 0
                               : (::link(temporary.c_str(), path.c_str()) == 0 || errno == EEXIST);
    const int saved = errno;
    ::unlink(temporary.c_str());
    if (!placed) {
        error = UiText("LocalDatabase", "不能创建数据库文件 ") + path + ": " + std::strerror(saved);
        return false;
    }
    return true;
}

std::string LocalSchemaAdditionsSql()
{
    const std::string& schema = LocalSchemaSql();
    const size_t at = schema.find(kAdditionsMarker);
    return at == std::string::npos ? std::string() : schema.substr(at);
}

std::string LocalLockFilePath(const std::string& databasePath)
{
    return databasePath.empty() ? std::string() : databasePath + ".lock";
}

bool HasLocalTables(CAdoConnection& connection, std::string& missing)
{
    // "limit 0" proves a table is there without reading a row of a million.
    constexpr const char* kProbeSql = "select * from %s limit 0";
    for (const char* table : {"usermessagetype", "userdata", "userHttpExclude"}) {
        std::string sql = kProbeSql;
        sql.replace(sql.find("%s"), 2, table);
        DbResult probe;
        std::vector<std::string> errors;
        if (!connection.RunQuery(sql, probe, errors)) {
            missing = errors.empty() ? table : errors.front();
            return false;
        }
    }
    return true;
}
