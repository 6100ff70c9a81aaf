// One page GET against a real HTTP server on 127.0.0.1. Status codes, byte-exact bodies, time-outs
// and stops are tested through the monitor (WebMonitorTest).
#include "monitors/CHttpRequest.h"
#include "support/HttpStallServer.h"
#include "support/HttpTestServer.h"

#include <gtest/gtest.h>

namespace {

UrlParts Split(const std::string& url)
{
    UrlParts parts;
    std::string error;
    EXPECT_TRUE(SplitUrl(url, parts, error)) << error;
    return parts;
}

TEST(HttpRequestTest, SendsHeaderBlockAndNoCacheAndJoinsLines)
{
    HttpTestServer server;
    server.SetPage("/p.htm", std::string("line1\r\nline2\nli\0ne3\n", 20));
    CHttpRequest request(HttpLimits{}, {});
    std::string body;
    int responses = 0;
    ASSERT_EQ(request.Get(Split(server.Url("/p.htm")), body, [&] { ++responses; }), CHttpRequest::Outcome::Done)
        << request.ErrorText();
    EXPECT_EQ(body, "line1\rline2line3");
    EXPECT_EQ(responses, 1);
    EXPECT_EQ(request.ResponseCode(), 200);

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Header("accept"), "text/*");
    EXPECT_EQ(requests[0].Header("user-agent"), "morvaten-Application");
    EXPECT_EQ(requests[0].Header("cache-control"), "no-cache");
    EXPECT_EQ(requests[0].Header("pragma"), "no-cache");
}

TEST(HttpRequestTest, RefusedConnectionAndOversizedBodyFailWithReason)
{
    int port = 0;
    {
        HttpStallServer closed;
        port = closed.port();
    }
    CHttpRequest request(HttpLimits{}, {});
    std::string body;
    EXPECT_EQ(request.Get(Split("http://127.0.0.1:" + std::to_string(port) + "/"), body),
              CHttpRequest::Outcome::Failed);
    EXPECT_FALSE(request.ErrorText().empty());

    HttpTestServer server;
    server.SetPage("/big.htm", std::string(5000, 'x'));
    HttpLimits small;
    small.maxBodyBytes = 4096;
    CHttpRequest limited(small, {});
    EXPECT_EQ(limited.Get(Split(server.Url("/big.htm")), body), CHttpRequest::Outcome::Failed);
    EXPECT_NE(limited.ErrorText().find("4096"), std::string::npos) << limited.ErrorText();
    EXPECT_TRUE(body.empty());
}

} // namespace
