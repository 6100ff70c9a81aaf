#include "cli/RecordJson.h"

#include "cli/JsonWriter.h"
#include "cli/Masking.h"
#include "store/ExcludeTable.h"
#include "store/MessageInfo.h"
#include "store/MessageListInfo.h"
#include "store/MessageTypeInfo.h"
#include "util/TerminalText.h"

void WriteItemJson(JsonWriter& json, const MessageTypeInfo& item, bool showPassword,
                   const std::function<void(JsonWriter&)>& more)
{
    json.BeginObject();
    json.Key("messagetypeid").Value(item.messagetypeid);
    json.Key("MessageCategory").Value(item.MessageCategory);
    json.Key("OwnerUserID").Value(item.OwnerUserID);
    json.Key("CheckInterval").Value(item.CheckInterval);
    json.Key("state").Value(item.state);
    json.Key("bCanChangeState").Value(item.bCanChangeState);
    json.Key("bNotify").Value(item.bNotify);
    json.Key("DisplayType").Value(item.DisplayType);
    json.Key("CheckNumber").Value(item.CheckNumber);
    json.Key("MustHaveID").Value(item.MustHaveID);
    json.Key("connAddress").Value(MaskedAddress(item.connAddress, showPassword));
    json.Key("MessageTypeName").Value(item.MessageTypeName);
    json.Key("UserName").Value(item.UserName);
    json.Key("Password").Value(MaskedPassword(item.Password, showPassword));
    json.Key("ViewName").Value(item.ViewName);
    json.Key("MessageTypeUser").Value(item.MessageTypeUser);
    json.Key("About").Value(item.About);
    json.Key("IncludeFrom").Value(item.IncludeFrom);
    json.Key("IncludeTo").Value(item.IncludeTo);
    json.Key("notifysound").Value(item.notifysound);
    json.Key("unread").Value(item.m_nUnreadCount.load());
    if (more) {
        more(json);
    }
    json.EndObject();
}

void WriteMessageJson(JsonWriter& json, const MessageInfo& m, bool showPassword)
{
    json.BeginObject();
    json.Key("ID").Value(m.ID);
    json.Key("status").Value(m.status);
    json.Key("UserID").Value(m.UserID);
    json.Key("UserName").Value(m.UserName);
    json.Key("MessageTypeID").Value(m.MessageTypeID);
    json.Key("MessageCategory").Value(m.MessageCategory);
    json.Key("CategoryName").Value(m.m_strCategoryName);
    json.Key("MessageTypeName").Value(m.MessageTypeName);
    json.Key("RecieveDate").Value(m.RecieveDate);
    json.Key("SourceType").Value(m.SourceType);
    json.Key("SourceID").Value(m.SourceID);
    json.Key("SourceDate").Value(m.SourceDate);
    json.Key("SourceFromID").Value(m.SourceFromID);
    json.Key("SourceFromName").Value(m.SourceFromName);
    json.Key("SourceInfo").Value(m.SourceInfo);
    json.Key("SourceToID").Value(m.SourceToID);
    json.Key("SourceToName").Value(m.SourceToName);
    json.Key("SourceContent").Value(m.SourceContent);
    json.Key("SourceLink").Value(m.SourceLink);
    json.Key("connAddress").Value(MaskedAddress(m.connAddress, showPassword));
    json.Key("bCanChangeState").Value(m.bCanChangeState);
    json.Key("DisplayType").Value(m.DisplayType);
    json.EndObject();
}

void WriteListRowJson(JsonWriter& json, const MessageListInfo& row)
{
    json.BeginObject();
    json.Key("ID").Value(row.ID);
    json.Key("status").Value(row.status);
    json.Key("MessageTypeID").Value(row.MessageTypeID);
    json.Key("MessageCategory").Value(row.MessageCategory);
    json.Key("MessageTypeName").Value(row.MessageTypeName);
    json.Key("RecieveDate").Value(row.RecieveDate);
    json.Key("SourceFromName").Value(row.SourceFromName);
    json.Key("SourceInfo").Value(row.SourceInfo);
    json.Key("SourceToName").Value(row.SourceToName);
    json.Key("SourceLink").Value(row.SourceLink);
    json.Key("bCanChangeState").Value(row.bCanChangeState);
    json.EndObject();
}

void WriteExcludeJson(JsonWriter& json, const ExcludeRange& range)
{
    json.BeginObject();
    json.Key("ID").Value(range.ID);
    json.Key("excludeFrom").Value(range.excludeFrom);
    json.Key("excludeTo").Value(range.excludeTo);
    json.EndObject();
}

std::string PlainField(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        if (c == '\t' || c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return TerminalSafe(out, false);
}
