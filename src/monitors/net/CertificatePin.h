#pragma once
// One server certificate an item trusts besides the system's, pinned by its SHA-256 fingerprint.
// Verification always runs in full; only when it fails and the server's own certificate is exactly
// the pinned one, names the host dialled, is the chain accepted. The fingerprint of a certificate
// that failed is kept, so the failure can show it (and the user can choose to trust it).
#include <string>

struct ssl_ctx_st;

struct CertificatePin
{
    std::string pinned; // 64 lowercase hex digits; empty: the system's trust alone
    std::string host;   // the name or address dialled
    std::string seen;   // the fingerprint of the server's certificate when verification failed
};

// Makes ctx verify through pin; pin must outlive every handshake on ctx.
void InstallCertificatePin(ssl_ctx_st* ctx, CertificatePin* pin);

// "SHA-256 指纹 AB:CD:…" for a failure text (ItemOptions' NormalizeFingerprint reads it back).
std::string FingerprintNote(const std::string& hex);
