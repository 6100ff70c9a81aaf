#include "monitors/mail/CPop3Client.h"

#include "monitors/mail/Pop3Reply.h"
#include "monitors/net/CTlsStream.h"

#include <algorithm>
#include <array>
#include <cerrno>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kMultiLineEnd = "\r\n.\r\n";
// A stop request is seen between two polls.
constexpr std::chrono::milliseconds kPollInterval{100};
constexpr std::chrono::milliseconds kStopGrace{200};
// A header block is a few kilobytes; a server that sends without end is cut off.
constexpr std::size_t kMaxReplyBytes = 8u << 20;

constexpr const char* kErrCreate = "Failed to create client socket, GetLastError:";
constexpr const char* kErrConnect = "Could not connect to the POP3 mailbox, GetLastError:";
constexpr const char* kErrTls = "TLS handshake with the POP3 server failed: ";
constexpr const char* kErrGreeting = "the POP3 server refused the connection:";
constexpr const char* kErrTimeout = "time out error";
constexpr const char* kErrStopped = "stopped";
constexpr const char* kErrClosed = "the POP3 server closed the connection";
constexpr const char* kErrTooLong = "the POP3 server's reply is too long";
constexpr const char* kErrSend = "could not send to the POP3 server, GetLastError:";
constexpr const char* kErrLoggedIn = "have logged,cannot login again";
constexpr const char* kErrNotConnected = "not connected ,can't login";
constexpr const char* kErrLineBreak = "the user name or password contains a line break";
constexpr const char* kErrUser = "Not has the user:";
constexpr const char* kErrPass = "user or password is error:";
constexpr const char* kErrStatSession = "not connected or authorized,can't get the mailCount";
constexpr const char* kErrStat = "can't get stat command:";
constexpr const char* kErrIdSession = "not connected or authorized,can't get the mailid";
constexpr const char* kErrRange = "item greated than Count or item<=0";
constexpr const char* kErrUidl = "can't get uidl command:";
constexpr const char* kErrTop = "can't get top command:";

std::string WithCode(const char* text, int code)
{
    return text + std::to_string(code) + "\n";
}

} // namespace

void CPop3Client::Fail(Pop3Failure kind, std::string text)
{
    m_failure = kind;
    m_strError = std::move(text);
}

CPop3Client::~CPop3Client()
{
    Quit();
}

void CPop3Client::SetAbortCheck(std::function<bool()> check)
{
    m_abortCheck = check;
    m_socket.SetAbortCheck(std::move(check));
}

bool CPop3Client::Connect(const std::string& host, std::uint16_t port, bool useTls)
{
    if (!m_socket.Create()) {
        Fail(Pop3Failure::NoSocket, WithCode(kErrCreate, m_socket.GetLastError()));
        return false;
    }
    m_bRefused = m_bAborted = false;
    const auto connectTimeout = std::min(m_connectTimeout, TimeLeft());
    if (!m_socket.Connect(host, port, connectTimeout)) {
        m_bAborted = m_socket.WasAborted();
        const int error = m_socket.GetLastError();
        if (m_bAborted) {
            Fail(Pop3Failure::Stopped, kErrStopped);
        } else {
            // The socket says EINVAL for a name that does not resolve.
            Fail(error == EINVAL      ? Pop3Failure::UnknownHost
                 : error == ETIMEDOUT ? Pop3Failure::ConnectTimedOut
                                      : Pop3Failure::CannotConnect,
                 WithCode(kErrConnect, error));
        }
        m_socket.Close();
        return false;
    }
    // Nothing, not even QUIT, goes out before the server has proved who it is.
    std::string tlsError;
    if (useTls && !m_socket.StartTls(host, connectTimeout, tlsError, m_strPinnedCertificate)) {
        m_bAborted = m_socket.WasAborted();
        if (m_bAborted) {
            Fail(Pop3Failure::Stopped, kErrStopped);
        } else {
            Fail(tlsError.starts_with(kUntrustedCertificateError) ? Pop3Failure::UntrustedCertificate
                                                                  : Pop3Failure::NoTls,
                 kErrTls + tlsError);
        }
        m_socket.Close();
        return false;
    }
    m_bConnected = 1;
    m_strResponse.clear();
    if (!ReadResponse(kLineEnd)) {
        if (m_bRefused)
            Fail(Pop3Failure::GreetingRefused, kErrGreeting + m_strResponse);
        return false;
    }
    m_strError.clear();
    return true;
}

bool CPop3Client::Login(const std::string& user, const std::string& password)
{
    if (m_bLoggedIn) {
        Fail(Pop3Failure::NotReady, kErrLoggedIn);
        return false;
    }
    if (!m_bConnected) {
        Fail(Pop3Failure::NotReady, kErrNotConnected);
        return false;
    }
    // A line break would end the command early and smuggle the rest in as a second command.
    if (user.find_first_of("\r\n") != std::string::npos || password.find_first_of("\r\n") != std::string::npos) {
        Fail(Pop3Failure::BadCredentials, kErrLineBreak);
        return false;
    }
    m_nMessageCount = -1;
    m_strResponse.clear();
    // Only the server's refusal is a wrong user or password; a slow server keeps "time out error".
    if (!SendCommand("user " + user + "\r\n") || !ReadResponse(kLineEnd)) {
        if (m_bRefused)
            Fail(Pop3Failure::LoginRefused, kErrUser + m_strResponse);
        return false;
    }
    if (!SendCommand("pass " + password + "\r\n") || !ReadResponse(kLineEnd)) {
        if (m_bRefused)
            Fail(Pop3Failure::LoginRefused, kErrPass + m_strResponse);
        return false;
    }
    m_bLoggedIn = 1;
    m_strError.clear();
    Stat();
    return true;
}

bool CPop3Client::Stat()
{
    m_nMessageCount = -1;
    if (!m_bConnected || !m_bLoggedIn) {
        Fail(Pop3Failure::NotReady, kErrStatSession);
        return false;
    }
    m_strError.clear();
    if (!SendCommand("stat\r\n"))
        return false;
    if (!ReadResponse(kLineEnd)) {
        if (m_bRefused)
            Fail(Pop3Failure::CommandRefused, kErrStat + m_strResponse);
        return false;
    }
    m_nMessageCount = ParseStatCount(m_strResponse);
    return true;
}

int CPop3Client::GetMessageCount()
{
    if (m_nMessageCount == -1)
        Stat();
    return m_nMessageCount;
}

bool CPop3Client::CheckSession(const char* errorText)
{
    if (m_bConnected && m_bLoggedIn)
        return true;
    Fail(Pop3Failure::NotReady, errorText);
    return false;
}

bool CPop3Client::CheckNumber(int number)
{
    if (number > GetMessageCount() || number <= 0) {
        Fail(Pop3Failure::NotReady, kErrRange);
        return false;
    }
    return true;
}

bool CPop3Client::GetUniqueId(int number, std::string& id)
{
    if (!CheckSession(kErrIdSession) || !CheckNumber(number))
        return false;
    m_strError.clear();
    if (!SendCommand("uidl " + std::to_string(number) + "\r\n")) {
        id.clear();
        return false;
    }
    if (!ReadResponse(kLineEnd)) {
        if (m_bRefused)
            Fail(Pop3Failure::CommandRefused, kErrUidl + m_strResponse);
        id.clear();
        return false;
    }
    id = ParseUniqueId(m_strResponse);
    return true;
}

bool CPop3Client::RetrieveHeader(int number)
{
    if (!CheckSession(kErrIdSession) || !CheckNumber(number))
        return false;
    // RFC 1939 requires the line count; 0 lines asks for the header block alone.
    if (!SendCommand("top " + std::to_string(number) + " 0\r\n") || !ReadResponse(kMultiLineEnd)) {
        if (m_bRefused)
            Fail(Pop3Failure::CommandRefused, kErrTop + m_strResponse);
        return false;
    }
    m_strError.clear();
    m_message.SetText(m_strResponse);
    return true;
}

bool CPop3Client::Quit()
{
    bool sent = false;
    if (m_bConnected) {
        static constexpr std::string_view kQuit = "QUIT\r\n";
        // QUIT only says goodbye: a second is plenty, also on the way out of a stopped check.
        m_socket.SetAbortCheck(nullptr);
        sent = m_socket.Send(kQuit.data(), kQuit.size(), std::min(m_nTimeout, std::chrono::milliseconds(1000)));
        m_bConnected = 0;
    }
    m_socket.Close();
    return sent;
}

bool CPop3Client::SendCommand(const std::string& line)
{
    m_bRefused = false;
    if (m_socket.Send(line.data(), line.size(), std::min(m_nTimeout, TimeLeft())))
        return true;
    m_bAborted = m_socket.WasAborted();
    if (m_bAborted) {
        Fail(Pop3Failure::Stopped, kErrStopped);
    } else {
        Fail(Pop3Failure::Closed, WithCode(kErrSend, m_socket.GetLastError()));
    }
    return false;
}

std::chrono::milliseconds CPop3Client::TimeLeft() const
{
    if (m_deadline == Clock::time_point::max())
        return std::chrono::milliseconds::max();
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now());
    return std::max(left, std::chrono::milliseconds(0));
}

// The whole reply must arrive within m_nTimeout (and before the deadline). Between polls the wait
// is on the socket, so a reply is taken as soon as it arrives; a stop is seen within a poll.
bool CPop3Client::ReadResponse(std::string_view terminator)
{
    m_bRefused = false;
    if (!m_bConnected)
        return false;
    const Clock::time_point start = Clock::now();
    const auto timeout = std::min(m_nTimeout, TimeLeft());
    m_strResponse.clear();
    bool closed = false;
    std::array<char, 1023> buffer{};
    for (;;) {
        if (Clock::now() - start > timeout) {
            Fail(Pop3Failure::NoReply, kErrTimeout);
            return false;
        }
        bool readable = false;
        if (m_socket.PollReadable(readable) && readable) {
            do {
                const long got = m_socket.Receive(buffer.data(), buffer.size());
                if (got <= 0) {
                    closed = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
                    break;
                }
                m_strResponse.append(buffer.data(), static_cast<std::size_t>(got));
                if (m_strResponse.size() > kMaxReplyBytes) {
                    Fail(Pop3Failure::ReplyTooLong, kErrTooLong);
                    return false;
                }
                if (Clock::now() - start > timeout)
                    break;
            } while (m_socket.PollReadable(readable) && readable);
        }
        if (IsReplyComplete(m_strResponse, terminator))
            break;
        if (closed) {
            Fail(Pop3Failure::Closed, kErrClosed);
            return false;
        }
        // A reply the server gives at once is still taken, so that a stop lands between two
        // messages as a rule; only a wait for a slow reply ends at a stop.
        if (Clock::now() - start >= kStopGrace && m_abortCheck && m_abortCheck()) {
            m_bAborted = true;
            Fail(Pop3Failure::Stopped, kErrStopped);
            return false;
        }
        const auto left = timeout - std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        m_socket.PollReadable(
            readable, std::clamp(left + std::chrono::milliseconds(1), std::chrono::milliseconds(1), kPollInterval));
    }
    if (!IsPositiveReply(m_strResponse)) {
        m_bRefused = true;
        return false;
    }
    m_strResponse = ReplyText(m_strResponse);
    return true;
}
