#include "monitors/web/CHttpRequest.h"

#include <algorithm>
#include <curl/curl.h>
#include <iterator>

namespace {

struct EasyDeleter
{
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

struct SlistDeleter
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// Builds the header list; null when an append fails (out of memory).
std::unique_ptr<curl_slist, SlistDeleter> PageHeaders()
{
    std::unique_ptr<curl_slist, SlistDeleter> list;
    for (const char* header :
         {kPageAcceptHeader, kPageUserAgentHeader, "Cache-Control: no-cache", "Pragma: no-cache"}) {
        curl_slist* grown = curl_slist_append(list.get(), header);
        if (grown == nullptr) {
            return nullptr;
        }
        list.release();
        list.reset(grown);
    }
    return list;
}

} // namespace

struct CHttpRequest::Transfer
{
    CHttpRequest* self = nullptr;
    std::string* body = nullptr;
    const Notify* onResponse = nullptr;
    bool responseSeen = false;
    bool tooLarge = false;

    void SeeResponse()
    {
        if (!responseSeen) {
            responseSeen = true;
            if (onResponse != nullptr && *onResponse) {
                (*onResponse)();
            }
        }
    }
};

CHttpRequest::CHttpRequest(HttpLimits limits, StopTest stopRequested)
    : m_limits(limits), m_stopRequested(std::move(stopRequested))
{}

CHttpRequest::~CHttpRequest() = default;

std::size_t CHttpRequest::OnHeader(char*, std::size_t size, std::size_t count, void* user)
{
    static_cast<Transfer*>(user)->SeeResponse();
    return size * count;
}

std::size_t CHttpRequest::OnBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    transfer->SeeResponse();
    const std::size_t bytes = size * count;
    const char* const begin = data;
    const char* const end = data + bytes;
    const auto dropped = [](char c) { return c == '\n' || c == '\0'; };
    const auto kept = bytes - static_cast<std::size_t>(std::count_if(begin, end, dropped));
    if (transfer->body->size() + kept > transfer->self->m_limits.maxBodyBytes) {
        transfer->tooLarge = true;
        return 0; // ends the transfer with a write error
    }
    std::remove_copy_if(begin, end, std::back_inserter(*transfer->body), dropped);
    return bytes;
}

int CHttpRequest::OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* transfer = static_cast<Transfer*>(user);
    const StopTest& stop = transfer->self->m_stopRequested;
    return (stop && stop()) ? 1 : 0;
}

CHttpRequest::Outcome CHttpRequest::Get(const UrlParts& url, std::string& body, const Notify& onResponse)
{
    m_strError.clear();
    m_nResponseCode = 0;
    body.clear();
    if (m_stopRequested && m_stopRequested()) {
        return Outcome::Stopped;
    }
    std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
    auto headers = PageHeaders();
    if (!handle || !headers) {
        m_strError = "out of memory";
        return Outcome::Failed;
    }
    char errorBuffer[CURL_ERROR_SIZE] = {};
    Transfer transfer{this, &body, &onResponse};
    const std::string address = url.RequestUrl();

    CURL* h = handle.get();
    curl_easy_setopt(h, CURLOPT_URL, address.c_str());
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, m_limits.connectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, m_limits.stallTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, m_limits.totalTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &CHttpRequest::OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CHttpRequest::OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CHttpRequest::OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);

    const CURLcode rc = curl_easy_perform(h);
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &m_nResponseCode);
    if (rc == CURLE_OK) {
        return Outcome::Done;
    }
    body.clear();
    if (rc == CURLE_ABORTED_BY_CALLBACK) {
        return Outcome::Stopped;
    }
    if (transfer.tooLarge) {
        m_strError = "the page is larger than " + std::to_string(m_limits.maxBodyBytes) + " bytes";
    } else {
        m_strError = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(rc);
    }
    return Outcome::Failed;
}
