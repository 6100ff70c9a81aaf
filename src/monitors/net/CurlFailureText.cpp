#include "monitors/net/CurlFailureText.h"

#include "monitors/net/LibraryWords.h"
#include "util/UiText.h"

#include <curl/curl.h>

namespace {

constexpr const char* kCannotResolve = WENDAR_TR_NOOP("CurlFailureText", "找不到服务器 ");
constexpr const char* kCannotConnect = WENDAR_TR_NOOP("CurlFailureText", "无法连接服务器 ");
constexpr const char* kTimedOut = WENDAR_TR_NOOP("CurlFailureText", "连接超时");
constexpr const char* kBadLogin = WENDAR_TR_NOOP("CurlFailureText", "用户名或口令错误");
constexpr const char* kUntrusted = WENDAR_TR_NOOP("CurlFailureText", "证书不可信");
constexpr const char* kNoTls = WENDAR_TR_NOOP("CurlFailureText", "无法建立加密连接");
constexpr const char* kDenied = WENDAR_TR_NOOP("CurlFailureText", "服务器拒绝访问这个目录");
constexpr const char* kBadAddress = WENDAR_TR_NOOP("CurlFailureText", "地址格式不正确");
constexpr const char* kBadScheme = WENDAR_TR_NOOP("CurlFailureText", "不支持这种地址");
constexpr const char* kNothing = WENDAR_TR_NOOP("CurlFailureText", "服务器没有返回任何内容");
constexpr const char* kBroken = WENDAR_TR_NOOP("CurlFailureText", "连接中断");
constexpr const char* kOddReply = WENDAR_TR_NOOP("CurlFailureText", "服务器的回答无法识别");
constexpr const char* kNoDataConnection = WENDAR_TR_NOOP("CurlFailureText", "无法建立数据连接");
constexpr const char* kTooManyRedirects = WENDAR_TR_NOOP("CurlFailureText", "网页转向次数太多");
constexpr const char* kNoMemory = WENDAR_TR_NOOP("CurlFailureText", "内存不足");
constexpr const char* kOther = WENDAR_TR_NOOP("CurlFailureText", "网络操作失败");

std::string Sentence(CURLcode code, const std::string& host, int port)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return UiText("CurlFailureText", kCannotResolve) + host;
    case CURLE_COULDNT_CONNECT:
        return UiText("CurlFailureText", kCannotConnect) + host + ":" + std::to_string(port);
    case CURLE_OPERATION_TIMEDOUT:
        return UiText("CurlFailureText", kTimedOut);
    case CURLE_LOGIN_DENIED:
        return UiText("CurlFailureText", kBadLogin);
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        return UiText("CurlFailureText", kUntrusted);
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_USE_SSL_FAILED:
        return UiText("CurlFailureText", kNoTls);
    case CURLE_REMOTE_ACCESS_DENIED:
        return UiText("CurlFailureText", kDenied);
    case CURLE_URL_MALFORMAT:
        return UiText("CurlFailureText", kBadAddress);
    case CURLE_UNSUPPORTED_PROTOCOL:
        return UiText("CurlFailureText", kBadScheme);
    case CURLE_GOT_NOTHING:
        return UiText("CurlFailureText", kNothing);
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
        return UiText("CurlFailureText", kBroken);
    case CURLE_WEIRD_SERVER_REPLY:
        return UiText("CurlFailureText", kOddReply);
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_ACCEPT_TIMEOUT:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_FTP_PORT_FAILED:
        return UiText("CurlFailureText", kNoDataConnection);
    case CURLE_TOO_MANY_REDIRECTS:
        return UiText("CurlFailureText", kTooManyRedirects);
    case CURLE_OUT_OF_MEMORY:
        return UiText("CurlFailureText", kNoMemory);
    default:
        return UiText("CurlFailureText", kOther);
    }
}

} // namespace

std::string CurlFailureText(int curlCode, const std::string& host, int port, const std::string& libraryWords)
{
    const auto code = static_cast<CURLcode>(curlCode);
    return WithLibraryWords(Sentence(code, host, port),
                            libraryWords.empty() ? std::string(curl_easy_strerror(code)) : libraryWords);
}
