#pragma once
// What the database benchmarks share: the row count, a temporary directory, and a remote view of
// notices built through the SQLite ODBC driver itself.
#include "store/OdbcBackend.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

// WENDAR_BENCH_ROWS overrides the 100,000 rows of the remote view.
inline int RowCount()
{
    const char* rows = std::getenv("WENDAR_BENCH_ROWS");
    return rows && std::atoi(rows) > 0 ? std::atoi(rows) : 100000;
}

class BenchDir final
{
public:
    BenchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "wendar-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            throw std::runtime_error("mkdtemp failed");
        }
        m_path = pattern + "/";
    }
    ~BenchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    BenchDir(const BenchDir&) = delete;
    BenchDir& operator=(const BenchDir&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// The view v_notice of RowCount() notices in remote.db under dir; returns its connection string.
inline std::string BuildRemoteView(const BenchDir& dir)
{
    const std::string connection = "Driver=SQLite3;Database=" + dir.path() + "remote.db";
    std::vector<std::string> errors;
    auto db = OpenOdbcBackend(connection, errors);
    const std::string rows = std::to_string(RowCount());
    if (!db ||
        !db->Execute("create table notices(id integer primary key, sourcetype varchar(50), fromdate timestamp, "
                     "fromid varchar(50), fromname varchar(100), info varchar(200), toid varchar(50), "
                     "toname varchar(100), content text, link varchar(200))",
                     errors) ||
        !db->Execute("create view v_notice as select id as ID, sourcetype as SourceType, fromdate as FromDate, "
                     "fromid as FromID, fromname as FromName, info as Info, toid as ToID, toname as ToName, "
                     "content as Content, link as Link from notices",
                     errors) ||
        !db->Execute("with recursive n(i) as (select 1 union all select i + 1 from n where i < " + rows +
                         ") insert into notices select i, 'notice', '2002-05-01 08:30:00', 'u' || i, '张三', "
                         "'通知 ' || i, 'u2', '李四', '<p>content of notice ' || i || '</p>', "
                         "'http://127.0.0.1/n/' || i from n",
                     errors)) {
        throw std::runtime_error("cannot build the remote view: " + (errors.empty() ? "" : errors[0]));
    }
    return connection;
}
