#include "monitors/net/CCurlDriver.h"

#include <algorithm>
#include <curl/curl.h>

namespace {

constexpr int kPollMilliseconds = 100;

} // namespace

CCurlDriver::CCurlDriver() : m_multi(curl_multi_init()) {}

CCurlDriver::~CCurlDriver()
{
    if (m_multi != nullptr) {
        curl_multi_cleanup(static_cast<CURLM*>(m_multi));
    }
}

int CCurlDriver::Perform(void* easyHandle, const StopTest& stop, Clock::time_point deadline)
{
    auto* easy = static_cast<CURL*>(easyHandle);
    auto* multi = static_cast<CURLM*>(m_multi);
    if (multi == nullptr) {
        return CURLE_OUT_OF_MEMORY;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
        return CURLE_OPERATION_TIMEDOUT;
    }
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(std::min<long long>(left, 0x7fffffffLL)));
    if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
        return CURLE_FAILED_INIT;
    }
    int result = CURLE_OK;
    bool done = false;
    while (!done) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                result = message->data.result;
                done = true;
            }
        }
        if (done) {
            break;
        }
        if (stop && stop()) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        if (Clock::now() >= deadline) {
            result = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr);
    }
    // Removing an unfinished transfer closes its connection; a finished one stays for reuse.
    curl_multi_remove_handle(multi, easy);
    return result;
}
