#include "monitors/mail/Pop3FailureText.h"

#include "monitors/mail/CPop3Client.h"
#include "monitors/net/LibraryWords.h"
#include "util/TextEncoding.h"

namespace {

constexpr const char* kNoSocket = "无法建立网络连接";
constexpr const char* kUnknownHost = "找不到服务器 ";
constexpr const char* kCannotConnect = "无法连接服务器 ";
constexpr const char* kTimedOut = "连接超时";
constexpr const char* kUntrusted = "证书不可信";
constexpr const char* kNoTls = "无法建立加密连接";
constexpr const char* kGreetingRefused = "服务器拒绝连接";
constexpr const char* kBadLogin = "用户名或口令错误";
constexpr const char* kCommandRefused = "服务器拒绝了命令";
constexpr const char* kNoReply = "服务器没有及时回答";
constexpr const char* kClosed = "服务器断开了连接";
constexpr const char* kTooLong = "服务器的回答太长";
constexpr const char* kBadCredentials = "用户名或口令里不能有换行";
constexpr const char* kNotReady = "邮件检查出错";
constexpr const char* kStopped = "检查已停止";

// A server's reply can be long; the status pane shows one line.
constexpr std::size_t kMaxWordsBytes = 512;

std::string Sentence(Pop3Failure failure, const std::string& host, std::uint16_t port)
{
    switch (failure) {
    case Pop3Failure::NoSocket:
        return kNoSocket;
    case Pop3Failure::UnknownHost:
        return kUnknownHost + host;
    case Pop3Failure::CannotConnect:
        return kCannotConnect + host + ":" + std::to_string(port);
    case Pop3Failure::ConnectTimedOut:
        return kTimedOut;
    case Pop3Failure::UntrustedCertificate:
        return kUntrusted;
    case Pop3Failure::NoTls:
        return kNoTls;
    case Pop3Failure::GreetingRefused:
        return kGreetingRefused;
    case Pop3Failure::LoginRefused:
        return kBadLogin;
    case Pop3Failure::CommandRefused:
        return kCommandRefused;
    case Pop3Failure::NoReply:
        return kNoReply;
    case Pop3Failure::Closed:
        return kClosed;
    case Pop3Failure::ReplyTooLong:
        return kTooLong;
    case Pop3Failure::BadCredentials:
        return kBadCredentials;
    case Pop3Failure::Stopped:
        return kStopped;
    case Pop3Failure::None:
    case Pop3Failure::NotReady:
        break;
    }
    return kNotReady;
}

} // namespace

std::string Pop3FailureText(const CPop3Client& client, const std::string& host, std::uint16_t port)
{
    return WithLibraryWords(Sentence(client.LastFailure(), host, port),
                            CutUtf8(client.GetLastErrorText(), kMaxWordsBytes));
}
