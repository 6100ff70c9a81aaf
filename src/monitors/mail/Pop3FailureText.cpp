#include "monitors/mail/Pop3FailureText.h"

#include "monitors/mail/CPop3Client.h"
#include "monitors/net/LibraryWords.h"
#include "util/TextEncoding.h"
#include "util/UiText.h"

namespace {

constexpr const char* kNoSocket = WENDAR_TR_NOOP("Pop3FailureText", "无法建立网络连接");
constexpr const char* kUnknownHost = WENDAR_TR_NOOP("Pop3FailureText", "找不到服务器 ");
constexpr const char* kCannotConnect = WENDAR_TR_NOOP("Pop3FailureText", "无法连接服务器 ");
constexpr const char* kTimedOut = WENDAR_TR_NOOP("Pop3FailureText", "连接超时");
constexpr const char* kUntrusted = WENDAR_TR_NOOP("Pop3FailureText", "证书不可信");
constexpr const char* kNoTls = WENDAR_TR_NOOP("Pop3FailureText", "无法建立加密连接");
constexpr const char* kGreetingRefused = WENDAR_TR_NOOP("Pop3FailureText", "服务器拒绝连接");
constexpr const char* kBadLogin = WENDAR_TR_NOOP("Pop3FailureText", "用户名或口令错误");
constexpr const char* kCommandRefused = WENDAR_TR_NOOP("Pop3FailureText", "服务器拒绝了命令");
constexpr const char* kNoReply = WENDAR_TR_NOOP("Pop3FailureText", "服务器没有及时回答");
constexpr const char* kClosed = WENDAR_TR_NOOP("Pop3FailureText", "服务器断开了连接");
constexpr const char* kTooLong = WENDAR_TR_NOOP("Pop3FailureText", "服务器的回答太长");
constexpr const char* kBadCredentials = WENDAR_TR_NOOP("Pop3FailureText", "用户名或口令里不能有换行");
constexpr const char* kNotReady = WENDAR_TR_NOOP("Pop3FailureText", "邮件检查出错");
constexpr const char* kStopped = WENDAR_TR_NOOP("Pop3FailureText", "检查已停止");

// A server's reply can be long; the status pane shows one line.
constexpr std::size_t kMaxWordsBytes = 512;

std::string Sentence(Pop3Failure failure, const std::string& host, std::uint16_t port)
{
    switch (failure) {
    case Pop3Failure::NoSocket:
        return UiText("Pop3FailureText", kNoSocket);
    case Pop3Failure::UnknownHost:
        return UiText("Pop3FailureText", kUnknownHost) + host;
    case Pop3Failure::CannotConnect:
        return UiText("Pop3FailureText", kCannotConnect) + host + ":" + std::to_string(port);
    case Pop3Failure::ConnectTimedOut:
        return UiText("Pop3FailureText", kTimedOut);
    case Pop3Failure::UntrustedCertificate:
        return UiText("Pop3FailureText", kUntrusted);
    case Pop3Failure::NoTls:
        return UiText("Pop3FailureText", kNoTls);
    case Pop3Failure::GreetingRefused:
        return UiText("Pop3FailureText", kGreetingRefused);
    case Pop3Failure::LoginRefused:
        return UiText("Pop3FailureText", kBadLogin);
    case Pop3Failure::CommandRefused:
        return UiText("Pop3FailureText", kCommandRefused);
    case Pop3Failure::NoReply:
        return UiText("Pop3FailureText", kNoReply);
    case Pop3Failure::Closed:
        return UiText("Pop3FailureText", kClosed);
    case Pop3Failure::ReplyTooLong:
        return UiText("Pop3FailureText", kTooLong);
    case Pop3Failure::BadCredentials:
        return UiText("Pop3FailureText", kBadCredentials);
    case Pop3Failure::Stopped:
        return UiText("Pop3FailureText", kStopped);
    case Pop3Failure::None:
    case Pop3Failure::NotReady:
        break;
    }
    return UiText("Pop3FailureText", kNotReady);
}

} // namespace

std::string Pop3FailureText(const CPop3Client& client, const std::string& host, std::uint16_t port)
{
    return WithLibraryWords(Sentence(client.LastFailure(), host, port),
                            CutUtf8(client.GetLastErrorText(), kMaxWordsBytes));
}
