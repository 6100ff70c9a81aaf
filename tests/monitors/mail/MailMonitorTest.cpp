// The mail monitor: its own logic against scripted servers (stop requests, failures mid-run, the
// server address), and the everyday paths against a real POP3 server (Dovecot on 127.0.0.1),
// plain and over TLS.
#include "monitors/mail/MailMonitor.h"

#include "monitors/CRunState.h"
#include "monitors/CheckContext.h"
#include "monitors/mail/MailServerAddress.h"
#include "monitors/net/CertificatePin.h"
#include "store/MessageTable.h"
#include "store/MessageTypeInfo.h"
#include "support/CertificateFile.h"
#include "support/DovecotServer.h"
#include "support/ScriptedLineServer.h"
#include "support/TestStore.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

using Server = ScriptedLineServer;
using Strings = std::vector<std::string>;
using std::chrono::milliseconds;

class MailCheck : public ::testing::Test
{
protected:
    // Scripted servers take any user; Dovecot's is the default.
    MessageTypeInfo AddItem(const std::string& address, const std::string& port = "",
                            const std::string& password = DovecotServer::kPassword)
    {
        MessageTypeInfo item;
        item.MessageCategory = kCategoryMail;
        item.MessageTypeName = "公司邮箱";
        item.connAddress = address;
        item.ViewName = port;
        item.UserName = DovecotServer::kUser;
        item.Password = password;
        return m_store.AddItem(item);
    }

    int Check(MessageTypeInfo& item, const std::string& pinnedCertificate = {})
    {
        CheckContext context{m_store.connection(), m_run, m_store.appDir(), nullptr, false, pinnedCertificate};
        return CheckMailItem(context, item);
    }

    // Records every status text, and requests a stop as soon as the text stopAt is written.
    void Listen(const std::string& stopAt = "")
    {
        m_run.SetStatusListener([this, stopAt](const std::string& status) {
            m_statuses.push_back(status);
            if (status == stopAt)
                m_run.RequestStop();
        });
    }

    TestStore m_store;
    CRunState m_run;
    Strings m_statuses;
};

namespace {

// A mailbox whose STAT gives stat; UIDL and TOP are answered for the first `answered` messages,
// then comes the reply last.
Server MailboxServer(const std::string& stat, int answered, const std::string& last = "")
{
    Strings replies = {"+OK ready\r\n", "+OK\r\n", "+OK\r\n", stat};
    for (int n = 1; n <= answered; ++n) {
        replies.push_back("+OK " + std::to_string(n) + " id-" + std::to_string(n) + "\r\n");
        replies.push_back("+OK\r\nSubject: mail " + std::to_string(n) + "\r\nFrom: a@b.c\r\n\r\n.\r\n");
    }
    replies.push_back(last);
    return Server(Server::Dialogue(replies));
}

} // namespace

using MailMonitorScripted = MailCheck;

TEST_F(MailMonitorScripted, DoesNothingWhenSwitchedOffOrStoppedBeforeConnecting)
{
    Server server = MailboxServer("+OK 1 900\r\n", 1);
    MessageTypeInfo item = AddItem("127.0.0.1", " " + std::to_string(server.port()) + " ");
    item.state = 0;
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText(), kIdleStatusText);
    item.state = 1;
    Listen("正在检查公司邮箱->连接服务器");
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText(), "检查公司邮箱 时意外停止");
    // A stop requested before the check begins: not even a status text.
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_statuses.size(), 2u);
    EXPECT_EQ(server.ConnectionsAccepted(), 0);
}

TEST_F(MailMonitorScripted, EndsWithQuitAndAnnouncesWhatWasStoredAfterAStopOrAFailure)
{
    const struct
    {
        const char* stat;
        int answered;
        const char *last, *stopAt, *status;
        std::size_t stored;
    } cases[] = {{"+OK 3 900\r\n", 3, "", "正在检查公司邮箱->正在读取 2/3信件", "公司邮箱->检查完毕", 2},
                 {"+OK 3 900\r\n", 1, "-ERR mailbox locked\r\n", "",
                  "检查 公司邮箱 时发生错误:->服务器拒绝了命令（can't get uidl command:-ERR mailbox locked）", 1},
                 // An empty or unreadable mailbox ends quietly; without the size STAT is asked again.
                 {"+OK 0 0\r\n", 0, "+OK 0 0\r\n", "", "公司邮箱->检查完毕", 0},
                 {"+OK 5\r\n", 0, "+OK 5\r\n", "", "公司邮箱->检查完毕", 0},
                 {"+OK many\r\n", 0, "+OK many\r\n", "", "公司邮箱->检查完毕", 0}};
    for (const auto& c : cases) {
        Server server = MailboxServer(c.stat, c.answered, c.last);
        MessageTypeInfo item = AddItem("127.0.0.1", std::to_string(server.port()));
        Listen(c.stopAt);
        EXPECT_EQ(Check(item), c.stored > 0 ? 1 : 0) << c.status;
        EXPECT_EQ(m_run.GetStatusText(), c.status);
        EXPECT_EQ(m_store.Messages(item.messagetypeid).size(), c.stored);
        EXPECT_EQ(item.m_nNewCount, static_cast<int>(c.stored));
        ASSERT_TRUE(server.WaitForConnectionsEnded(1, milliseconds(60000)));
        EXPECT_EQ(server.Lines().back(), "QUIT\r\n");
        m_run.EndRun();
    }
}

TEST(MailServerAddress, GivesHostPortAndTls)
{
    const struct
    {
        const char *connAddress, *viewName, *host;
        std::uint16_t port;
        bool tls;
    } cases[] = {{"mail.example.com", "", "mail.example.com", 110, false},
                 {" 10.0.0.5 ", "0", "10.0.0.5", 110, false},
                 // A port in ViewName is used as it stands: 995 alone does not mean TLS.
                 {"mail.example.com", "995", "mail.example.com", 995, false},
                 {"mail.example.com", "pop", "mail.example.com", 110, false},
                 {"mail.example.com", "70000", "mail.example.com", 110, false},
                 {"pop3://mail.example.com:1110", "", "mail.example.com", 1110, false},
                 {"pop3s://mail.example.com", "", "mail.example.com", 995, true},
                 {"POP3S://mail.example.com:1995/", "", "mail.example.com", 1995, true},
                 {"pop3s://mail.example.com:1995", "2995", "mail.example.com", 2995, true},
                 // IPv6: bare (no port), or in brackets with a port.
                 {"::1", "", "::1", 110, false},
                 {"fd00::2", "1110", "fd00::2", 1110, false},
                 {"pop3s://[::1]:1995", "", "::1", 1995, true}};
    for (const auto& c : cases) {
        const MailServerAddress address = MailServerAddress::Parse(c.connAddress, c.viewName);
        EXPECT_EQ(address.host, c.host) << c.connAddress;
        EXPECT_EQ(address.port, c.port) << c.connAddress << " " << c.viewName;
        EXPECT_EQ(address.tls, c.tls) << c.connAddress;
    }
}

namespace {

// What mailers send: encoded GB2312 and UTF-8 subjects (base64 and Q, one word or several over
// folded lines), named and bare addresses, a mail without Date, a folded subject with markup.
const std::pair<const char*, const char*> kMailbox[] = {
    {"1700000001.M1P1.wendar", "From: =?GB2312?B?1cXI/Q==?= <zhang@example.com>\r\nTo: li@example.com\r\n"
                               "Subject: =?GB2312?B?xOO6ww==?=\r\nDate: Sun, 1 Jun 2003 10:00:00 +0800\r\n\r\none\r\n"},
    {"1700000002.M2P1.wendar", "From: Ann <ann@example.com>\r\nTo: \"Bob B\" <bob@example.com>\r\n"
                               "Subject: =?gb2312?Q?=C4=E3=BA=C3_world?=\r\n"
                               "Date: Tue, 15 Nov 1994 08:12:31 -0500\r\n\r\ntwo\r\n"},
    {"1700000003.M3P1.wendar", "From: =?UTF-8?Q?Caf=C3=A9?= <cafe@example.com>\r\nTo: li@example.com\r\n"
                               "Subject: =?UTF-8?B?5Lit5paH5Li76aKY?=\r\n =?UTF-8?B?5b6I6ZW/?=\r\n"
                               "Date: Mon, 2 Jun 2003 09:05:00 +0800\r\n\r\nthree\r\n"},
    {"1700000004.M4P1.wendar", "From: li@example.com\r\nTo: zhang@example.com\r\n"
                               "Subject: Re: =?UTF-8?Q?Caf=C3=A9?=\r\n\r\nno date here\r\n"},
    {"1700000005.M5P1.wendar", "From: \"<b>Boss</b>\" <evil@example.com>\r\nTo: li@example.com\r\n"
                               "Subject: <img src=x onerror=alert(1)> & 'more'\r\n for March\r\n"
                               "Date: Wed, 3 Mar 2004 18:00:00 +0800\r\n\r\nfive\r\n"}};

std::string Notice(const std::string& subject, const std::string& to, const std::string& from)
{
    return "您有新的电子邮件:<br>主题:<b>" + subject + "</b><br>接受人邮件地址:" + to + "<br>发送人邮件地址:" + from +
           "<br>请打开电子邮件程序接受处理!";
}

// The record of the mail with the given file name (its UIDL); a blank record when there is none.
MessageInfo Find(const std::vector<MessageInfo>& messages, const std::string& file)
{
    for (const MessageInfo& message : messages) {
        if (message.SourceID == file)
            return message;
    }
    return {};
}

} // namespace

class MailMonitorDovecot : public MailCheck
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
        s_server->RemoveMessage("");
        for (const auto& [file, text] : kMailbox)
            ASSERT_TRUE(s_server->AddMessage(file, text));
    }
    void TearDown() override { unsetenv("SSL_CERT_FILE"); }

    static inline std::unique_ptr<DovecotServer> s_server;
    static inline std::string s_startError;
};

TEST_F(MailMonitorDovecot, FirstCheckStoresEveryMessageTheSecondNone)
{
    Listen();
    MessageTypeInfo item = AddItem("pop3://127.0.0.1:" + std::to_string(s_server->plainPort()));
    ASSERT_EQ(Check(item), 1) << m_run.GetStatusText();
    Strings expected = {"正在检查公司邮箱->连接服务器", "正在检查公司邮箱->正在连接电子邮件服务器",
                        "正在检查公司邮箱->正在使用您的用户名登录电子邮件服务器"};
    for (int n = 1; n <= 5; ++n)
        expected.push_back("正在检查公司邮箱->正在读取 " + std::to_string(n) + "/5信件");
    expected.push_back("公司邮箱->检查完毕");
    EXPECT_EQ(m_statuses, expected);
    EXPECT_EQ(item.m_nNewCount, 5);

    const auto messages = m_store.Messages(item.messagetypeid);
    ASSERT_EQ(messages.size(), 5u);
    // Subject, sender name, recipient name and date of each mail.
    const Strings fields[] = {{"你好", "张三", "li@example.com", "2003年06月01日-10:00"},
                              {"你好 world", "Ann", "Bob B", "1994年11月15日-08:12"},
                              {"中文主题很长", "Café", "li@example.com", "2003年06月02日-09:05"},
                              {"Re: Café", "li@example.com", "zhang@example.com", ""},
                              {"<img src=x onerror=alert(1)> & 'more'\r\n for March", "<b>Boss</b>", "li@example.com",
                               "2004年03月03日-18:00"}};
    for (std::size_t i = 0; i < 5; ++i) {
        const MessageInfo message = Find(messages, kMailbox[i].first);
        EXPECT_EQ((Strings{message.SourceInfo, message.SourceFromName, message.SourceToName, message.SourceDate}),
                  fields[i]);
        EXPECT_EQ(message.MessageCategory, kCategoryMail);
        EXPECT_EQ(message.status, 0);
    }
    EXPECT_EQ(Find(messages, kMailbox[0].first).SourceContent, Notice("你好", "li@example.com", "zhang@example.com"));
    EXPECT_EQ(Find(messages, kMailbox[4].first).SourceContent,
              Notice("&lt;img src=x onerror=alert(1)&gt; &amp; &#39;more&#39;\r\n for March", "li@example.com",
                     "evil@example.com"));

    // Nothing new: nothing stored. A deleted mail keeps its record; a new one is stored once.
    EXPECT_EQ(Check(item), 0) << m_run.GetStatusText();
    ASSERT_TRUE(s_server->RemoveMessage(kMailbox[1].first));
    ASSERT_TRUE(s_server->AddMessage("1700000007.M7P1.wendar", "From: a@example.com\r\nSubject: seven\r\n\r\nx\r\n"));
    EXPECT_EQ(Check(item), 1) << m_run.GetStatusText();
    const auto after = m_store.Messages(item.messagetypeid);
    EXPECT_EQ(after.size(), 6u);
    EXPECT_EQ(Find(after, kMailbox[1].first).SourceInfo, "你好 world");
    EXPECT_EQ(Find(after, "1700000007.M7P1.wendar").SourceInfo, "seven");
    EXPECT_EQ(item.m_nNewCount, 6);

    // A deleted record's mail, still on the server, is not new again.
    std::string error;
    ASSERT_TRUE(DeleteMessages(m_store.connection(), {Find(after, kMailbox[0].first).ID}, error)) << error;
    EXPECT_EQ(Check(item), 0) << m_run.GetStatusText();
    EXPECT_EQ(m_store.Messages(item.messagetypeid).size(), 5u);
}

TEST_F(MailMonitorDovecot, SpeaksTlsOnlyToAServerItCanVerifyAndReportsAWrongPassword)
{
    const std::string port = std::to_string(s_server->tlsPort());
    setenv("SSL_CERT_FILE", s_server->certificateFile().c_str(), 1);
    MessageTypeInfo item = AddItem("pop3s://localhost", port);
    ASSERT_EQ(Check(item), 1) << m_run.GetStatusText();
    EXPECT_EQ(m_store.Messages(item.messagetypeid).size(), 5u);
    EXPECT_EQ(Check(item), 0) << m_run.GetStatusText();

    const std::string error = "检查 公司邮箱 时发生错误:->";
    // A sentence the user can act on, the client's words after it on the same line.
    const std::string unverified =
        error + "证书不可信（TLS handshake with the POP3 server failed: certificate verify failed (";
    // The failure names the certificate, so the user can choose to trust exactly it.
    const std::string named = ") " + FingerprintNote(CertificateFileFingerprint(s_server->certificateFile())) + "）";
    const std::string closed = std::to_string(Server(Server::Dialogue({})).port());
    // A trusted certificate for another name (it names localhost, not the address dialled), then
    // the system's trust store, which does not know the test certificate; last a wrong password.
    const struct
    {
        std::string address, password, status;
    } cases[] = {
        {"pop3s://127.0.0.1:" + port, DovecotServer::kPassword, unverified + "IP address mismatch" + named},
        {"pop3s://localhost:" + port, DovecotServer::kPassword, unverified + "self-signed certificate" + named},
        {"pop3://127.0.0.1:" + closed, DovecotServer::kPassword,
         error + "无法连接服务器 127.0.0.1:" + closed + "（Could not connect to the POP3 mailbox, GetLastError:111）"},
        {"pop3://127.0.0.1:" + std::to_string(s_server->plainPort()), "wrong",
         error + "用户名或者口令不正确-user or password is error:-ERR [AUTH] Authentication failed."}};
    for (const auto& c : cases) {
        MessageTypeInfo other = AddItem(c.address, "", c.password);
        EXPECT_EQ(Check(other), 0);
        EXPECT_EQ(m_run.GetStatusText(), c.status);
        EXPECT_TRUE(m_store.Messages(other.messagetypeid).empty());
        unsetenv("SSL_CERT_FILE");
    }

    // Pinned by its fingerprint, the certificate the system does not know is trusted for the name it
    // gives, and for no other.
    const std::string fingerprint = CertificateFileFingerprint(s_server->certificateFile());
    MessageTypeInfo pinned = AddItem("pop3s://localhost:" + port);
    EXPECT_EQ(Check(pinned, fingerprint), 1) << m_run.GetStatusText();
    MessageTypeInfo otherName = AddItem("pop3s://127.0.0.1:" + port);
    EXPECT_EQ(Check(otherName, fingerprint), 0);
    EXPECT_EQ(m_run.GetStatusText(), unverified + "self-signed certificate" + named);
}
