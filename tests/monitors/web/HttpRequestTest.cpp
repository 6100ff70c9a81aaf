// One page GET against a real HTTP server on 127.0.0.1, and against a server that never answers.
#include "monitors/CHttpRequest.h"
#include "support/HttpStallServer.h"
#include "support/HttpTestServer.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

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

TEST(HttpRequestTest, ErrorStatusBodyIsThePageAndBytesArriveUnchanged)
{
    HttpTestServer server;
    // "网页" in GBK, plus bytes that are no valid UTF-8.
    const std::string gbk = "\xCD\xF8\xD2\xB3\xFF\x80";
    server.SetPage("/gbk.htm", gbk, 200, "text/html; charset=gbk");
    CHttpRequest request(HttpLimits{}, {});
    std::string body;
    ASSERT_EQ(request.Get(Split(server.Url("/gbk.htm")), body), CHttpRequest::Outcome::Done);
    EXPECT_EQ(body, gbk);

    ASSERT_EQ(request.Get(Split(server.Url("/missing.htm")), body), CHttpRequest::Outcome::Done);
    EXPECT_EQ(request.ResponseCode(), 404);
    EXPECT_EQ(body, "not found");
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

TEST(HttpRequestTest, SilentServerEndsOnStallTimeout)
{
    HttpStallServer server;
    HttpLimits limits;
    limits.stallTimeoutSeconds = 2;
    CHttpRequest request(limits, {});
    std::string body;
    const auto begin = Clock::now();
    EXPECT_EQ(request.Get(Split(server.Url("/")), body), CHttpRequest::Outcome::Failed);
    const auto elapsed = Clock::now() - begin;
    EXPECT_GE(elapsed, std::chrono::milliseconds(1500));
    EXPECT_LT(elapsed, std::chrono::seconds(6));
    EXPECT_EQ(server.AcceptedCount(), 1);
    EXPECT_FALSE(request.ErrorText().empty());
}

TEST(HttpRequestTest, StopRequestEndsTransferWithinASecond)
{
    HttpStallServer server;
    std::atomic<bool> stop{false};
    CHttpRequest request(HttpLimits{}, [&stop] { return stop.load(); });
    Clock::time_point stopAt;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stopAt = Clock::now();
        stop = true;
    });
    std::string body;
    const auto outcome = request.Get(Split(server.Url("/")), body);
    const auto ended = Clock::now();
    stopper.join();
    EXPECT_EQ(outcome, CHttpRequest::Outcome::Stopped);
    EXPECT_LT(ended - stopAt, std::chrono::seconds(1));
}

} // namespace
