#pragma once
// A small blocking POP3 client (RFC 1939: USER, PASS, STAT, UIDL n, TOP n 0, QUIT), plain or over
// TLS from the first byte (RFC 8314). It never deletes and never downloads whole messages.
// Errors: every operation returns false on failure and leaves a readable text in
// GetLastErrorText(); nothing throws. One client serves one connection; the destructor ends the
// dialogue with QUIT while connected.
#include "monitors/mail/CMailMessage.h"
#include "monitors/net/CClientSocket.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// What kind of failure the last error was, for the sentence the user reads (Pop3FailureText).
enum class Pop3Failure
{
    None,
    NoSocket,
    UnknownHost,
    CannotConnect,
    ConnectTimedOut,
    UntrustedCertificate,
    NoTls,
    GreetingRefused,
    LoginRefused,
    CommandRefused,
    NoReply,
    Closed,
    ReplyTooLong,
    BadCredentials, // a line break in the user name or password
    NotReady,       // an operation out of turn (not connected, not logged in, no such message)
    Stopped,
};

class CPop3Client final
{
public:
    CPop3Client() = default;
    ~CPop3Client();
    CPop3Client(const CPop3Client&) = delete;
    CPop3Client& operator=(const CPop3Client&) = delete;

    // Bounds the TCP connect and the TLS handshake (the system's own bound is minutes).
    void SetConnectTimeout(std::chrono::milliseconds timeout) { m_connectTimeout = timeout; }
    // The time one whole reply may take; servers delay a login after a failed one by seconds.
    void SetReplyTimeout(std::chrono::milliseconds timeout) { m_nTimeout = timeout; }
    // No wait goes past this point in time (the check's overall limit).
    void SetDeadline(std::chrono::steady_clock::time_point deadline) { m_deadline = deadline; }
    // Asked during every wait (connect, handshake, replies); true ends the operation at once
    // with WasAborted().
    void SetAbortCheck(std::function<bool()> check);
    // The one server certificate trusted besides the system's (SHA-256, 64 hex digits; empty: none).
    void SetPinnedCertificate(std::string fingerprint) { m_strPinnedCertificate = std::move(fingerprint); }

    // Connects, runs the TLS handshake when useTls, and reads the greeting.
    bool Connect(const std::string& host, std::uint16_t port, bool useTls = false);
    // USER and PASS, then STAT.
    bool Login(const std::string& user, const std::string& password);
    bool Stat();
    // The count from STAT, running STAT first while it is unknown; -1 when it stays unknown.
    int GetMessageCount();
    // UIDL for message number (1-based); id is the reply's id, its CR LF included.
    bool GetUniqueId(int number, std::string& id);
    // TOP number 0: the header block goes into Message().
    bool RetrieveHeader(int number);
    // Sends QUIT (without reading the reply) while connected, then closes; true when sent.
    bool Quit();

    std::string GetLastErrorText() const { return m_strError; }
    Pop3Failure LastFailure() const { return m_failure; }
    // The last failure was the server's refusal (a reply that was not +OK), not a time-out, a
    // closed connection or a stop.
    bool WasRefused() const { return m_bRefused; }
    bool WasAborted() const { return m_bAborted; }
    std::string GetResponse() const { return m_strResponse; }
    const CMailMessage& Message() const { return m_message; }

private:
    bool SendCommand(const std::string& line);
    // Until the deadline; the longest duration when there is none.
    std::chrono::milliseconds TimeLeft() const;
    bool ReadResponse(std::string_view terminator);
    bool CheckSession(const char* errorText);
    bool CheckNumber(int number);
    void Fail(Pop3Failure kind, std::string text);

    CMailMessage m_message;
    CClientSocket m_socket;
    int m_bConnected = 0;
    int m_bLoggedIn = 0;
    std::string m_strResponse;
    int m_nMessageCount = -1;
    std::string m_strError;
    Pop3Failure m_failure = Pop3Failure::None;
    std::chrono::milliseconds m_nTimeout{30000}; // for one whole reply
    std::chrono::milliseconds m_connectTimeout{10000};
    std::chrono::steady_clock::time_point m_deadline = std::chrono::steady_clock::time_point::max();
    std::function<bool()> m_abortCheck;
    bool m_bRefused = false;
    bool m_bAborted = false;
    std::string m_strPinnedCertificate;
};
