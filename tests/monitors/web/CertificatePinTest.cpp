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

namespace {

class CertificatePinning : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<TempDir>();
        const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 "
                                    "-addext subjectAltName=IP:127.0.0.1 -keyout '" +
                                    s_dir->path() + "key.pem' -out '" + s_dir->path() + "cert.pem' 2>/dev/null";
        if (std::system(command.c_str()) != 0) {
            return;
        }
        s_server = std::make_unique<httplib::SSLServer>((s_dir->path() + "cert.pem").c_str(),
                                                        (s_dir->path() + "key.pem").c_str());
        s_server->Get("/p.htm", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<p>pinned</p>", "text/html");
        });
        s_port = s_server->bind_to_any_port("127.0.0.1");
        s_thread = std::thread([] { s_server->listen_after_bind(); });
    }
    static void TearDownTestSuite()
    {
        if (s_server) {
            s_server->stop();
            s_thread.join();
        }
        s_server.reset();
        s_dir.reset();
    }
    void SetUp() override { ASSERT_TRUE(s_server && s_port > 0) << "no HTTPS test server (openssl missing?)"; }

    CHttpRequest::Outcome Get(const std::string& pin, CCurlDriver* driver, std::string& body, std::string& error)
    {
        CHttpRequest request(HttpLimits{}, nullptr, driver);
        request.SetPinnedCertificate(pin);
        UrlParts url;
        std::string split;
        EXPECT_TRUE(SplitUrl("https://127.0.0.1:" + std::to_string(s_port) + "/p.htm", url, split)) << split;
        const auto outcome = request.Get(url, body);
        error = request.ErrorText();
        return outcome;
    }

    static inline std::unique_ptr<TempDir> s_dir;
    static inline std::unique_ptr<httplib::SSLServer> s_server;
    static inline std::thread s_thread;
    static inline int s_port = 0;
};

} // namespace

// The failure names the certificate; pinned by that name it is trusted, by any other not; and what
// the pin let in is not reused by a request without it on the same driver.
TEST_F(CertificatePinning, AnUntrustedCertificateIsNamedAndTrustedOnlyWhenPinnedByExactlyThatName)
{
    const std::string fingerprint = CertificateFileFingerprint(s_dir->path() + "cert.pem");
    ASSERT_EQ(fingerprint.size(), 64u);
    CCurlDriver driver;
    std::string body;
    std::string error;
    ASSERT_EQ(Get({}, &driver, body, error), CHttpRequest::Outcome::Failed);
    EXPECT_NE(error.find("证书不可信"), std::string::npos) << error;
    EXPECT_NE(error.find(FingerprintNote(fingerprint)), std::string::npos) << error;
    EXPECT_EQ(FingerprintInText(error), fingerprint);

    ASSERT_EQ(Get(fingerprint, &driver, body, error), CHttpRequest::Outcome::Done) << error;
    EXPECT_EQ(body, "<p>pinned</p>");
    EXPECT_EQ(Get({}, &driver, body, error), CHttpRequest::Outcome::Failed);

    std::string other = fingerprint;
    other[0] = other[0] == '0' ? '1' : '0';
    EXPECT_EQ(Get(other, &driver, body, error), CHttpRequest::Outcome::Failed);
    EXPECT_EQ(FingerprintInText(error), fingerprint);
}
