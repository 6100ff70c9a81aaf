#include "monitors/net/CClientSocket.h"

#include "monitors/net/CTlsStream.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(left);
}

// poll() for one event until the deadline; 1 ready, 0 timed out, -1 failed.
int WaitFor(int fd, short events, Clock::time_point deadline)
{
    pollfd p{fd, events, 0};
    for (;;) {
        const int rc = poll(&p, 1, MillisecondsLeft(deadline));
        if (rc >= 0)
            return rc;
        if (errno != EINTR)
            return -1;
    }
}

class AddrInfoList final
{
public:
    ~AddrInfoList()
    {
        if (m_list)
            freeaddrinfo(m_list);
    }
    addrinfo** out() { return &m_list; }
    const addrinfo* get() const { return m_list; }

private:
    addrinfo* m_list = nullptr;
};

} // namespace

CClientSocket::CClientSocket() = default;

CClientSocket::~CClientSocket()
{
    Close();
}

bool CClientSocket::Create()
{
    Close();
    m_hSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_hSocket == kInvalidSocket) {
        m_nLastError = errno;
        return false;
    }
    return true;
}

bool CClientSocket::Connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout)
{
    if (m_hSocket == kInvalidSocket && !Create())
        return false;

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    AddrInfoList addresses;
    if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, addresses.out()) != 0 || !addresses.get()) {
        m_nLastError = EINVAL;
        return false;
    }

    const Clock::time_point deadline = Clock::now() + timeout;
    bool first = true;
    for (const addrinfo* entry = addresses.get(); entry; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET)
            continue;
        // A socket whose connect failed cannot be used again.
        if (!first && !Create())
            return false;
        first = false;
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_addr = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr;
        target.sin_port = htons(port);

        const int flags = fcntl(m_hSocket, F_GETFL, 0);
        fcntl(m_hSocket, F_SETFL, flags | O_NONBLOCK);
        if (connect(m_hSocket, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0)
            return true;
        if (errno != EINPROGRESS) {
            m_nLastError = errno;
            continue;
        }
        const int ready = WaitFor(m_hSocket, POLLOUT, deadline);
        if (ready <= 0) {
            m_nLastError = ready == 0 ? ETIMEDOUT : errno;
            return false; // the time is spent
        }
        int soError = 0;
        socklen_t length = sizeof soError;
        getsockopt(m_hSocket, SOL_SOCKET, SO_ERROR, &soError, &length);
        if (soError == 0)
            return true;
        m_nLastError = soError;
    }
    return false;
}

bool CClientSocket::StartTls(const std::string& host, std::chrono::milliseconds timeout, std::string& error)
{
    if (m_hSocket == kInvalidSocket) {
        error = "not connected";
        return false;
    }
    auto tls = std::make_unique<CTlsStream>();
    if (!tls->Handshake(m_hSocket, host, Clock::now() + timeout, error))
        return false;
    m_tls = std::move(tls);
    return true;
}

bool CClientSocket::Send(const char* data, std::size_t length, std::chrono::milliseconds timeout)
{
    if (m_hSocket == kInvalidSocket) {
        m_nLastError = ENOTCONN;
        return false;
    }
    const Clock::time_point deadline = Clock::now() + timeout;
    if (m_tls) {
        if (m_tls->Write(data, length, deadline))
            return true;
        m_nLastError = errno != 0 ? errno : EPROTO;
        return false;
    }
    std::size_t done = 0;
    while (done < length) {
        const ssize_t sent = send(m_hSocket, data + done, length - done, MSG_NOSIGNAL);
        if (sent >= 0) {
            done += static_cast<std::size_t>(sent);
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            m_nLastError = errno;
            return false;
        }
        if (WaitFor(m_hSocket, POLLOUT, deadline) <= 0) {
            m_nLastError = ETIMEDOUT;
            return false;
        }
    }
    return true;
}

long CClientSocket::Receive(char* buffer, std::size_t capacity)
{
    if (m_hSocket == kInvalidSocket) {
        errno = m_nLastError = ENOTCONN;
        return -1;
    }
    if (m_tls)
        return m_tls->Read(buffer, capacity);
    const ssize_t got = recv(m_hSocket, buffer, capacity, 0);
    if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
        m_nLastError = errno;
    return static_cast<long>(got);
}

bool CClientSocket::PollReadable(bool& readable, std::chrono::milliseconds wait)
{
    if (m_hSocket == kInvalidSocket)
        return false;
    if (m_tls && m_tls->HasPending()) {
        readable = true;
        return true;
    }
    pollfd p{m_hSocket, POLLIN, 0};
    const int rc = poll(&p, 1, static_cast<int>(wait.count()));
    if (rc < 0) {
        m_nLastError = errno;
        return false;
    }
    readable = rc > 0;
    return true;
}

void CClientSocket::Close()
{
    if (m_tls) {
        m_tls->Shutdown();
        m_tls.reset();
    }
    if (m_hSocket != kInvalidSocket) {
        close(m_hSocket);
        m_hSocket = kInvalidSocket;
    }
}
