#pragma once
// One HTTP(S) GET of a page with libcurl, on the check worker thread.
// Errors: Get returns an outcome; a failure leaves a sentence for the user, with libcurl's words
// after it, in ErrorText(). The body is returned whatever the status code (the caller judges it).
// Redirects are followed (http and https only).
// A stop request ends the request in any phase within a tenth of a second (CCurlDriver).
#include "util/UrlParts.h"

#include <chrono>
#include <cstddef>
#include <curl/system.h>
#include <functional>
#include <memory>
#include <string>

class CCurlDriver;

struct HttpLimits
{
    long connectTimeoutSeconds = 20;
    // A transfer that moves no byte for this long is given up (a server that never answers).
    long stallTimeoutSeconds = 30;
    // The longest one request may take, however slowly the server trickles.
    long totalTimeoutSeconds = 180;
    // Larger bodies are refused rather than held in memory.
    std::size_t maxBodyBytes = 64u * 1024u * 1024u;
};

class CHttpRequest final
{
public:
    enum class Outcome
    {
        Done,    // a response was read (any status code)
        Stopped, // the stop test said so
        Failed,  // see ErrorText()
    };
    using StopTest = std::function<bool()>;
    using Notify = std::function<void()>;

    using Clock = std::chrono::steady_clock;

    // With a driver, the request runs on it and reuses the connections it keeps; without one, it
    // runs on a driver of its own.
    CHttpRequest(HttpLimits limits, StopTest stopRequested, CCurlDriver* driver = nullptr);
    ~CHttpRequest();
    CHttpRequest(const CHttpRequest&) = delete;
    CHttpRequest& operator=(const CHttpRequest&) = delete;

    // Sends the GET with the page header block and no-cache headers. onResponse runs once, when
    // the first byte of the response arrives. The body is returned as the server sent it. A
    // request still running at deadline fails (the check's overall time limit).
    Outcome Get(const UrlParts& url, std::string& body, const Notify& onResponse = {},
                Clock::time_point deadline = Clock::time_point::max());

    // The one server certificate trusted besides the system's (SHA-256, 64 hex digits; empty: none).
    // A pinned request never shares its connection or TLS session with another.
    void SetPinnedCertificate(std::string fingerprint) { m_strPinnedCertificate = std::move(fingerprint); }
    const std::string& ErrorText() const { return m_strError; }
    long ResponseCode() const { return m_nResponseCode; }
    // The reason phrase of the last status line ("Not Found"); empty when it had none (HTTP/2).
    const std::string& ReasonPhrase() const { return m_strReason; }
    // The Content-Type of the response, empty when it had none.
    const std::string& ContentType() const { return m_strContentType; }

private:
    struct Transfer;
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user);
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user);
    static int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    HttpLimits m_limits;
    StopTest m_stopRequested;
    CCurlDriver* m_pDriver = nullptr;
    std::string m_strError;
    std::string m_strPinnedCertificate;
    std::string m_strContentType;
    std::string m_strReason;
    long m_nResponseCode = 0;
};

// The request headers every page GET carries.
inline constexpr const char* kPageAcceptHeader = "Accept: text/*";
inline constexpr const char* kPageUserAgentHeader = "User-Agent: morvaten-Application";
