#include "support/CertificateFile.h"

#include "support/ChildProcess.h"

#include <cstdio>
#include <openssl/pem.h>
#include <openssl/x509.h>

bool MakeSelfSignedCertificate(const std::string& certFile, const std::string& keyFile, const std::string& name)
{
    return RunChild({"/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                     "/CN=" + name.substr(name.find(':') + 1), "-addext", "subjectAltName=" + name, "-keyout", keyFile,
                     "-out", certFile},
                    {}, {.timeout = std::chrono::seconds(30)})
               .status == 0;
}

std::string CertificateFileFingerprint(const std::string& pemFile)
{
    FILE* file = std::fopen(pemFile.c_str(), "r");
    X509* cert = file ? PEM_read_X509(file, nullptr, nullptr, nullptr) : nullptr;
    if (file) {
        std::fclose(file);
    }
    unsigned char digest[EVP_MAX_MD_SIZE] = {};
    unsigned int length = 0;
    std::string hex;
    if (cert && X509_digest(cert, EVP_sha256(), digest, &length) == 1) {
        for (unsigned int i = 0; i < length; ++i) {
            char two[3];
            std::snprintf(two, sizeof two, "%02x", digest[i]);
            hex += two;
        }
    }
    X509_free(cert);
    return hex;
}
