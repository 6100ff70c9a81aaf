#include "monitors/database/DatabaseMonitor.h"

#include "monitors/CRunState.h"
#include "monitors/CheckContext.h"
#include "monitors/StoreFinding.h"
#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"
#include "store/FindingStore.h"
#include "store/MessageTypeInfo.h"
#include "store/RemoteViewQuery.h"
#include "store/SourceRowInfo.h"
#include "store/UserIdentity.h"
#include "util/UiText.h"

#include <string>

namespace {

constexpr const char* kStatusPrefix = WENDAR_TR_NOOP("DatabaseMonitor", "正在进行自动检查：");
constexpr const char* kStatusPrefixByHand = WENDAR_TR_NOOP("DatabaseMonitor", "正在检查：");
constexpr const char* kStatusPrefixEnd = " >>";
constexpr const char* kEmptyViewName =
    WENDAR_TR_NOOP("DatabaseMonitor", "错误：这个数据库检查的视图名称为空，不能进行自动检查");
constexpr const char* kConnecting = WENDAR_TR_NOOP("DatabaseMonitor", "正在连接远程数据库");
constexpr const char* kConnectFailed = WENDAR_TR_NOOP("DatabaseMonitor", "错误：不能链接到远程自动检查数据库－");
constexpr const char* kOpeningView = WENDAR_TR_NOOP("DatabaseMonitor", "正在连接远程数据表 ");
constexpr const char* kQueryFailed =
    WENDAR_TR_NOOP("DatabaseMonitor", "错误：不能链接到远程自动检查数据库内的数据表 --- ");
constexpr const char* kReading = WENDAR_TR_NOOP("DatabaseMonitor", "正在提取远程数据表中的内容 ");
constexpr const char* kFirstRowFailed = WENDAR_TR_NOOP("DatabaseMonitor", "错误：不能打开数据表中的内容 --- ");
constexpr const char* kSaving = WENDAR_TR_NOOP("DatabaseMonitor", "正在保存这些检查到的远程数据");
constexpr const char* kDone = WENDAR_TR_NOOP("DatabaseMonitor", "->检查完毕!");
constexpr const char* kStopped = WENDAR_TR_NOOP("DatabaseMonitor", "意外停止！");
constexpr const char* kStoreFailed = WENDAR_TR_NOOP("DatabaseMonitor", "错误：");

} // namespace

int CheckDatabase(CheckContext& context, MessageTypeInfo& item)
{
    CRunState& run = context.run;
    if (run.IsStopRequested() || item.state == 0) {
        return 0;
    }

    const std::string prefix =
        (context.byTimer ? UiText("DatabaseMonitor", kStatusPrefix) : UiText("DatabaseMonitor", kStatusPrefixByHand)) +
        item.MessageTypeName + kStatusPrefixEnd;
    const std::string savedStatus = run.GetStatusText();
    auto status = [&](const std::string& text) { run.SetStatusText(prefix + text); };
    auto failed = [&](const std::string& text) { run.SetErrorText(prefix + text); };
    int result = 0;
    auto stopped = [&] {
        status(UiText("DatabaseMonitor", kStopped));
        return result;
    };

    // Declared in this order so the recordset closes before its connection on every way out.
    CAdoConnection remote(context.mainConnection.GetReporter());
    remote.SetShowErrors(false); // no message box may open on the check thread
    CAdoRecordset rs;
    rs.SetShowErrors(false);
    rs.SetDateFormat(kFindingDateFormat); // dates of the view become finding dates

    if (run.IsStopRequested()) {
        return stopped();
    }
    if (item.ViewName.empty()) {
        failed(UiText("DatabaseMonitor", kEmptyViewName));
        return 0;
    }

    if (run.IsStopRequested()) {
        return stopped();
    }
    status(UiText("DatabaseMonitor", kConnecting));
    if (item.connAddress.size() >= kMaxConnectionString || !remote.Open(item.connAddress)) {
        failed(UiText("DatabaseMonitor", kConnectFailed));
        return 0;
    }

    if (run.IsStopRequested()) {
        return stopped();
    }
    status(UiText("DatabaseMonitor", kOpeningView) + item.ViewName);
    if (!rs.SetConnection(remote) || !rs.Open(RemoteViewQuery(item.ViewName, item.CheckNumber, item.MessageTypeUser))) {
        failed(UiText("DatabaseMonitor", kQueryFailed) + item.ViewName);
        return 0;
    }

    if (run.IsStopRequested()) {
        return stopped();
    }
    status(UiText("DatabaseMonitor", kReading));
    if (rs.IsEOF()) {
        run.SetStatusText(savedStatus);
        return 0;
    }
    // The only test of the view's shape: all ten columns on the first row.
    if (SourceRowInfo first; !first.LoadFromRecordset(rs)) {
        failed(UiText("DatabaseMonitor", kFirstRowFailed) + item.ViewName);
        return 0;
    }

    status(UiText("DatabaseMonitor", kSaving));
    if (run.IsStopRequested()) {
        return stopped();
    }
    // Oldest of the rows read first, so local ids follow the remote order.
    CFindingStore store(context.mainConnection, item);
    store.SetKeepWaiting([&run] { return !run.IsStopRequested(); });
    rs.MoveLast();
    while (!rs.IsBOF()) {
        if (run.IsStopRequested()) {
            // What the open slice holds is kept: those rows are as good as the ones before them.
            store.Flush();
            result = store.Committed() > 0 ? 1 : 0;
            return stopped();
        }
        // A fresh record per row: a NULL column leaves a field as it was, and must not inherit
        // the previous row's value.
        SourceRowInfo row;
        row.LoadFromRecordset(rs);
        const auto outcome = store.StoreIfNew(row);
        if (outcome == CFindingStore::Outcome::Failed) {
            // What was stored stays stored and must still be announced.
            store.Flush();
            status(UiText("DatabaseMonitor", kStoreFailed) + FindingStoreFailure(store));
            return store.Committed() > 0 ? 1 : 0;
        }
        if (outcome == CFindingStore::Outcome::ItemGone) {
            break; // deleted meanwhile: nothing more is stored for it
        }
        rs.MovePrevious();
    }
    const bool committed = store.Flush();
    result = store.Committed() > 0 ? 1 : 0;
    status(committed ? std::string(UiText("DatabaseMonitor", kDone))
                     : UiText("DatabaseMonitor", kStoreFailed) + FindingStoreFailure(store));
    return result;
}
