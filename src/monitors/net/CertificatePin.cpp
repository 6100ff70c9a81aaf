#include "monitors/net/CertificatePin.h"

#include "util/UiText.h"

#include <arpa/inet.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace {

constexpr const char* kNotePrefix = WENDAR_TR_NOOP("CertificatePin", "SHA-256 指纹 ");

std::string Fingerprint(X509* cert)
{
    unsigned char digest[EVP_MAX_MD_SIZE] = {};
    unsigned int length = 0;
    if (cert == nullptr || X509_digest(cert, EVP_sha256(), digest, &length) != 1) {
        return {};
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 0x0f];
    }
    return hex;
}

bool NamesHost(X509* cert, const std::string& host)
{
    in6_addr address{};
    const bool ip = inet_pton(AF_INET, host.c_str(), &address) == 1 || inet_pton(AF_INET6, host.c_str(), &address) == 1;
    return ip ? X509_check_ip_asc(cert, host.c_str(), 0) == 1
              : X509_check_host(cert, host.c_str(), host.size(), X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS, nullptr) == 1;
}

int VerifyWithPin(X509_STORE_CTX* store, void* arg)
{
    if (X509_verify_cert(store) == 1) {
        return 1;
    }
    auto* pin = static_cast<CertificatePin*>(arg);
    X509* leaf = X509_STORE_CTX_get0_cert(store);
    pin->seen = Fingerprint(leaf);
    if (!pin->pinned.empty() && pin->seen == pin->pinned && NamesHost(leaf, pin->host)) {
        X509_STORE_CTX_set_error(store, X509_V_OK);
        return 1;
    }
    return 0;
}

} // namespace

void InstallCertificatePin(ssl_ctx_st* ctx, CertificatePin* pin)
{
    SSL_CTX_set_cert_verify_callback(ctx, &VerifyWithPin, pin);
}

std::string FingerprintNote(const std::string& hex)
{
    std::string note = UiText("CertificatePin", kNotePrefix);
    for (size_t i = 0; i < hex.size(); i += 2) {
        if (i > 0) {
            note += ':';
        }
        for (const char c : hex.substr(i, 2)) {
            note += static_cast<char>(c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c);
        }
    }
    return note;
}
