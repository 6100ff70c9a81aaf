#pragma once
#include <string>

// Writes a fresh self-signed certificate (PEM) and its key for one name, such as "DNS:localhost" or
// "IP:127.0.0.1"; false when openssl fails.
bool MakeSelfSignedCertificate(const std::string& certFile, const std::string& keyFile, const std::string& name);

// The SHA-256 of the PEM certificate in the file as 64 lowercase hex digits; empty when unreadable.
std::string CertificateFileFingerprint(const std::string& pemFile);
