#include "support/FtpServerProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* kPython = "/usr/bin/python3";
constexpr int kStartTimeoutMs = 15000;

} // namespace

FtpServerProcess::FtpServerProcess()
{
    std::filesystem::create_directories(root());
    const std::string script = std::string(WENDAR_TEST_SOURCE_DIR) + "/support/FtpServer.py";
    if (::access(kPython, X_OK) != 0) {
        m_strError = std::string(kPython) + " is missing (install python3-pyftpdlib)";
        return;
    }
    int toChild[2] = {-1, -1};
    int fromChild[2] = {-1, -1};
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) {
        m_strError = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    const std::string rootDir = root();
    const std::string logFile = m_dir.path() + "ftpd.log";
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(toChild[0], STDIN_FILENO);
        ::dup2(fromChild[1], STDOUT_FILENO);
        ::execl(kPython, kPython, script.c_str(), rootDir.c_str(), kUser, kPassword, logFile.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    m_stdinFd = toChild[1];
    if (m_pid < 0) {
        m_strError = std::string("fork: ") + std::strerror(errno);
        ::close(fromChild[0]);
        return;
    }

    // The first line of the server's output is its port.
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd pfd{fromChild[0], POLLIN, 0};
        if (::poll(&pfd, 1, 100) <= 0) {
            continue;
        }
        char buffer[64];
        const ssize_t n = ::read(fromChild[0], buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        line.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fromChild[0]);
    try {
        m_nPort = line.find('\n') != std::string::npos ? std::stoi(line) : 0;
    } catch (const std::exception&) {
        m_nPort = 0;
    }
    if (m_nPort == 0) {
        m_strError = "pyftpdlib did not start (is python3-pyftpdlib installed?); output: " + line + "; log: " + log();
        Stop();
    }
}

FtpServerProcess::~FtpServerProcess()
{
    Stop();
}

std::string FtpServerProcess::log() const
{
    std::ifstream in(m_dir.path() + "ftpd.log");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void FtpServerProcess::Stop()
{
    if (m_stdinFd >= 0) {
        ::close(m_stdinFd);
        m_stdinFd = -1;
    }
    if (m_pid <= 0) {
        return;
    }
    ::kill(m_pid, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}
