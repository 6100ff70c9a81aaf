#include "monitors/ftp/FtpMonitor.h"

#include "FtpTestEnvironment.h"
#include "app/ItemStore.h"
#include "monitors/CRunState.h"
#include "monitors/CheckContext.h"
#include "monitors/ftp/CFtpClient.h"
#include "store/MessageTable.h"
#include "support/TestStore.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using Server = ScriptedLineServer;
using Strings = std::vector<std::string>;

namespace {

const std::string kName = "产品发布";
const std::string kPrefix = "正在检查" + kName;
const std::string kErrorExit = "检查" + kName + " 时发生意外错误:";

// FTP check items in a fresh store, checked against a directory of their own on the real server.
class FtpMonitorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int counter = 0;
        const std::string dir = "d" + std::to_string(++counter) + "/";
        m_base = "ftp://127.0.0.1:" + std::to_string(FtpServer::Shared().port()) + "/" + dir;
        m_local = FtpServer::Shared().root() + dir;
        std::filesystem::create_directory(m_local);
        m_run.SetStatusListener([this](const std::string& text) {
            m_statuses.push_back(text);
            if (text == m_stopAtStatus) {
                m_run.RequestStop();
            }
        });
    }

    MessageTypeInfo AddItem(const std::string& user = "", const std::string& password = "", std::string url = "")
    {
        MessageTypeInfo item = NewItem(kName, kCategoryFtp, url.empty() ? m_base : url);
        item.UserName = user;
        item.Password = password;
        return m_store.AddItem(item);
    }

    // Writes a file (a directory when the name ends with '/') modified at the given UTC time.
    void Write(const std::string& name, const std::string& content, const std::string& utc = "2024-03-05 14:07:00")
    {
        const std::string path = m_local + name;
        if (name.ends_with('/')) {
            std::filesystem::create_directory(path);
        } else {
            std::ofstream(path, std::ios::binary) << content;
        }
        std::tm tm{};
        ASSERT_TRUE(strptime(utc.c_str(), "%Y-%m-%d %H:%M:%S", &tm));
        std::filesystem::last_write_time(
            path, std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(timegm(&tm)))));
    }

    int Check(MessageTypeInfo& item, int stallSeconds = 30)
    {
        m_statuses.clear();
        CheckContext context{m_store.connection(), m_run, m_store.appDir()};
        return CheckFtpItemWithOptions(context, item,
                                       {.connectTimeoutSeconds = 30, .stallTimeoutSeconds = stallSeconds});
    }

    TestStore m_store;
    CRunState m_run;
    std::vector<std::string> m_statuses;
    std::string m_stopAtStatus = "-";
    std::string m_base; // the item's directory URL
    std::string m_local;
};

// Awkward names among the entries: a quote must be found by the duplicate test.
TEST_F(FtpMonitorTest, FirstCheckStoresEveryEntryAndASecondCheckNothing)
{
    MessageTypeInfo item = AddItem();
    EXPECT_EQ(Check(item), 0); // empty: ends normally with nothing
    EXPECT_EQ(m_run.GetStatusText(), kName + "->检查完毕");

    Write("one.txt", "1", "2024-03-05 14:07:33");
    Write("it's.txt", "22");
    Write("a <b> & \"c\".txt", "333");
    Write("中文 名.txt", "z");
    Write("folder/", "", "2023-12-31 20:00:00");
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(item.m_nNewCount, 5);
    EXPECT_THAT(m_statuses, ElementsAre(kPrefix + "->连接服务器", kPrefix + "->正在连接ＦＴＰ服务器",
                                        kPrefix + "->正在读取目录", kPrefix + "->正在检索文件", kName + "->检查完毕"));
    // (How names are encoded in links and escaped in the notice is the link tests' business.)
    auto messages = m_store.Messages(item.messagetypeid);
    std::ranges::sort(messages, {}, &MessageInfo::SourceInfo);
    std::vector<std::string> names;
    std::ranges::transform(messages, std::back_inserter(names), &MessageInfo::SourceInfo);
    ASSERT_THAT(names, ElementsAre("a <b> & \"c\".txt", "folder", "it's.txt", "one.txt", "中文 名.txt"));
    const MessageInfo &folder = messages[1], &one = messages[3];
    // The folder's date in UTC+8; the file's link without credentials (anonymous).
    EXPECT_EQ((Strings{folder.SourceDate, one.SourceFromName, one.SourceLink}),
              (Strings{"2024年01月01日-04:00", "检查软件", m_base + "one.txt"}));
    EXPECT_THAT(folder.SourceContent, HasSubstr("文件属性：目录"));
    EXPECT_THAT(FtpServer::Shared().Log(), HasSubstr("USER 'anonymous' logged in"));
    EXPECT_EQ(one.SourceContent, "FTP<a href=" + m_base + "  target='_blank'>(" + kName +
                                     ")</a>中下面的文件或者文件夹发生了变化<br>文件名称：<a href=" + m_base +
                                     "one.txt  target='_blank'>one.txt</a><br>修改日期：2024年03月05日-22:07<br>"
                                     "文件大小：1<br>文件属性：文件");

    EXPECT_EQ(Check(item), 0);
    std::string error;
    ASSERT_TRUE(DeleteMessages(m_store.connection(), {one.ID, folder.ID}, error)) << error;
    EXPECT_EQ(Check(item), 0) << "deleted entries are not new again";

    // A new file is not stored by a disabled item.
    Write("four.txt", "4");
    item.state = 0;
    EXPECT_EQ(Check(item), 0);
    EXPECT_TRUE(m_statuses.empty());
    EXPECT_EQ(m_store.Messages(item.messagetypeid).size(), 3u);
}

TEST_F(FtpMonitorTest, OnlyANewModificationMinuteIsAChange)
{
    Write("a.txt", "a", "2024-03-05 14:07:10");
    Write("b.txt", "b", "2024-03-05 14:07:10");
    Write("c.txt", "c", "2024-03-05 14:07:10");
    MessageTypeInfo item = AddItem();
    ASSERT_EQ(Check(item), 1);

    Write("a.txt", "a", "2024-03-05 14:08:00");            // next minute
    Write("b.txt", "b", "2024-03-05 14:07:59");            // same minute
    Write("c.txt", "c grew a lot", "2024-03-05 14:07:10"); // size only
    EXPECT_EQ(Check(item), 1);
    const auto messages = m_store.Messages(item.messagetypeid);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[3].SourceInfo + " " + messages[3].SourceDate, "a.txt 2024年03月05日-22:08");

    // A stop request during the listing ends it, a stopped run checks nothing; the next run finds the change.
    Write("a.txt", "a", "2024-03-05 14:07:10");
    m_stopAtStatus = kPrefix + "->正在检索文件";
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText(), "检查" + kName + " 时意外停止");
    EXPECT_EQ(Check(item), 0);
    EXPECT_TRUE(m_statuses.empty());
    EXPECT_EQ(m_store.Messages(item.messagetypeid).size(), 4u);
    m_run.EndRun();
    m_stopAtStatus.clear();
    // Back to the old time: it differs from the newest stored row, so it is new again.
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(m_store.Messages(item.messagetypeid).size(), 5u);
    EXPECT_EQ(m_run.GetStatusText(), kName + "->检查完毕");
}

TEST_F(FtpMonitorTest, UserLinksCarryTheCredentialsTheViewNamePortWinsAndFailuresTakeTheErrorExit)
{
    Write("f.txt", "x");
    MessageTypeInfo user =
        AddItem(FtpServer::kUser, FtpServer::kPassword, "ftp://127.0.0.1:1" + m_base.substr(m_base.find('/', 6)));
    user.ViewName = std::to_string(FtpServer::Shared().port());
    ASSERT_EQ(Check(user), 1) << m_run.GetStatusText();
    const std::string expected = "ftp://tester:p%40ss%20word@" + m_base.substr(6) + "f.txt";
    const MessageInfo stored = m_store.Messages(user.messagetypeid).at(0);
    EXPECT_EQ(stored.SourceLink, expected);
    EXPECT_THAT(stored.SourceContent, HasSubstr("<a href=" + expected + "  target='_blank'>f.txt</a>"));

    // A refused login, a missing directory or no server ends through the error exit.
    MessageTypeInfo refused = AddItem(FtpServer::kUser, "wrong");
    EXPECT_EQ(Check(refused), 0);
    // A sentence the user can act on, then libcurl's and the server's words.
    EXPECT_THAT(m_run.GetStatusText(), AllOf(StartsWith(kErrorExit + "用户名或口令错误（"), HasSubstr("530")));
    EXPECT_EQ(m_statuses.size(), 2u); // the session step, then the error

    // Not the login directory's files as this item's findings.
    MessageTypeInfo missing = AddItem("", "", m_base + "missing/");
    EXPECT_EQ(Check(missing), 0);
    EXPECT_THAT(m_run.GetStatusText(), AllOf(StartsWith(kErrorExit + "服务器拒绝访问这个目录（"), HasSubstr("550")));
    EXPECT_TRUE(m_store.Messages(missing.messagetypeid).empty());

    // 0 means port 21, where no test server listens, whatever the address says.
    missing.ViewName = "0";
    missing.connAddress = m_base;
    EXPECT_EQ(Check(missing), 0);
    EXPECT_THAT(m_run.GetStatusText(), StartsWith(kErrorExit + "无法连接服务器 127.0.0.1:21（"));
}

// Against scripted servers, what a real one will not do on demand: a GBK name, and a server that
// falls silent after CWD.
TEST_F(FtpMonitorTest, AGbkNameIsStoredInUtf8AndASilentServerEndsTheCheckWithAnError)
{
    Server data({Server::Send("type=file;modify=20240305140733;size=3; \xD6\xD0\xCE\xC4.txt\r\n"), Server::Close()});
    Server control(FtpControlScript(data.port(), {"150 Here\r\n226 Done", "221 Bye"}));
    MessageTypeInfo item = AddItem("tester", "secret", "ftp://127.0.0.1:" + std::to_string(control.port()) + "/pub/");
    EXPECT_EQ(Check(item), 1) << m_run.GetStatusText();
    const auto messages = m_store.Messages(item.messagetypeid);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].SourceInfo, "中文.txt");
    EXPECT_THAT(messages[0].SourceLink, EndsWith("/pub/%D6%D0%CE%C4.txt")); // linked with the server's bytes
    EXPECT_THAT(messages[0].SourceContent, HasSubstr(">中文.txt</a>"));

    Server silent(FtpControlScript(0, {""}, 3));
    item.connAddress = "ftp://127.0.0.1:" + std::to_string(silent.port()) + "/pub/";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Check(item, 2), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)); // the stall time-out, not a hang
    EXPECT_THAT(m_run.GetStatusText(), StartsWith(kErrorExit));
}

} // namespace
