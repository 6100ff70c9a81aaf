// The mail monitor's own logic against scripted servers: stop requests, failures mid-run, the
// server address, TLS towards a server that does not speak it.
#include "app/CRunState.h"
#include "app/CheckContext.h"
#include "monitors/MailMonitor.h"
#include "monitors/MailServerAddress.h"
#include "store/MessageTypeInfo.h"
#include "support/ScriptedLineServer.h"
#include "support/TestStore.h"

#include <algorithm>
#include <gtest/gtest.h>

using Server = ScriptedLineServer;
using std::chrono::milliseconds;

namespace {

std::string Header(int n)
{
    return "+OK\r\nSubject: mail " + std::to_string(n) + "\r\nFrom: a@example.com\r\n\r\n.\r\n";
}

// A mailbox of count messages; answers for the first `answered` messages only.
std::vector<Server::Step> MailboxScript(int count, int answered)
{
    std::vector<Server::Step> script = {Server::Send("+OK ready\r\n"),
                                        Server::ReadLine(),
                                        Server::Send("+OK\r\n"),
                                        Server::ReadLine(),
                                        Server::Send("+OK\r\n"),
                                        Server::ReadLine(),
                                        Server::Send("+OK " + std::to_string(count) + " 900\r\n")};
    for (int n = 1; n <= answered; ++n) {
        script.push_back(Server::ReadLine());
        script.push_back(Server::Send("+OK " + std::to_string(n) + " id-" + std::to_string(n) + "\r\n"));
        script.push_back(Server::ReadLine());
        script.push_back(Server::Send(Header(n)));
    }
    return script;
}

class MailMonitorScripted : public ::testing::Test
{
protected:
    MessageTypeInfo AddItem(std::uint16_t port)
    {
        MessageTypeInfo item;
        item.MessageCategory = kCategoryMail;
        item.MessageTypeName = "公司邮箱";
        item.connAddress = "127.0.0.1";
        item.ViewName = " " + std::to_string(port) + " ";
        item.UserName = "bob";
        item.Password = "pw";
        return m_store.AddItem(item);
    }

    int Check(MessageTypeInfo& item)
    {
        CheckContext context{m_store.connection(), m_run, m_store.appDir()};
        return CheckMailItem(context, item);
    }

    // Requests a stop as soon as a status text equal to `text` is written.
    void StopAt(const std::string& text)
    {
        m_run.SetStatusListener([this, text](const std::string& status) {
            if (status == text)
                m_run.RequestStop();
        });
    }

    TestStore m_store;
    CRunState m_run;
};

} // namespace

TEST_F(MailMonitorScripted, DoesNothingWhenStoppedOrSwitchedOff)
{
    Server server(MailboxScript(1, 1));
    MessageTypeInfo item = AddItem(server.port());
    item.state = 0;
    EXPECT_EQ(Check(item), 0);
    item.state = 1;
    m_run.RequestStop();
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText(), kIdleStatusText);
    EXPECT_EQ(server.ConnectionsAccepted(), 0);
}

TEST_F(MailMonitorScripted, AStopBeforeConnectingEndsTheCheck)
{
    Server server(MailboxScript(1, 1));
    MessageTypeInfo item = AddItem(server.port());
    StopAt("正在检查公司邮箱->连接服务器");
    EXPECT_EQ(Check(item), 0);
    EXPECT_EQ(m_run.GetStatusText(), "检查公司邮箱 时意外停止");
    EXPECT_EQ(server.ConnectionsAccepted(), 0);
}

TEST_F(MailMonitorScripted, AStopBetweenMessagesKeepsWhatWasStoredAndQuits)
{
    Server server(MailboxScript(3, 3));
    MessageTypeInfo item = AddItem(server.port());
    StopAt("正在检查公司邮箱->正在读取 2/3信件");
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(m_run.GetStatusText(), "公司邮箱->检查完毕");
    EXPECT_EQ(m_store.Messages(item.messagetypeid).size(), 2u);
    EXPECT_EQ(item.m_nNewCount, 2);
    ASSERT_TRUE(server.WaitForConnectionsEnded(1, milliseconds(3000)));
    EXPECT_EQ(server.Lines().back(), "QUIT\r\n");
}

TEST_F(MailMonitorScripted, AFailureMidRunIsReportedAndWhatWasStoredIsAnnounced)
{
    Server server([] {
        auto script = MailboxScript(3, 1);
        script.push_back(Server::ReadLine());
        script.push_back(Server::Send("-ERR mailbox locked\r\n"));
        return script;
    }());
    MessageTypeInfo item = AddItem(server.port());
    EXPECT_EQ(Check(item), 1);
    EXPECT_EQ(m_run.GetStatusText(), "检查 公司邮箱 时发生错误:->can't get uidl command:-ERR mailbox locked\r\n");
    const auto messages = m_store.Messages(item.messagetypeid);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].SourceInfo, "mail 1");
    EXPECT_EQ(item.m_nNewCount, 1);
    ASSERT_TRUE(server.WaitForConnectionsEnded(1, milliseconds(3000)));
    EXPECT_EQ(server.Lines().back(), "QUIT\r\n");
}

TEST_F(MailMonitorScripted, AnEmptyOrUnreadableMailboxEndsQuietly)
{
    for (const char* stat : {"+OK 0 0\r\n", "+OK many\r\n"}) {
        Server server({Server::Send("+OK\r\n"), Server::ReadLine(), Server::Send("+OK\r\n"), Server::ReadLine(),
                       Server::Send("+OK\r\n"), Server::ReadLine(), Server::Send(stat), Server::ReadLine(),
                       Server::Send(stat)});
        MessageTypeInfo item = AddItem(server.port());
        EXPECT_EQ(Check(item), 0) << stat;
        EXPECT_EQ(m_run.GetStatusText(), "公司邮箱->检查完毕") << stat;
    }
}

TEST_F(MailMonitorScripted, TlsTowardsAPlainServerSendsNoCredentials)
{
    Server server({Server::Send("+OK plain server here\r\n")});
    MessageTypeInfo item = AddItem(server.port());
    item.connAddress = "pop3s://127.0.0.1";
    EXPECT_EQ(Check(item), 0);
    const std::string status = m_run.GetStatusText();
    EXPECT_EQ(status.rfind("检查 公司邮箱 时发生错误:->TLS handshake with the POP3 server failed: ", 0), 0u) << status;
    ASSERT_TRUE(server.WaitForConnectionsEnded(1, milliseconds(3000)));
    for (const std::string& line : server.Lines()) {
        EXPECT_EQ(line.find("bob"), std::string::npos);
        EXPECT_EQ(line.find("pw"), std::string::npos);
        EXPECT_EQ(line.find("QUIT"), std::string::npos);
    }
}

struct AddressCase
{
    const char* connAddress;
    const char* viewName;
    const char* host;
    std::uint16_t port;
    bool tls;
};

class MailServerAddressParse : public ::testing::TestWithParam<AddressCase>
{
};

TEST_P(MailServerAddressParse, GivesHostPortAndTls)
{
    const AddressCase& c = GetParam();
    const MailServerAddress address = MailServerAddress::Parse(c.connAddress, c.viewName);
    EXPECT_EQ(address.host, c.host);
    EXPECT_EQ(address.port, c.port);
    EXPECT_EQ(address.tls, c.tls);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, MailServerAddressParse,
    ::testing::Values(AddressCase{"mail.example.com", "", "mail.example.com", 110, false},
                      AddressCase{" 10.0.0.5 ", "0", "10.0.0.5", 110, false},
                      // A port in ViewName is used as it stands: 995 alone does not mean TLS.
                      AddressCase{"mail.example.com", "995", "mail.example.com", 995, false},
                      AddressCase{"mail.example.com", " 1110 ", "mail.example.com", 1110, false},
                      AddressCase{"mail.example.com", "pop", "mail.example.com", 110, false},
                      AddressCase{"mail.example.com", "70000", "mail.example.com", 110, false},
                      AddressCase{"pop3://mail.example.com:1110", "", "mail.example.com", 1110, false},
                      AddressCase{"pop3s://mail.example.com", "", "mail.example.com", 995, true},
                      AddressCase{"POP3S://mail.example.com:1995/", "", "mail.example.com", 1995, true},
                      AddressCase{"pop3s://mail.example.com:1995", "2995", "mail.example.com", 2995, true}));
