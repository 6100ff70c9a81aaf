#pragma once
// TLS on a connected non-blocking socket (OpenSSL), for POP3 over TLS. The server's certificate is
// verified against the system's trust store (OpenSSL's default paths, which honour SSL_CERT_FILE
// and SSL_CERT_DIR) and against the host name or IP address that was dialled; an item may trust
// one more certificate by its fingerprint (CertificatePin.h).
#include "monitors/net/CertificatePin.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

struct ssl_ctx_st;
struct ssl_st;

// How a handshake error begins when the server's certificate is not trusted.
inline constexpr const char* kUntrustedCertificateError = "certificate verify failed";

class CTlsStream final
{
public:
    CTlsStream();
    ~CTlsStream();
    CTlsStream(const CTlsStream&) = delete;
    CTlsStream& operator=(const CTlsStream&) = delete;

    using AbortCheck = std::function<bool()>;
    // Runs the handshake until the deadline, or until abort (asked every tenth of a second) says
    // so; on failure error says why.
    // pinnedCertificate: see CertificatePin; an untrusted certificate's failure names its fingerprint.
    bool Handshake(int fd, const std::string& host, std::chrono::steady_clock::time_point deadline,
                   const AbortCheck& abort, std::string& error, const std::string& pinnedCertificate = {});
    // Like recv: bytes read, 0 at the end of the stream, -1 with errno EAGAIN when nothing is
    // there yet, -1 with another errno on failure.
    long Read(char* buffer, std::size_t capacity);
    // Writes everything or fails; false on failure or when the deadline passes.
    bool Write(const char* data, std::size_t length, std::chrono::steady_clock::time_point deadline,
               const AbortCheck& abort);
    // Decrypted bytes waiting inside the stream.
    bool HasPending() const;
    // Sends close_notify without waiting for the server's.
    void Shutdown();

private:
    struct CtxDeleter
    {
        void operator()(ssl_ctx_st* ctx) const;
    };
    struct SslDeleter
    {
        void operator()(ssl_st* ssl) const;
    };
    std::unique_ptr<ssl_ctx_st, CtxDeleter> m_ctx;
    std::unique_ptr<ssl_st, SslDeleter> m_ssl;
    int m_fd = -1;
    CertificatePin m_pin;
};
