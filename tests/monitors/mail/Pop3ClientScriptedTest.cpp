// The POP3 client against scripted servers: exact commands, reply corners and injected faults.
#include "monitors/mail/CPop3Client.h"
#include "support/FullBacklogServer.h"
#include "support/ScriptedLineServer.h"

#include <gtest/gtest.h>

using Server = ScriptedLineServer;
using Strings = std::vector<std::string>;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

namespace {

// A lower-case "+ok" greeting, USER, PASS and STAT answered, then the given replies, then steps.
std::vector<Server::Step> LoginScript(const std::string& stat, Strings replies = {},
                                      const std::vector<Server::Step>& more = {})
{
    replies.insert(replies.begin(), {"+ok ready\r\n", "+OK\r\n", "+OK in\r\n", stat});
    auto script = Server::Dialogue(replies);
    script.insert(script.end(), more.begin(), more.end());
    return script;
}

long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

// The lines a client sent once the conversation is over.
Strings LinesAfterClose(Server& server)
{
    EXPECT_TRUE(server.WaitForConnectionsEnded(1, milliseconds(60000)));
    return server.Lines();
}

const std::string kHeader = "Subject: Hello\r\nFrom: Ann <ann@example.com>\r\nTo: bob@example.com\r\n\r\n.\r\n";

} // namespace

TEST(Pop3ClientScripted, WalksTheMailboxWithTheExactCommandsAndQuitsOnDestruction)
{
    // Credentials of any length and message numbers beyond 9999 are carried whole.
    const std::string user(500, 'u'), password(300, 'p');
    Server server(LoginScript("+OK 10001 5000000\r\n", {"+OK 10001 abc:def\r\n", "+OK 3 whqtswO00WBw418f9t5JxYwZ\r\n",
                                                        "-ERR no such\r\n", "+OK 68 octets\r\n" + kHeader}));
    {
        CPop3Client client;
        ASSERT_TRUE(client.Connect("127.0.0.1", server.port())) << client.GetLastErrorText();
        EXPECT_EQ(client.GetResponse(), "ready\r\n");
        ASSERT_TRUE(client.Login(user, password)) << client.GetLastErrorText();
        EXPECT_FALSE(client.Login(user, password));
        EXPECT_EQ(client.GetLastErrorText(), "have logged,cannot login again");
        EXPECT_EQ(client.GetMessageCount(), 10001);
        std::string id;
        // Cut at a colon; kept with its line end, as stored; none.
        EXPECT_TRUE(client.GetUniqueId(10001, id) && id == "abc") << id;
        EXPECT_TRUE(client.GetUniqueId(3, id) && id == "whqtswO00WBw418f9t5JxYwZ\r\n") << id;
        EXPECT_FALSE(client.GetUniqueId(2, id) || !id.empty()) << id;
        EXPECT_EQ(client.GetLastErrorText(), "can't get uidl command:-ERR no such\r\n");
        EXPECT_FALSE(client.RetrieveHeader(10002));
        EXPECT_EQ(client.GetLastErrorText(), "item greated than Count or item<=0");
        ASSERT_TRUE(client.RetrieveHeader(10001)) << client.GetLastErrorText();
        EXPECT_EQ(client.Message().GetText(), "68 octets\r\n" + kHeader);
    }
    EXPECT_EQ(LinesAfterClose(server),
              (Strings{"user " + user + "\r\n", "pass " + password + "\r\n", "stat\r\n", "uidl 10001\r\n", "uidl 3\r\n",
                       "uidl 2\r\n", "top 10001 0\r\n", "QUIT\r\n"}));
}

TEST(Pop3ClientScripted, ReportsRefusedLoginsWithTheServersReply)
{
    const std::tuple<Strings, const char*, const char*> cases[] = {
        {{"+OK\r\n", "-ERR no such user\r\n"}, "pw", "Not has the user:-ERR no such user\r\n"},
        // Line breaks would smuggle commands: nothing but QUIT is sent.
        {{"+OK\r\n"}, "pw\r\ndele 1", "the user name or password contains a line break"}};
    for (const auto& [replies, password, error] : cases) {
        Server server(Server::Dialogue(replies));
        {
            CPop3Client client;
            ASSERT_TRUE(client.Connect("127.0.0.1", server.port()));
            EXPECT_FALSE(client.Login("bob", password));
            EXPECT_EQ(client.GetLastErrorText(), error);
        }
        if (replies.size() == 1) {
            EXPECT_EQ(LinesAfterClose(server), Strings{"QUIT\r\n"});
        }
    }

    // Without a connection every step fails with a reason, and there is nothing to say QUIT to.
    CPop3Client idle;
    std::string id;
    EXPECT_FALSE(idle.Login("bob", "pw") || idle.Stat() || idle.GetUniqueId(1, id) || idle.RetrieveHeader(1) ||
                 idle.Quit());
}

TEST(Pop3ClientScripted, ReadsATopReplyWithinItsTimeOutInAll)
{
    const std::string reply = "+OK\r\n" + kHeader;
    // The step after TOP, whether the header is read, the header or the start of the error text, and
    // the time that takes, in milliseconds.
    const std::tuple<Server::Step, bool, std::string, long long, long long> cases[] = {
        {Server::Send(reply, 7, milliseconds(10)), true, kHeader, 0, 2000},
        // Each piece comes in time, but not the whole reply.
        {Server::Send(reply, reply.size() / 6, milliseconds(450)), false, "time out error", 2000, 10000},
        // A refusal does not wait for the end of a list; a close mid-reply ends the wait.
        {Server::Send("-ERR no top here\r\n"), false, "can't get top command:-ERR no top here\r\n", 0, 2000},
        {Server::Send("+OK\r\nSubject: cut"), false, "the POP3 server closed the connection", 0, 2000}};
    for (const auto& [step, ok, expected, atLeast, below] : cases) {
        Server server(LoginScript("+OK 2 320\r\n", {}, {Server::ReadLine(), step, Server::Close()}));
        CPop3Client client;
        client.SetReplyTimeout(milliseconds(2000));
        ASSERT_TRUE(client.Connect("127.0.0.1", server.port()) && client.Login("bob", "pw"));
        const auto start = Clock::now();
        EXPECT_EQ(client.RetrieveHeader(2), ok) << expected;
        EXPECT_GE(MillisecondsSince(start), atLeast) << expected;
        EXPECT_LT(MillisecondsSince(start), below) << expected; // a 2000: never waited for the time-out
        const std::string text = ok ? client.Message().GetText() : client.GetLastErrorText();
        EXPECT_EQ(atLeast > 0 ? text.substr(0, expected.size()) : text, expected); // what came in time varies
    }
}

TEST(Pop3ClientScripted, ExplainsWhyItCouldNotConnect)
{
    const std::uint16_t unused = LoopbackListener().port();
    FullBacklogServer full; // further connects get no answer
    ASSERT_TRUE(full.IsFull()) << "the backlog never filled";
    const std::string local = "127.0.0.1", pop3 = "the POP3 server ", tcp = "Could not connect to the POP3 mailbox, ";
    const std::string tls = "TLS handshake with the POP3 server failed: ";
    const std::string notTls = tls + "the server does not speak TLS on this port (wrong version number)";
    // The peer's script, the host, TLS or not, the error and the time it takes at least; quits: 1 when
    // QUIT is sent, 0 when nothing is sent in clear, -1 not looked at; a port other than the peer's.
    const std::tuple<std::vector<Server::Step>, std::string, bool, std::string, long long, int, std::uint16_t> cases[] =
        {{{Server::Close()}, local, false, pop3 + "closed the connection", 0, -1, 0},
         {{Server::Send("-ERR go away\r\n")}, local, false, pop3 + "refused the connection:-ERR go away\r\n", 0, -1, 0},
         {{}, "", false, tcp + "GetLastError:22\n", 0, -1, unused},
         // A connect without answer ends at its bound, not the system's minutes.
         {{}, local, false, tcp + "GetLastError:110\n", 290, -1, full.port()},
         // Never answers: the greeting is given up after 2 s, and QUIT still goes out.
         {{Server::Hold()}, local, false, "time out error", 2000, 1, 0},
         // TLS: the handshake is bounded by the connect time-out, and nothing goes out in clear.
         {{Server::Hold()}, local, true, tls + "no answer from the server", 0, 0, 0},
         {{Server::Send("+OK\r\n")}, local, true, notTls, 0, 0, 0}};
    for (const auto& [script, host, useTls, error, atLeast, quits, port] : cases) {
        Server peer(script);
        {
            CPop3Client client;
            client.SetConnectTimeout(milliseconds(300));
            client.SetReplyTimeout(milliseconds(2000));
            const auto start = Clock::now();
            EXPECT_FALSE(client.Connect(host, port != 0 ? port : peer.port(), useTls));
            EXPECT_EQ(client.GetLastErrorText(), error);
            EXPECT_GE(MillisecondsSince(start), atLeast) << error;
            EXPECT_LT(MillisecondsSince(start), atLeast + 600) << error;
        }
        std::string sent; // all the client sent, in clear
        for (const std::string& line : quits >= 0 ? LinesAfterClose(peer) : Strings{})
            sent += line;
        EXPECT_EQ(sent.find("QUIT") != std::string::npos, quits == 1) << error;
    }
}
