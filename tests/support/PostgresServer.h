#pragma once
// A throwaway PostgreSQL cluster for tests: initdb in a fresh temporary directory, a server on
// 127.0.0.1 at a free port (run as the postgres user when we are root), a login role with a
// password and a database it owns. Reached over TCP through the PostgreSQL ODBC drivers.
//
// Clean-up does not depend on this process ending well: a guard process (its own session) waits
// for a pipe from us to close, which also happens when we crash or are killed, and then stops the
// server and removes the directory.
#include <string>
#include <sys/types.h>
#include <vector>

class PostgresServer final
{
public:
    static constexpr const char* kUser = "tester";
    static constexpr const char* kPassword = "secret";
    static constexpr const char* kDatabase = "testdb";

    PostgresServer() = default;
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // False with the reason (including a missing server binary) in error.
    bool Start(std::string& error);
    // Stops the server and removes its directory; waits until both are done.
    void Stop();
    bool IsRunning() const { return m_guardPid > 0; }

    int port() const { return m_port; }
    // A full ODBC connection string; driver is "PostgreSQL Unicode" or "PostgreSQL ANSI".
    std::string ConnectionString(const std::string& driver = "PostgreSQL Unicode") const;
    std::string ConnectionString(const std::string& driver, const std::string& password) const;

    // Runs SQL with psql as the test user on the test database (stops at the first error). False
    // with psql's output in error.
    bool RunSql(const std::string& sql, std::string& error) const;

    // The newest /usr/lib/postgresql/<version>/bin, or empty when PostgreSQL is not installed.
    static std::string FindBinDir();

private:
    // Runs a PostgreSQL program, as the postgres user when we are root; output in output.
    int RunTool(const std::string& tool, const std::vector<std::string>& args, std::string& output) const;
    bool StartGuard(std::string& error);

    std::string m_binDir;
    std::string m_dir;
    int m_port = 0;
    pid_t m_guardPid = -1;
    int m_guardPipe = -1;
    mutable int m_scriptCount = 0;
};
