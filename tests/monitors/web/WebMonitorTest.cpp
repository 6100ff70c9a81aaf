// The web page monitor end to end: a real HTTP server on 127.0.0.1, a real local store.
#include "monitors/WebMonitor.h"

#include "app/CRunState.h"
#include "app/CheckContext.h"
#include "store/ExcludeTable.h"
#include "support/HttpStallServer.h"
#include "support/HttpTestServer.h"
#include "support/TestStore.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kName = "新闻页";
constexpr const char* kFirstInfo = "第一次监测网页,保留一份网页副本";
constexpr const char* kChangedInfo = "网页内容更新了!";
constexpr const char* kStartGoneInfo = "网页有重大变化,您先前所设置的自动检查的起始点在新网页中已经不存在,"
                                       "请重新设置自动检查的起始和结束范围";
constexpr const char* kEndGoneInfo = "网页有重大变化,您先前所设置的自动检查的结束点在新网页中已经不存在,"
                                     "请重新设置自动检查的起始和结束范围";

std::string Join(const std::string& a, const std::string& b)
{
    return a + b;
}

class WebMonitorTest : public ::testing::Test
{
protected:
    WebMonitorTest()
    {
        m_run.SetStatusListener([this](const std::string& text) { m_statuses.push_back(text); });
        m_options.http.connectTimeoutSeconds = 2;
        m_options.http.stallTimeoutSeconds = 2;
    }

    MessageTypeInfo AddWebItem(const std::string& url, const std::string& from = {}, const std::string& to = {})
    {
        MessageTypeInfo item;
        item.MessageCategory = kCategoryWebPage;
        item.MessageTypeName = kName;
        item.connAddress = url;
        item.IncludeFrom = from;
        item.IncludeTo = to;
        return m_store.AddItem(item);
    }

    int Check(MessageTypeInfo& item)
    {
        m_statuses.clear();
        return CheckWebPage(m_ctx, item, true, m_options);
    }

    std::vector<MessageInfo> Messages(const MessageTypeInfo& item) { return m_store.Messages(item.messagetypeid); }

    std::string ReadDataFile(const std::string& name) const
    {
        std::ifstream file(m_store.appDir() + "data/" + name, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    TestStore m_store;
    CRunState m_run;
    CheckContext m_ctx{m_store.connection(), m_run, m_store.appDir()};
    WebCheckOptions m_options;
    std::vector<std::string> m_statuses;
    HttpTestServer m_server;
};

TEST_F(WebMonitorTest, FirstCheckStoresTheCopyAfterTwoGetsWithTheHeaderBlock)
{
    m_server.SetPage("/news.htm", " \r\n<html>\r\n<body>Hello</body>\n</html>\n\n");
    MessageTypeInfo item = AddWebItem(m_server.Url("/news.htm"));

    EXPECT_EQ(Check(item), 1);

    const auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.path, "/news.htm");
        EXPECT_EQ(request.Header("accept"), "text/*");
        EXPECT_EQ(request.Header("user-agent"), "morvaten-Application");
        EXPECT_EQ(request.Header("cache-control"), "no-cache");
    }
    const auto messages = Messages(item);
    ASSERT_EQ(messages.size(), 1u);
    const MessageInfo& m = messages[0];
    EXPECT_EQ(m.SourceInfo, kFirstInfo);
    EXPECT_EQ(m.SourceContent, "<html>\r<body>Hello</body></html>");
    EXPECT_EQ(m.SourceDate, "未知");
    EXPECT_EQ(m.SourceFromName, "检查软件");
    EXPECT_EQ(m.SourceLink, m_server.Url("/news.htm"));
    EXPECT_EQ(m.SourceID, "");
    EXPECT_EQ(m.SourceType, "");
    EXPECT_EQ(m.status, 0);
    EXPECT_EQ(item.m_nNewCount, 1);
    EXPECT_EQ(ReadDataFile("网页.htm"), m.SourceContent);
    EXPECT_EQ(ReadDataFile("数据.htm"), "");

    const std::string n = kName;
    const std::vector<std::string> expected = {
        "正在检查" + n + "->连接服务器",
        "正在检查" + n + "->正在从服务器下载",
        "正在检查" + n + "->正在读取服务器内容",
        "正在检查" + n + "->第二次正在从服务器下载",
        "正在检查" + n + "->第二次正在读取服务器内容",
        n + "->检查完毕",
        "正在检查" + n + "->正在比较新旧内容",
        n + "->检查完毕",
        n + "->保存新数据",
        n + "->检查完毕",
    };
    EXPECT_EQ(m_statuses, expected);
}

TEST_F(WebMonitorTest, OnlyTheSecondBodyIsUsed)
{
    m_server.SetPageSequence("/p.htm", {"first body", "second body"});
    MessageTypeInfo item = AddWebItem(m_server.Url("/p.htm"));
    ASSERT_EQ(Check(item), 1);
    EXPECT_EQ(Messages(item).at(0).SourceContent, "second body");
}

TEST_F(WebMonitorTest, UnchangedRegionStoresNothingAndAnyInnerChangeCounts)
{
    m_server.SetPage("/p.htm", "<p>Same text</p>");
    MessageTypeInfo item = AddWebItem(m_server.Url("/p.htm"));
    ASSERT_EQ(Check(item), 1);

    m_server.SetPage("/p.htm", "\n\n  <p>Same text</p>\t\n"); // white space at the ends only
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(Messages(item).size(), 1u);
    EXPECT_EQ(m_statuses.back(), std::string(kName) + "->检查完毕");
    EXPECT_EQ(ReadDataFile("网页.htm"), "<p>Same text</p>");
    EXPECT_EQ(ReadDataFile("数据.htm"), "");

    m_server.SetPage("/p.htm", "<p>Same Text</p>"); // letter case inside
    EXPECT_EQ(Check(item), 1);
    const auto messages = Messages(item);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].SourceInfo, kChangedInfo);
    EXPECT_EQ(ReadDataFile("网页.htm"), "<p>Same Text</p>");
    EXPECT_EQ(ReadDataFile("数据.htm"), "<p>Same text</p>");
    EXPECT_EQ(item.m_nNewCount, 2);
}

TEST_F(WebMonitorTest, ChangesInsideExclusionRangesAreNoChange)
{
    m_server.SetPage("/p.htm", "<h1>News</h1><!--ad-->Buy now<!--/ad--><p>A</p>[clock 10:00]");
    MessageTypeInfo item = AddWebItem(m_server.Url("/p.htm"));
    ASSERT_TRUE(SaveExcludeRanges(m_store.connection(), item.messagetypeid,
                                  {{0, "<!--ad-->", "<!--/ad-->"}, {0, "[clock", ""}}));
    ASSERT_EQ(Check(item), 1);
    EXPECT_EQ(Messages(item).at(0).SourceContent, "<h1>News</h1><!--ad--><!--/ad--><p>A</p>[clock");

    m_server.SetPage("/p.htm", "<h1>News</h1><!--ad-->Sell later<!--/ad--><p>A</p>[clock 10:05]");
    EXPECT_EQ(Check(item), 0);

    m_server.SetPage("/p.htm", "<h1>News</h1><!--ad-->Sell later<!--/ad--><p>B</p>[clock 10:06]");
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(Messages(item).size(), 2u);
}

TEST_F(WebMonitorTest, RegionLiesBetweenFirstStartMarkerAndTheEndMarkerAfterIt)
{
    m_server.SetPage("/p.htm", "head[END][BEGIN]one[END]x[BEGIN]two[END]tail");
    MessageTypeInfo item = AddWebItem(m_server.Url("/p.htm"), "[BEGIN]", "[END]");
    ASSERT_EQ(Check(item), 1);
    EXPECT_EQ(ReadDataFile("网页.htm"), "one");

    // Outside the region nothing counts; inside, everything does.
    m_server.SetPage("/p.htm", "HEAD[END][BEGIN]one[END]y[BEGIN]zwei[END]TAIL");
    EXPECT_EQ(Check(item), 0);
    m_server.SetPage("/p.htm", "HEAD[END][BEGIN]eins[END]");
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(Messages(item).back().SourceInfo, kChangedInfo);
}

TEST_F(WebMonitorTest, VanishedMarkerIsReportedOnceAndComparisonResumesWhenItReturns)
{
    m_server.SetPage("/p.htm", "<b>from</b>value 1<b>to</b>");
    MessageTypeInfo item = AddWebItem(m_server.Url("/p.htm"), "<b>from</b>", "<b>to</b>");
    ASSERT_EQ(Check(item), 1);

    // The end marker only before the start marker counts as missing.
    m_server.SetPage("/p.htm", "<b>to</b><b>from</b>value 2");
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(Messages(item).back().SourceInfo, kEndGoneInfo);
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(Messages(item).size(), 2u);

    m_server.SetPage("/p.htm", "no markers at all");
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(Messages(item).back().SourceInfo, kStartGoneInfo);
    EXPECT_EQ(Check(item), 0);

    m_server.SetPage("/p.htm", "<b>from</b>value 1<b>to</b>");
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(Messages(item).back().SourceInfo, kChangedInfo);
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(Messages(item).size(), 4u);
}

TEST_F(WebMonitorTest, FramesetFramesAreCheckedEachAgainstItsOwnCopy)
{
    m_server.SetPage("/dir/top.htm", "<html><frameset cols=\"50%,50%\"><frame src=\"left.htm\">"
                                     "<FRAME SRC=/dir/Right.htm></frameset></html>");
    m_server.SetPage("/dir/left.htm", "<!--s-->left 1<!--e-->");
    m_server.SetPage("/dir/Right.htm", "<!--s-->right 1<!--e-->");
    MessageTypeInfo item = AddWebItem(m_server.Url("/dir/top.htm"), "<!--s-->", "<!--e-->");

    // The frame loop stops at the first frame that stored something.
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(Check(item), 0);
    auto messages = Messages(item);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].SourceLink, "HTTP://127.0.0.1:" + std::to_string(m_server.port()) + "/dir/left.htm");
    EXPECT_EQ(messages[1].SourceLink, "http://127.0.0.1:" + std::to_string(m_server.port()) + "/dir/Right.htm");
    EXPECT_EQ(messages[1].SourceInfo, kFirstInfo);

    m_server.SetPage("/dir/Right.htm", "<!--s-->right 2<!--e-->");
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(Check(item), 0);
    messages = Messages(item);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[2].SourceLink, messages[1].SourceLink);
    EXPECT_EQ(messages[2].SourceInfo, kChangedInfo);
    EXPECT_EQ(m_server.RequestCount("/dir/top.htm"), 10);
}

TEST_F(WebMonitorTest, FramesetLeadingBackToItselfEndsAtTheDepthBound)
{
    m_server.SetPage("/loop.htm", "<frameset><frame src=loop.htm></frameset>");
    MessageTypeInfo item = AddWebItem(m_server.Url("/loop.htm"), "<!--s-->", "<!--e-->");
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_server.RequestCount("/loop.htm"), 2 * (1 + m_options.maxFrameDepth));
    EXPECT_TRUE(Messages(item).empty());
}

TEST_F(WebMonitorTest, FrameValueWithoutClosingQuoteFailsAndTheNextIsTried)
{
    m_server.SetPage("/top.htm", "<frameset><frame src=\"a.htm><frame src=b.htm></frameset>");
    m_server.SetPage("/b.htm", "[s]b[e]");
    MessageTypeInfo item = AddWebItem(m_server.Url("/top.htm"), "[s]", "[e]");
    EXPECT_EQ(Check(item), 1);
    const std::string failed = Join("检查", kName) + " 时发生意外错误：";
    EXPECT_TRUE(std::any_of(m_statuses.begin(), m_statuses.end(),
                            [&](const std::string& s) { return s.rfind(failed, 0) == 0; }));
    ASSERT_EQ(Messages(item).size(), 1u);
    EXPECT_EQ(Messages(item)[0].SourceContent, "[s]b[e]");
    EXPECT_EQ(m_server.RequestCount("/a.htm"), 0);
}

TEST_F(WebMonitorTest, ErrorStatusBodyIsPageText)
{
    MessageTypeInfo item = AddWebItem(m_server.Url("/missing.htm"));
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(Messages(item).at(0).SourceContent, "not found");
}

TEST_F(WebMonitorTest, GbkPageIsStoredByteForByte)
{
    const std::string gbk = "<p>\xD0\xC2\xCE\xC5\xD2\xB3 \xA1\xB0\xB2\xE2\xCA\xD4\xA1\xB1</p>"; // 新闻页 “测试”
    m_server.SetPage("/gbk.htm", gbk, 200, "text/html; charset=gb2312");
    MessageTypeInfo item = AddWebItem(m_server.Url("/gbk.htm"));
    ASSERT_EQ(Check(item), 1);
    EXPECT_EQ(Messages(item).at(0).SourceContent, gbk);
    EXPECT_EQ(ReadDataFile("网页.htm"), gbk);
    EXPECT_EQ(Check(item), 0);
}

TEST_F(WebMonitorTest, SilentServerEndsOnTheTimeoutAndAStopEndsItSooner)
{
    HttpStallServer silent;
    MessageTypeInfo item = AddWebItem(silent.Url("/p.htm"));
    auto begin = Clock::now();
    EXPECT_EQ(Check(item), 0);
    EXPECT_LT(Clock::now() - begin, std::chrono::seconds(6));
    EXPECT_EQ(m_run.GetStatusText().rfind(Join("检查", kName) + " 时发生意外错误：", 0), 0u) << m_run.GetStatusText();

    m_options.http.stallTimeoutSeconds = 60;
    Clock::time_point stopAt;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stopAt = Clock::now();
        m_run.RequestStop();
    });
    EXPECT_EQ(Check(item), 0);
    const auto ended = Clock::now();
    stopper.join();
    EXPECT_LT(ended - stopAt, std::chrono::seconds(1));
    EXPECT_EQ(m_run.GetStatusText(), Join("检查", kName) + " 时发生意外错误");
    EXPECT_TRUE(Messages(item).empty());
}

TEST_F(WebMonitorTest, EntryTestsAndBadUrlsChangeNothing)
{
    m_server.SetPage("/p.htm", "page");
    MessageTypeInfo item = AddWebItem(m_server.Url("/p.htm"));
    item.state = 0;
    EXPECT_EQ(Check(item), 0);
    EXPECT_TRUE(m_statuses.empty());

    item.state = 1;
    m_run.RequestStop();
    EXPECT_EQ(Check(item), 0);
    EXPECT_TRUE(m_statuses.empty());
    EXPECT_EQ(m_server.Requests().size(), 0u);
    m_run.EndRun();

    item.connAddress = "http://";
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText().rfind(Join("检查", kName) + " 时发生意外错误：", 0), 0u);
    EXPECT_TRUE(Messages(item).empty());
}

TEST_F(WebMonitorTest, HttpsAddressSpeaksTls)
{
    // A plain HTTP listener cannot complete a TLS handshake: the check fails with the client's reason.
    MessageTypeInfo item = AddWebItem("https://127.0.0.1:" + std::to_string(m_server.port()) + "/p.htm");
    EXPECT_EQ(Check(item), 0);
    const std::string status = m_run.GetStatusText();
    EXPECT_EQ(status.rfind(Join("检查", kName) + " 时发生意外错误：", 0), 0u) << status;
    EXPECT_NE(status.find("SSL"), std::string::npos) << status;
    EXPECT_EQ(m_server.RequestCount("/p.htm"), 0);
}

TEST_F(WebMonitorTest, LocalDatabaseFailureEndsTheCheckWithAnErrorText)
{
    m_server.SetPage("/p.htm", "page");
    MessageTypeInfo item = AddWebItem(m_server.Url("/p.htm"));
    m_store.connection().SetShowErrors(false);
    ASSERT_TRUE(m_store.connection().Execute("drop table userHttpExclude"));
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText(), Join("检查", kName) + " 时发生意外错误：本地数据库读写失败");
    EXPECT_EQ(item.m_nNewCount, 0);
}

TEST_F(WebMonitorTest, PageCopiesAreBestEffort)
{
    m_server.SetPage("/p.htm", "page");
    MessageTypeInfo item = AddWebItem(m_server.Url("/p.htm"));
    const std::filesystem::path data = m_store.appDir() + "data";
    std::filesystem::remove_all(data);
    ASSERT_EQ(Check(item), 1);
    EXPECT_EQ(ReadDataFile("网页.htm"), "page");

    // A file where the folder should be: no copies, but the check goes on.
    std::filesystem::remove_all(data);
    std::ofstream(data.string()) << "in the way";
    m_server.SetPage("/p.htm", "page 2");
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(Messages(item).size(), 2u);
}

} // namespace
