// One trusted certificate besides the system's: a real HTTPS server on 127.0.0.1 with a
// self-signed certificate the system does not know.
#include "monitors/net/CertificatePin.h"

#include "monitors/net/CCurlDriver.h"
#include "monitors/web/CHttpRequest.h"
#include "store/ItemOptions.h"
#include "support/CertificateFile.h"
#include "support/TestStore.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <httplib.h>
#include <thread>

// The failure names the certificate; pinned by that name it is trusted, by any other not; and what
// the pin let in is not reused by a request without it on the same driver.
TEST(CertificatePinning, AnUntrustedCertificateIsNamedAndTrustedOnlyWhenPinnedByExactlyThatName)
{
    TempDir dir;
    const std::string cert = dir.path() + "cert.pem", key = dir.path() + "key.pem";
    ASSERT_EQ(std::system(("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 -addext "
                           "subjectAltName=IP:127.0.0.1 -keyout '" +
                           key + "' -out '" + cert + "' 2>/dev/null")
                              .c_str()),
              0);
    const std::string fingerprint = CertificateFileFingerprint(cert);
    ASSERT_EQ(fingerprint.size(), 64u);
    httplib::SSLServer server(cert.c_str(), key.c_str());
    server.Get("/p.htm", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<p>pinned</p>", "text/html");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port, 0);
    std::thread serving([&] { server.listen_after_bind(); });

    CCurlDriver driver;
    std::string body, error;
    const auto get = [&](const std::string& pin) {
        CHttpRequest request(HttpLimits{}, nullptr, &driver);
        request.SetPinnedCertificate(pin);
        UrlParts url;
        EXPECT_TRUE(SplitUrl("https://127.0.0.1:" + std::to_string(port) + "/p.htm", url, error)) << error;
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
    server.stop();
    serving.join();
}
