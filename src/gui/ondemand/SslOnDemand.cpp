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
    FORWARD_OR(Ssl(), ERR_get_error, kNotLoaded);
}

void ERR_clear_error()
{
    FORWARD(Ssl(), ERR_clear_error);
}

const char* ERR_reason_error_string(unsigned long code)
{
    FORWARD_OR(Ssl(), ERR_reason_error_string, Ssl().Error(), code);
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
    FORWARD_OR(Ssl(), X509_verify_cert_error_string, Ssl().Error(), code);
}

const EVP_MD* EVP_sha256()
{
    FORWARD_OR(Ssl(), EVP_sha256, nullptr);
}

const SSL_METHOD* TLS_client_method()
{
    FORWARD_OR(Ssl(), TLS_client_method, nullptr);
}

SSL_CTX* SSL_CTX_new(const SSL_METHOD* method)
{
    FORWARD_OR(Ssl(), SSL_CTX_new, nullptr, method);
}

void SSL_CTX_free(SSL_CTX* context)
{
    FORWARD(Ssl(), SSL_CTX_free, context);
}

long SSL_CTX_ctrl(SSL_CTX* context, int command, long number, void* pointer)
{
    FORWARD_OR(Ssl(), SSL_CTX_ctrl, 0, context, command, number, pointer);
}

void SSL_CTX_set_cert_verify_callback(SSL_CTX* context, int (*verify)(X509_STORE_CTX*, void*), void* argument)
{
    FORWARD(Ssl(), SSL_CTX_set_cert_verify_callback, context, verify, argument);
}

int SSL_CTX_set_default_verify_paths(SSL_CTX* context)
{
    FORWARD_OR(Ssl(), SSL_CTX_set_default_verify_paths, 0, context);
}

void SSL_CTX_set_verify(SSL_CTX* context, int mode, SSL_verify_cb verify)
{
    FORWARD(Ssl(), SSL_CTX_set_verify, context, mode, verify);
}

SSL* SSL_new(SSL_CTX* context)
{
    FORWARD_OR(Ssl(), SSL_new, nullptr, context);
}

void SSL_free(SSL* ssl)
{
    FORWARD(Ssl(), SSL_free, ssl);
}

long SSL_ctrl(SSL* ssl, int command, long number, void* pointer)
{
    FORWARD_OR(Ssl(), SSL_ctrl, 0, ssl, command, number, pointer);
}

int SSL_set_fd(SSL* ssl, int fd)
{
    FORWARD_OR(Ssl(), SSL_set_fd, 0, ssl, fd);
}

X509_VERIFY_PARAM* SSL_get0_param(SSL* ssl)
{
    FORWARD_OR(Ssl(), SSL_get0_param, nullptr, ssl);
}

void SSL_set_hostflags(SSL* ssl, unsigned int flags)
{
    FORWARD(Ssl(), SSL_set_hostflags, ssl, flags);
}

int SSL_set1_host(SSL* ssl, const char* host)
{
    FORWARD_OR(Ssl(), SSL_set1_host, 0, ssl, host);
}

int SSL_connect(SSL* ssl)
{
    FORWARD_OR(Ssl(), SSL_connect, -1, ssl);
}

int SSL_get_error(const SSL* ssl, int result)
{
    FORWARD_OR(Ssl(), SSL_get_error, SSL_ERROR_SSL, ssl, result);
}

long SSL_get_verify_result(const SSL* ssl)
{
    FORWARD_OR(Ssl(), SSL_get_verify_result, X509_V_ERR_UNSPECIFIED, ssl);
}

int SSL_read_ex(SSL* ssl, void* buffer, size_t capacity, size_t* got)
{
    FORWARD_OR(Ssl(), SSL_read_ex, 0, ssl, buffer, capacity, got);
}

int SSL_write_ex(SSL* ssl, const void* data, size_t length, size_t* written)
{
    FORWARD_OR(Ssl(), SSL_write_ex, 0, ssl, data, length, written);
}

int SSL_has_pending(const SSL* ssl)
{
    FORWARD_OR(Ssl(), SSL_has_pending, 0, ssl);
}

int SSL_shutdown(SSL* ssl)
{
    FORWARD_OR(Ssl(), SSL_shutdown, -1, ssl);
}

X509* X509_STORE_CTX_get0_cert(const X509_STORE_CTX* store)
{
    FORWARD_OR(Ssl(), X509_STORE_CTX_get0_cert, nullptr, store);
}

void X509_STORE_CTX_set_error(X509_STORE_CTX* store, int error)
{
    FORWARD(Ssl(), X509_STORE_CTX_set_error, store, error);
}

int X509_verify_cert(X509_STORE_CTX* store)
{
    FORWARD_OR(Ssl(), X509_verify_cert, -1, store);
}

int X509_VERIFY_PARAM_set1_ip_asc(X509_VERIFY_PARAM* parameters, const char* address)
{
    FORWARD_OR(Ssl(), X509_VERIFY_PARAM_set1_ip_asc, 0, parameters, address);
}

int X509_check_host(X509* certificate, const char* host, size_t length, unsigned int flags, char** matched)
{
    FORWARD_OR(Ssl(), X509_check_host, 0, certificate, host, length, flags, matched);
}

int X509_check_ip_asc(X509* certificate, const char* address, unsigned int flags)
{
    FORWARD_OR(Ssl(), X509_check_ip_asc, 0, certificate, address, flags);
}

int X509_digest(const X509* certificate, const EVP_MD* type, unsigned char* digest, unsigned int* length)
{
    FORWARD_OR(Ssl(), X509_digest, 0, certificate, type, digest, length);
}
