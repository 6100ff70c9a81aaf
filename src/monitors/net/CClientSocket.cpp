#include "monitors/net/CClientSocket.h"

#include "monitors/net/CTlsStream.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
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

constexpr int kSliceMilliseconds = 100;

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
    return CreateFor(AF_INET);
}

bool CClientSocket::CreateFor(int family)
{
    Close();
    m_hSocket = socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_hSocket == kInvalidSocket) {
        m_nLastError = errno;
        return false;
    }
    return true;
}

int CClientSocket::WaitFor(short events, Clock::time_point deadline)
{
    pollfd p{m_hSocket, events, 0};
    for (;;) {
        if (m_abortCheck && m_abortCheck()) {
            m_nLastError = ECANCELED;
            return -1;
        }
        const int left = MillisecondsLeft(deadline);
        const int rc = poll(&p, 1, std::min(left, kSliceMilliseconds));
        if (rc > 0)
            return rc;
        if (rc < 0 && errno != EINTR) {
            m_nLastError = errno;
            return -1;
        }
        if (rc == 0 && left <= kSliceMilliseconds)
            return 0;
    }
}

bool CClientSocket::Connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    AddrInfoList addresses;
    if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, addresses.out()) != 0 || !addresses.get()) {
        m_nLastError = EINVAL;
        return false;
    }

    const Clock::time_point deadline = Clock::now() + timeout;
    for (const addrinfo* entry = addresses.get(); entry; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET && entry->ai_family != AF_INET6)
            continue;
        // A socket whose connect failed cannot be used again; each address gets one of its family.
        if (!CreateFor(entry->ai_family))
            return false;
        sockaddr_storage target{};
        std::memcpy(&target, entry->ai_addr, std::min<std::size_t>(entry->ai_addrlen, sizeof target));
        if (entry->ai_family == AF_INET)
            reinterpret_cast<sockaddr_in*>(&target)->sin_port = htons(port);
        else
            reinterpret_cast<sockaddr_in6*>(&target)->sin6_port = htons(port);

        const int flags = fcntl(m_hSocket, F_GETFL, 0);
        fcntl(m_hSocket, F_SETFL, flags | O_NONBLOCK);
        if (connect(m_hSocket, reinterpret_cast<const sockaddr*>(&target), entry->ai_addrlen) == 0)
            return true;
        if (errno != EINPROGRESS) {
            m_nLastError = errno;
            continue;
        }
        const int ready = WaitFor(POLLOUT, deadline);
        if (ready <= 0) {
            if (ready == 0)
                m_nLastError = ETIMEDOUT;
            Close();
            return false; // the time is spent, or the check was stopped
        }
        int soError = 0;
        socklen_t length = sizeof soError;
        getsockopt(m_hSocket, SOL_SOCKET, SO_ERROR, &soError, &length);
        if (soError == 0)
            return true;
        m_nLastError = soError;
    }
    Close();
    return false;
}

bool CClientSocket::StartTls(const std::string& host, std::chrono::milliseconds timeout, std::string& error,
                             const std::string& pinnedCertificate)
{
    if (m_hSocket == kInvalidSocket) {
        error = "not connected";
        return false;
    }
    auto tls = std::make_unique<CTlsStream>();
    if (!tls->Handshake(m_hSocket, host, Clock::now() + timeout, m_abortCheck, error, pinnedCertificate)) {
        if (m_abortCheck && m_abortCheck())
            m_nLastError = ECANCELED;
        return false;
    }
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
        if (m_tls->Write(data, length, deadline, m_abortCheck))
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
        const int ready = WaitFor(POLLOUT, deadline);
        if (ready <= 0) {
            if (ready == 0)
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
