#pragma once
#include <string>

// The SHA-256 of the PEM certificate in the file as 64 lowercase hex digits; empty when unreadable.
std::string CertificateFileFingerprint(const std::string& pemFile);
