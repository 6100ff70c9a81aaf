#include "support/DovecotServer.h"

#include "monitors/net/CClientSocket.h"
#include "support/CertificateFile.h"
#include "support/ChildProcess.h"
#include "support/LoopbackListener.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Dovecot refuses to deliver to uid 0; the mailbox belongs to nobody.
constexpr uid_t kMailOwner = 65534;
constexpr const char* kDovecot = "/usr/sbin/dovecot";

bool WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out << text << std::flush);
}

} // namespace

DovecotServer::~DovecotServer()
{
    Stop();
}

bool DovecotServer::Start(std::string& error)
{
    if (access(kDovecot, X_OK) != 0)
        error = std::string(kDovecot) + " is missing: install dovecot-core and dovecot-pop3d";
    else if (geteuid() != 0)
        error = "the test Dovecot must be started as root";
    if (!error.empty())
        return false;
    m_maildir = m_dir + "home/tester/Maildir/";
    // Dovecot's own users must reach the configuration and the mailbox.
    fs::permissions(m_dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    std::error_code ec;
    for (const std::string sub :
         {"home/tester/Maildir/new", "home/tester/Maildir/cur", "home/tester/Maildir/tmp", "run", "state"})
        fs::create_directories(m_dir + sub, ec);
    const bool owned = RunChild({"/bin/chown", "-R", "65534:65534", m_dir + "home"}).status == 0;
    const std::string users = std::string(kUser) + ":{PLAIN}" + kPassword + ":65534:65534::" + m_dir + "home/tester\n";
    if (ec || !owned || !WriteFile(m_dir + "users", users) ||
        !MakeSelfSignedCertificate(m_dir + "cert.pem", m_dir + "key.pem", "DNS:localhost")) {
        error = "cannot make the Dovecot directories, user file or certificate (is openssl installed?)";
        return false;
    }
    // A port taken between the probe and Dovecot's bind gets another try.
    return Launch(error) || Launch(error) || Launch(error);
}

bool DovecotServer::Launch(std::string& error)
{
    {
        // Two ports free now: taken at once, so that they differ, and let go.
        const LoopbackListener plain, tls;
        m_plainPort = plain.port();
        m_tlsPort = tls.port();
    }
    const std::string conf = m_dir + "dovecot.conf";
    std::ostringstream text;
    text << "base_dir = " << m_dir << "run\nstate_dir = " << m_dir << "state\nlog_path = " << m_dir << "dovecot.log\n"
         << "protocols = pop3\nlisten = 127.0.0.1\nssl = yes\n"
         << "ssl_cert = <" << m_dir << "cert.pem\nssl_key = <" << m_dir << "key.pem\n"
         << "disable_plaintext_auth = no\nauth_mechanisms = plain login\nauth_failure_delay = 0\n"
         // No growing delay for the same address after a failed login: tests log in wrongly on purpose.
         << "service anvil {\n  unix_listener anvil-auth-penalty {\n    mode = 0\n  }\n}\n"
         << "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u " << m_dir << "users\n}\n"
         << "userdb {\n  driver = passwd-file\n  args = username_format=%u " << m_dir << "users\n}\n"
         << "mail_location = maildir:~/Maildir\npop3_uidl_format = %f\nservice pop3-login {\n"
         << "  inet_listener pop3 {\n    address = 127.0.0.1\n    port = " << m_plainPort << "\n  }\n"
         << "  inet_listener pop3s {\n    address = 127.0.0.1\n    port = " << m_tlsPort << "\n    ssl = yes\n  }\n}\n";
    if (!WriteFile(conf, text.str())) {
        error = "cannot write the Dovecot configuration";
        return false;
    }
    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
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
    for (const Clock::time_point end = Clock::now() + std::chrono::seconds(60); m_pid != -1 && Clock::now() < end;) {
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid)
            m_pid = -1;
        else if (CClientSocket().Connect("127.0.0.1", m_plainPort) && CClientSocket().Connect("127.0.0.1", m_tlsPort))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::ostringstream log;
    log << std::ifstream(m_dir + "dovecot.log").rdbuf();
    error = "dovecot did not start within 60 s: " + log.str();
    Stop();
    return false;
}

void DovecotServer::Stop()
{
    // SIGTERM lets Dovecot end its own processes; SIGKILL after 5 s.
    for (int waited = 0; m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0; waited += 10) {
        kill(m_pid, waited == 0 ? SIGTERM : waited == 5000 ? SIGKILL : 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_pid = -1;
}

bool DovecotServer::AddMessage(const std::string& fileName, const std::string& text)
{
    // Written aside and renamed, as a delivery agent does, so the server never sees half a file.
    const std::string temporary = m_maildir + "tmp/" + fileName;
    return WriteFile(temporary, text) && lchown(temporary.c_str(), kMailOwner, kMailOwner) == 0 &&
           rename(temporary.c_str(), (m_maildir + "new/" + fileName).c_str()) == 0;
}

bool DovecotServer::RemoveMessage(const std::string& fileName)
{
    bool removed = false;
    std::error_code ec;
    for (const char* sub : {"new", "cur"}) {
        for (const auto& entry : fs::directory_iterator(m_maildir + sub, ec)) {
            const std::string name = entry.path().filename().string();
            if (fileName.empty() || name == fileName || name.rfind(fileName + ":", 0) == 0)
                removed = fs::remove(entry.path(), ec) || removed;
        }
    }
    return removed;
}
