#pragma once
// One TCP client connection over POSIX sockets (IPv4 or IPv6), optionally carrying TLS. After
// Connect the socket is non-blocking: reads never wait, and every wait (connect, handshake, send,
// poll) is bounded and, while an abort check is set, ends within a tenth of a second of it saying so.
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CTlsStream;

// A socket as the system hands it out: a file descriptor.
using SocketHandle = int;
inline constexpr SocketHandle kInvalidSocket = -1;

class CClientSocket final
{
public:
    CClientSocket();
    ~CClientSocket();
    CClientSocket(const CClientSocket&) = delete;
    CClientSocket& operator=(const CClientSocket&) = delete;

    // Asked during every wait; true ends the wait with the error ECANCELED.
    void SetAbortCheck(std::function<bool()> check) { m_abortCheck = std::move(check); }

    // Opens an IPv4 stream socket (Connect opens one of the address's family as needed).
    bool Create();
    // Resolves host (an IPv4 or IPv6 address or a name, getaddrinfo) and connects to the first
    // address that answers within timeout. A name that does not resolve sets the error EINVAL.
    bool Connect(const std::string& host, std::uint16_t port,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // TLS handshake on the connected socket, verifying the server for host; error says why not.
    bool StartTls(const std::string& host, std::chrono::milliseconds timeout, std::string& error,
                  const std::string& pinnedCertificate = {});
    // Sends all bytes; false on failure or when the peer does not take them within timeout.
    bool Send(const char* data, std::size_t length, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Like recv: bytes read, 0 at the end of the stream, -1 with errno EAGAIN when nothing waits.
    long Receive(char* buffer, std::size_t capacity);
    // Waits up to wait for data or the end of the stream; false when the poll itself failed.
    bool PollReadable(bool& readable, std::chrono::milliseconds wait = std::chrono::milliseconds(0));
    void Close();

    bool IsOpen() const { return m_hSocket != kInvalidSocket; }
    // errno of the last failed operation.
    int GetLastError() const { return m_nLastError; }
    bool WasAborted() const { return m_nLastError == ECANCELED; }

private:
    bool CreateFor(int family);
    // poll() for one event until the deadline in slices, asking the abort check between them;
    // 1 ready, 0 timed out, -1 failed or aborted (m_nLastError says which).
    int WaitFor(short events, std::chrono::steady_clock::time_point deadline);

    SocketHandle m_hSocket = kInvalidSocket;
    int m_nLastError = 0;
    std::unique_ptr<CTlsStream> m_tls;
    std::function<bool()> m_abortCheck;
};
