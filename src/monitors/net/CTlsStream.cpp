#include "monitors/net/CTlsStream.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>

namespace {

// OpenSSL writes with plain send(): a peer that has gone would raise SIGPIPE and end the
// program. Block it on this thread while writing and swallow one that arrived meanwhile.
class SigpipeGuard final
{
public:
    SigpipeGuard()
    {
        sigset_t pipeSet;
        sigemptyset(&pipeSet);
        sigaddset(&pipeSet, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipeSet, &m_old);
    }
    ~SigpipeGuard()
    {
        if (!m_wasPending) {
            sigset_t pending;
            sigpending(&pending);
            if (sigismember(&pending, SIGPIPE) == 1) {
                sigset_t pipeSet;
                sigemptyset(&pipeSet);
                sigaddset(&pipeSet, SIGPIPE);
                const timespec zero{};
                sigtimedwait(&pipeSet, nullptr, &zero);
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }
    SigpipeGuard(const SigpipeGuard&) = delete;
    SigpipeGuard& operator=(const SigpipeGuard&) = delete;

private:
    sigset_t m_old{};
    bool m_wasPending = false;
};

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(left);
}

// Waits for what OpenSSL asked for; false when the deadline passed or abort said so first.
bool WaitFor(int fd, int sslError, std::chrono::steady_clock::time_point deadline, const CTlsStream::AbortCheck& abort)
{
    pollfd p{fd, static_cast<short>(sslError == SSL_ERROR_WANT_WRITE ? POLLOUT : POLLIN), 0};
    for (;;) {
        if (abort && abort())
            return false;
        const int left = MillisecondsLeft(deadline);
        if (left == 0)
            return false;
        const int rc = poll(&p, 1, left < 100 ? left : 100);
        if (rc > 0)
            return true;
        if (rc < 0 && errno != EINTR)
            return false;
    }
}

std::string OpenSslReason()
{
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return {};
    if (const char* reason = ERR_reason_error_string(code))
        return reason;
    char text[256] = {};
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

bool IsIpAddress(const std::string& host)
{
    in_addr v4{};
    in6_addr v6{};
    return inet_pton(AF_INET, host.c_str(), &v4) == 1 || inet_pton(AF_INET6, host.c_str(), &v6) == 1;
}

} // namespace

void CTlsStream::CtxDeleter::operator()(ssl_ctx_st* ctx) const
{
    SSL_CTX_free(ctx);
}

void CTlsStream::SslDeleter::operator()(ssl_st* ssl) const
{
    SSL_free(ssl);
}

CTlsStream::CTlsStream() = default;
CTlsStream::~CTlsStream() = default;

bool CTlsStream::Handshake(int fd, const std::string& host, std::chrono::steady_clock::time_point deadline,
                           const AbortCheck& abort, std::string& error, const std::string& pinnedCertificate)
{
    ERR_clear_error();
    m_fd = fd;
    m_ctx.reset(SSL_CTX_new(TLS_client_method()));
    if (!m_ctx) {
        error = "cannot set up TLS: " + OpenSslReason();
        return false;
    }
    SSL_CTX_set_min_proto_version(m_ctx.get(), TLS1_2_VERSION);
    SSL_CTX_set_verify(m_ctx.get(), SSL_VERIFY_PEER, nullptr);
    m_pin = CertificatePin{pinnedCertificate, host, {}};
    InstallCertificatePin(m_ctx.get(), &m_pin);
    if (SSL_CTX_set_default_verify_paths(m_ctx.get()) != 1) {
        error = "cannot load the trusted certificates: " + OpenSslReason();
        return false;
    }
    m_ssl.reset(SSL_new(m_ctx.get()));
    if (!m_ssl || SSL_set_fd(m_ssl.get(), fd) != 1) {
        error = "cannot set up TLS: " + OpenSslReason();
        return false;
    }
    if (IsIpAddress(host)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(m_ssl.get()), host.c_str());
    } else {
        SSL_set_tlsext_host_name(m_ssl.get(), host.c_str());
        SSL_set_hostflags(m_ssl.get(), X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        if (SSL_set1_host(m_ssl.get(), host.c_str()) != 1) {
            error = "cannot set up TLS for the host name " + host;
            return false;
        }
    }

    const SigpipeGuard guard;
    for (;;) {
        const int rc = SSL_connect(m_ssl.get());
        if (rc == 1)
            return true;
        const int sslError = SSL_get_error(m_ssl.get(), rc);
        if (sslError == SSL_ERROR_WANT_READ || sslError == SSL_ERROR_WANT_WRITE) {
            if (!WaitFor(fd, sslError, deadline, abort)) {
                error = abort && abort() ? "stopped" : "no answer from the server";
                return false;
            }
            continue;
        }
        const long verify = SSL_get_verify_result(m_ssl.get());
        if (verify != X509_V_OK) {
            error = std::string(kUntrustedCertificateError) + " (" + X509_verify_cert_error_string(verify) + ")";
            if (!m_pin.seen.empty()) {
                error += " " + FingerprintNote(m_pin.seen);
            }
            ERR_clear_error();
        } else {
            error = OpenSslReason();
            if (error.empty())
                error = "the server closed the connection";
            else if (error == "wrong version number" || error == "packet length too long")
                error = "the server does not speak TLS on this port (" + error + ")";
        }
        return false;
    }
}

long CTlsStream::Read(char* buffer, std::size_t capacity)
{
    if (!m_ssl)
        return -1;
    const SigpipeGuard guard; // a read may answer a key update
    std::size_t got = 0;
    errno = 0;
    const int rc = SSL_read_ex(m_ssl.get(), buffer, capacity, &got);
    if (rc == 1)
        return static_cast<long>(got);
    const int sslError = SSL_get_error(m_ssl.get(), rc);
    ERR_clear_error();
    if (sslError == SSL_ERROR_WANT_READ || sslError == SSL_ERROR_WANT_WRITE) {
        errno = EAGAIN;
        return -1;
    }
    if (sslError == SSL_ERROR_ZERO_RETURN)
        return 0;
    if (sslError == SSL_ERROR_SYSCALL && errno == 0)
        return 0; // the peer closed without close_notify
    if (errno == 0 || errno == EAGAIN)
        errno = EPROTO;
    return -1;
}

bool CTlsStream::Write(const char* data, std::size_t length, std::chrono::steady_clock::time_point deadline,
                       const AbortCheck& abort)
{
    if (!m_ssl)
        return false;
    const SigpipeGuard guard;
    std::size_t done = 0;
    while (done < length) {
        std::size_t written = 0;
        const int rc = SSL_write_ex(m_ssl.get(), data + done, length - done, &written);
        if (rc == 1) {
            done += written;
            continue;
        }
        const int sslError = SSL_get_error(m_ssl.get(), rc);
        ERR_clear_error();
        if ((sslError != SSL_ERROR_WANT_READ && sslError != SSL_ERROR_WANT_WRITE) ||
            !WaitFor(m_fd, sslError, deadline, abort))
            return false;
    }
    return true;
}

bool CTlsStream::HasPending() const
{
    return m_ssl && SSL_has_pending(m_ssl.get()) == 1;
}

void CTlsStream::Shutdown()
{
    if (!m_ssl)
        return;
    const SigpipeGuard guard;
    SSL_shutdown(m_ssl.get());
    ERR_clear_error();
}
