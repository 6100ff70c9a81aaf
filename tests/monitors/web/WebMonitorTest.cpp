// The web page monitor end to end: a real HTTP server on 127.0.0.1, a real local store.
#include "monitors/web/WebMonitor.h"

#include "app/ItemStore.h"
#include "app/TestFiles.h"
#include "monitors/CheckContext.h"
#include "monitors/StopLatency.h"
#include "store/CAdoConnection.h"
#include "store/ExcludeTable.h"
#include "store/MessageTable.h"
#include "store/SourceRowInfo.h"
#include "support/CountingHttpServer.h"
#include "support/FullBacklogServer.h"
#include "support/PageServer.h"
#include "support/ScriptedLineServer.h"
#include "support/TestStore.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using Clock = std::chrono::steady_clock;

const std::string kName = "新闻页";
const std::string kFailed = "检查" + kName + " 时发生意外错误";
const std::string kFirstInfo = "第一次监测网页,保留一份网页副本";
const std::string kChangedInfo = "网页内容更新了!";
const auto GoneInfo = [](const std::string& marker) {
    return "网页有重大变化,您先前所设置的自动检查的" + marker +
           "点在新网页中已经不存在,请重新设置自动检查的起始和结束范围";
};
const std::string kStartGoneInfo = GoneInfo("起始"), kEndGoneInfo = GoneInfo("结束");

// Pages are declared GB2312 unless a test says otherwise, as the sites this program watches mostly are.
class WebMonitorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_run.SetStatusListener([this](const std::string& text) { m_statuses += text + "\n"; });
    }
    // The page's URL.
    std::string SetPage(const std::string& path, const std::string& body,
                        const std::string& type = "text/html; charset=gb2312")
    {
        return m_http.SetPage(path, body, type);
    }
    std::vector<httplib::Request> Requests() { return m_http.Requests(); }
    std::string Url(const std::string& path) const { return m_http.Url(path); }
    long RequestsOf(const std::string& path) { return std::ranges::count(Requests(), path, &httplib::Request::path); }
    MessageTypeInfo AddWebItem(const std::string& url, const std::string& from = {}, const std::string& to = {})
    {
        MessageTypeInfo item = NewItem(kName, kCategoryWebPage, url);
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
    std::string ReadDataFile(const std::string& name) const { return ReadFile(m_store.appDir() + "data/" + name); }

    TestStore m_store;
    CRunState m_run;
    CheckContext m_ctx{m_store.connection(), m_run, m_store.appDir()};
    WebCheckOptions m_options{{.connectTimeoutSeconds = 5, .stallTimeoutSeconds = 5}};
    std::string m_statuses; // one line each
    PageServer m_http;
};

TEST_F(WebMonitorTest, FirstCheckStoresThePageOfOneGetWithTheHeaderBlockAndADisabledItemSendsNothing)
{
    // Line feeds and NUL bytes are dropped, carriage returns kept, the ends trimmed.
    MessageTypeInfo item = AddWebItem(SetPage("/news.htm", " \r\n<html>\r\n<body>Hel\0lo</body>\n</html>\n\n"s));

    EXPECT_EQ(Check(item), 1);
    ASSERT_EQ(Requests().size(), 1u);
    const httplib::Request r = Requests()[0];
    EXPECT_EQ((std::vector<std::string>{r.path, r.get_header_value("Accept"), r.get_header_value("User-Agent"),
                                        r.get_header_value("Cache-Control"), r.get_header_value("Pragma")}),
              (std::vector<std::string>{"/news.htm", "text/*", "morvaten-Application", "no-cache", "no-cache"}));
    ASSERT_EQ(Messages(item).size(), 1u);
    const MessageInfo m = Messages(item)[0];
    EXPECT_EQ((std::vector<std::string>{m.SourceInfo, m.SourceContent, m.SourceDate, m.SourceFromName, m.SourceLink}),
              (std::vector<std::string>{kFirstInfo, "<html>\r<body>Hello</body></html>", "未知", "检查软件",
                                        Url("/news.htm")}));

    EXPECT_EQ(m_statuses,
              "正在检查新闻页->连接服务器\n正在检查新闻页->正在从服务器下载\n正在检查新闻页->正在读取服务器内容\n"
              "新闻页->检查完毕\n正在检查新闻页->正在比较新旧内容\n新闻页->检查完毕\n新闻页->保存新数据\n"
              "新闻页->检查完毕\n");

    // A disabled item, or one checked after a stop request, sends nothing.
    item.state = 0;
    EXPECT_EQ(Check(item), 0);
    item.state = 1;
    m_run.RequestStop();
    EXPECT_EQ(Check(item), 0);
    EXPECT_TRUE(m_statuses.empty());
    EXPECT_EQ(Requests().size(), 1u);
}

// Items, each with its own page: every step serves a page to one item and checks the result, the
// newest record's text and, where given, the page copy (the compared region) and the previous copy.
TEST_F(WebMonitorTest, OnlyChangesOfTheComparedRegionAreStored)
{
    MessageTypeInfo items[] = {AddWebItem(Url("/0.htm")), AddWebItem(Url("/1.htm")),
                               AddWebItem(Url("/2.htm"), "[BEGIN]", "[END]"),
                               AddWebItem(Url("/3.htm"), "<b>from</b>", "<b>to</b>")};
    ASSERT_TRUE(SaveExcludeRanges(m_store.connection(), items[1].messagetypeid,
                                  {{0, "<!--ad-->", "<!--/ad-->"}, {0, "[clock", ""}}));
    const struct
    {
        int item;
        std::string page;
        int result;
        std::string info;
        const char* copy = nullptr;
        const char* previous = nullptr;
    } steps[] = {
        {0, "<p>Same text</p>", 1, kFirstInfo, "<p>Same text</p>", ""},
        {0, "\n\n  <p>Same text</p>\t\n", 0, kFirstInfo, "<p>Same text</p>", ""}, // at the ends only
        {0, "<p>Same Text</p>", 1, kChangedInfo, "<p>Same Text</p>", "<p>Same text</p>"},
        {1, "<h1>News</h1><!--ad-->Buy now<!--/ad--><p>A</p>[clock 10:00]", 1, kFirstInfo,
         "<h1>News</h1><!--ad--><!--/ad--><p>A</p>[clock"},
        {1, "<h1>News</h1><!--ad-->Sell later<!--/ad--><p>A</p>[clock 10:05]", 0, kFirstInfo},
        {1, "<h1>News</h1><!--ad-->Sell later<!--/ad--><p>B</p>[clock 10:06]", 1, kChangedInfo},
        // The region lies between the first start marker and the end marker after it.
        {2, "head[END][BEGIN]one[END]x[BEGIN]two[END]tail", 1, kFirstInfo, "one"},
        {2, "HEAD[END][BEGIN]one[END]y[BEGIN]zwei[END]TAIL", 0, kFirstInfo, "one"},
        {2, "HEAD[END][BEGIN]eins[END]", 1, kChangedInfo, "eins", "one"},
        // A vanished marker is reported once (an end marker only before the start counts as vanished);
        // a report is no comparison copy: markers back with the old region are no change.
        {3, "<b>from</b>value 1<b>to</b>", 1, kFirstInfo, "value 1"},
        {3, "<b>to</b><b>from</b>value 2", 1, kEndGoneInfo},
        {3, "<b>to</b><b>from</b>value 2", 0, kEndGoneInfo},
        {3, "no markers at all", 1, kStartGoneInfo},
        {3, "no markers at all", 0, kStartGoneInfo},
        {3, "<b>from</b>value 1<b>to</b>", 0, kStartGoneInfo},
        {3, "<b>from</b>value 3<b>to</b>", 1, kChangedInfo, "value 3", "value 1"},
        {3, "no markers", 1, kStartGoneInfo},
        {3, "<b>from</b>value 3<b>to</b>", 0, kStartGoneInfo},
    };
    int stored[std::size(items)] = {};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.page);
        MessageTypeInfo& item = items[step.item];
        SetPage("/" + std::to_string(step.item) + ".htm", step.page);
        EXPECT_EQ(Check(item), step.result);
        stored[step.item] += step.result;
        const auto messages = Messages(item);
        ASSERT_EQ(static_cast<int>(messages.size()), stored[step.item]);
        EXPECT_EQ(item.m_nNewCount, stored[step.item]);
        EXPECT_EQ(messages.back().SourceInfo, step.info);
        if (step.copy != nullptr) {
            EXPECT_EQ(ReadDataFile("网页.htm"), step.copy);
        }
        if (step.previous != nullptr) {
            EXPECT_EQ(ReadDataFile("数据.htm"), step.previous);
        }
    }
}

TEST_F(WebMonitorTest, FramesetFramesAreCheckedEachAgainstItsOwnCopyBoundedAndABrokenOnePassedOver)
{
    SetPage("/dir/top.htm", "<html><frameset cols=\"50%,50%\"><frame src=\"left.htm\">"
                            "<FRAME SRC=/dir/Right.htm></frameset></html>");
    SetPage("/dir/left.htm", "<!--s-->left 1<!--e-->");
    SetPage("/dir/Right.htm", "<!--s-->right 1<!--e-->");
    MessageTypeInfo item = AddWebItem(Url("/dir/top.htm"), "<!--s-->", "<!--e-->");

    // The frame loop stops at the first frame that stored something.
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(Check(item), 0);
    auto messages = Messages(item);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].SourceLink, "HTTP" + Url("/dir/left.htm").substr(4));
    EXPECT_EQ(messages[1].SourceLink, Url("/dir/Right.htm"));

    SetPage("/dir/Right.htm", "<!--s-->right 2<!--e-->");
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(Check(item), 0);
    messages = Messages(item);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[2].SourceLink, messages[1].SourceLink);
    EXPECT_EQ(messages[2].SourceInfo, kChangedInfo);
    EXPECT_EQ(RequestsOf("/dir/top.htm"), 5);

    // Deleted reports, the change too, leave each frame's comparison as it was.
    std::string error;
    ASSERT_TRUE(DeleteMessages(m_store.connection(), {messages[0].ID, messages[1].ID, messages[2].ID}, error)) << error;
    EXPECT_EQ(Check(item), 0);
    EXPECT_TRUE(Messages(item).empty());

    // A frameset leading back to itself ends at the depth bound.
    // A frameset listing itself many times is bounded in all, not only in depth.
    std::string many = "<frameset>";
    for (int i = 0; i < 10; ++i) {
        many += "<frame src=many.htm>";
    }
    for (const auto& [path, page, bound] :
         {std::tuple{"/loop.htm", "<frameset><frame src=loop.htm>"s, m_options.maxFrameDepth},
          std::tuple{"/many.htm", many, m_options.maxFrames}}) {
        MessageTypeInfo loop = AddWebItem(SetPage(path, page + "</frameset>"), "<!--s-->", "<!--e-->");
        EXPECT_EQ(Check(loop), 0);
        EXPECT_EQ(RequestsOf(path), 1 + bound) << path;
        EXPECT_TRUE(Messages(loop).empty());
    }

    // A frame value without its closing quote fails and the next frame is tried; a nested frameset's
    // leaf is checked, and the loop stops at the first frame whose depths stored a record.
    SetPage("/top.htm", "<frameset><frame src=\"a.htm><frame src=inner.htm><frame src=other.htm></frameset>");
    SetPage("/inner.htm", "<frameset><frame src=\"leaf.htm\"></frameset>");
    SetPage("/leaf.htm", "[s]leaf 1[e]");
    SetPage("/other.htm", "[s]other[e]");
    MessageTypeInfo nested = AddWebItem(Url("/top.htm"), "[s]", "[e]");
    EXPECT_EQ(Check(nested), 1);
    EXPECT_NE(m_statuses.find(kFailed + "："), std::string::npos) << m_statuses;
    ASSERT_EQ(Messages(nested).size(), 1u);
    EXPECT_EQ(Messages(nested)[0].SourceContent, "[s]leaf 1[e]");
    EXPECT_EQ(Messages(nested)[0].SourceLink, "HTTP" + Url("/leaf.htm").substr(4));
    EXPECT_EQ(RequestsOf("/other.htm"), 0);
    SetPage("/leaf.htm", "[s]leaf 2[e]");
    EXPECT_EQ(Check(nested), 1);
    EXPECT_EQ(Messages(nested).size(), 2u);
}

// A failed check stores nothing and keeps no copy: the real page, once there, is the first copy.
TEST_F(WebMonitorTest, FailedTransfersEndWithTheirReasonAndStoreNothing)
{
    CountingHttpServer silent;
    SetPage("/big.htm", std::string(5000, 'x'));
    SetPage("/empty.htm", " \r\n\t");
    m_options.http.maxBodyBytes = 4096;
    const int closedPort = LoopbackListener().port();
    // A sentence the user can act on, libcurl's words after it.
    const std::pair<std::string, std::string> cases[] = {
        {"http://", ""},
        {"http://127.0.0.1:" + std::to_string(closedPort) + "/",
         "：无法连接服务器 127.0.0.1:" + std::to_string(closedPort) + "（"},
        {Url("/to/late.htm"), "：网页返回错误 404 Not Found"}, // followed to a 404
        {Url("/empty.htm"), "：网页没有内容"},
        {Url("/big.htm"), "：网页超过 4096 字节"},                   // too large to hold
        {"https" + Url("/p.htm").substr(4), "：无法建立加密连接（"}, // a plain listener
        {silent.Url("/p.htm"), "：连接超时（"}, // accepts and never answers: ends on the stall time-out
    };
    MessageTypeInfo item = AddWebItem("");
    for (const auto& [url, reason] : cases) {
        item.connAddress = url;
        const auto begin = Clock::now();
        EXPECT_EQ(Check(item), 0) << url;
        EXPECT_LT(Clock::now() - begin, std::chrono::seconds(20)); // a stall time-out of 5 s, not a hang
        const std::string status = m_run.GetStatusText();
        EXPECT_EQ(status.rfind(kFailed + "：", 0), 0u) << status;
        EXPECT_GT(status.size(), (kFailed + "：").size()) << status;
        EXPECT_NE(status.find(reason), std::string::npos) << status;
        EXPECT_TRUE(Messages(item).empty());
    }
    SetPage("/late.htm", "<p>the page</p>");
    item.connAddress = Url("/to/late.htm");
    EXPECT_EQ(Check(item), 1);
    ASSERT_EQ(Messages(item).size(), 1u);
    EXPECT_EQ(Messages(item)[0].SourceInfo + Messages(item)[0].SourceContent, kFirstInfo + "<p>the page</p>");
}

TEST_F(WebMonitorTest, PageCopiesAreBestEffortButTheDatabaseIsNot)
{
    // A file where the data folder should be: no page copies, but the check goes on.
    const std::string data = m_store.appDir() + "data";
    std::filesystem::remove_all(data);
    WriteFile(data, "in the way");
    MessageTypeInfo item = AddWebItem(SetPage("/p.htm", "<p>page</p>"));
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(Messages(item).size(), 1u);

    // As on the check thread: no message, the database's own words in the status text.
    // A store that refuses the finding, then one that cannot read the exclusions.
    CAdoConnection::QuietOnThisThread quiet(m_store.connection());
    MessageTypeInfo fresh = AddWebItem(Url("/p.htm"));
    for (const auto& [sql, words] :
         {std::pair{"create trigger refuse before insert on userdata begin select raise(abort, 'disk full'); end",
                    "disk full"},
          std::pair{"drop table userHttpExclude", "no such table: userHttpExclude"}}) {
        ASSERT_TRUE(m_store.connection().Execute(sql));
        EXPECT_EQ(Check(fresh), 0);
        EXPECT_EQ(m_run.GetStatusText(), kFailed + "：本地数据库读写失败: " + words);
        EXPECT_EQ(fresh.m_nNewCount, 0);
    }
    EXPECT_TRUE(m_store.reporter().Texts().empty());
}

// A GBK site with Chinese markers and a Chinese exclusion range: everything works on the decoded
// page, and the stored copy declares what it now is.
TEST_F(WebMonitorTest, AGbkPageIsComparedAndStoredAsUtf8AndAnOldCopyInItsBytesIsNoChange)
{
    // <html><head><meta charset=gbk></head><body><p>最新公告</p>X<!--广告-->Y<!--广告完-->Z<p>结束</p>
    const auto page = [](const std::string& x, const std::string& y) {
        return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\"></head><body>"
               "<p>\xD7\xEE\xD0\xC2\xB9\xAB\xB8\xE6</p>" +
               x + "<!--\xB9\xE3\xB8\xE6-->" + y +
               "<!--\xB9\xE3\xB8\xE6\xCD\xEA--><p>\xBD\xE1\xCA\xF8</p></body></html>";
    };
    MessageTypeInfo item = AddWebItem(Url("/gbk.htm"), "<p>最新公告</p>", "<p>结束</p>");
    ASSERT_TRUE(SaveExcludeRanges(m_store.connection(), item.messagetypeid, {{0, "<!--广告-->", "<!--广告完-->"}}));

    SetPage("/gbk.htm", page("\xD0\xC2\xCE\xC5", "ad 1"), "text/html"); // 新闻; the page alone says what it is
    EXPECT_EQ(Check(item), 1);
    ASSERT_EQ(Messages(item).size(), 1u);
    EXPECT_EQ(Messages(item)[0].SourceInfo, kFirstInfo);
    EXPECT_EQ(Messages(item)[0].SourceContent,
              "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"></head><body>"
              "<p>最新公告</p>新闻<!--广告--><!--广告完--><p>结束</p></body></html>");
    EXPECT_EQ(ReadDataFile("网页.htm"), "新闻<!--广告--><!--广告完-->");

    SetPage("/gbk.htm", page("\xD0\xC2\xCE\xC5", "ad 2"), "text/html"); // only inside the exclusion
    EXPECT_EQ(Check(item), 0);
    SetPage("/gbk.htm", page("\xBE\xC9\xCE\xC5", "ad 2"), "text/html"); // 旧闻: inside the markers
    EXPECT_EQ(Check(item), 1);
    ASSERT_EQ(Messages(item).size(), 2u);
    EXPECT_EQ(Messages(item)[1].SourceInfo, kChangedInfo);
    EXPECT_EQ(ReadDataFile("数据.htm"), "新闻<!--广告--><!--广告完-->");

    // A copy an older version stored in the page's own bytes gets no change report from the conversion.
    const std::string gbkPage = "<meta charset=gb2312><p>\xD7\xEE\xD0\xC2\xB9\xAB\xB8\xE6</p>";
    MessageTypeInfo old = AddWebItem(Url("/old.htm"));
    SourceRowInfo row;
    std::tie(row.FromDate, row.Info, row.Content, row.Link) = std::tuple("未知", kFirstInfo, gbkPage, Url("/old.htm"));
    ASSERT_EQ(row.Insert(m_store.connection(), old), 1);
    SetPage("/old.htm", gbkPage);
    EXPECT_EQ(Check(old), 0) << m_statuses;
    SetPage("/old.htm", gbkPage + "<p>new</p>");
    EXPECT_EQ(Check(old), 1);
}

// Stop latency per phase, all time-outs far away: a connect the address drops, a TLS handshake
// and a response that never come, a body that trickles; and the overall limit of a trickle.
TEST_F(WebMonitorTest, AStopEndsACheckAtOnceInEveryPhaseAndATrickleEndsAtTheCheckLimit)
{
    m_options.http.connectTimeoutSeconds = 30;
    m_options.http.stallTimeoutSeconds = 60;
    CountingHttpServer silent;
    FullBacklogServer full;
    ASSERT_TRUE(full.IsFull()) << "the backlog never filled";
    const std::string body(20000, 'x');
    ScriptedLineServer trickle({ScriptedLineServer::ReadLine(),
                                ScriptedLineServer::Send("HTTP/1.1 200 OK\r\nContent-Length: 20000\r\n\r\n" + body, 1,
                                                         std::chrono::milliseconds(50))});
    // The stop comes once the phase is reached: the download begun, the connection accepted.
    const auto connecting = [this] { return m_run.GetStatusText().find("正在从服务器下载") != std::string::npos; };
    int silentBefore = 0;
    const auto silentAccepted = [&] { return silent.AcceptedCount() > silentBefore; };
    const std::tuple<const char*, std::string, std::function<bool()>> phases[] = {
        {"connect", "http://127.0.0.1:" + std::to_string(full.port()) + "/", connecting},
        {"TLS handshake", "https" + silent.Url("/p.htm").substr(4), silentAccepted},
        {"response", silent.Url("/p.htm"), silentAccepted},
        {"trickling body", "http://127.0.0.1:" + std::to_string(trickle.port()) + "/p.htm",
         [&] { return trickle.ConnectionsAccepted() > 0; }}};
    MessageTypeInfo item = AddWebItem("");
    for (const auto& [phase, url, reached] : phases) {
        item.connAddress = url;
        silentBefore = silent.AcceptedCount();
        EXPECT_LT(StopLatency(m_run, reached, [&] { EXPECT_EQ(Check(item), 0); }), kStopLatency) << phase;
        EXPECT_EQ(m_run.GetStatusText(), kFailed) << phase;
        m_run.EndRun();
    }

    // The same trickle again, once the stopped connection has ended.
    ASSERT_TRUE(trickle.WaitForConnectionsEnded(1, std::chrono::seconds(60)));
    m_options.checkTimeLimit = std::chrono::milliseconds(1500);
    const auto begin = Clock::now();
    EXPECT_EQ(Check(item), 0);
    EXPECT_LT(Clock::now() - begin, std::chrono::seconds(20)); // the whole body would take 1000 s
    EXPECT_EQ(m_run.GetStatusText().rfind(kFailed + "：", 0), 0u) << m_run.GetStatusText();
    EXPECT_TRUE(Messages(item).empty());
}

} // namespace

TEST_F(WebMonitorTest, AChangeAnotherProgramStoredWhileThePageWasComparedIsNotStoredTwice)
{
    MessageTypeInfo item = AddWebItem(SetPage("/race.htm", "<p>one</p>"));
    // Another program checks the same page between this check's comparison and its store.
    bool otherChecked = false;
    m_run.SetStatusListener([&](const std::string& text) {
        if (!otherChecked && text.ends_with("保存新数据")) {
            otherChecked = true;
            CAdoConnection connection;
            ASSERT_TRUE(connection.Open(m_store.connection().GetConnectionString()));
            CRunState run;
            CheckContext other{connection, run, m_store.appDir()};
            MessageTypeInfo copy = item;
            EXPECT_EQ(CheckWebPage(other, copy, true, m_options), 1);
        }
    });
    EXPECT_EQ(Check(item), 0);
    EXPECT_TRUE(otherChecked);
    EXPECT_EQ(Messages(item).size(), 1u);
}
