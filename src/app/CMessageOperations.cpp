#include "app/CMessageOperations.h"

#include "monitors/web/WebMonitor.h"
#include "store/CAdoConnection.h"
#include "store/DeletedFindings.h"
#include "store/MessageTypeInfo.h"
#include "store/PageCopies.h"
#include "util/UiText.h"

namespace {

constexpr const char* kNoMessageText = WENDAR_TR_NOOP("CMessageOperations", "没有这条消息");
constexpr const char* kNoItemText = WENDAR_TR_NOOP("CMessageOperations", "这条消息的检查项目已经不存在");
constexpr int kWebCategory = 2;
constexpr int kFtpCategory = 3;
// The fields of a row as the change view lists them.
constexpr const char* kSubjectLabel = WENDAR_TR_NOOP("CMessageOperations", "标题: ");
constexpr const char* kSenderLabel = WENDAR_TR_NOOP("CMessageOperations", "发送者: ");
constexpr const char* kReceiverLabel = WENDAR_TR_NOOP("CMessageOperations", "接收者: ");

} // namespace

CMessageOperations::CMessageOperations(CAdoConnection& connection) : m_connection(connection) {}

void CMessageOperations::SendLockedWritesTo(CBackgroundWrites* writes, CBackgroundWrites::Done done)
{
    m_pLockedWrites = writes;
    m_lockedWriteDone = std::move(done);
}

bool CMessageOperations::Write(CBackgroundWrites::Write write, std::string& error)
{
    if (!m_pLockedWrites) {
        return write(m_connection, error);
    }
    return m_pLockedWrites->Run(std::move(write), m_lockedWriteDone, error) != CBackgroundWrites::Outcome::Failed;
}

std::optional<MessagePage> CMessageOperations::Page(const MessageQuery& query, std::string& error)
{
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    if (SortsByTextKeys(query.order) && query.search.empty() && !SortKeysReady(m_connection)) {
        // A failure here only means the page is sorted by the texts themselves.
        SortKeysState keys;
        std::string ignored;
        if (ReadSortKeysState(m_connection, keys, ignored) && keys.Continues() && keys.waiting <= kSortKeysAtOnce) {
            Write(
                [](CAdoConnection& connection, std::string& words) {
                    SortKeysState state;
                    return MakeNextSortKeys(connection, kSortKeysAtOnce, state, words);
                },
                ignored);
        }
    }
    MessagePage page;
    if (!LoadMessagePage(m_connection, query.readFilter, query.itemId, query.page, query.pageSize, query.order,
                         query.search, page)) {
        error = m_connection.QuietError();
        return std::nullopt;
    }
    return page;
}

std::optional<SearchIndexProgress> CMessageOperations::SearchIndexState(std::string& error)
{
    SearchIndexProgress progress;
    if (!ReadSearchIndexProgress(m_connection, progress, error)) {
        return std::nullopt;
    }
    return progress;
}

std::optional<SearchIndexProgress> CMessageOperations::IndexForSearch(long long stepKeys, std::string& error)
{
    const bool written = Write(
        [stepKeys](CAdoConnection& connection, std::string& words) {
            SearchIndexProgress progress;
            return IndexNextSearchStep(connection, stepKeys, progress, words);
        },
        error);
    if (!written) {
        return std::nullopt;
    }
    // A step that met another program's lock goes on later: the stored state says how far it is.
    return SearchIndexState(error);
}

bool CMessageOperations::CompleteSearchIndex(long long stepKeys,
                                             const std::function<void(const SearchIndexProgress&)>& beforeStep,
                                             std::string& error)
{
    auto progress = SearchIndexState(error);
    while (progress && !progress->Complete()) {
        if (beforeStep) {
            beforeStep(*progress);
        }
        const long long done = progress->done;
        progress = IndexForSearch(stepKeys, error);
        if (progress && progress->done <= done) {
            // The step met another program's lock: the same words as a step that failed on it.
            error = UiText("SearchIndex", "数据库正忙");
            return false;
        }
    }
    return progress.has_value();
}

std::optional<SortKeysState> CMessageOperations::MakeSortKeys(long long stepRows, std::string& error)
{
    const bool written = Write(
        [stepRows](CAdoConnection& connection, std::string& words) {
            SortKeysState state;
            return MakeNextSortKeys(connection, stepRows, state, words);
        },
        error);
    if (!written) {
        return std::nullopt;
    }
    // A step that met another program's lock goes on later: the stored state says how far it is.
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    SortKeysState state;
    if (!ReadSortKeysState(m_connection, state, error)) {
        return std::nullopt;
    }
    return state;
}

std::optional<MessageInfo> CMessageOperations::Message(int id, std::string& error)
{
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    MessageInfo message;
    if (!message.LoadById(m_connection, id) || message.ID != id) {
        error = m_connection.QuietError();
        if (error.empty()) {
            error = UiText("CMessageOperations", kNoMessageText);
        }
        return std::nullopt;
    }
    return message;
}

std::optional<ChangeView> CMessageOperations::Changes(int id, std::string& error)
{
    auto record = Message(id, error);
    if (!record) {
        return std::nullopt;
    }
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    ChangeView view;
    if (record->MessageCategory == kFtpCategory) {
        view.kind = ChangeView::Kind::Entries;
        view.pieces.push_back({DiffPiece::Kind::Added, VisibleText(record->SourceContent)});
        return view;
    }
    if (record->MessageCategory != kWebCategory) {
        std::string row;
        for (const auto& [label, value] :
             {std::pair{kSubjectLabel, &record->SourceInfo}, std::pair{kSenderLabel, &record->SourceFromName},
              std::pair{kReceiverLabel, &record->SourceToName}}) {
            if (!value->empty()) {
                row += UiText("CMessageOperations", label) + *value + "\n";
            }
        }
        view.pieces.push_back({DiffPiece::Kind::Added, row + VisibleText(record->SourceContent)});
        return view;
    }
    view.kind = ChangeView::Kind::Page;
    const auto item = LoadItem(m_connection, record->MessageTypeID);
    if (!item) {
        error =
            m_connection.QuietError().empty() ? UiText("CMessageOperations", kNoItemText) : m_connection.QuietError();
        return std::nullopt;
    }
    // The copy the check compared this one with: the same page's newest older copy, deleted or not.
    PageRecordFilter filter{record->MessageTypeID, record->SourceLink, true, WebReportsWithoutCopy(), id};
    long long previousId = 0;
    std::string info;
    bool deleted = false;
    std::string previous;
    std::string current = record->SourceContent;
    if (!NewestPageRecord(m_connection, filter, previousId, info, deleted) ||
        (previousId != 0 && !ReadPageCopy(m_connection, previousId, deleted, previous)) ||
        !WebComparedRegion(m_connection, *item, current) ||
        (previousId != 0 && !WebComparedRegion(m_connection, *item, previous))) {
        error = m_connection.QuietError();
        return std::nullopt;
    }
    view.hasPrevious = previousId != 0;
    view.pieces = DiffWords(VisibleText(previous), VisibleText(current));
    return view;
}

bool CMessageOperations::ListRecord(int id, MessageListInfo& record, bool& found, std::string& error)
{
    return LoadListRecord(m_connection, id, record, found, error);
}

std::optional<ReadStateChange> CMessageOperations::SetReadState(const std::vector<MessageListInfo*>& records, int mode,
                                                                std::string& error)
{
    ReadStateChange change;
    std::vector<int> toRead;
    std::vector<int> toUnread;
    for (MessageListInfo* record : records) {
        if (record->bCanChangeState == 0) {
            change.refused.push_back(record->ID);
        } else if (record->status == 0 && (mode == 1 || mode == -1)) {
            toRead.push_back(record->ID);
            change.changed.push_back(record);
        } else if (record->status == 1 && (mode == 0 || mode == -1)) {
            toUnread.push_back(record->ID);
            change.changed.push_back(record);
        }
    }
    if (toRead.empty() && toUnread.empty()) {
        return change;
    }
    // By value: a write that meets a lock runs later on another thread.
    const bool written = Write(
        [toRead, toUnread](CAdoConnection& connection, std::string& words) {
            CAdoTransaction transaction(connection); // both directions (a toggle) or neither
            if (!transaction.Begin()) {
                words = transaction.Errors().empty() ? UiText("CMessageOperations", "数据库正忙")
                                                     : transaction.Errors().front();
                return false;
            }
            return SetMessagesStatus(connection, toRead, 1, words) &&
                   SetMessagesStatus(connection, toUnread, 0, words) && transaction.Commit();
        },
        error);
    if (!written) {
        return std::nullopt;
    }
    for (MessageListInfo* record : change.changed) {
        record->status = record->status == 0 ? 1 : 0;
    }
    return change;
}

bool CMessageOperations::SetAllRead(int itemId, bool read, std::string& error)
{
    return Write([itemId, read](CAdoConnection& connection,
                                std::string& words) { return ::SetAllRead(connection, itemId, read, words); },
                 error);
}

bool CMessageOperations::Delete(const std::vector<int>& ids, std::string& error)
{
    return Write(
        [ids](CAdoConnection& connection, std::string& words) { return DeleteMessages(connection, ids, words); },
        error);
}

bool CMessageOperations::Undo(std::vector<int>& restored, std::string& error)
{
    return Write([&](CAdoConnection& connection,
                     std::string& words) { return RestoreLastDeletion(connection, restored, words); },
                 error);
}

std::optional<int> CMessageOperations::UndoableCount(std::string& error)
{
    int count = 0;
    if (!CountLastDeletion(m_connection, count, error)) {
        return std::nullopt;
    }
    return count;
}

std::optional<long long> CMessageOperations::DataVersion(std::string& error)
{
    long long version = 0;
    if (!ReadDataVersion(m_connection, version, error)) {
        return std::nullopt;
    }
    return version;
}

std::optional<UnreadCounts> CMessageOperations::CountUnread(std::string& error)
{
    UnreadCounts counts;
    if (!ReadUnreadCounts(m_connection, counts.byItem)) {
        error = UiText("CMessageOperations", "不能读取未读消息数");
        return std::nullopt;
    }
    for (const auto& [item, unread] : counts.byItem) {
        counts.total += unread;
    }
    return counts;
}

std::optional<long long> CMessageOperations::NewestMessageId(std::string& error)
{
    long long id = 0;
    if (!ReadNewestMessageId(m_connection, id, error)) {
        return std::nullopt;
    }
    return id;
}

std::optional<std::vector<StoredRecord>> CMessageOperations::StoredSince(long long afterId, std::string& error)
{
    std::vector<StoredRecord> records;
    if (!ReadStoredSince(m_connection, afterId, records, error)) {
        return std::nullopt;
    }
    return records;
}

std::optional<std::vector<StoredCount>> CMessageOperations::StoredCountsSince(long long afterId, std::string& error)
{
    std::vector<StoredCount> counts;
    if (!ReadStoredCountsSince(m_connection, afterId, counts, error)) {
        return std::nullopt;
    }
    return counts;
}

std::string StatusSummaryText(const MessageTypeInfo* item, int itemUnread, int totalUnread)
{
    const std::string total = UiText("CMessageOperations", " 未读消息合计:") + std::to_string(totalUnread);
    if (!item) {
        return UiText("CMessageOperations", "当前类别: 所有 (") + (totalUnread > 0 ? total : std::string()) + ")";
    }
    std::string text = UiText("CMessageOperations", "当前类别:") + item->MessageTypeName;
    if (item->state == 0) {
        text += UiText("CMessageOperations", "(禁止)");
    }
    text += " -(";
    if (itemUnread > 0) {
        text += UiText("CMessageOperations", "未读:") + std::to_string(itemUnread);
    }
    if (totalUnread > 0) {
        text += "," + total;
    }
    return text + ")";
}
