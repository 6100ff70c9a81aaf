// The mail monitor against a real POP3 server (Dovecot on 127.0.0.1), plain and over TLS.
#include "app/CRunState.h"
#include "app/CheckContext.h"
#include "monitors/MailMonitor.h"
#include "store/MessageTypeInfo.h"
#include "support/DovecotServer.h"
#include "support/TestStore.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct Mail
{
    const char* file;
    const char* text;
};

// What mailers send: encoded GB2312 and UTF-8 subjects (base64 and Q, one word or several over
// folded lines), named and bare addresses, a mail without Date, and a subject with markup.
const Mail kMailbox[] = {
    {"1700000001.M1P1.wendar", "From: =?GB2312?B?1cXI/Q==?= <zhang@example.com>\r\n"
                               "To: li@example.com\r\n"
                               "Subject: =?GB2312?B?xOO6ww==?=\r\n"
                               "Date: Sun, 1 Jun 2003 10:00:00 +0800\r\n"
                               "\r\nbody one\r\n"},
    {"1700000002.M2P1.wendar", "From: Ann <ann@example.com>\r\n"
                               "To: \"Bob B\" <bob@example.com>\r\n"
                               "Subject: =?gb2312?Q?=C4=E3=BA=C3_world?=\r\n"
                               "Date: Tue, 15 Nov 1994 08:12:31 -0500\r\n"
                               "\r\nbody two\r\n"},
    {"1700000003.M3P1.wendar", "From: =?UTF-8?Q?Caf=C3=A9?= <cafe@example.com>\r\n"
                               "To: li@example.com\r\n"
                               "Subject: =?UTF-8?B?5Lit5paH5Li76aKY?=\r\n =?UTF-8?B?5b6I6ZW/?=\r\n"
                               "Date: Mon, 2 Jun 2003 09:05:00 +0800\r\n"
                               "\r\nbody three\r\n"},
    {"1700000004.M4P1.wendar", "From: li@example.com\r\n"
                               "To: zhang@example.com\r\n"
                               "Subject: Re: =?UTF-8?Q?Caf=C3=A9?=\r\n"
                               "\r\nno date here\r\n"},
    {"1700000005.M5P1.wendar", "From: Ann <ann@example.com>\r\n"
                               "To: li@example.com\r\n"
                               "Subject: Weekly report\r\n for March\r\n"
                               "Date: Wed, 3 Mar 2004 17:45:10 +0800\r\n"
                               "\r\nbody five\r\n"},
    {"1700000006.M6P1.wendar", "From: \"<b>Boss</b>\" <evil@example.com>\r\n"
                               "To: li@example.com\r\n"
                               "Subject: <img src=x onerror=alert(1)> & 'more'\r\n"
                               "Date: Wed, 3 Mar 2004 18:00:00 +0800\r\n"
                               "\r\nbody six\r\n"},
};

std::string Notice(const std::string& subject, const std::string& to, const std::string& from)
{
    return "您有新的电子邮件:<br>主题:<b>" + subject + "</b><br>接受人邮件地址:" + to + "<br>发送人邮件地址:" + from +
           "<br>请打开电子邮件程序接受处理!";
}

class ScopedCertFile final
{
public:
    explicit ScopedCertFile(const std::string& path)
    {
        if (const char* old = std::getenv("SSL_CERT_FILE"))
            m_old = old;
        if (path.empty())
            unsetenv("SSL_CERT_FILE");
        else
            setenv("SSL_CERT_FILE", path.c_str(), 1);
    }
    ~ScopedCertFile()
    {
        if (m_old.empty())
            unsetenv("SSL_CERT_FILE");
        else
            setenv("SSL_CERT_FILE", m_old.c_str(), 1);
    }
    ScopedCertFile(const ScopedCertFile&) = delete;
    ScopedCertFile& operator=(const ScopedCertFile&) = delete;

private:
    std::string m_old;
};

} // namespace

class MailMonitorDovecot : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_server = std::make_unique<DovecotServer>();
        if (!s_server->Start(s_startError))
            s_server.reset();
    }
    static void TearDownTestSuite() { s_server.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(s_server) << "the test POP3 server did not start: " << s_startError;
        s_server->ClearMailbox();
        for (const Mail& mail : kMailbox)
            ASSERT_TRUE(s_server->AddMessage(mail.file, mail.text));
        m_run.SetStatusListener([this](const std::string& text) { m_statuses.push_back(text); });
    }

    MessageTypeInfo AddItem(const std::string& address, const std::string& viewName,
                            const std::string& password = DovecotServer::kPassword)
    {
        MessageTypeInfo item;
        item.MessageCategory = kCategoryMail;
        item.MessageTypeName = "公司邮箱";
        item.connAddress = address;
        item.ViewName = viewName;
        item.UserName = DovecotServer::kUser;
        item.Password = password;
        return m_store.AddItem(item);
    }

    int Check(MessageTypeInfo& item)
    {
        CheckContext context{m_store.connection(), m_run, m_store.appDir()};
        return CheckMailItem(context, item);
    }

    const MessageInfo* Find(const std::vector<MessageInfo>& messages, const std::string& sourceId)
    {
        const auto it = std::find_if(messages.begin(), messages.end(),
                                     [&](const MessageInfo& m) { return m.SourceID == sourceId; });
        return it == messages.end() ? nullptr : &*it;
    }

    static std::unique_ptr<DovecotServer> s_server;
    static std::string s_startError;
    TestStore m_store;
    CRunState m_run;
    std::vector<std::string> m_statuses;
};

std::unique_ptr<DovecotServer> MailMonitorDovecot::s_server;
std::string MailMonitorDovecot::s_startError;

TEST_F(MailMonitorDovecot, FirstCheckStoresEveryMessageTheSecondNone)
{
    MessageTypeInfo item = AddItem("127.0.0.1", std::to_string(s_server->plainPort()));
    ASSERT_EQ(Check(item), 1) << m_run.GetStatusText();
    EXPECT_EQ(m_run.GetStatusText(), "公司邮箱->检查完毕");
    EXPECT_EQ(item.m_nNewCount, 6);

    const auto messages = m_store.Messages(item.messagetypeid);
    ASSERT_EQ(messages.size(), 6u);
    const MessageInfo* first = Find(messages, "1700000001.M1P1.wendar");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->SourceInfo, "你好");
    EXPECT_EQ(first->SourceFromName, "张三");
    EXPECT_EQ(first->SourceToName, "li@example.com");
    EXPECT_EQ(first->SourceDate, "2003年06月01日-10:00");
    EXPECT_EQ(first->SourceContent, Notice("你好", "li@example.com", "zhang@example.com"));
    EXPECT_EQ(first->MessageCategory, kCategoryMail);
    EXPECT_EQ(first->status, 0);

    const MessageInfo* second = Find(messages, "1700000002.M2P1.wendar");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->SourceInfo, "你好 world");
    EXPECT_EQ(second->SourceFromName, "Ann");
    EXPECT_EQ(second->SourceToName, "Bob B");
    EXPECT_EQ(second->SourceDate, "1994年11月15日-08:12");

    const MessageInfo* third = Find(messages, "1700000003.M3P1.wendar");
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->SourceInfo, "中文主题很长");
    EXPECT_EQ(third->SourceFromName, "Café");

    const MessageInfo* fourth = Find(messages, "1700000004.M4P1.wendar");
    ASSERT_NE(fourth, nullptr);
    EXPECT_EQ(fourth->SourceInfo, "Re: Café");
    EXPECT_EQ(fourth->SourceDate, "");
    EXPECT_EQ(fourth->SourceFromName, "li@example.com");

    const MessageInfo* fifth = Find(messages, "1700000005.M5P1.wendar");
    ASSERT_NE(fifth, nullptr);
    EXPECT_EQ(fifth->SourceInfo, "Weekly report\r\n for March");

    const MessageInfo* sixth = Find(messages, "1700000006.M6P1.wendar");
    ASSERT_NE(sixth, nullptr);
    EXPECT_EQ(sixth->SourceInfo, "<img src=x onerror=alert(1)> & 'more'");
    EXPECT_EQ(sixth->SourceFromName, "<b>Boss</b>");
    EXPECT_EQ(sixth->SourceContent,
              Notice("&lt;img src=x onerror=alert(1)&gt; &amp; &#39;more&#39;", "li@example.com", "evil@example.com"));

    // Nothing new: nothing stored, and the item's counter stays.
    EXPECT_EQ(Check(item), 0) << m_run.GetStatusText();
    EXPECT_EQ(m_store.Messages(item.messagetypeid).size(), 6u);
    EXPECT_EQ(item.m_nNewCount, 6);

    // A deleted mail keeps its record; a new one is stored once.
    ASSERT_TRUE(s_server->RemoveMessage("1700000002.M2P1.wendar"));
    ASSERT_TRUE(s_server->AddMessage("1700000007.M7P1.wendar", "From: a@example.com\r\nSubject: seven\r\n\r\nx\r\n"));
    EXPECT_EQ(Check(item), 1) << m_run.GetStatusText();
    const auto after = m_store.Messages(item.messagetypeid);
    EXPECT_EQ(after.size(), 7u);
    EXPECT_NE(Find(after, "1700000002.M2P1.wendar"), nullptr);
    EXPECT_NE(Find(after, "1700000007.M7P1.wendar"), nullptr);
    EXPECT_EQ(item.m_nNewCount, 7);
}

TEST_F(MailMonitorDovecot, ReportsEveryStepInTheStatusText)
{
    s_server->ClearMailbox();
    ASSERT_TRUE(s_server->AddMessage(kMailbox[0].file, kMailbox[0].text));
    ASSERT_TRUE(s_server->AddMessage(kMailbox[1].file, kMailbox[1].text));
    MessageTypeInfo item = AddItem("pop3://127.0.0.1:" + std::to_string(s_server->plainPort()), "");
    ASSERT_EQ(Check(item), 1) << m_run.GetStatusText();
    EXPECT_EQ(m_statuses,
              (std::vector<std::string>{"正在检查公司邮箱->连接服务器", "正在检查公司邮箱->正在连接电子邮件服务器",
                                        "正在检查公司邮箱->正在使用您的用户名登录电子邮件服务器",
                                        "正在检查公司邮箱->正在读取 1/2信件", "正在检查公司邮箱->正在读取 2/2信件",
                                        "公司邮箱->检查完毕"}));
}

TEST_F(MailMonitorDovecot, AWrongPasswordIsReportedWithTheServersReply)
{
    MessageTypeInfo item = AddItem("127.0.0.1", std::to_string(s_server->plainPort()), "wrong");
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText(), "检查 公司邮箱 时发生错误:->用户名或者口令不正确-user or password is "
                                     "error:-ERR [AUTH] Authentication failed.\r\n");
    EXPECT_TRUE(m_store.Messages(item.messagetypeid).empty());
}

TEST_F(MailMonitorDovecot, SpeaksTlsToATrustedServer)
{
    const ScopedCertFile trust(s_server->certificateFile());
    MessageTypeInfo item = AddItem("pop3s://localhost", std::to_string(s_server->tlsPort()));
    ASSERT_EQ(Check(item), 1) << m_run.GetStatusText();
    EXPECT_EQ(m_store.Messages(item.messagetypeid).size(), 6u);
    EXPECT_EQ(Check(item), 0) << m_run.GetStatusText();
    EXPECT_EQ(m_run.GetStatusText(), "公司邮箱->检查完毕");

    // The port may also stand in the address.
    MessageTypeInfo other = AddItem("POP3S://localhost:" + std::to_string(s_server->tlsPort()) + "/", "");
    EXPECT_EQ(Check(other), 1) << m_run.GetStatusText();
}

TEST_F(MailMonitorDovecot, RefusesAServerItCannotVerify)
{
    {
        // The system's trust store does not know the test certificate.
        const ScopedCertFile trust("");
        MessageTypeInfo item = AddItem("pop3s://localhost", std::to_string(s_server->tlsPort()));
        EXPECT_EQ(Check(item), 0);
        EXPECT_EQ(m_run.GetStatusText(), "检查 公司邮箱 时发生错误:->TLS handshake with the POP3 server failed: "
                                         "certificate verify failed (self-signed certificate)");
        EXPECT_TRUE(m_store.Messages(item.messagetypeid).empty());
    }
    {
        // A trusted certificate for another name: it names localhost, not the address dialled.
        const ScopedCertFile trust(s_server->certificateFile());
        MessageTypeInfo item = AddItem("pop3s://127.0.0.1", std::to_string(s_server->tlsPort()));
        EXPECT_EQ(Check(item), 0);
        EXPECT_EQ(m_run.GetStatusText(), "检查 公司邮箱 时发生错误:->TLS handshake with the POP3 server failed: "
                                         "certificate verify failed (IP address mismatch)");
    }
}
