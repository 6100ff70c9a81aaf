#include "support/FtpScriptedServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kPollMs = 50;
constexpr int kDataAcceptMs = 5000;
constexpr std::size_t kMaxLine = 4096;

// A listening socket on 127.0.0.1 with an ephemeral port; -1 on failure.
int ListenOnLoopback(int& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

std::string CommandWord(const std::string& line)
{
    std::string word = line.substr(0, line.find(' '));
    for (char& c : word) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return word;
}

} // namespace

void FtpScriptedServer::Fd::reset(int fd)
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = fd;
}

FtpScriptedServer::FtpScriptedServer(Script script) : m_script(std::move(script))
{
    m_listen.reset(ListenOnLoopback(m_nPort));
    if (m_listen.get() < 0) {
        throw std::runtime_error("the scripted FTP server cannot listen on 127.0.0.1");
    }
    m_thread = std::thread([this] { Run(); });
}

FtpScriptedServer::~FtpScriptedServer()
{
    m_bStop = true;
    m_thread.join();
}

std::vector<std::string> FtpScriptedServer::Commands() const
{
    std::lock_guard guard(m_lock);
    return m_commands;
}

std::vector<std::string> FtpScriptedServer::CommandWords() const
{
    std::vector<std::string> words;
    for (const std::string& line : Commands()) {
        words.push_back(CommandWord(line));
    }
    return words;
}

bool FtpScriptedServer::WaitReadable(int fd, int timeoutMs) const
{
    for (int waited = 0; waited < timeoutMs && !m_bStop; waited += kPollMs) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, kPollMs) > 0) {
            return true;
        }
    }
    return false;
}

void FtpScriptedServer::HoldUntilStopped() const
{
    while (!m_bStop) {
        ::usleep(kPollMs * 1000);
    }
}

void FtpScriptedServer::Run()
{
    while (!m_bStop) {
        if (!WaitReadable(m_listen.get(), kPollMs)) {
            continue;
        }
        const Fd control(::accept4(m_listen.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (control.get() >= 0) {
            Serve(control);
        }
    }
}

bool FtpScriptedServer::SendLine(int fd, const std::string& line)
{
    const std::string text = line + "\r\n";
    return ::send(fd, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
}

std::string FtpScriptedServer::ReadLine(const Fd& control, std::string& buffer, bool& closed)
{
    while (!m_bStop) {
        if (const std::size_t end = buffer.find("\r\n"); end != std::string::npos) {
            std::string line = buffer.substr(0, end);
            buffer.erase(0, end + 2);
            return line;
        }
        if (buffer.size() > kMaxLine) {
            break;
        }
        if (!WaitReadable(control.get(), kPollMs)) {
            continue;
        }
        char chunk[512];
        const ssize_t n = ::recv(control.get(), chunk, sizeof chunk, 0);
        if (n <= 0) {
            break;
        }
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
    closed = true;
    return {};
}

void FtpScriptedServer::SendListing(const Fd& control, const std::string& listing)
{
    if (m_dataListen.get() < 0) {
        SendLine(control.get(), "425 Use PASV or EPSV first");
        return;
    }
    SendLine(control.get(), "150 Here comes the directory listing");
    Fd data;
    if (WaitReadable(m_dataListen.get(), kDataAcceptMs)) {
        data.reset(::accept4(m_dataListen.get(), nullptr, nullptr, SOCK_CLOEXEC));
    }
    m_dataListen.reset();
    if (data.get() < 0) {
        SendLine(control.get(), "425 No data connection");
        return;
    }
    const std::size_t count = std::min(listing.size(), m_script.dataBytesBeforeStall);
    ::send(data.get(), listing.data(), count, MSG_NOSIGNAL);
    if (count < listing.size()) {
        HoldUntilStopped();
        return;
    }
    data.reset();
    SendLine(control.get(), "226 Directory send OK");
}

void FtpScriptedServer::Serve(const Fd& control)
{
    SendLine(control.get(), "220 scripted FTP server ready");
    std::string buffer;
    std::string user;
    bool loggedIn = false;
    std::string directory = "/";
    for (;;) {
        bool closed = false;
        const std::string line = ReadLine(control, buffer, closed);
        if (closed) {
            return;
        }
        {
            std::lock_guard guard(m_lock);
            m_commands.push_back(line);
        }
        const std::string word = CommandWord(line);
        const std::string argument = line.size() > word.size() + 1 ? line.substr(word.size() + 1) : std::string();
        if (!m_script.silentAfter.empty() && word == m_script.silentAfter) {
            HoldUntilStopped();
            return;
        }
        if (word == "USER") {
            user = argument;
            SendLine(control.get(), "331 Please specify the password");
        } else if (word == "PASS") {
            loggedIn = user == m_script.user && argument == m_script.password;
            SendLine(control.get(), loggedIn ? "230 Login successful" : "530 Login incorrect");
        } else if (word == "QUIT") {
            SendLine(control.get(), "221 Goodbye");
            return;
        } else if (!loggedIn) {
            SendLine(control.get(), "530 Please login with USER and PASS");
        } else if (word == "PWD") {
            SendLine(control.get(), "257 \"" + directory + "\" is the current directory");
        } else if (word == "CWD") {
            const bool known = m_script.directories.count(argument) != 0 || m_script.directories.count(argument + "/");
            if (known) {
                directory = argument;
            }
            SendLine(control.get(), known ? "250 Directory successfully changed" : "550 Failed to change directory");
        } else if (word == "TYPE") {
            SendLine(control.get(), "200 Switching mode");
        } else if (word == "EPSV" || word == "PASV") {
            int dataPort = 0;
            m_dataListen.reset(ListenOnLoopback(dataPort));
            if (word == "EPSV") {
                SendLine(control.get(), "229 Entering Extended Passive Mode (|||" + std::to_string(dataPort) + "|)");
            } else {
                SendLine(control.get(), "227 Entering Passive Mode (127,0,0,1," + std::to_string(dataPort / 256) + "," +
                                            std::to_string(dataPort % 256) + ")");
            }
        } else if (word == "MLSD" && m_script.mlsd) {
            SendListing(control, m_script.mlsdListing);
        } else if (word == "LIST") {
            SendListing(control, m_script.listListing);
        } else {
            SendLine(control.get(), "500 Unknown command");
        }
        if (m_bStop) {
            return;
        }
    }
}
