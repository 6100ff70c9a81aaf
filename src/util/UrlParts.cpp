#include "util/UrlParts.h"

#include <curl/curl.h>
#include <memory>

namespace {

struct CurlUrlDeleter
{
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

struct CurlTextDeleter
{
    void operator()(char* text) const { curl_free(text); }
};

// One part of a parsed URL; false when the URL has no such part.
bool GetPart(CURLU* url, CURLUPart what, unsigned int flags, std::string& value)
{
    char* raw = nullptr;
    if (curl_url_get(url, what, &raw, flags) != CURLUE_OK || raw == nullptr) {
        return false;
    }
    std::unique_ptr<char, CurlTextDeleter> owned(raw);
    value = raw;
    return true;
}

} // namespace

std::string UrlParts::RequestUrl() const
{
    return scheme + "://" + server + ":" + std::to_string(port) + object;
}

bool SplitUrl(const std::string& url, UrlParts& parts, std::string& error)
{
    parts = UrlParts{};
    if (url.empty()) {
        error = "URL is empty";
        return false;
    }
    std::unique_ptr<CURLU, CurlUrlDeleter> handle(curl_url());
    if (!handle) {
        error = curl_url_strerror(CURLUE_OUT_OF_MEMORY); // names the library when it could not be loaded
        return false;
    }
    const CURLUcode rc = curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), CURLU_GUESS_SCHEME);
    if (rc != CURLUE_OK) {
        error = std::string("malformed URL: ") + curl_url_strerror(rc);
        return false;
    }
    std::string port;
    if (!GetPart(handle.get(), CURLUPART_SCHEME, 0, parts.scheme) ||
        !GetPart(handle.get(), CURLUPART_HOST, 0, parts.server) ||
        !GetPart(handle.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT, port) ||
        !GetPart(handle.get(), CURLUPART_PATH, 0, parts.path)) {
        error = "malformed URL: no server or port in " + url;
        return false;
    }
    if (parts.server.empty()) {
        error = "malformed URL: no server in " + url;
        return false;
    }
    try {
        parts.port = std::stoi(port);
    } catch (const std::exception&) {
        error = "malformed URL: bad port in " + url;
        return false;
    }
    if (parts.path.empty()) {
        parts.path = "/";
    }
    parts.object = parts.path;
    std::string query;
    if (GetPart(handle.get(), CURLUPART_QUERY, 0, query)) {
        parts.object += "?" + query;
    }
    return true;
}
