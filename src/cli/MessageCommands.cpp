#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "cli/JsonWriter.h"
#include "cli/RecordJson.h"
#include "store/CAdoRecordset.h"
#include "store/MessageInfo.h"
#include "store/MessageTable.h"

#include <ostream>

namespace {

int ParseMessageId(const std::string& text)
{
    const int id = ParseInt(text, "消息编号");
    if (id <= 0) {
        throw UsageError("消息编号必须大于 0: " + text);
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
        throw UsageError("没有这个检查项目: " + *text);
    }
    return item;
}

// The list record of one stored message, or UsageError when there is none.
MessageListInfo LoadListRecord(CliContext& context, int id)
{
    CAdoRecordset rs(context.app.m_mainConnection);
    if (!rs.Open("select * from userdata where id=" + std::to_string(id))) {
        throw UsageError("不能读取消息 " + std::to_string(id));
    }
    if (rs.IsEOF()) {
        throw UsageError("没有这条消息: " + std::to_string(id));
    }
    MessageListInfo record;
    record.LoadFromRecordset(rs);
    return record;
}

// Every record the remaining words name; all are checked before any is changed.
std::vector<MessageListInfo> LoadListRecords(CliContext& context, CliArgs& args)
{
    const auto words = args.Rest();
    if (words.empty()) {
        throw UsageError("缺少消息编号");
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
    throw UsageError("应为 read 或 unread: " + word);
}

} // namespace

int RunMessagesCommand(CliContext& context, CliArgs& args)
{
    CTarvoDoc& doc = context.Doc();
    doc.m_pCurItem = ItemOption(context, args);
    if (auto filter = args.TakeOption("--filter")) {
        if (*filter == "all") {
            doc.m_nReadFilter = kFilterAll;
        } else if (*filter == "unread") {
            doc.m_nReadFilter = kFilterUnread;
        } else if (*filter == "read") {
            doc.m_nReadFilter = kFilterRead;
        } else {
            throw UsageError("--filter 取 all、unread 或 read: " + *filter);
        }
    }
    long page = 1;
    if (auto text = args.TakeOption("--page")) {
        page = ParseInt(*text, "--page");
    }
    args.ExpectEnd();
    if (!doc.FillPage(page)) {
        context.err << "不能读取消息列表\n";
        return 1;
    }
    const int pageSize = context.app.m_settings.pagesize;
    if (context.json) {
        JsonWriter json;
        json.BeginObject();
        json.Key("page").Value(doc.m_nCurPage).Key("pageCount").Value(doc.m_nPageCount);
        json.Key("totalCount").Value(doc.m_nTotalCount).Key("pageSize").Value(pageSize);
        json.Key("unread").Value(doc.m_nUnreadCount.load());
        json.Key("messages").BeginArray();
        for (const auto& row : doc.m_pageItems) {
            WriteListRowJson(json, row);
        }
        json.EndArray().EndObject();
        context.out << json.Text() << '\n';
        return 0;
    }
    context.out << "编号\t状态\t类型\t日期时间\t发送人\t主题\t接受人\n";
    for (const auto& row : doc.m_pageItems) {
        context.out << row.ID << '\t' << (row.status < 1 ? "未读" : "已读") << '\t' << PlainField(row.MessageTypeName)
                    << '\t' << PlainField(row.RecieveDate) << '\t' << PlainField(row.SourceFromName) << '\t'
                    << PlainField(row.SourceInfo) << '\t' << PlainField(row.SourceToName) << '\n';
    }
    context.out << doc.m_nCurPage << "/" << doc.m_nPageCount << "页  每页:" << pageSize << "/共:" << doc.m_nTotalCount
                << "条\n";
    return 0;
}

int RunMessageCommand(CliContext& context, CliArgs& args)
{
    const int id = ParseMessageId(args.Next("消息编号"));
    args.ExpectEnd();
    LoadListRecord(context, id); // a clear error for a missing id
    MessageInfo message;
    if (!message.LoadById(context.app.m_mainConnection, id)) {
        context.err << "不能读取消息 " << id << '\n';
        return 1;
    }
    if (context.json) {
        JsonWriter json;
        WriteMessageJson(json, message, context.showPassword);
        context.out << json.Text() << '\n';
        return 0;
    }
    auto& out = context.out;
    out << "ID\t" << message.ID << "\n状态\t" << (message.status < 1 ? "未读" : "已读") << "\n类型\t"
        << PlainField(message.MessageTypeName) << "\n类别\t" << message.m_strCategoryName << "\n日期时间\t"
        << message.RecieveDate << "\n来源日期\t" << PlainField(message.SourceDate) << "\n发送人\t"
        << PlainField(message.SourceFromName) << " <" << PlainField(message.SourceFromID) << ">\n接受人\t"
        << PlainField(message.SourceToName) << " <" << PlainField(message.SourceToID) << ">\n主题\t"
        << PlainField(message.SourceInfo) << "\n链接\t" << PlainField(message.SourceLink) << "\n\n"
        << message.SourceContent << '\n';
    return 0;
}

int RunMarkCommand(CliContext& context, CliArgs& args)
{
    const int mode = ParseReadWord(args.Next("read|unread"));
    std::vector<MessageListInfo> records = LoadListRecords(context, args);
    CTarvoDoc& doc = context.Doc();
    doc.RecountUnread();
    int status = 0;
    for (auto& record : records) {
        if (!doc.SetReadState(record, mode)) {
            if (record.bCanChangeState == 0) {
                context.err << "注意: " << record.ID << ": " << kCannotChangeStateText << '\n';
            }
            status = 1;
        }
    }
    return status;
}

int RunMarkAllCommand(CliContext& context, CliArgs& args)
{
    const bool read = ParseReadWord(args.Next("read|unread")) == 1;
    ItemPtr item = ItemOption(context, args);
    args.ExpectEnd();
    return SetAllRead(context.app.m_mainConnection, item.get(), read) ? 0 : 1;
}

int RunDeleteCommand(CliContext& context, CliArgs& args)
{
    std::vector<MessageListInfo> records = LoadListRecords(context, args);
    int status = 0;
    for (auto& record : records) {
        if (!record.DeleteMessage(context.app.m_mainConnection)) {
            status = 1;
        }
    }
    return status;
}
