#pragma once
// Runs libcurl transfers on a multi handle instead of curl_easy_perform, so that a stop request or
// the end of a check's time ends every phase of a transfer (name lookup, connect, TLS handshake,
// waiting for a reply, data) within a tenth of a second. The multi handle keeps the connections
// its transfers opened: transfers run through one driver reuse them.
// Errors: Perform returns the transfer's CURLcode; a stop gives CURLE_ABORTED_BY_CALLBACK and a
// passed deadline CURLE_OPERATION_TIMEDOUT.
#include <chrono>
#include <functional>

class CCurlDriver final
{
public:
    using StopTest = std::function<bool()>;
    using Clock = std::chrono::steady_clock;

    CCurlDriver();
    ~CCurlDriver();
    CCurlDriver(const CCurlDriver&) = delete;
    CCurlDriver& operator=(const CCurlDriver&) = delete;

    // Runs the transfer set up on the easy handle (a CURL*) to its end. The handle must not set
    // its own CURLOPT_TIMEOUT beyond the deadline; Perform sets it to the time left.
    int Perform(void* easy, const StopTest& stop, Clock::time_point deadline);

private:
    void* m_multi = nullptr; // CURLM*
};
