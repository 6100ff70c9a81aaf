// The mail monitor against slow and silent POP3 servers (scripted, on the loopback): a login the
// server delays is no wrong password, a reply that never comes is a time-out, and a stop ends the
// check at once in every phase (connect, TLS handshake, a reply).
#include "monitors/CRunState.h"
#include "monitors/CheckContext.h"
#include "monitors/mail/MailMonitor.h"
#include "store/MessageTypeInfo.h"
#include "support/FullBacklogServer.h"
#include "support/ScriptedLineServer.h"
#include "support/TestStore.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

using Server = ScriptedLineServer;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

// Far below every time-out in play: the stop, not a time-out, ended the check.
constexpr milliseconds kStopLatency{5000};

const std::string kDone = "公司邮箱->检查完毕";
const std::string kStopped = "检查公司邮箱 时意外停止";
const std::string kError = "检查 公司邮箱 时发生错误:->";
const std::string kBadLogin = "用户名或者口令不正确-";

// Greeting and USER at once; PASS after passDelay (or never); then one message.
std::vector<Server::Step> LoginScript(bool answerPass, milliseconds passDelay = milliseconds(0))
{
    std::vector<Server::Step> script = {Server::Send("+OK ready\r\n"), Server::ReadLine(), Server::Send("+OK\r\n"),
                                        Server::ReadLine()};
    if (!answerPass) {
        script.push_back(Server::Hold());
        return script;
    }
    script.push_back(Server::Pause(passDelay));
    for (const char* reply :
         {"+OK logged in\r\n", "+OK 1 120\r\n", "+OK 1 id-1\r\n", "+OK\r\nSubject: late\r\nFrom: a@b.c\r\n\r\n.\r\n"}) {
        script.push_back(Server::Send(reply));
        script.push_back(Server::ReadLine());
    }
    return script;
}

class SlowMail : public ::testing::Test
{
protected:
    MessageTypeInfo AddItem(const std::string& address, std::uint16_t port)
    {
        MessageTypeInfo item;
        item.MessageCategory = kCategoryMail;
        item.MessageTypeName = "公司邮箱";
        item.connAddress = address;
        item.ViewName = std::to_string(port);
        item.UserName = "bob";
        item.Password = "right";
        return m_store.AddItem(item);
    }
    int Check(MessageTypeInfo& item, const MailCheckOptions& options = {})
    {
        CheckContext context{m_store.connection(), m_run, m_store.appDir()};
        return CheckMailItemWithOptions(context, item, options);
    }
    // Starts the check, requests a stop once `phase` is the status text and the wait has begun,
    // and returns how long the check took after the stop.
    milliseconds StopLatency(MessageTypeInfo& item, const std::string& phase)
    {
        m_run.SetStatusListener([this, phase](const std::string& status) {
            if (status == phase)
                m_phaseReached = Clock::now();
        });
        Clock::time_point stopAt;
        std::thread stopper([&] {
            const auto until = Clock::now() + std::chrono::seconds(60);
            while (m_phaseReached.load() == Clock::time_point() && Clock::now() < until)
                std::this_thread::sleep_for(milliseconds(5));
            std::this_thread::sleep_for(milliseconds(300)); // well inside the wait
            stopAt = Clock::now();
            m_run.RequestStop();
        });
        EXPECT_EQ(Check(item), 0);
        const auto ended = Clock::now();
        stopper.join();
        m_run.SetStatusListener(nullptr);
        m_run.EndRun();
        m_phaseReached = Clock::time_point();
        return std::chrono::duration_cast<milliseconds>(ended - stopAt);
    }

    TestStore m_store;
    CRunState m_run;
    std::atomic<Clock::time_point> m_phaseReached{};
};

} // namespace

TEST_F(SlowMail, ALoginTheServerDelaysSucceedsAndOneNeverAnsweredIsATimeOutNotAWrongPassword)
{
    // Dovecot delays a login from an address after a failed one by about 2 s.
    Server late(LoginScript(true, milliseconds(3000)));
    MessageTypeInfo item = AddItem("127.0.0.1", late.port());
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(m_run.GetStatusText(), kDone);
    EXPECT_EQ(m_store.Messages(item.messagetypeid).size(), 1u);

    Server silent(LoginScript(false));
    MessageTypeInfo other = AddItem("127.0.0.1", silent.port());
    MailCheckOptions options;
    options.replyTimeout = milliseconds(1000);
    const auto begin = Clock::now();
    EXPECT_EQ(Check(other, options), 0);
    EXPECT_LT(Clock::now() - begin, milliseconds(20000)); // the time-out, not a hang
    EXPECT_EQ(m_run.GetStatusText(), kError + "服务器没有及时回答（time out error）");

    // The server's refusal still is a wrong password.
    Server refusing(Server::Dialogue({"+OK ready\r\n", "+OK\r\n", "-ERR [AUTH] Authentication failed.\r\n"}));
    MessageTypeInfo refused = AddItem("127.0.0.1", refusing.port());
    EXPECT_EQ(Check(refused), 0);
    EXPECT_EQ(m_run.GetStatusText(),
              kError + kBadLogin + "user or password is error:-ERR [AUTH] Authentication failed.");
}

TEST_F(SlowMail, TheAddressLookupTakesIpv6)
{
    Server v6(LoginScript(true), milliseconds(60000), Server::Loopback::Ipv6);
    MessageTypeInfo item = AddItem("::1", v6.port());
    EXPECT_EQ(Check(item), 1) << m_run.GetStatusText();
    item.connAddress = "pop3://[::1]:" + std::to_string(v6.port());
    item.ViewName.clear();
    EXPECT_EQ(Check(item), 0) << m_run.GetStatusText(); // known already
    EXPECT_EQ(m_run.GetStatusText(), kDone);
}

TEST_F(SlowMail, AStopEndsTheCheckAtOnceInEveryPhase)
{
    const std::string connecting = "正在检查公司邮箱->正在连接电子邮件服务器";
    const std::string loggingIn = "正在检查公司邮箱->正在使用您的用户名登录电子邮件服务器";

    // A reply that never comes (the time-out is 30 s).
    Server silent(LoginScript(false));
    MessageTypeInfo item = AddItem("127.0.0.1", silent.port());
    EXPECT_LT(StopLatency(item, loggingIn), kStopLatency);
    EXPECT_EQ(m_run.GetStatusText(), kStopped);

    // A TLS handshake the server never answers (bounded by 10 s).
    Server holding({Server::Hold()});
    item.connAddress = "pop3s://127.0.0.1";
    item.ViewName = std::to_string(holding.port());
    EXPECT_LT(StopLatency(item, connecting), kStopLatency);
    EXPECT_EQ(m_run.GetStatusText(), kStopped);

    // A connect to an address that drops it: a listener whose backlog is full gets no answer.
    FullBacklogServer full;
    ASSERT_TRUE(full.IsFull()) << "the backlog never filled";
    item.connAddress = "127.0.0.1";
    item.ViewName = std::to_string(full.port());
    EXPECT_LT(StopLatency(item, connecting), kStopLatency);
    EXPECT_EQ(m_run.GetStatusText(), kStopped);
}
