#include "support/PostgresServer.h"

#include "support/ChildProcess.h"
#include "support/LoopbackListener.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

// Runs a PostgreSQL program, as the postgres user when we are root; false with its output.
bool RunTool(const std::string& binDir, const std::string& tool, std::vector<std::string> args, std::string& error)
{
    args.insert(args.begin(), binDir + "/" + tool);
    if (geteuid() == 0) {
        args.insert(args.begin(), {"/usr/sbin/runuser", "-u", "postgres", "--"});
    }
    const ChildResult result = RunChild(args);
    error = result.out + result.err;
    return result.status == 0;
}

} // namespace

PostgresServer::~PostgresServer()
{
    if (m_guard) {
        pclose(m_guard); // the guard sees end-of-file, cleans up and ends; pclose waits for it
    }
}

bool PostgresServer::Start(std::string& error)
{
    // The newest version installed.
    const std::string found =
        RunChild({"/bin/sh", "-c", "ls -d /usr/lib/postgresql/*/bin/postgres | sort -V | tail -n 1"}).out;
    m_binDir = std::filesystem::path(found.substr(0, found.find('\n'))).parent_path().string();
    if (m_binDir.empty()) {
        error = "PostgreSQL server binaries not found under /usr/lib/postgresql/*/bin (package postgresql)";
        return false;
    }
    std::string dir = (std::filesystem::temp_directory_path() / "wendar-pg-XXXXXX").string();
    const passwd* pw = getpwnam("postgres");
    const bool root = geteuid() == 0;
    if (!mkdtemp(dir.data()) || (root && (!pw || chown(dir.c_str(), pw->pw_uid, pw->pw_gid) != 0))) {
        error = "cannot make " + dir + " for the postgres user (missing user?)";
        std::filesystem::remove_all(dir);
        return false;
    }
    m_dir = dir;
    const std::string guard = "exec setsid /bin/sh -c 'cat >/dev/null; " +
                              std::string(root ? "/usr/sbin/runuser -u postgres -- " : "") + m_binDir + "/pg_ctl -D " +
                              m_dir + "/data -m immediate -w stop; rm -rf " + m_dir + "' >/dev/null 2>&1";
    if (!(m_guard = popen(guard.c_str(), "we"))) {
        error = "cannot start the clean-up guard";
        std::filesystem::remove_all(m_dir);
        return false;
    }
    const auto fail = [&error](const std::string& what) {
        error = what + error;
        return false;
    };
    if (!RunTool(m_binDir, "initdb",
                 {"-D", m_dir + "/data", "-U", "postgres", "--auth-local=trust", "--auth-host=scram-sha-256", "-E",
                  "UTF8", "--locale=C.UTF-8", "--no-sync"},
                 error)) {
        return fail("initdb failed: ");
    }
    // A port nothing listens on once the listener is gone; another process may take it
    // before the server does, so try a few.
    bool started = false;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        m_port = LoopbackListener().port();
        started = RunTool(m_binDir, "pg_ctl",
                          {"-D", m_dir + "/data", "-l", m_dir + "/log", "-w", "-t", "30", "-o",
                           "-p " + std::to_string(m_port) + " -k " + m_dir +
                               " -c listen_addresses=127.0.0.1 -c fsync=off -c full_page_writes=off",
                           "start"},
                          error);
    }
    if (!started) {
        std::ifstream log(m_dir + "/log");
        return fail("pg_ctl start failed: " + std::string(std::istreambuf_iterator<char>(log), {}) + "\n");
    }
    return RunTool(m_binDir, "psql",
                   {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", m_dir, "-p", std::to_string(m_port), "-U", "postgres",
                    "-d", "postgres", "-c", "CREATE ROLE tester LOGIN PASSWORD 'secret'", "-c",
                    "CREATE DATABASE testdb OWNER tester"},
                   error) ||
           fail("creating the test role and database failed: ");
}

std::string PostgresServer::ConnectionString(const std::string& driver, const std::string& password) const
{
    return "Driver={" + driver + "};Server=127.0.0.1;Port=" + std::to_string(m_port) +
           ";Database=testdb;Uid=tester;Pwd=" + password + ";";
}

bool PostgresServer::RunSql(const std::string& sql, std::string& error) const
{
    // Through a file readable by all: a statement may be larger than one argument may be.
    static int count = 0;
    const std::string script = m_dir + "/script-" + std::to_string(++count) + ".sql";
    std::ofstream(script, std::ios::binary) << sql;
    std::filesystem::permissions(script, std::filesystem::perms::others_read, std::filesystem::perm_options::add);
    const bool ok = RunTool(m_binDir, "psql",
                            {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", m_dir, "-p", std::to_string(m_port), "-U",
                             "tester", "-d", "testdb", "-f", script},
                            error);
    std::filesystem::remove(script);
    return ok;
}
