// OpenSSL's functions as wendar calls them (the POP3 client's TLS and the certificate pin),
// forwarding to libssl.so.3 once a TLS connection is first set up (see OnDemandLibrary.h); the
// libcrypto functions are found through libssl, which brings it. Without the library no TLS
// connection is set up, and the error queue holds one error whose text names the library and why
// it could not be loaded.
#include "gui/ondemand/OnDemandLibrary.h"

#include <cstdio>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace {

OnDemandLibrary& Ssl()
{
    static OnDemandLibrary library("libssl.so.3");
    return library;
}

// The one error of a library that could not be opened; any non-zero code would do.
constexpr unsigned long kNotLoaded = 1;

} // namespace

unsigned long ERR_get_error()
{
    static auto* const real = Ssl().Find<decltype(ERR_get_error)>("ERR_get_error");
    return real != nullptr ? real() : kNotLoaded;
}

void ERR_clear_error()
{
    static auto* const real = Ssl().Find<decltype(ERR_clear_error)>("ERR_clear_error");
    if (real != nullptr) {
        real();
    }
}

const char* ERR_reason_error_string(unsigned long code)
{
    static auto* const real = Ssl().Find<decltype(ERR_reason_error_string)>("ERR_reason_error_string");
    return real != nullptr ? real(code) : Ssl().Error();
}

void ERR_error_string_n(unsigned long code, char* text, size_t capacity)
{
    static auto* const real = Ssl().Find<decltype(ERR_error_string_n)>("ERR_error_string_n");
    if (real != nullptr) {
        real(code, text, capacity);
    } else if (capacity > 0) {
        std::snprintf(text, capacity, "%s", Ssl().Error());
    }
}

const char* X509_verify_cert_error_string(long code)
{
    static auto* const real = Ssl().Find<decltype(X509_verify_cert_error_string)>("X509_verify_cert_error_string");
    return real != nullptr ? real(code) : Ssl().Error();
}

const EVP_MD* EVP_sha256()
{
    static auto* const real = Ssl().Find<decltype(EVP_sha256)>("EVP_sha256");
    return real != nullptr ? real() : nullptr;
}

const SSL_METHOD* TLS_client_method()
{
    static auto* const real = Ssl().Find<decltype(TLS_client_method)>("TLS_client_method");
    return real != nullptr ? real() : nullptr;
}

SSL_CTX* SSL_CTX_new(const SSL_METHOD* method)
{
    static auto* const real = Ssl().Find<decltype(SSL_CTX_new)>("SSL_CTX_new");
    return real != nullptr ? real(method) : nullptr;
}

void SSL_CTX_free(SSL_CTX* context)
{
    static auto* const real = Ssl().Find<decltype(SSL_CTX_free)>("SSL_CTX_free");
    if (real != nullptr) {
        real(context);
    }
}

long SSL_CTX_ctrl(SSL_CTX* context, int command, long number, void* pointer)
{
    static auto* const real = Ssl().Find<decltype(SSL_CTX_ctrl)>("SSL_CTX_ctrl");
    return real != nullptr ? real(context, command, number, pointer) : 0;
}

void SSL_CTX_set_cert_verify_callback(SSL_CTX* context, int (*verify)(X509_STORE_CTX*, void*), void* argument)
{
    static auto* const real =
        Ssl().Find<decltype(SSL_CTX_set_cert_verify_callback)>("SSL_CTX_set_cert_verify_callback");
    if (real != nullptr) {
        real(context, verify, argument);
    }
}

int SSL_CTX_set_default_verify_paths(SSL_CTX* context)
{
    static auto* const real =
        Ssl().Find<decltype(SSL_CTX_set_default_verify_paths)>("SSL_CTX_set_default_verify_paths");
    return real != nullptr ? real(context) : 0;
}

void SSL_CTX_set_verify(SSL_CTX* context, int mode, SSL_verify_cb verify)
{
    static auto* const real = Ssl().Find<decltype(SSL_CTX_set_verify)>("SSL_CTX_set_verify");
    if (real != nullptr) {
        real(context, mode, verify);
    }
}

SSL* SSL_new(SSL_CTX* context)
{
    static auto* const real = Ssl().Find<decltype(SSL_new)>("SSL_new");
    return real != nullptr ? real(context) : nullptr;
}

void SSL_free(SSL* ssl)
{
    static auto* const real = Ssl().Find<decltype(SSL_free)>("SSL_free");
    if (real != nullptr) {
        real(ssl);
    }
}

long SSL_ctrl(SSL* ssl, int command, long number, void* pointer)
{
    static auto* const real = Ssl().Find<decltype(SSL_ctrl)>("SSL_ctrl");
    return real != nullptr ? real(ssl, command, number, pointer) : 0;
}

int SSL_set_fd(SSL* ssl, int fd)
{
    static auto* const real = Ssl().Find<decltype(SSL_set_fd)>("SSL_set_fd");
    return real != nullptr ? real(ssl, fd) : 0;
}

X509_VERIFY_PARAM* SSL_get0_param(SSL* ssl)
{
    static auto* const real = Ssl().Find<decltype(SSL_get0_param)>("SSL_get0_param");
    return real != nullptr ? real(ssl) : nullptr;
}

void SSL_set_hostflags(SSL* ssl, unsigned int flags)
{
    static auto* const real = Ssl().Find<decltype(SSL_set_hostflags)>("SSL_set_hostflags");
    if (real != nullptr) {
        real(ssl, flags);
    }
}

int SSL_set1_host(SSL* ssl, const char* host)
{
    static auto* const real = Ssl().Find<decltype(SSL_set1_host)>("SSL_set1_host");
    return real != nullptr ? real(ssl, host) : 0;
}

int SSL_connect(SSL* ssl)
{
    static auto* const real = Ssl().Find<decltype(SSL_connect)>("SSL_connect");
    return real != nullptr ? real(ssl) : -1;
}

int SSL_get_error(const SSL* ssl, int result)
{
    static auto* const real = Ssl().Find<decltype(SSL_get_error)>("SSL_get_error");
    return real != nullptr ? real(ssl, result) : SSL_ERROR_SSL;
}

long SSL_get_verify_result(const SSL* ssl)
{
    static auto* const real = Ssl().Find<decltype(SSL_get_verify_result)>("SSL_get_verify_result");
    return real != nullptr ? real(ssl) : X509_V_ERR_UNSPECIFIED;
}

int SSL_read_ex(SSL* ssl, void* buffer, size_t capacity, size_t* got)
{
    static auto* const real = Ssl().Find<decltype(SSL_read_ex)>("SSL_read_ex");
    return real != nullptr ? real(ssl, buffer, capacity, got) : 0;
}

int SSL_write_ex(SSL* ssl, const void* data, size_t length, size_t* written)
{
    static auto* const real = Ssl().Find<decltype(SSL_write_ex)>("SSL_write_ex");
    return real != nullptr ? real(ssl, data, length, written) : 0;
}

int SSL_has_pending(const SSL* ssl)
{
    static auto* const real = Ssl().Find<decltype(SSL_has_pending)>("SSL_has_pending");
    return real != nullptr ? real(ssl) : 0;
}

int SSL_shutdown(SSL* ssl)
{
    static auto* const real = Ssl().Find<decltype(SSL_shutdown)>("SSL_shutdown");
    return real != nullptr ? real(ssl) : -1;
}

X509* X509_STORE_CTX_get0_cert(const X509_STORE_CTX* store)
{
    static auto* const real = Ssl().Find<decltype(X509_STORE_CTX_get0_cert)>("X509_STORE_CTX_get0_cert");
    return real != nullptr ? real(store) : nullptr;
}

void X509_STORE_CTX_set_error(X509_STORE_CTX* store, int error)
{
    static auto* const real = Ssl().Find<decltype(X509_STORE_CTX_set_error)>("X509_STORE_CTX_set_error");
    if (real != nullptr) {
        real(store, error);
    }
}

int X509_verify_cert(X509_STORE_CTX* store)
{
    static auto* const real = Ssl().Find<decltype(X509_verify_cert)>("X509_verify_cert");
    return real != nullptr ? real(store) : -1;
}

int X509_VERIFY_PARAM_set1_ip_asc(X509_VERIFY_PARAM* parameters, const char* address)
{
    static auto* const real = Ssl().Find<decltype(X509_VERIFY_PARAM_set1_ip_asc)>("X509_VERIFY_PARAM_set1_ip_asc");
    return real != nullptr ? real(parameters, address) : 0;
}

int X509_check_host(X509* certificate, const char* host, size_t length, unsigned int flags, char** matched)
{
    static auto* const real = Ssl().Find<decltype(X509_check_host)>("X509_check_host");
    return real != nullptr ? real(certificate, host, length, flags, matched) : 0;
}

int X509_check_ip_asc(X509* certificate, const char* address, unsigned int flags)
{
    static auto* const real = Ssl().Find<decltype(X509_check_ip_asc)>("X509_check_ip_asc");
    return real != nullptr ? real(certificate, address, flags) : 0;
}

int X509_digest(const X509* certificate, const EVP_MD* type, unsigned char* digest, unsigned int* length)
{
    static auto* const real = Ssl().Find<decltype(X509_digest)>("X509_digest");
    return real != nullptr ? real(certificate, type, digest, length) : 0;
}
