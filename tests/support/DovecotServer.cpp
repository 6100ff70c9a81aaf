#include "support/DovecotServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Dovecot refuses to deliver to uid 0; the mailbox belongs to nobody.
constexpr uid_t kMailUid = 65534;
constexpr gid_t kMailGid = 65534;
constexpr const char* kDovecot = "/usr/sbin/dovecot";

bool WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::uint16_t FreePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    std::uint16_t port = 0;
    if (fd != -1 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (fd != -1)
        close(fd);
    return port;
}

bool Accepts(std::uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool ok = fd != -1 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd != -1)
        close(fd);
    return ok;
}

// Runs a program to its end (at most timeout); its exit status, or -1.
int RunProgram(const std::vector<std::string>& argv, std::chrono::seconds timeout)
{
    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == -1)
        return -1;
    if (pid == 0) {
        const int devnull = ::open("/dev/null", O_RDWR);
        dup2(devnull, STDOUT_FILENO);
        dup2(devnull, STDERR_FILENO);
        execvp(args[0], args.data());
        _exit(127);
    }
    const Clock::time_point end = Clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done == -1 || Clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace

DovecotServer::~DovecotServer()
{
    Stop();
}

bool DovecotServer::Start(std::string& error)
{
    if (access(kDovecot, X_OK) != 0) {
        error = std::string(kDovecot) + " is missing: install dovecot-core and dovecot-pop3d";
        return false;
    }
    if (geteuid() != 0) {
        error = "the test Dovecot must be started as root";
        return false;
    }
    std::string pattern = (fs::temp_directory_path() / "wendar-dovecot-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        error = "cannot make a temporary directory";
        return false;
    }
    m_dir = pattern + "/";
    // Dovecot's own users must reach the configuration and the mailbox.
    fs::permissions(m_dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    if (!WriteFiles(error))
        return false;
    // A port taken between the probe and Dovecot's bind gets another try.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (Launch(error))
            return true;
    }
    return false;
}

bool DovecotServer::WriteFiles(std::string& error)
{
    m_maildir = m_dir + "home/tester/Maildir/";
    std::error_code ec;
    for (const char* sub : {"new", "cur", "tmp"})
        fs::create_directories(m_maildir + sub, ec);
    fs::create_directories(m_dir + "run", ec);
    fs::create_directories(m_dir + "state", ec);
    if (ec) {
        error = "cannot make the Dovecot directories: " + ec.message();
        return false;
    }
    for (const auto& entry : fs::recursive_directory_iterator(m_dir + "home"))
        lchown(entry.path().c_str(), kMailUid, kMailGid);
    lchown((m_dir + "home").c_str(), kMailUid, kMailGid);

    const int rc = RunProgram({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                               "/CN=localhost", "-addext", "subjectAltName=DNS:localhost", "-keyout", m_dir + "key.pem",
                               "-out", m_dir + "cert.pem"},
                              std::chrono::seconds(30));
    if (rc != 0) {
        error = "openssl could not make the test certificate (is the openssl package installed?)";
        return false;
    }
    if (!WriteFile(m_dir + "users",
                   std::string(kUser) + ":{PLAIN}" + kPassword + ":65534:65534::" + m_dir + "home/tester\n")) {
        error = "cannot write the Dovecot user file";
        return false;
    }
    return true;
}

bool DovecotServer::Launch(std::string& error)
{
    m_plainPort = FreePort();
    m_tlsPort = FreePort();
    while (m_tlsPort == m_plainPort)
        m_tlsPort = FreePort();
    const std::string conf = m_dir + "dovecot.conf";
    std::ostringstream text;
    text << "base_dir = " << m_dir << "run\n"
         << "state_dir = " << m_dir << "state\n"
         << "log_path = " << m_dir << "dovecot.log\n"
         << "protocols = pop3\n"
         << "listen = 127.0.0.1\n"
         << "ssl = yes\n"
         << "ssl_cert = <" << m_dir << "cert.pem\n"
         << "ssl_key = <" << m_dir << "key.pem\n"
         << "disable_plaintext_auth = no\n"
         << "auth_mechanisms = plain login\n"
         << "auth_failure_delay = 0\n"
         // No growing delay for the same address after a failed login: tests log in wrongly on purpose.
         << "service anvil {\n  unix_listener anvil-auth-penalty {\n    mode = 0\n  }\n}\n"
         << "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u " << m_dir << "users\n}\n"
         << "userdb {\n  driver = passwd-file\n  args = username_format=%u " << m_dir << "users\n}\n"
         << "mail_location = maildir:~/Maildir\n"
         << "pop3_uidl_format = %f\n"
         << "service pop3-login {\n"
         << "  inet_listener pop3 {\n    address = 127.0.0.1\n    port = " << m_plainPort << "\n  }\n"
         << "  inet_listener pop3s {\n    address = 127.0.0.1\n    port = " << m_tlsPort << "\n    ssl = yes\n  }\n"
         << "}\n";
    if (!WriteFile(conf, text.str())) {
        error = "cannot write the Dovecot configuration";
        return false;
    }

    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == -1) {
        error = "fork failed";
        return false;
    }
    if (pid == 0) {
        // Dovecot goes when the test process goes, however it ends.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        const int devnull = ::open("/dev/null", O_RDWR);
        dup2(devnull, STDIN_FILENO);
        dup2(devnull, STDOUT_FILENO);
        execl(kDovecot, kDovecot, "-F", "-c", conf.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    m_pid = pid;
    const Clock::time_point end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            error = "dovecot exited at start: " + ReadFile(m_dir + "dovecot.log");
            return false;
        }
        if (Accepts(m_plainPort) && Accepts(m_tlsPort))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    error = "dovecot did not open its ports within 10 s: " + ReadFile(m_dir + "dovecot.log");
    Stop();
    return false;
}

void DovecotServer::Stop()
{
    if (m_pid != -1) {
        kill(m_pid, SIGTERM);
        const Clock::time_point end = Clock::now() + std::chrono::seconds(5);
        int status = 0;
        while (waitpid(m_pid, &status, WNOHANG) == 0) {
            if (Clock::now() > end) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        m_pid = -1;
    }
    if (!m_dir.empty()) {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
        m_dir.clear();
    }
}

bool DovecotServer::AddMessage(const std::string& fileName, const std::string& text)
{
    // Written aside and renamed, as a delivery agent does, so the server never sees half a file.
    const std::string temporary = m_maildir + "tmp/" + fileName;
    const std::string target = m_maildir + "new/" + fileName;
    if (!WriteFile(temporary, text) || lchown(temporary.c_str(), kMailUid, kMailGid) != 0)
        return false;
    return rename(temporary.c_str(), target.c_str()) == 0;
}

bool DovecotServer::RemoveMessage(const std::string& fileName)
{
    bool removed = false;
    for (const char* sub : {"new", "cur"}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(m_maildir + sub, ec)) {
            const std::string name = entry.path().filename().string();
            if (name == fileName || name.rfind(fileName + ":", 0) == 0)
                removed = fs::remove(entry.path(), ec) || removed;
        }
    }
    return removed;
}

void DovecotServer::ClearMailbox()
{
    for (const char* sub : {"new", "cur"}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(m_maildir + sub, ec))
            fs::remove(entry.path(), ec);
    }
}
