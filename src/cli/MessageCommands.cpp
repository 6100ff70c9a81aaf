#include "app/CMessageOperations.h"
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "cli/JsonWriter.h"
#include "cli/RecordJson.h"
#include "util/TerminalText.h"
#include "util/UiText.h"

#include <algorithm>
#include <ostream>

namespace {

constexpr const char* kDeletedText = WENDAR_TR_NOOP("MessageCommands", "已删除");
constexpr const char* kRestoredText = WENDAR_TR_NOOP("MessageCommands", "已恢复");
constexpr const char* kNothingToUndoText = WENDAR_TR_NOOP("MessageCommands", "没有可以撤销的删除");
constexpr const char* kIndexingText = WENDAR_TR_NOOP("MessageCommands", "正在建立搜索索引: ");

// Records still waiting for the search index (of an older file, or of checks) are indexed before a search.
bool CompleteSearchIndex(CliContext& context)
{
    std::string error;
    int shown = -1;
    const bool complete = context.app.Messages().CompleteSearchIndex(
        CMessageOperations::kLongIndexStepKeys,
        [&](const SearchIndexProgress& progress) {
            const int percent = static_cast<int>(progress.done * 100 / std::max(1LL, progress.total));
            if (percent != shown) {
                context.err << UiText("MessageCommands", kIndexingText) << percent << "%\n";
                shown = percent;
            }
        },
        error);
    if (!complete) {
        context.err << error << '\n';
        return false;
    }
    if (shown >= 0) {
        context.err << UiText("MessageCommands", kIndexingText) << "100%\n";
    }
    return true;
}

const char* PieceKindName(DiffPiece::Kind kind)
{
    switch (kind) {
    case DiffPiece::Kind::Added:
        return "added";
    case DiffPiece::Kind::Removed:
        return "removed";
    case DiffPiece::Kind::Same:
        break;
    }
    return "same";
}

const char* ViewKindName(ChangeView::Kind kind)
{
    switch (kind) {
    case ChangeView::Kind::Page:
        return "page";
    case ChangeView::Kind::Entries:
        return "entries";
    case ChangeView::Kind::Row:
        break;
    }
    return "row";
}

int PrintChanges(CliContext& context, int id)
{
    std::string error;
    const auto view = context.app.Messages().Changes(id, error);
    if (!view) {
        context.err << UiText("MessageCommands", "不能读取消息 ") << id << ": " << error << '\n';
        return 1;
    }
    if (context.json) {
        JsonWriter json;
        json.BeginObject().Key("id").Value(id).Key("kind").Value(ViewKindName(view->kind));
        json.Key("hasPrevious").Value(view->hasPrevious).Key("pieces").BeginArray();
        for (const DiffPiece& piece : view->pieces) {
            json.BeginObject().Key("kind").Value(PieceKindName(piece.kind)).Key("text").Value(piece.text).EndObject();
        }
        json.EndArray().EndObject();
        context.out << json.Text() << '\n';
        return 0;
    }
    for (const std::string& line : ChangeViewLines(*view)) {
        context.out << TerminalSafe(line, false) << '\n';
    }
    return 0;
}

int ParseMessageId(const std::string& text)
{
    const int id = ParseInt(text, UiText("MessageCommands", "消息编号").c_str());
    if (id <= 0) {
        throw UsageError(UiText("MessageCommands", "消息编号必须大于 0: ") + text);
    }
    return id;
}

ItemPtr ItemOption(CliContext& context, CliArgs& args)
{
    auto text = args.TakeOption("--item");
    if (!text) {
        return nullptr;
    }
    const int id = ParseInt(*text, "--item");
    ItemPtr item = context.Doc().FindItem(id);
    if (!item) {
        throw UsageError(UiText("MessageCommands", "没有这个检查项目: ") + *text);
    }
    return item;
}

// The list record of one stored message, or UsageError when there is none.
MessageListInfo LoadListRecord(CliContext& context, int id)
{
    MessageListInfo record;
    bool found = false;
    std::string error;
    if (!context.app.Messages().ListRecord(id, record, found, error)) {
        throw UsageError(UiText("MessageCommands", "不能读取消息 ") + std::to_string(id));
    }
    if (!found) {
        throw UsageError(UiText("MessageCommands", "没有这条消息: ") + std::to_string(id));
    }
    return record;
}

// Every record the remaining words name; all are checked before any is changed.
std::vector<MessageListInfo> LoadListRecords(CliContext& context, CliArgs& args)
{
    const auto words = args.Rest();
    if (words.empty()) {
        throw UsageError(UiText("MessageCommands", "缺少消息编号"));
    }
    std::vector<MessageListInfo> records;
    for (const auto& word : words) {
        records.push_back(LoadListRecord(context, ParseMessageId(word)));
    }
    return records;
}

int ParseReadWord(const std::string& word)
{
    if (word == "read") {
        return 1;
    }
    if (word == "unread") {
        return 0;
    }
    throw UsageError(UiText("MessageCommands", "应为 read 或 unread: ") + word);
}

} // namespace

int RunMessagesCommand(CliContext& context, CliArgs& args)
{
    MessageQuery query;
    query.pageSize = context.app.m_settings.pagesize;
    if (ItemPtr item = ItemOption(context, args)) {
        query.itemId = item->messagetypeid;
    }
    if (auto filter = args.TakeOption("--filter")) {
        if (*filter == "all") {
            query.readFilter = kFilterAll;
        } else if (*filter == "unread") {
            query.readFilter = kFilterUnread;
        } else if (*filter == "read") {
            query.readFilter = kFilterRead;
        } else {
            throw UsageError(UiText("MessageCommands", "--filter 取 all、unread 或 read: ") + *filter);
        }
    }
    if (auto text = args.TakeOption("--page")) {
        query.page = ParseInt(*text, "--page");
    }
    if (auto text = args.TakeOption("--search")) {
        query.search = *text;
    }
    args.ExpectEnd();
    if (!query.search.empty() && !CompleteSearchIndex(context)) {
        return 1;
    }
    std::string error;
    CMessageOperations& messages = context.app.Messages();
    const auto page = messages.Page(query, error);
    const auto unread = page ? messages.CountUnread(error) : std::nullopt;
    if (!page || !unread) {
        context.err << UiText("MessageCommands", "不能读取消息列表\n");
        return 1;
    }
    const long pageSize = query.pageSize;
    if (context.json) {
        JsonWriter json;
        json.BeginObject();
        json.Key("page").Value(page->page).Key("pageCount").Value(page->pageCount);
        json.Key("totalCount").Value(page->totalCount).Key("pageSize").Value(pageSize);
        json.Key("unread").Value(unread->total);
        json.Key("messages").BeginArray();
        for (const auto& row : page->rows) {
            WriteListRowJson(json, row);
        }
        json.EndArray().EndObject();
        context.out << json.Text() << '\n';
        return 0;
    }
    context.out << UiText("MessageCommands", "编号\t状态\t类型\t日期时间\t发送人\t主题\t接受人\n");
    for (const auto& row : page->rows) {
        context.out << row.ID << '\t'
                    << (row.status < 1 ? UiText("MessageCommands", "未读") : UiText("MessageCommands", "已读")) << '\t'
                    << PlainField(row.MessageTypeName) << '\t' << PlainField(row.RecieveDate) << '\t'
                    << PlainField(row.SourceFromName) << '\t' << PlainField(row.SourceInfo) << '\t'
                    << PlainField(row.SourceToName) << '\n';
    }
    // An empty list is on no page: "0/0页".
    context.out << (page->pageCount > 0 ? page->page : 0) << "/" << page->pageCount
                << UiText("MessageCommands", "页  每页:") << pageSize << UiText("MessageCommands", "/共:")
                << page->totalCount << UiText("MessageCommands", "条\n");
    return 0;
}

int RunMessageCommand(CliContext& context, CliArgs& args)
{
    const bool diff = args.TakeFlag("--diff");
    const int id = ParseMessageId(args.Next(UiText("MessageCommands", "消息编号").c_str()));
    args.ExpectEnd();
    LoadListRecord(context, id); // a clear error for a missing id
    if (diff) {
        return PrintChanges(context, id);
    }
    std::string error;
    const auto found = context.app.Messages().Message(id, error);
    if (!found) {
        context.err << UiText("MessageCommands", "不能读取消息 ") << id << '\n';
        return 1;
    }
    const MessageInfo& message = *found;
    if (context.json) {
        JsonWriter json;
        WriteMessageJson(json, message, context.showPassword);
        context.out << json.Text() << '\n';
        return 0;
    }
    auto& out = context.out;
    out << "ID\t" << message.ID << UiText("MessageCommands", "\n状态\t")
        << (message.status < 1 ? UiText("MessageCommands", "未读") : UiText("MessageCommands", "已读"))
        << UiText("MessageCommands", "\n类型\t") << PlainField(message.MessageTypeName)
        << UiText("MessageCommands", "\n类别\t") << message.m_strCategoryName
        << UiText("MessageCommands", "\n日期时间\t") << message.RecieveDate << UiText("MessageCommands", "\n来源日期\t")
        << PlainField(message.SourceDate) << UiText("MessageCommands", "\n发送人\t")
        << PlainField(message.SourceFromName) << " <" << PlainField(message.SourceFromID)
        << UiText("MessageCommands", ">\n接受人\t") << PlainField(message.SourceToName) << " <"
        << PlainField(message.SourceToID) << UiText("MessageCommands", ">\n主题\t") << PlainField(message.SourceInfo)
        << UiText("MessageCommands", "\n链接\t") << PlainField(message.SourceLink) << "\n\n"
        << TerminalSafe(message.SourceContent, true) << '\n';
    return 0;
}

int RunMarkCommand(CliContext& context, CliArgs& args)
{
    const int mode = ParseReadWord(args.Next("read|unread"));
    std::vector<MessageListInfo> records = LoadListRecords(context, args);
    std::vector<MessageListInfo*> pointers;
    for (auto& record : records) {
        pointers.push_back(&record);
    }
    std::string error;
    const auto change = context.app.Messages().SetReadState(pointers, mode, error);
    if (!change) {
        context.err << error << '\n';
        return 1; // a change the database refused is no success
    }
    for (int id : change->refused) {
        context.err << UiText("MessageCommands", "注意: ") << id << ": " << UiText("CTarvoDoc", kCannotChangeStateText)
                    << '\n';
    }
    return change->refused.empty() ? 0 : 1;
}

int RunMarkAllCommand(CliContext& context, CliArgs& args)
{
    const bool read = ParseReadWord(args.Next("read|unread")) == 1;
    ItemPtr item = ItemOption(context, args);
    args.ExpectEnd();
    std::string error;
    if (!context.app.Messages().SetAllRead(item ? item->messagetypeid : 0, read, error)) {
        context.err << error << '\n';
        return 1;
    }
    return 0;
}

int RunDeleteCommand(CliContext& context, CliArgs& args)
{
    const std::vector<MessageListInfo> records = LoadListRecords(context, args);
    std::vector<int> ids;
    for (const auto& record : records) {
        ids.push_back(record.ID);
    }
    std::string error;
    if (!context.app.Messages().Delete(ids, error)) {
        context.err << error << '\n';
        return 1;
    }
    // What went, so that a mistyped key is seen at once (and "undo" can bring it back).
    if (context.json) {
        JsonWriter json;
        json.BeginObject().Key("deleted").BeginArray();
        for (const auto& record : records) {
            WriteListRowJson(json, record);
        }
        json.EndArray().EndObject();
        context.out << json.Text() << '\n';
        return 0;
    }
    for (const auto& record : records) {
        context.out << UiText("MessageCommands", kDeletedText) << '\t' << record.ID << '\t'
                    << PlainField(record.SourceInfo) << '\n';
    }
    return 0;
}

int RunUndoCommand(CliContext& context, CliArgs& args)
{
    args.ExpectEnd();
    std::vector<int> restored;
    std::string error;
    if (!context.app.Messages().Undo(restored, error)) {
        context.err << error << '\n';
        return 1;
    }
    if (restored.empty()) {
        context.err << UiText("MessageCommands", kNothingToUndoText) << '\n';
        return 1;
    }
    if (context.json) {
        JsonWriter json;
        json.BeginObject().Key("restored").BeginArray();
        for (int id : restored) {
            json.Value(id);
        }
        json.EndArray().EndObject();
        context.out << json.Text() << '\n';
        return 0;
    }
    for (int id : restored) {
        context.out << UiText("MessageCommands", kRestoredText) << '\t' << id << '\n';
    }
    return 0;
}
