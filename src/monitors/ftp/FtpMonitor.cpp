#include "monitors/ftp/FtpMonitor.h"

#include "monitors/CRunState.h"
#include "monitors/CheckContext.h"
#include "monitors/StoreFinding.h"
#include "monitors/ftp/CFtpClient.h"
#include "monitors/ftp/FtpAddress.h"
#include "monitors/ftp/FtpNotice.h"
#include "store/FindingStore.h"
#include "store/MessageTypeInfo.h"
#include "store/SourceRowInfo.h"
#include "util/TextEncoding.h"
#include "util/UiText.h"

#include <string>

namespace {

constexpr const char* kAnonymousUser = "anonymous";
// The customary e-mail-shaped password of anonymous FTP.
constexpr const char* kAnonymousPassword = "wendar@localhost";
constexpr const char* kFinderName = "检查软件";

constexpr const char* kStatusChecking = WENDAR_TR_NOOP("FtpMonitor", "正在检查");
constexpr const char* kStatusSession = WENDAR_TR_NOOP("FtpMonitor", "->连接服务器");
constexpr const char* kStatusConnected = WENDAR_TR_NOOP("FtpMonitor", "->正在连接ＦＴＰ服务器");
constexpr const char* kStatusDirectory = WENDAR_TR_NOOP("FtpMonitor", "->正在读取目录");
constexpr const char* kStatusListing = WENDAR_TR_NOOP("FtpMonitor", "->正在检索文件");
constexpr const char* kStatusDone = WENDAR_TR_NOOP("FtpMonitor", "->检查完毕");
constexpr const char* kStatusStoppedPrefix = WENDAR_TR_NOOP("FtpMonitor", "检查");
constexpr const char* kStatusStoppedSuffix = WENDAR_TR_NOOP("FtpMonitor", " 时意外停止");
constexpr const char* kStatusErrorPrefix = WENDAR_TR_NOOP("FtpMonitor", "检查");
constexpr const char* kStatusErrorSuffix = WENDAR_TR_NOOP("FtpMonitor", " 时发生意外错误:");

int StopExit(CRunState& run, const std::string& name)
{
    run.SetStatusText(UiText("FtpMonitor", kStatusStoppedPrefix) + name + UiText("FtpMonitor", kStatusStoppedSuffix));
    return 0;
}

int ErrorExit(CRunState& run, const std::string& name, const std::string& error)
{
    run.SetErrorText(UiText("FtpMonitor", kStatusErrorPrefix) + name + UiText("FtpMonitor", kStatusErrorSuffix) +
                     error);
    return 0;
}

} // namespace

int CheckFtpItem(CheckContext& context, MessageTypeInfo& item)
{
    return CheckFtpItemWithOptions(context, item, FtpClientOptions{});
}

int CheckFtpItemWithOptions(CheckContext& context, MessageTypeInfo& item, const FtpClientOptions& options)
{
    CRunState& run = context.run;
    if (run.IsStopRequested() || item.state == 0) {
        return 0;
    }
    const std::string& name = item.MessageTypeName;
    const bool anonymous = item.UserName.empty();
    const std::string user = anonymous ? std::string(kAnonymousUser) : item.UserName;
    const std::string password = anonymous ? std::string(kAnonymousPassword) : item.Password;

    run.SetStatusText(UiText("FtpMonitor", kStatusChecking) + name + UiText("FtpMonitor", kStatusSession));
    FtpAddress address;
    std::string error;
    if (!ParseFtpAddress(item.connAddress, item.ViewName, address, error)) {
        return ErrorExit(run, name, error);
    }
    CFtpClient client(options);
    if (run.IsStopRequested()) {
        return StopExit(run, name);
    }

    // A stop request ends the check in every step, even in the middle of a slow one.
    client.SetAbortCheck([&run] { return run.IsStopRequested(); });
    if (!client.Connect(address.host, address.port, user, password)) {
        return client.WasAborted() ? StopExit(run, name) : ErrorExit(run, name, client.GetLastError());
    }
    run.SetStatusText(UiText("FtpMonitor", kStatusChecking) + name + UiText("FtpMonitor", kStatusConnected));
    if (run.IsStopRequested()) {
        return StopExit(run, name);
    }
    // A directory that cannot be entered is an error: listing the login directory instead would
    // report another directory's entries as this item's findings.
    if (!client.ChangeDirectory(address.path)) {
        return client.WasAborted() ? StopExit(run, name) : ErrorExit(run, name, client.GetLastError());
    }
    run.SetStatusText(UiText("FtpMonitor", kStatusChecking) + name + UiText("FtpMonitor", kStatusDirectory));
    if (run.IsStopRequested()) {
        return StopExit(run, name);
    }

    // A stop ends the listing too: a stalled data connection or a trickling listing would
    // otherwise hold the run for minutes.
    run.SetStatusText(UiText("FtpMonitor", kStatusChecking) + name + UiText("FtpMonitor", kStatusListing));
    std::vector<FtpEntry> entries;
    if (!client.List(entries)) {
        return client.WasAborted() ? StopExit(run, name) : ErrorExit(run, name, client.GetLastError());
    }

    const std::string directoryLink = FtpDirectoryLink(address, anonymous ? std::string() : user, password);
    CFindingStore store(context.mainConnection, item);
    store.SetKeepWaiting([&run] { return !run.IsStopRequested(); });
    SourceRowInfo record;
    record.FromName = kFinderName;
    for (const FtpEntry& entry : entries) {
        if (run.IsStopRequested()) {
            // What was stored stays stored and is announced; the rest waits for the next check.
            store.Flush();
            run.SetStatusText(UiText("FtpMonitor", kStatusStoppedPrefix) + name +
                              UiText("FtpMonitor", kStatusStoppedSuffix));
            return store.Committed() > 0 ? 1 : 0;
        }
        if (entry.name == "." || entry.name == "..") {
            continue;
        }
        // The link keeps the server's bytes; what is shown and compared is the UTF-8 name.
        FtpEntry shown = entry;
        shown.name = DisplayText(entry.name);
        record.Info = shown.name;
        record.FromDate = FtpFindingDate(entry.lastWrite);
        record.Link = FtpEntryLink(directoryLink, entry.name);
        record.Content = FtpNoticeHtml(name, directoryLink, record.Link, shown, record.FromDate);
        const auto outcome = store.StoreIfNew(record);
        if (outcome == CFindingStore::Outcome::Failed) {
            // What was stored stays stored and must still be announced; the rest waits for the next check.
            store.Flush();
            ErrorExit(run, name, FindingStoreFailure(store));
            return store.Committed() > 0 ? 1 : 0;
        }
        if (outcome == CFindingStore::Outcome::ItemGone) {
            break;
        }
    }
    if (!store.Flush()) {
        ErrorExit(run, name, FindingStoreFailure(store));
    } else {
        run.SetStatusText(name + UiText("FtpMonitor", kStatusDone));
    }
    return store.Committed() > 0 ? 1 : 0;
}
