#pragma once
// The remote side of a database check in tests: a table of notices and the view v_notice with the
// ten columns over it, in a real SQLite file (SQLite3 ODBC driver) or in the throwaway PostgreSQL
// cluster shared by the whole test program.
#include "support/PostgresServer.h"

#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <string>

struct RemoteDatabase
{
    std::string connection;
    std::function<bool(const std::string& sql, std::string& error)> run;

    // Runs statements (several, separated by ';'), failing the test with the reason.
    void Run(const std::string& sql) const
    {
        std::string error;
        ASSERT_TRUE(run(sql, error)) << error;
    }
};

// kind is "SQLite" (a file in dir) or "PostgreSQL"; when the cluster cannot start, every
// statement fails with the reason.
inline RemoteDatabase MakeRemote(const std::string& kind, const std::string& dir)
{
    if (kind == "SQLite") {
        const std::string path = dir + "remote.db";
        return {"Driver=SQLite3;Database=" + path + ";NoCreat=1", [path](const std::string& sql, std::string& error) {
                    sqlite3* db = nullptr;
                    char* message = nullptr;
                    const bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
                                    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK;
                    error = message ? message : "cannot open " + path;
                    sqlite3_free(message);
                    sqlite3_close(db);
                    return ok;
                }};
    }
    std::string startError;
    PostgresServer* server = SharedServer<PostgresServer>(startError);
    return {server ? server->ConnectionString() : "", [server, startError](const std::string& sql, std::string& error) {
                error = startError;
                return server && server->RunSql(sql, error);
            }};
}

inline const std::string kCreateNotices =
    "drop view if exists v_short; drop view if exists v_notice; drop table if exists notices;"
    "create table notices(id integer primary key, sourcetype varchar(50), fromdate timestamp, fromid varchar(50), "
    "fromname varchar(100), info varchar(200), toid varchar(50), toname varchar(100), content text, "
    "link varchar(200));"
    "create view v_notice as select id as ID, sourcetype as SourceType, fromdate as FromDate, fromid as FromID, "
    "fromname as FromName, info as Info, toid as ToID, toname as ToName, content as Content, link as Link "
    "from notices;";

// Inserts rows first..last: info "notice N", content "content of N", the other columns alike.
inline std::string InsertRows(int first, int last)
{
    std::string sql = "insert into notices values ";
    for (int id = first; id <= last; ++id) {
        const std::string n = std::to_string(id);
        sql += (id > first ? ",(" : "(") + n + ",'notice','2002-05-01 08:30:00','u1','张三','notice " + n +
               "','u2','李四','content of " + n + "','http://127.0.0.1/n')";
    }
    return sql;
}
