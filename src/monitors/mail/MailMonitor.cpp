#include "monitors/mail/MailMonitor.h"

#include "monitors/CRunState.h"
#include "monitors/CheckContext.h"
#include "monitors/StoreFinding.h"
#include "monitors/mail/CPop3Client.h"
#include "monitors/mail/MailServerAddress.h"
#include "monitors/mail/Pop3FailureText.h"
#include "monitors/net/LibraryWords.h"
#include "store/DateText.h"
#include "store/FindingStore.h"
#include "store/MessageTypeInfo.h"
#include "store/SourceRowInfo.h"
#include "store/UserIdentity.h"
#include "util/TextEncoding.h"

#include <chrono>
#include <string_view>

namespace {

constexpr const char* kChecking = "正在检查";
constexpr const char* kStepConnectServer = "->连接服务器";
constexpr const char* kStepConnectMail = "->正在连接电子邮件服务器";
constexpr const char* kStepLogin = "->正在使用您的用户名登录电子邮件服务器";
constexpr const char* kStepReading = "->正在读取 ";
constexpr const char* kLetters = "信件";
constexpr const char* kStoppedFront = "检查";
constexpr const char* kStoppedBack = " 时意外停止";
constexpr const char* kErrorFront = "检查 ";
constexpr const char* kErrorBack = " 时发生错误:->";
constexpr const char* kBadLogin = "用户名或者口令不正确-";
constexpr const char* kDone = "->检查完毕";

constexpr const char* kNoticeSubject = "您有新的电子邮件:<br>主题:<b>";
constexpr const char* kNoticeTo = "</b><br>接受人邮件地址:";
constexpr const char* kNoticeFrom = "<br>发送人邮件地址:";
constexpr const char* kNoticeEnd = "<br>请打开电子邮件程序接受处理!";
// A server's error reply goes into the status text; a hostile one may be megabytes long.
constexpr std::size_t kMaxReasonBytes = 512;

std::string ShortReason(const CPop3Client& client)
{
    return CutUtf8(client.GetLastErrorText(), kMaxReasonBytes);
}

SourceRowInfo MakeFinding(const CMailMessage& message, std::string id)
{
    SourceRowInfo row;
    row.ID = std::move(id);
    if (!message.GetDateText().empty()) {
        if (const auto date = message.GetDate())
            row.FromDate = FormatLocalTime(*date, kFindingDateFormat);
    }
    row.FromName = message.GetFromName();
    row.ToName = message.GetToName();
    row.Info = message.GetSubject();
    row.Content = kNoticeSubject + HtmlEscape(row.Info) + kNoticeTo + HtmlEscape(message.GetToAddress()) + kNoticeFrom +
                  HtmlEscape(message.GetFromAddress()) + kNoticeEnd;
    return row;
}

} // namespace

int CheckMailItem(CheckContext& context, MessageTypeInfo& item)
{
    return CheckMailItemWithOptions(context, item, MailCheckOptions{});
}

int CheckMailItemWithOptions(CheckContext& context, MessageTypeInfo& item, const MailCheckOptions& options)
{
    CRunState& run = context.run;
    if (run.IsStopRequested() || item.state == 0)
        return 0;
    const std::string& name = item.MessageTypeName;
    const MailServerAddress server = MailServerAddress::Parse(item.connAddress, item.ViewName);
    const std::string stoppedText = kStoppedFront + name + kStoppedBack;
    const std::string errorText = kErrorFront + name + kErrorBack;

    run.SetStatusText(kChecking + name + kStepConnectServer);
    if (run.IsStopRequested()) {
        run.SetStatusText(stoppedText);
        return 0;
    }
    run.SetStatusText(kChecking + name + kStepConnectMail);
    CPop3Client client; // its destructor sends QUIT on every early return
    client.SetReplyTimeout(options.replyTimeout);
    client.SetDeadline(std::chrono::steady_clock::now() + options.checkTimeLimit);
    // Every wait of the dialogue (connect, handshake, each reply) sees a stop request.
    client.SetAbortCheck([&run] { return run.IsStopRequested(); });
    client.SetPinnedCertificate(context.pinnedCertificate);
    if (!client.Connect(server.host, server.port, server.tls)) {
        if (client.WasAborted()) {
            run.SetStatusText(stoppedText);
        } else {
            run.SetErrorText(errorText + Pop3FailureText(client, server.host, server.port));
        }
        return 0;
    }
    if (run.IsStopRequested()) {
        run.SetStatusText(stoppedText);
        return 0;
    }
    run.SetStatusText(kChecking + name + kStepLogin);
    if (!client.Login(item.UserName, item.Password)) {
        // Only a refusal means a wrong user name or password: a slow server is not one.
        if (client.WasAborted()) {
            run.SetStatusText(stoppedText);
        } else {
            run.SetErrorText(errorText + (client.WasRefused() ? kBadLogin + OneLine(ShortReason(client))
                                                              : Pop3FailureText(client, server.host, server.port)));
        }
        return 0;
    }

    const int count = client.GetMessageCount();
    CFindingStore store(context.mainConnection, item);
    store.SetKeepWaiting([&run] { return !run.IsStopRequested(); });
    for (int i = 1; i <= count && !run.IsStopRequested(); ++i) {
        run.SetStatusText(kChecking + name + kStepReading + std::to_string(i) + "/" + std::to_string(count) + kLetters);
        std::string id;
        if (!client.GetUniqueId(i, id) || !client.RetrieveHeader(i)) {
            // What was stored stays stored and must still be announced.
            if (client.WasAborted()) {
                run.SetStatusText(stoppedText);
            } else {
                run.SetErrorText(errorText + Pop3FailureText(client, server.host, server.port));
            }
            return store.Committed() > 0 ? 1 : 0;
        }
        const SourceRowInfo row = MakeFinding(client.Message(), std::move(id));
        const auto outcome = store.StoreIfNew(row);
        // The next header comes over the network: the write lock is not held while waiting for it.
        if (outcome == CFindingStore::Outcome::Failed || !store.Flush()) {
            store.Flush();
            run.SetStatusText(errorText + FindingStoreFailure(store));
            return store.Committed() > 0 ? 1 : 0;
        }
        if (outcome == CFindingStore::Outcome::ItemGone) {
            break;
        }
    }
    client.Quit();
    run.SetStatusText(name + kDone);
    return store.Committed() > 0 ? 1 : 0;
}
