#pragma once
// An FTP client over libcurl (RFC 959, MLSD of RFC 3659) that logs in, changes to one directory
// and lists it: MLSD first, LIST when the server does not know MLSD. Passive mode.
// Errors: every step returns false and leaves a readable reason in GetLastError(): a sentence for
// the user, then curl's text and the server's reply in parentheses. One client is one connection; it lives on one
// thread.
#include "monitors/ftp/FtpEntry.h"
#include "monitors/net/CCurlDriver.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct FtpClientOptions
{
    long connectTimeoutSeconds = 30;
    // A server that sends nothing for this long (no reply, no listing data) ends the step.
    long stallTimeoutSeconds = 60;
    // The longest the whole dialogue (login, directory, listing) may take, however slowly the
    // server trickles; counted from Connect.
    long totalTimeoutSeconds = 180;
    std::size_t maxListingBytes = 32u << 20;
};

class CFtpClient final
{
public:
    explicit CFtpClient(FtpClientOptions options = {});
    ~CFtpClient();
    CFtpClient(const CFtpClient&) = delete;
    CFtpClient& operator=(const CFtpClient&) = delete;

    // While set, asked during every step at least every tenth of a second (also while connecting
    // or waiting for a reply or for the data connection); true aborts the step (WasAborted()
    // then says so).
    void SetAbortCheck(std::function<bool()> check) { m_abortCheck = std::move(check); }

    // Connects and logs in. host as a URL names it (IPv6 in brackets).
    bool Connect(const std::string& host, int port, const std::string& user, const std::string& password);
    // Changes to an absolute directory path (decoded, ending with '/'); a missing directory fails
    // with the server's reply.
    bool ChangeDirectory(const std::string& path);
    // Lists the current directory, in the server's order.
    bool List(std::vector<FtpEntry>& entries);

    const std::string& GetLastError() const { return m_strError; }
    bool WasAborted() const { return m_bAborted; }

private:
    struct CurlDeleter
    {
        void operator()(void* handle) const;
    };

    bool Perform(const char* command, bool withBody);
    void ComposeError(int code);
    void RecordReply(std::string_view line);

    bool TakeListingData(const char* data, std::size_t bytes);
    // Asked by curl's progress callback: a stall or the abort check ends the step.
    bool ShouldAbort(long long downloaded);

    friend struct CFtpClientCallbacks;

    FtpClientOptions m_options;
    CCurlDriver m_driver; // declared before the handle: it outlives it
    std::unique_ptr<void, CurlDeleter> m_curl;
    std::chrono::steady_clock::time_point m_deadline = std::chrono::steady_clock::time_point::max();
    std::string m_errorBuffer; // CURL_ERROR_SIZE bytes, handed to curl
    std::function<bool()> m_abortCheck;
    std::string m_strHost;
    int m_nPort = 21;
    std::string m_strUrlPath = "/";
    std::string m_strListing;
    bool m_bListingTooLarge = false;
    std::string m_strLastReply;
    std::string m_strError;
    bool m_bAborted = false;
    bool m_bStalled = false;
    // The last sign of life of the server: a reply line or listing bytes.
    std::chrono::steady_clock::time_point m_lastActivity;
    long long m_nDownloaded = 0;
};
