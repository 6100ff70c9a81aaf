// One trusted certificate besides the system's: a real HTTPS server on 127.0.0.1 with a
// self-signed certificate the system does not know.
#include "monitors/net/CertificatePin.h"

#include "monitors/net/CCurlDriver.h"
#include "monitors/web/CHttpRequest.h"
#include "store/ItemOptions.h"
#include "support/CertificateFile.h"
#include "support/PageServer.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>

// The failure names the certificate; pinned by that name it is trusted, by any other not; and what
// the pin let in is not reused by a request without it on the same driver.
TEST(CertificatePinning, AnUntrustedCertificateIsNamedAndTrustedOnlyWhenPinnedByExactlyThatName)
{
    TempDir dir;
    const std::string cert = dir.path() + "cert.pem", key = dir.path() + "key.pem";
    ASSERT_TRUE(MakeSelfSignedCertificate(cert, key, "IP:127.0.0.1"));
    const std::string fingerprint = CertificateFileFingerprint(cert);
    ASSERT_EQ(fingerprint.size(), 64u);
    PageServer server(cert, key);
    const std::string page = server.SetPage("/p.htm", "<p>pinned</p>");

    CCurlDriver driver;
    std::string body, error;
    const auto get = [&](const std::string& pin) {
        CHttpRequest request(HttpLimits{}, nullptr, &driver);
        request.SetPinnedCertificate(pin);
        UrlParts url;
        EXPECT_TRUE(SplitUrl(page, url, error)) << error;
        const auto outcome = request.Get(url, body);
        error = request.ErrorText();
        return outcome;
    };
    EXPECT_EQ(get({}), CHttpRequest::Outcome::Failed);
    EXPECT_NE(error.find("证书不可信"), std::string::npos) << error;
    EXPECT_NE(error.find(FingerprintNote(fingerprint)), std::string::npos) << error;
    EXPECT_EQ(FingerprintInText(error), fingerprint);

    EXPECT_EQ(get(fingerprint), CHttpRequest::Outcome::Done) << error;
    EXPECT_EQ(body, "<p>pinned</p>");
    EXPECT_EQ(get({}), CHttpRequest::Outcome::Failed);

    std::string other = fingerprint;
    other[0] = other[0] == '0' ? '1' : '0';
    EXPECT_EQ(get(other), CHttpRequest::Outcome::Failed);
    EXPECT_EQ(FingerprintInText(error), fingerprint);
}
