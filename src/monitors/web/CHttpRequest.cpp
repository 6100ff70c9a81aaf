#include "monitors/web/CHttpRequest.h"

#include "monitors/net/CCurlDriver.h"
#include "monitors/net/CertificatePin.h"
#include "monitors/net/CurlFailureText.h"
#include "util/UiText.h"

#include <algorithm>
#include <curl/curl.h>
#include <string_view>

namespace {

constexpr const char* kPageTooLarge = WENDAR_TR_NOOP("CHttpRequest", "网页超过 ");
constexpr const char* kBytes = WENDAR_TR_NOOP("CHttpRequest", " 字节");
constexpr std::size_t kMaxReasonBytes = 200;

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

namespace {

CURLcode OnSslContext(CURL*, void* sslContext, void* pin)
{
    InstallCertificatePin(static_cast<ssl_ctx_st*>(sslContext), static_cast<CertificatePin*>(pin));
    return CURLE_OK;
}

} // namespace

struct CHttpRequest::Transfer
{
    CHttpRequest* self = nullptr;
    std::string* body = nullptr;
    const Notify* onResponse = nullptr;
    CURL* handle = nullptr;
    bool responseSeen = false;
    bool bodySeen = false;
    bool tooLarge = false;
    CertificatePin pin;

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

CHttpRequest::CHttpRequest(HttpLimits limits, StopTest stopRequested, CCurlDriver* driver)
    : m_limits(limits), m_stopRequested(std::move(stopRequested)), m_pDriver(driver)
{}

CHttpRequest::~CHttpRequest() = default;

std::size_t CHttpRequest::OnHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    transfer->SeeResponse();
    // Each response of a redirect chain begins with its status line; the last one is the page's.
    std::string_view line(data, size * count);
    if (line.starts_with("HTTP/")) {
        const std::size_t code = line.find(' ');
        const std::size_t phrase = code == std::string_view::npos ? code : line.find(' ', code + 1);
        line = phrase == std::string_view::npos ? std::string_view() : line.substr(phrase + 1);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) {
            line.remove_suffix(1);
        }
        std::string& reason = transfer->self->m_strReason;
        reason.assign(line.substr(0, kMaxReasonBytes));
        std::replace_if(
            reason.begin(), reason.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
    }
    return size * count;
}

std::size_t CHttpRequest::OnBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    transfer->SeeResponse();
    const std::size_t bytes = size * count;
    const std::size_t limit = transfer->self->m_limits.maxBodyBytes;
    if (!transfer->bodySeen) {
        transfer->bodySeen = true;
        // The whole body in one allocation when its length is known: a large page grown step by
        // step would need twice its size while the last step copies it.
        curl_off_t length = -1;
        if (curl_easy_getinfo(transfer->handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
            length > 0 && static_cast<std::size_t>(length) <= limit) {
            transfer->body->reserve(static_cast<std::size_t>(length));
        }
    }
    if (transfer->body->size() + bytes > limit) {
        transfer->tooLarge = true;
        return 0; // ends the transfer with a write error
    }
    transfer->body->append(data, bytes);
    return bytes;
}

int CHttpRequest::OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* transfer = static_cast<Transfer*>(user);
    const StopTest& stop = transfer->self->m_stopRequested;
    return (stop && stop()) ? 1 : 0;
}

CHttpRequest::Outcome CHttpRequest::Get(const UrlParts& url, std::string& body, const Notify& onResponse,
                                        Clock::time_point deadline)
{
    m_strError.clear();
    m_strContentType.clear();
    m_strReason.clear();
    m_nResponseCode = 0;
    body.clear();
    if (m_stopRequested && m_stopRequested()) {
        return Outcome::Stopped;
    }
    std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
    auto headers = PageHeaders();
    if (!handle || !headers) {
        // libcurl's words name the library when it could not be loaded.
        m_strError = CurlFailureText(CURLE_FAILED_INIT, url.server, url.port, curl_easy_strerror(CURLE_FAILED_INIT));
        return Outcome::Failed;
    }
    char errorBuffer[CURL_ERROR_SIZE] = {};
    Transfer transfer{this, &body, &onResponse, handle.get()};
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
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &CHttpRequest::OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CHttpRequest::OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CHttpRequest::OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    // Every https connection verifies through the pin, so a failure can name the certificate.
    transfer.pin = CertificatePin{m_strPinnedCertificate, url.server, {}};
    curl_easy_setopt(h, CURLOPT_SSL_CTX_FUNCTION, &OnSslContext);
    curl_easy_setopt(h, CURLOPT_SSL_CTX_DATA, &transfer.pin);
    if (!m_strPinnedCertificate.empty()) {
        // What the pin let in stays with this request: no later request reuses it unverified.
        curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
        curl_easy_setopt(h, CURLOPT_SSL_SESSIONID_CACHE, 0L);
    }

    const Clock::time_point requestEnd = Clock::now() + std::chrono::seconds(m_limits.totalTimeoutSeconds);
    std::unique_ptr<CCurlDriver> ownDriver;
    CCurlDriver* driver = m_pDriver;
    if (driver == nullptr) {
        ownDriver = std::make_unique<CCurlDriver>();
        driver = ownDriver.get();
    }
    const auto rc = static_cast<CURLcode>(driver->Perform(h, m_stopRequested, std::min(deadline, requestEnd)));
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &m_nResponseCode);
    if (rc == CURLE_OK) {
        const char* type = nullptr;
        if (curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type != nullptr) {
            m_strContentType = type;
        }
        return Outcome::Done;
    }
    body.clear();
    body.shrink_to_fit();
    if (rc == CURLE_ABORTED_BY_CALLBACK) {
        return Outcome::Stopped;
    }
    if (transfer.tooLarge) {
        m_strError = UiText("CHttpRequest", kPageTooLarge) + std::to_string(m_limits.maxBodyBytes) +
                     UiText("CHttpRequest", kBytes);
    } else {
        m_strError = CurlFailureText(rc, url.server, url.port, errorBuffer);
        if (rc == CURLE_PEER_FAILED_VERIFICATION && !transfer.pin.seen.empty()) {
            m_strError += " " + FingerprintNote(transfer.pin.seen);
        }
    }
    return Outcome::Failed;
}
