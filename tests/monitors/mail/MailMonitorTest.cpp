// The mail monitor: its own logic against scripted servers (stop requests in every phase, slow and
// failing servers, the server address), and the everyday paths against a real POP3 server (Dovecot
// on 127.0.0.1), plain and over TLS.
#include "monitors/mail/MailMonitor.h"

#include "app/ItemStore.h"
#include "monitors/CheckContext.h"
#include "monitors/StopLatency.h"
#include "monitors/mail/MailServerAddress.h"
#include "monitors/net/CertificatePin.h"
#include "store/MessageTable.h"
#include "store/MessageTypeInfo.h"
#include "support/CertificateFile.h"
#include "support/DovecotServer.h"
#include "support/FullBacklogServer.h"
#include "support/ScriptedLineServer.h"
#include "support/TestStore.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>

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
        MessageTypeInfo item = NewItem("公司邮箱", kCategoryMail, address);
        item.ViewName = port;
        item.UserName = DovecotServer::kUser;
        item.Password = password;
        return m_store.AddItem(item);
    }

    int Check(MessageTypeInfo& item, const MailCheckOptions& options = {}, const std::string& pin = {},
              bool preview = true)
    {
        CheckContext context{m_store.connection(), m_run, m_store.appDir(), nullptr, false, pin};
        context.mailPreview = preview;
        return CheckMailItemWithOptions(context, item, options);
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

const std::string kDone = "公司邮箱->检查完毕";
const std::string kStopped = "检查公司邮箱 时意外停止";
const std::string kError = "检查 公司邮箱 时发生错误:->";

// A mailbox whose STAT gives stat; UIDL and TOP are answered for the first `answered` messages,
// then comes the reply last. PASS is answered after passDelay; never when it is negative.
Server MailboxServer(const std::string& stat, int answered, const std::string& last = "",
                     milliseconds passDelay = milliseconds(0), Server::Loopback loopback = Server::Loopback::Ipv4)
{
    Strings replies = {"+OK\r\n", stat};
    for (int n = 1; n <= answered; ++n) {
        replies.push_back("+OK " + std::to_string(n) + " id-" + std::to_string(n) + "\r\n");
        replies.push_back("+OK\r\nSubject: mail " + std::to_string(n) + "\r\nFrom: a@b.c\r\n\r\n.\r\n");
    }
    replies.push_back(last);
    // After a Hold nothing more is played.
    auto script = Server::Dialogue({"+OK ready\r\n", "+OK\r\n"});
    script.insert(script.end(),
                  {Server::ReadLine(), passDelay < milliseconds(0) ? Server::Hold() : Server::Pause(passDelay)});
    const auto rest = Server::Dialogue(replies);
    script.insert(script.end(), rest.begin(), rest.end());
    return Server(script, milliseconds(60000), loopback);
}

} // namespace

using MailMonitorScripted = MailCheck;

TEST_F(MailMonitorScripted, DoesNothingWhenSwitchedOffAndAStopEndsTheCheckAtOnceInEveryPhase)
{
    Server server = MailboxServer("+OK 1 900\r\n", 1);
    MessageTypeInfo item = AddItem("127.0.0.1", " " + std::to_string(server.port()) + " ");
    item.state = 0;
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText(), kIdleStatusText);
    item.state = 1;
    Listen("正在检查公司邮箱->连接服务器");
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText(), kStopped);
    // A stop requested before the check begins: not even a status text.
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_statuses.size(), 2u);
    EXPECT_EQ(server.ConnectionsAccepted(), 0);

    // The stop comes once the wait is under way: a reply that never comes (the time-out is 30 s), a
    // TLS handshake the server never answers (bounded by 10 s), a connect to an address that drops it.
    m_run.SetStatusListener(nullptr);
    m_run.EndRun();
    Server silent = MailboxServer("", 0, "", milliseconds(-1));
    Server holding({Server::Hold()});
    FullBacklogServer full;
    ASSERT_TRUE(full.IsFull()) << "the backlog never filled";
    const std::tuple<std::string, std::uint16_t, std::function<bool()>> phases[] = {
        {"127.0.0.1", silent.port(), [&] { return silent.Lines().size() >= 2; }}, // USER and PASS read
        {"pop3s://127.0.0.1", holding.port(), [&] { return holding.ConnectionsAccepted() > 0; }},
        {"127.0.0.1", full.port(),
         [this] { return m_run.GetStatusText() == "正在检查公司邮箱->正在连接电子邮件服务器"; }}};
    for (const auto& [address, port, reached] : phases) {
        MessageTypeInfo stopped = AddItem(address, std::to_string(port));
        EXPECT_LT(StopLatency(m_run, reached, [&] { EXPECT_EQ(Check(stopped), 0); }), kStopLatency) << address;
        EXPECT_EQ(m_run.GetStatusText(), kStopped) << address;
        m_run.EndRun();
    }
}

// Dovecot delays a login from an address after a failed one by about 2 s: a login answered after
// 3 s is no failure, and one never answered ends on the reply time-out. The address may be IPv6.
TEST_F(MailMonitorScripted, EndsWithQuitAndAnnouncesWhatWasStoredAfterAStopOrAFailure)
{
    const struct
    {
        const char* stat;
        int answered;
        const char *last, *stopAt;
        std::string status;
        std::size_t stored;
        milliseconds passDelay{0}, replyTimeout{30000};
        Server::Loopback loopback = Server::Loopback::Ipv4;
    } cases[] = {
        {"+OK 3 900\r\n", 3, "", "正在检查公司邮箱->正在读取 2/3信件", kDone, 2},
        {"+OK 3 900\r\n", 1, "-ERR mailbox locked\r\n", "",
         kError + "服务器拒绝了命令（can't get uidl command:-ERR mailbox locked）", 1},
        // An empty or unreadable mailbox ends quietly; without the size STAT is asked again.
        {"+OK 0 0\r\n", 0, "+OK 0 0\r\n", "", kDone, 0},
        {"+OK 5\r\n", 0, "+OK 5\r\n", "", kDone, 0},
        {"+OK many\r\n", 0, "+OK many\r\n", "", kDone, 0},
        {"+OK 1 120\r\n", 1, "", "", kDone, 1, milliseconds(3000)},
        {"+OK 1 120\r\n", 1, "", "", kDone, 1, {}, milliseconds(30000), Server::Loopback::Ipv6},
        {"", 0, "", "", kError + "服务器没有及时回答（time out error）", 0, milliseconds(-1), milliseconds(1000)}};
    for (const auto& c : cases) {
        Server server = MailboxServer(c.stat, c.answered, c.last, c.passDelay, c.loopback);
        MessageTypeInfo item =
            AddItem(c.loopback == Server::Loopback::Ipv6 ? "::1" : "127.0.0.1", std::to_string(server.port()));
        Listen(c.stopAt);
        const auto begin = std::chrono::steady_clock::now();
        EXPECT_EQ(Check(item, {.replyTimeout = c.replyTimeout}), c.stored > 0 ? 1 : 0) << c.status;
        EXPECT_LT(std::chrono::steady_clock::now() - begin, milliseconds(20000)); // the time-out, not a hang
        EXPECT_EQ(m_run.GetStatusText(), c.status);
        EXPECT_EQ(m_store.Messages(item.messagetypeid).size(), c.stored);
        EXPECT_EQ(item.m_nNewCount, static_cast<int>(c.stored));
        ASSERT_TRUE(server.WaitForConnectionsEnded(1, milliseconds(60000)));
        EXPECT_EQ(server.Lines().back(), "QUIT\r\n") << c.status;
        m_run.EndRun();
    }
}

TEST(MailServerAddress, GivesHostPortAndTls)
{
    // clang-format off
    // The address and the view name; the host, port and TLS they give.
    const std::tuple<const char*, const char*, const char*, std::uint16_t, bool> cases[] = {
        {"m.example", "", "m.example", 110, false}, {" 10.0.0.5 ", "0", "10.0.0.5", 110, false},
        // A port in ViewName is used as it stands: 995 alone does not mean TLS.
        {"m.example", "995", "m.example", 995, false}, {"m.example", "pop", "m.example", 110, false},
        {"m.example", "70000", "m.example", 110, false}, {"pop3://m.example:1110", "", "m.example", 1110, false},
        {"pop3s://m.example", "", "m.example", 995, true}, {"POP3S://m.example:1995/", "", "m.example", 1995, true},
        {"pop3s://m.example:1995", "2995", "m.example", 2995, true},
        // IPv6: bare (no port), or in brackets with a port.
        {"::1", "", "::1", 110, false}, {"fd00::2", "1110", "fd00::2", 1110, false},
        {"pop3s://[::1]:1995", "", "::1", 1995, true}};
    // clang-format on
    for (const auto& [connAddress, viewName, host, port, tls] : cases) {
        const MailServerAddress address = MailServerAddress::Parse(connAddress, viewName);
        EXPECT_EQ(std::tuple(address.host, address.port, address.tls), std::tuple(host, port, tls))
            << connAddress << " " << viewName;
    }
}

namespace {

// "line 1" to "line <count>", each followed by the separator.
std::string Lines(int count, const std::string& separator)
{
    std::string lines;
    for (int n = 1; n <= count; ++n)
        lines += "line " + std::to_string(n) + separator;
    return lines;
}

// What mailers send, as the record shows it: encoded GB2312 and UTF-8 subjects (base64 and Q, one
// word or several over folded lines), named and bare addresses, a mail without Date, a folded
// subject with markup; bodies in quoted-printable GBK with a soft line break, base64 UTF-8 beside
// an HTML alternative, HTML only, and more lines than the preview asks for.
const struct Mail
{
    std::string file, text, subject, fromName, toName, date, from, to, preview;
    std::string noticeSubject = subject; // escaped in the notice's HTML
} kMailbox[] = {
    {"1700000001.M1P1.wendar",
     "From: =?GB2312?B?1cXI/Q==?= <zhang@example.com>\r\nTo: li@example.com\r\nSubject: =?GB2312?B?xOO6ww==?=\r\n"
     "Date: Sun, 1 Jun 2003 10:00:00 +0800\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=GBK\r\n"
     "Content-Transfer-Encoding: quoted-printable\r\n\r\n=C4=E3=BA=C3=A3=AC=CA=C0=\r\n=BD=E7 <ok>\r\nsecond line\r\n",
     "你好", "张三", "li@example.com", "2003年06月01日-10:00", "zhang@example.com", "li@example.com",
     "你好，世界 &lt;ok&gt;<br>second line"},
    {"1700000002.M2P1.wendar",
     "From: Ann <ann@example.com>\r\nTo: \"Bob B\" <bob@example.com>\r\nSubject: =?gb2312?Q?=C4=E3=BA=C3_world?=\r\n"
     "Date: Tue, 15 Nov 1994 08:12:31 -0500\r\nMIME-Version: 1.0\r\n"
     "Content-Type: multipart/alternative; boundary=\"=_b\"\r\n\r\nThis is a multi-part message.\r\n\r\n"
     "--=_b\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n\r\n"
     "5ZCI5ZCM5bey562+572y44CCCuivt+afpeaUtumZhOS7tuOAggo=\r\n--=_b\r\nContent-Type: text/html\r\n\r\n"
     "<p>html</p>\r\n--=_b--\r\n",
     "你好 world", "Ann", "Bob B", "1994年11月15日-08:12", "ann@example.com", "bob@example.com",
     "合同已签署。<br>请查收附件。"},
    {"1700000003.M3P1.wendar",
     "From: =?UTF-8?Q?Caf=C3=A9?= <cafe@example.com>\r\nTo: li@example.com\r\n"
     "Subject: =?UTF-8?B?5Lit5paH5Li76aKY?=\r\n =?UTF-8?B?5b6I6ZW/?=\r\nDate: Mon, 2 Jun 2003 09:05:00 +0800\r\n"
     "MIME-Version: 1.0\r\nContent-Type: text/html; charset=utf-8\r\n\r\n"
     "<html><head><style>p {color: red}</style></head>\r\n"
     "<body><p>会议通知</p><p>时间：明天 &amp; 地点<br>三楼</p>\r\n.starts with a dot</body></html>\r\n",
     "中文主题很长", "Café", "li@example.com", "2003年06月02日-09:05", "cafe@example.com", "li@example.com",
     "会议通知<br>时间：明天 &amp; 地点<br>三楼<br>.starts with a dot"},
    {"1700000004.M4P1.wendar",
     "From: li@example.com\r\nTo: zhang@example.com\r\nSubject: Re: =?UTF-8?Q?Caf=C3=A9?=\r\n\r\n" + Lines(30, "\r\n"),
     "Re: Café", "li@example.com", "zhang@example.com", "", "li@example.com", "zhang@example.com",
     Lines(19, "<br>") + "line 20"},
    {"1700000005.M5P1.wendar",
     "From: \"<b>Boss</b>\" <evil@example.com>\r\nTo: li@example.com\r\n"
     "Subject: <img src=x onerror=alert(1)> & 'more'\r\n for March\r\nDate: Wed, 3 Mar 2004 18:00:00 +0800\r\n\r\n"
     "five\r\n",
     "<img src=x onerror=alert(1)> & 'more'\r\n for March", "<b>Boss</b>", "li@example.com", "2004年03月03日-18:00",
     "evil@example.com", "li@example.com", "five",
     "&lt;img src=x onerror=alert(1)&gt; &amp; &#39;more&#39;\r\n for March"}};

// The notice of a mail, the first lines of its body (HTML) under it.
std::string Notice(const std::string& subject, const std::string& to, const std::string& from,
                   const std::string& preview)
{
    return "您有新的电子邮件:<br>主题:<b>" + subject + "</b><br>接受人邮件地址:" + to + "<br>发送人邮件地址:" + from +
           "<br>请打开电子邮件程序接受处理!" + (preview.empty() ? "" : "<hr>" + preview);
}

// The record of the mail with the given file name (its UIDL); a blank record when there is none.
MessageInfo Find(const std::vector<MessageInfo>& messages, const std::string& file)
{
    const auto found = std::ranges::find(messages, file, &MessageInfo::SourceID);
    return found == messages.end() ? MessageInfo() : *found;
}

} // namespace

class MailMonitorDovecot : public MailCheck
{
protected:
    void SetUp() override
    {
        std::string error;
        m_server = SharedServer<DovecotServer>(error);
        ASSERT_TRUE(m_server) << "the test POP3 server did not start: " << error;
        m_server->RemoveMessage("");
        for (const Mail& mail : kMailbox)
            ASSERT_TRUE(m_server->AddMessage(mail.file, mail.text));
    }
    void TearDown() override { unsetenv("SSL_CERT_FILE"); }

    DovecotServer* m_server = nullptr;
};

TEST_F(MailMonitorDovecot, FirstCheckStoresEveryMessageTheSecondNone)
{
    Listen();
    MessageTypeInfo item = AddItem("pop3://127.0.0.1:" + std::to_string(m_server->plainPort()));
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
    for (const Mail& mail : kMailbox) {
        const MessageInfo message = Find(messages, mail.file);
        EXPECT_EQ((Strings{message.SourceInfo, message.SourceFromName, message.SourceToName, message.SourceDate,
                           message.SourceContent}),
                  (Strings{mail.subject, mail.fromName, mail.toName, mail.date,
                           Notice(mail.noticeSubject, mail.to, mail.from, mail.preview)}));
    }
    // An item whose preview is switched off keeps the notice alone.
    MessageTypeInfo quiet = AddItem("pop3://127.0.0.1:" + std::to_string(m_server->plainPort()));
    ASSERT_EQ(Check(quiet, {}, {}, false), 1) << m_run.GetStatusText();
    EXPECT_EQ(Find(m_store.Messages(quiet.messagetypeid), kMailbox[0].file).SourceContent,
              Notice("你好", "li@example.com", "zhang@example.com", ""));

    // Nothing new: nothing stored. A deleted mail keeps its record; a new one is stored once.
    EXPECT_EQ(Check(item), 0) << m_run.GetStatusText();
    ASSERT_TRUE(m_server->RemoveMessage(kMailbox[1].file));
    ASSERT_TRUE(m_server->AddMessage("1700000007.M7P1.wendar", "From: a@example.com\r\nSubject: seven\r\n\r\nx\r\n"));
    EXPECT_EQ(Check(item), 1) << m_run.GetStatusText();
    const auto after = m_store.Messages(item.messagetypeid);
    EXPECT_EQ(after.size(), 6u);
    EXPECT_EQ(Find(after, kMailbox[1].file).SourceInfo, "你好 world");
    EXPECT_EQ(Find(after, "1700000007.M7P1.wendar").SourceInfo, "seven");
    EXPECT_EQ(item.m_nNewCount, 6);

    // A deleted record's mail, still on the server, is not new again.
    std::string error;
    ASSERT_TRUE(DeleteMessages(m_store.connection(), {Find(after, kMailbox[0].file).ID}, error)) << error;
    EXPECT_EQ(Check(item), 0) << m_run.GetStatusText();
    EXPECT_EQ(m_store.Messages(item.messagetypeid).size(), 5u);
}

TEST_F(MailMonitorDovecot, SpeaksTlsOnlyToAServerItCanVerifyAndReportsAWrongPassword)
{
    const std::string port = std::to_string(m_server->tlsPort());
    setenv("SSL_CERT_FILE", m_server->certificateFile().c_str(), 1);
    MessageTypeInfo item = AddItem("pop3s://localhost", port);
    ASSERT_EQ(Check(item), 1) << m_run.GetStatusText();
    EXPECT_EQ(m_store.Messages(item.messagetypeid).size(), 5u);
    EXPECT_EQ(Check(item), 0) << m_run.GetStatusText();

    // A sentence the user can act on, the client's words after it on the same line.
    const std::string unverified =
        kError + "证书不可信（TLS handshake with the POP3 server failed: certificate verify failed (";
    // The failure names the certificate, so the user can choose to trust exactly it.
    const std::string named = ") " + FingerprintNote(CertificateFileFingerprint(m_server->certificateFile())) + "）";
    const std::string closed = std::to_string(LoopbackListener().port());
    // A trusted certificate for another name (it names localhost, not the address dialled), then
    // the system's trust store, which does not know the test certificate; last a wrong password.
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"pop3s://127.0.0.1:" + port, DovecotServer::kPassword, unverified + "IP address mismatch" + named},
        {"pop3s://localhost:" + port, DovecotServer::kPassword, unverified + "self-signed certificate" + named},
        {"pop3://127.0.0.1:" + closed, DovecotServer::kPassword,
         kError + "无法连接服务器 127.0.0.1:" + closed + "（Could not connect to the POP3 mailbox, GetLastError:111）"},
        {"pop3://127.0.0.1:" + std::to_string(m_server->plainPort()), "wrong",
         kError + "用户名或者口令不正确-user or password is error:-ERR [AUTH] Authentication failed."}};
    for (const auto& [address, password, status] : cases) {
        MessageTypeInfo other = AddItem(address, "", password);
        EXPECT_EQ(Check(other), 0);
        EXPECT_EQ(m_run.GetStatusText(), status);
        EXPECT_TRUE(m_store.Messages(other.messagetypeid).empty());
        unsetenv("SSL_CERT_FILE");
    }

    // Pinned by its fingerprint, the certificate the system does not know is trusted for the name it
    // gives, and for no other.
    const std::string fingerprint = CertificateFileFingerprint(m_server->certificateFile());
    MessageTypeInfo pinned = AddItem("pop3s://localhost:" + port);
    EXPECT_EQ(Check(pinned, {}, fingerprint), 1) << m_run.GetStatusText();
    MessageTypeInfo otherName = AddItem("pop3s://127.0.0.1:" + port);
    EXPECT_EQ(Check(otherName, {}, fingerprint), 0);
    EXPECT_EQ(m_run.GetStatusText(), unverified + "self-signed certificate" + named);
}
