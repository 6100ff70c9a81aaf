#pragma once
// A throwaway PostgreSQL cluster for tests: initdb in a fresh temporary directory, a server on
// 127.0.0.1 at a free port (run as the postgres user when we are root), a login role with a
// password and a database it owns, reached over TCP through the PostgreSQL ODBC drivers.
// Clean-up does not depend on this process ending well: a guard process in its own session waits
// for a pipe from us to close (also when we crash or are killed), then stops the server and
// removes the directory.
#include "support/SharedServer.h"

#include <cstdio>
#include <string>

class PostgresServer final
{
public:
    PostgresServer() = default;
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // False with the reason (including a missing server binary) in error.
    bool Start(std::string& error);
    // A full ODBC connection string; driver is "PostgreSQL Unicode" or "PostgreSQL ANSI".
    std::string ConnectionString(const std::string& driver = "PostgreSQL Unicode",
                                 const std::string& password = "secret") const;
    // Runs SQL with psql as the test user (stops at the first error); false with psql's output.
    bool RunSql(const std::string& sql, std::string& error) const;

private:
    std::string m_binDir;
    std::string m_dir;
    int m_port = 0;
    FILE* m_guard = nullptr;
};
