#include "store/LocalDatabase.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct SqliteCloser
{
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};

bool RunSchema(const std::string& path, std::string& error)
{
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, SqliteCloser> db(raw);
    if (rc != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc);
        return false;
    }
    const std::string script = "pragma journal_mode=wal;begin;" + LocalSchemaSql() + ";commit;";
    char* message = nullptr;
    if (sqlite3_exec(db.get(), script.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        error = message ? message : "schema failed";
        sqlite3_free(message);
        return false;
    }
    return true;
}

} // namespace

bool EnsureLocalDatabase(const std::string& path, std::string& error)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            error = path + " 不是一个文件";
            return false;
        }
        return true;
    }
    // Created by us, readable by the user alone: the file holds the sources' passwords.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "不能创建数据库文件 " + path + ": " + std::strerror(errno);
        return false;
    }
    ::close(fd);
    if (!RunSchema(path, error)) {
        error = "不能创建数据库文件 " + path + ": " + error;
        ::unlink(path.c_str());
        return false;
    }
    return true;
}
