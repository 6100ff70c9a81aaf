#include "monitors/ftp/FtpAddress.h"

#include <cctype>
#include <curl/curl.h>
#include <memory>
#include <optional>

namespace {

struct UrlDeleter
{
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlTextDeleter
{
    void operator()(char* text) const { curl_free(text); }
};

bool GetPart(CURLU* url, CURLUPart part, unsigned flags, std::string& value, CURLUcode& code)
{
    char* raw = nullptr;
    code = curl_url_get(url, part, &raw, flags);
    const std::unique_ptr<char, CurlTextDeleter> owner(raw);
    if (code != CURLUE_OK) {
        return false;
    }
    value = raw;
    return true;
}

// The number a "%d" conversion would read (leading blanks, a sign, digits), reduced to its low
// 16 bits as a port number is. Nothing when the text does not start with a number.
std::optional<int> LowBitsOfNumber(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = (value * 10 + static_cast<unsigned>(text[i] - '0')) & 0xFFFFu;
    }
    if (negative) {
        value = (0x10000u - value) & 0xFFFFu;
    }
    return static_cast<int>(value);
}

} // namespace

bool ParseFtpAddress(const std::string& url, const std::string& portOverride, FtpAddress& address, std::string& error)
{
    const std::unique_ptr<CURLU, UrlDeleter> handle(curl_url());
    if (!handle) {
        error = curl_url_strerror(CURLUE_OUT_OF_MEMORY); // names the library when it could not be loaded
        return false;
    }
    CURLUcode code = curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), CURLU_ALLOW_SPACE);
    std::string scheme;
    if (code != CURLUE_OK) {
        error = std::string("bad FTP address: ") + curl_url_strerror(code);
        return false;
    }
    if (!GetPart(handle.get(), CURLUPART_SCHEME, 0, scheme, code) || scheme != "ftp") {
        error = "not an ftp:// address";
        return false;
    }
    FtpAddress result;
    if (!GetPart(handle.get(), CURLUPART_HOST, 0, result.host, code) || result.host.empty()) {
        error = "the FTP address names no server";
        return false;
    }
    std::string port;
    if (GetPart(handle.get(), CURLUPART_PORT, 0, port, code)) {
        result.port = std::stoi(port); // curl has checked it: 1 to 5 digits
    }
    if (!GetPart(handle.get(), CURLUPART_PATH, CURLU_URLDECODE, result.path, code)) {
        error = std::string("bad FTP path: ") + curl_url_strerror(code);
        return false;
    }
    if (result.path.empty() || result.path.front() != '/') {
        result.path.insert(0, "/");
    }
    // The address names a directory, whether or not its author closed it with a slash.
    if (result.path.back() != '/') {
        result.path += '/';
    }
    if (!portOverride.empty()) {
        if (const auto number = LowBitsOfNumber(portOverride)) {
            result.port = *number;
        }
    }
    if (result.port == 0) {
        result.port = kDefaultFtpPort;
    }
    address = std::move(result);
    return true;
}
