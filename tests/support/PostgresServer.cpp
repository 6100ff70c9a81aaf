#include "support/PostgresServer.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <pwd.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

bool IsRoot()
{
    return geteuid() == 0;
}

// fork + exec with stdout and stderr captured; returns the exit status (-1 when it did not run).
int RunCaptured(const std::vector<std::string>& argv, std::string& output)
{
    output.clear();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return -1;
    }
    std::vector<char*> args;
    for (const auto& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (pid == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        const int null = open("/dev/null", O_RDONLY);
        if (null >= 0) {
            dup2(null, 0);
        }
        execvp(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n > 0) {
            output.append(buffer, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int FreeLoopbackPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return 0;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    close(fd);
    return port;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

PostgresServer::~PostgresServer()
{
    Stop();
}

std::string PostgresServer::FindBinDir()
{
    std::vector<std::filesystem::path> candidates;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
        if (std::filesystem::exists(entry.path() / "bin" / "postgres")) {
            candidates.push_back(entry.path() / "bin");
        }
    }
    if (candidates.empty()) {
        return {};
    }
    // Versions are whole numbers (15, 16, ...): the largest one wins.
    return std::max_element(candidates.begin(), candidates.end(),
                            [](const auto& a, const auto& b) {
                                return std::atoi(a.parent_path().filename().c_str()) <
                                       std::atoi(b.parent_path().filename().c_str());
                            })
        ->string();
}

int PostgresServer::RunTool(const std::string& tool, const std::vector<std::string>& args, std::string& output) const
{
    std::vector<std::string> argv;
    if (IsRoot()) {
        argv = {"runuser", "-u", "postgres", "--"};
    }
    argv.push_back(m_binDir + "/" + tool);
    argv.insert(argv.end(), args.begin(), args.end());
    return RunCaptured(argv, output);
}

bool PostgresServer::StartGuard(std::string& error)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    // Waits for end-of-file on stdin (our pipe closing, however we end), then cleans up.
    static const char* const kScript =
        "cat >/dev/null; "
        "if [ \"$(id -u)\" = 0 ]; then runuser -u postgres -- \"$1\" -D \"$2/data\" -m immediate -w stop; "
        "else \"$1\" -D \"$2/data\" -m immediate -w stop; fi; rm -rf \"$2\"";
    const std::string pgCtl = m_binDir + "/pg_ctl";
    std::vector<char*> args = {const_cast<char*>("/bin/sh"),
                               const_cast<char*>("-c"),
                               const_cast<char*>(kScript),
                               const_cast<char*>("pg-guard"),
                               const_cast<char*>(pgCtl.c_str()),
                               const_cast<char*>(m_dir.c_str()),
                               nullptr};
    const pid_t pid = fork();
    if (pid < 0) {
        error = std::string("fork: ") + std::strerror(errno);
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        setsid(); // out of our process group, so a kill of the test group spares the clean-up
        dup2(fds[0], 0);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            dup2(null, 2);
        }
        execv("/bin/sh", args.data());
        _exit(127);
    }
    close(fds[0]);
    m_guardPid = pid;
    m_guardPipe = fds[1];
    return true;
}

bool PostgresServer::Start(std::string& error)
{
    Stop();
    m_binDir = FindBinDir();
    if (m_binDir.empty()) {
        error = "PostgreSQL server binaries not found under /usr/lib/postgresql/*/bin (package postgresql)";
        return false;
    }
    std::string dirTemplate = (std::filesystem::temp_directory_path() / "wendar-pg-XXXXXX").string();
    if (!mkdtemp(dirTemplate.data())) {
        error = std::string("mkdtemp: ") + std::strerror(errno);
        return false;
    }
    m_dir = dirTemplate;
    if (IsRoot()) {
        const passwd* pw = getpwnam("postgres");
        if (!pw || chown(m_dir.c_str(), pw->pw_uid, pw->pw_gid) != 0) {
            error = "cannot hand " + m_dir + " to the postgres user (missing user?)";
            std::filesystem::remove_all(m_dir);
            m_dir.clear();
            return false;
        }
    }
    if (!StartGuard(error)) {
        std::filesystem::remove_all(m_dir);
        m_dir.clear();
        return false;
    }

    std::string output;
    if (RunTool("initdb",
                {"-D", m_dir + "/data", "-U", "postgres", "--auth-local=trust", "--auth-host=scram-sha-256", "-E",
                 "UTF8", "--locale=C.UTF-8", "--no-sync"},
                output) != 0) {
        error = "initdb failed: " + output;
        Stop();
        return false;
    }
    // The port is free when we look; another process may take it first, so try a few.
    bool started = false;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        m_port = FreeLoopbackPort();
        const std::string options = "-p " + std::to_string(m_port) + " -k " + m_dir +
                                    " -c listen_addresses=127.0.0.1 -c fsync=off -c full_page_writes=off";
        started =
            RunTool("pg_ctl", {"-D", m_dir + "/data", "-l", m_dir + "/log", "-w", "-t", "30", "-o", options, "start"},
                    output) == 0;
    }
    if (!started) {
        error = "pg_ctl start failed: " + output + "\n" + ReadFile(m_dir + "/log");
        Stop();
        return false;
    }
    const std::string createRole = std::string("CREATE ROLE ") + kUser + " LOGIN PASSWORD '" + kPassword + "'";
    const std::string createDb = std::string("CREATE DATABASE ") + kDatabase + " OWNER " + kUser;
    if (RunTool("psql",
                {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", m_dir, "-p", std::to_string(m_port), "-U", "postgres", "-d",
                 "postgres", "-c", createRole, "-c", createDb},
                output) != 0) {
        error = "creating the test role and database failed: " + output;
        Stop();
        return false;
    }
    return true;
}

void PostgresServer::Stop()
{
    if (m_guardPipe >= 0) {
        close(m_guardPipe);
        m_guardPipe = -1;
    }
    if (m_guardPid > 0) {
        int status = 0;
        while (waitpid(m_guardPid, &status, 0) < 0 && errno == EINTR) {
        }
        m_guardPid = -1;
    }
    m_dir.clear();
    m_port = 0;
}

std::string PostgresServer::ConnectionString(const std::string& driver) const
{
    return ConnectionString(driver, kPassword);
}

std::string PostgresServer::ConnectionString(const std::string& driver, const std::string& password) const
{
    return "Driver={" + driver + "};Server=127.0.0.1;Port=" + std::to_string(m_port) + ";Database=" + kDatabase +
           ";Uid=" + kUser + ";Pwd=" + password + ";";
}

bool PostgresServer::RunSql(const std::string& sql, std::string& error) const
{
    // Through a file: a statement may be larger than one command-line argument may be.
    const std::string script = m_dir + "/script-" + std::to_string(++m_scriptCount) + ".sql";
    {
        std::ofstream out(script, std::ios::binary);
        out << sql;
        if (!out) {
            error = "cannot write " + script;
            return false;
        }
    }
    std::filesystem::permissions(script, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                             std::filesystem::perms::group_read | std::filesystem::perms::others_read);
    std::string output;
    const int status = RunTool("psql",
                               {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", m_dir, "-p", std::to_string(m_port), "-U",
                                kUser, "-d", kDatabase, "-f", script},
                               output);
    std::filesystem::remove(script);
    if (status != 0) {
        error = output.empty() ? "psql did not run" : output;
        return false;
    }
    return true;
}
