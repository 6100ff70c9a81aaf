// The POP3 client against scripted servers: exact commands, reply corners and injected faults.
#include "monitors/CClientSocket.h"
#include "monitors/CPop3Client.h"
#include "support/ScriptedLineServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using Server = ScriptedLineServer;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

namespace {

// Greeting, USER, PASS and STAT answered with the given STAT reply.
std::vector<Server::Step> LoginScript(const std::string& statReply = "+OK 2 320\r\n")
{
    return {Server::Send("+OK ready\r\n"),     Server::ReadLine(), Server::Send("+OK\r\n"), Server::ReadLine(),
            Server::Send("+OK logged in\r\n"), Server::ReadLine(), Server::Send(statReply)};
}

std::vector<Server::Step> operator+(std::vector<Server::Step> a, const std::vector<Server::Step>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

// The lines a client sent once the conversation is over.
std::vector<std::string> LinesAfterClose(Server& server)
{
    EXPECT_TRUE(server.WaitForConnectionsEnded(1, milliseconds(3000)));
    return server.Lines();
}

const std::string kHeader = "Subject: Hello\r\nFrom: Ann <ann@example.com>\r\nTo: bob@example.com\r\n\r\n.\r\n";

} // namespace

TEST(Pop3ClientScripted, WalksTheMailboxWithTheExactCommands)
{
    Server server(LoginScript() +
                  std::vector<Server::Step>{Server::ReadLine(), Server::Send("+OK 1 whqtswO00WBw418f9t5JxYwZ\r\n"),
                                            Server::ReadLine(), Server::Send("+OK 68 octets\r\n" + kHeader)});
    {
        CPop3Client client;
        ASSERT_TRUE(client.Connect("127.0.0.1", server.port())) << client.GetLastErrorText();
        ASSERT_TRUE(client.Login("bob", "pw")) << client.GetLastErrorText();
        EXPECT_EQ(client.GetMessageCount(), 2);
        std::string id;
        ASSERT_TRUE(client.GetUniqueId(1, id));
        EXPECT_EQ(id, "whqtswO00WBw418f9t5JxYwZ\r\n"); // kept with its line end, as stored
        ASSERT_TRUE(client.RetrieveHeader(1)) << client.GetLastErrorText();
        EXPECT_EQ(client.Message().GetText(), "68 octets\r\n" + kHeader);
        EXPECT_EQ(client.Message().GetSubject(), "Hello");
        EXPECT_EQ(client.GetLastErrorText(), "");
    }
    EXPECT_EQ(LinesAfterClose(server), (std::vector<std::string>{"user bob\r\n", "pass pw\r\n", "stat\r\n",
                                                                 "uidl 1\r\n", "top 1 0\r\n", "QUIT\r\n"}));
}

TEST(Pop3ClientScripted, AcceptsALowerCaseGreeting)
{
    Server server({Server::Send("+ok hello\r\n")});
    CPop3Client client;
    EXPECT_TRUE(client.Connect("127.0.0.1", server.port())) << client.GetLastErrorText();
    EXPECT_EQ(client.GetResponse(), "hello\r\n");
}

TEST(Pop3ClientScripted, ReportsRefusedLoginsWithTheServersReply)
{
    Server badPassword({Server::Send("+OK\r\n"), Server::ReadLine(), Server::Send("+OK\r\n"), Server::ReadLine(),
                        Server::Send("-ERR bad password\r\n")});
    CPop3Client client;
    ASSERT_TRUE(client.Connect("127.0.0.1", badPassword.port()));
    EXPECT_FALSE(client.Login("bob", "wrong"));
    EXPECT_EQ(client.GetLastErrorText(), "user or password is error:-ERR bad password\r\n");
    EXPECT_EQ(client.GetMessageCount(), -1);

    Server noUser({Server::Send("+OK\r\n"), Server::ReadLine(), Server::Send("-ERR no such user\r\n")});
    CPop3Client other;
    ASSERT_TRUE(other.Connect("127.0.0.1", noUser.port()));
    EXPECT_FALSE(other.Login("nobody", "pw"));
    EXPECT_EQ(other.GetLastErrorText(), "Not has the user:-ERR no such user\r\n");
}

TEST(Pop3ClientScripted, GuardsTheSessionState)
{
    CPop3Client idle;
    EXPECT_FALSE(idle.Login("bob", "pw"));
    EXPECT_EQ(idle.GetLastErrorText(), "not connected ,can't login");
    EXPECT_FALSE(idle.Stat());
    EXPECT_EQ(idle.GetLastErrorText(), "not connected or authorized,can't get the mailCount");
    std::string id;
    EXPECT_FALSE(idle.GetUniqueId(1, id));
    EXPECT_EQ(idle.GetLastErrorText(), "not connected or authorized,can't get the mailid");
    EXPECT_FALSE(idle.RetrieveHeader(1));
    EXPECT_FALSE(idle.Quit()); // nothing to say to nobody

    Server server(LoginScript("+OK 0 0\r\n"));
    CPop3Client client;
    ASSERT_TRUE(client.Connect("127.0.0.1", server.port()));
    ASSERT_TRUE(client.Login("bob", "pw"));
    EXPECT_FALSE(client.Login("bob", "pw"));
    EXPECT_EQ(client.GetLastErrorText(), "have logged,cannot login again");
}

TEST(Pop3ClientScripted, ReadsTheStatCount)
{
    {
        Server server(LoginScript("+OK 0 0\r\n"));
        CPop3Client client;
        ASSERT_TRUE(client.Connect("127.0.0.1", server.port()));
        ASSERT_TRUE(client.Login("bob", "pw"));
        EXPECT_EQ(client.GetMessageCount(), 0);
        std::string id;
        EXPECT_FALSE(client.GetUniqueId(1, id));
        EXPECT_EQ(client.GetLastErrorText(), "item greated than Count or item<=0");
    }
    {
        // Without the size the count is not trusted, and no number is valid.
        Server server(LoginScript("+OK 5\r\n") +
                      std::vector<Server::Step>{Server::ReadLine(), Server::Send("+OK 5\r\n"), Server::ReadLine(),
                                                Server::Send("+OK 5\r\n")});
        CPop3Client client;
        ASSERT_TRUE(client.Connect("127.0.0.1", server.port()));
        ASSERT_TRUE(client.Login("bob", "pw"));
        EXPECT_EQ(client.GetMessageCount(), -1);
        EXPECT_FALSE(client.RetrieveHeader(1));
        EXPECT_EQ(client.GetLastErrorText(), "item greated than Count or item<=0");
    }
}

TEST(Pop3ClientScripted, CutsTheUniqueIdAtAColon)
{
    Server server(LoginScript("+OK 3 900\r\n") +
                  std::vector<Server::Step>{Server::ReadLine(), Server::Send("+OK 3 abc:def\r\n"), Server::ReadLine(),
                                            Server::Send("+OK 3 abc\r\n"), Server::ReadLine(),
                                            Server::Send("-ERR no such message\r\n")});
    CPop3Client client;
    ASSERT_TRUE(client.Connect("127.0.0.1", server.port()));
    ASSERT_TRUE(client.Login("bob", "pw"));
    std::string id;
    ASSERT_TRUE(client.GetUniqueId(3, id));
    EXPECT_EQ(id, "abc");
    ASSERT_TRUE(client.GetUniqueId(3, id));
    EXPECT_EQ(id, "abc\r\n");
    EXPECT_FALSE(client.GetUniqueId(2, id));
    EXPECT_EQ(id, "");
    EXPECT_EQ(client.GetLastErrorText(), "can't get uidl command:-ERR no such message\r\n");
}

TEST(Pop3ClientScripted, CarriesLongNamesAndLargeMessageNumbers)
{
    const std::string user(500, 'u');
    const std::string password(300, 'p');
    Server server(LoginScript("+OK 10001 5000000\r\n") +
                  std::vector<Server::Step>{Server::ReadLine(), Server::Send("+OK 10001 last\r\n")});
    CPop3Client client;
    ASSERT_TRUE(client.Connect("127.0.0.1", server.port()));
    ASSERT_TRUE(client.Login(user, password));
    std::string id;
    ASSERT_TRUE(client.GetUniqueId(10001, id));
    EXPECT_EQ(id, "last\r\n");
    client.Quit();
    const auto lines = LinesAfterClose(server);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "user " + user + "\r\n");
    EXPECT_EQ(lines[1], "pass " + password + "\r\n");
    EXPECT_EQ(lines[3], "uidl 10001\r\n");
}

TEST(Pop3ClientScripted, RefusesLineBreaksInTheCredentials)
{
    Server server({Server::Send("+OK\r\n")});
    {
        CPop3Client client;
        ASSERT_TRUE(client.Connect("127.0.0.1", server.port()));
        EXPECT_FALSE(client.Login("bob", "pw\r\ndele 1"));
        EXPECT_EQ(client.GetLastErrorText(), "the user name or password contains a line break");
    }
    EXPECT_EQ(LinesAfterClose(server), std::vector<std::string>{"QUIT\r\n"});
}

TEST(Pop3ClientScripted, CollectsAReplyThatArrivesInPieces)
{
    const std::string reply = "+OK\r\n" + kHeader;
    Server server(LoginScript() +
                  std::vector<Server::Step>{Server::ReadLine(), Server::Send(reply, 7, milliseconds(40))});
    CPop3Client client;
    ASSERT_TRUE(client.Connect("127.0.0.1", server.port()));
    ASSERT_TRUE(client.Login("bob", "pw"));
    ASSERT_TRUE(client.RetrieveHeader(2)) << client.GetLastErrorText();
    EXPECT_EQ(client.Message().GetText(), kHeader);
}

TEST(Pop3ClientScripted, GivesUpOnAReplySlowerThanTwoSecondsInAll)
{
    // Every piece comes well within the bound, but the whole reply does not.
    const std::string reply = "+OK\r\n" + kHeader;
    Server server(LoginScript() + std::vector<Server::Step>{Server::ReadLine(),
                                                            Server::Send(reply, reply.size() / 6, milliseconds(450))});
    CPop3Client client;
    ASSERT_TRUE(client.Connect("127.0.0.1", server.port()));
    ASSERT_TRUE(client.Login("bob", "pw"));
    const auto start = Clock::now();
    EXPECT_FALSE(client.RetrieveHeader(1));
    EXPECT_GE(MillisecondsSince(start), 2000);
    EXPECT_LT(MillisecondsSince(start), 2600);
    EXPECT_EQ(client.GetLastErrorText().rfind("can't get top command:", 0), 0u) << client.GetLastErrorText();
}

TEST(Pop3ClientScripted, ARefusedTopDoesNotWaitForTheEndOfAList)
{
    Server server(LoginScript() + std::vector<Server::Step>{Server::ReadLine(), Server::Send("-ERR no top here\r\n")});
    CPop3Client client;
    ASSERT_TRUE(client.Connect("127.0.0.1", server.port()));
    ASSERT_TRUE(client.Login("bob", "pw"));
    const auto start = Clock::now();
    EXPECT_FALSE(client.RetrieveHeader(1));
    EXPECT_LT(MillisecondsSince(start), 1000);
    EXPECT_EQ(client.GetLastErrorText(), "can't get top command:-ERR no top here\r\n");
}

TEST(Pop3ClientScripted, AServerThatClosesMidReplyFailsAtOnce)
{
    Server server(LoginScript() +
                  std::vector<Server::Step>{Server::ReadLine(), Server::Send("+OK\r\nSubject: cut"), Server::Close()});
    CPop3Client client;
    ASSERT_TRUE(client.Connect("127.0.0.1", server.port()));
    ASSERT_TRUE(client.Login("bob", "pw"));
    const auto start = Clock::now();
    EXPECT_FALSE(client.RetrieveHeader(1));
    EXPECT_LT(MillisecondsSince(start), 1000);
    EXPECT_EQ(client.GetLastErrorText(), "can't get top command:+OK\r\nSubject: cut");

    Server closing({Server::Close()});
    CPop3Client other;
    EXPECT_FALSE(other.Connect("127.0.0.1", closing.port()));
    EXPECT_EQ(other.GetLastErrorText(), "the POP3 server closed the connection");
}

TEST(Pop3ClientScripted, AServerThatNeverAnswersTimesOutAndStillGetsQuit)
{
    Server server({Server::Hold()});
    {
        CPop3Client client;
        const auto start = Clock::now();
        EXPECT_FALSE(client.Connect("127.0.0.1", server.port()));
        EXPECT_GE(MillisecondsSince(start), 2000);
        EXPECT_LT(MillisecondsSince(start), 2600);
        EXPECT_EQ(client.GetLastErrorText(), "time out error");
    }
    EXPECT_EQ(LinesAfterClose(server), std::vector<std::string>{"QUIT\r\n"});

    Server refusing({Server::Send("-ERR go away\r\n")});
    CPop3Client refused;
    EXPECT_FALSE(refused.Connect("127.0.0.1", refusing.port()));
    EXPECT_EQ(refused.GetLastErrorText(), "the POP3 server refused the connection:-ERR go away\r\n");
}

TEST(Pop3ClientScripted, TlsHandshakesAreBoundedAndSendNothingInClear)
{
    Server silent({Server::Hold()});
    {
        CPop3Client client;
        client.SetConnectTimeout(milliseconds(300));
        const auto start = Clock::now();
        EXPECT_FALSE(client.Connect("127.0.0.1", silent.port(), true));
        EXPECT_LT(MillisecondsSince(start), 1000);
        EXPECT_EQ(client.GetLastErrorText(), "TLS handshake with the POP3 server failed: no answer from the server");
    }
    Server plain({Server::Send("+OK plain\r\n")});
    {
        CPop3Client client;
        EXPECT_FALSE(client.Connect("127.0.0.1", plain.port(), true));
        EXPECT_EQ(client.GetLastErrorText(), "TLS handshake with the POP3 server failed: the server does not speak "
                                             "TLS on this port (wrong version number)");
    }
    for (Server* server : {&silent, &plain}) {
        ASSERT_TRUE(server->WaitForConnectionsEnded(1, milliseconds(3000)));
        for (const std::string& line : server->Lines())
            EXPECT_EQ(line.find("QUIT"), std::string::npos);
    }
}

TEST(Pop3ClientScripted, DestroyingALoggedInClientSendsQuit)
{
    Server server(LoginScript());
    {
        CPop3Client client;
        ASSERT_TRUE(client.Connect("127.0.0.1", server.port()));
        ASSERT_TRUE(client.Login("bob", "pw"));
    }
    const auto lines = LinesAfterClose(server);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "QUIT\r\n");
    EXPECT_EQ(lines.size(), 4u);
}

TEST(Pop3ClientScripted, ExplainsWhyItCouldNotConnect)
{
    // A port nobody listens on: take one and let it go.
    std::uint16_t port = 0;
    {
        Server gone({});
        port = gone.port();
    }
    CPop3Client client;
    EXPECT_FALSE(client.Connect("127.0.0.1", port));
    EXPECT_EQ(client.GetLastErrorText(), "Could not connect to the POP3 mailbox, GetLastError:111\n");
    CPop3Client unnamed;
    EXPECT_FALSE(unnamed.Connect("", 110));
    EXPECT_EQ(unnamed.GetLastErrorText(), "Could not connect to the POP3 mailbox, GetLastError:22\n");
}

TEST(ClientSocket, AConnectWithoutAnswerEndsAtItsBound)
{
    // A listener that never accepts and has no room left: further connects get no answer.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 0), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::uint16_t port = ntohs(address.sin_port);

    std::vector<std::unique_ptr<CClientSocket>> fillers;
    bool stalled = false;
    for (int i = 0; i < 8 && !stalled; ++i) {
        auto socket = std::make_unique<CClientSocket>();
        const auto start = Clock::now();
        const bool connected = socket->Connect("127.0.0.1", port, milliseconds(300));
        if (!connected) {
            stalled = true;
            EXPECT_EQ(socket->GetLastError(), ETIMEDOUT);
            EXPECT_GE(MillisecondsSince(start), 290);
            EXPECT_LT(MillisecondsSince(start), 1000);
        }
        fillers.push_back(std::move(socket));
    }
    EXPECT_TRUE(stalled) << "the backlog never filled";
    close(listener);
}
