#include "store/MessageTable.h"

#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"
#include "store/DeletedFindings.h"
#include "store/MessageListInfo.h"
#include "store/MessageTypeInfo.h"
#include "util/UiText.h"

#include <cstdlib>
#include <string>

namespace {

constexpr const char* kSetStatusSql = "update userdata set status=";
constexpr const char* kWhereItemSql = " where messagetypeid=";
constexpr const char* kWhereStatusSql = " where status=";
constexpr const char* kAndItemSql = " and messagetypeid=";
constexpr const char* kWhereIdSql = " where id=";
constexpr const char* kListRecordSql = "select * from userdata where id=";
constexpr const char* kUnreadCountsSql =
    "select messagetypeid, sum(n) as unread from userdata_counts where status=0 group by messagetypeid";
constexpr const char* kDataVersionSql = "pragma data_version";
constexpr const char* kNewestIdSql = "select max(ID) as newest from userdata";
constexpr const char* kStoredSinceSql =
    "select ID, MessageTypeID, MessageTypeName, SourceInfo, SourceLink from userdata where ID>";
constexpr const char* kStoredSinceOrderSql = " order by ID";
// The item's name as it is now, or as its records carry it when the item is gone.
constexpr const char* kStoredCountsSinceSql =
    "select userdata.MessageTypeID as item, count(*) as stored, ifnull(min(usermessagetype.MessageTypeName), "
    "min(userdata.MessageTypeName)) as name from userdata left join usermessagetype on "
    "usermessagetype.messagetypeid=userdata.MessageTypeID where userdata.ID>";
constexpr const char* kStoredCountsSinceGroupSql = " group by userdata.MessageTypeID order by min(userdata.ID)";

std::string FirstError(const std::vector<std::string>& errors, const std::string& otherwise)
{
    return errors.empty() ? otherwise : errors.front();
}

// Runs one statement per key in one transaction.
bool ExecuteForEach(CAdoConnection& connection, const std::vector<int>& ids, const std::string& head,
                    const std::string& tail, std::string& error)
{
    if (ids.empty()) {
        return true;
    }
    CAdoTransaction transaction(connection);
    if (!transaction.Begin()) {
        error = FirstError(transaction.Errors(), UiText("MessageTable", "数据库正忙"));
        return false;
    }
    for (int id : ids) {
        if (!connection.Execute(head + std::to_string(id) + tail, error)) {
            return false; // the transaction rolls back as it ends
        }
    }
    if (!transaction.Commit()) {
        error = FirstError(transaction.Errors(), UiText("MessageTable", "不能提交"));
        return false;
    }
    return true;
}

// Opens a quiet recordset; the engine's words go to error.
bool OpenQuiet(CAdoRecordset& rs, const std::string& sql, std::string& error)
{
    rs.SetShowErrors(false);
    if (rs.Open(sql)) {
        return true;
    }
    error = FirstError(rs.OpenErrors(), UiText("MessageTable", "不能读取消息"));
    return false;
}

} // namespace

bool SetAllRead(CAdoConnection& connection, const MessageTypeInfo* item, bool read)
{
    std::string sql = std::string(kSetStatusSql) + (read ? "1" : "0");
    if (item) {
        sql += kWhereItemSql + std::to_string(item->messagetypeid);
    }
    return connection.Execute(sql);
}

bool SetAllRead(CAdoConnection& connection, int itemId, bool read, std::string& error)
{
    // Only the records that change are written: the read-state indexes find them, and the others
    // (most of a large store) are not rewritten.
    std::string sql = std::string(kSetStatusSql) + (read ? "1" : "0") + kWhereStatusSql + (read ? "0" : "1");
    if (itemId != 0) {
        sql += kAndItemSql + std::to_string(itemId);
    }
    return connection.Execute(sql, error);
}

bool SetMessageStatus(CAdoConnection& connection, int id, int status)
{
    return connection.Execute(kSetStatusSql + std::to_string(status ? 1 : 0) + kWhereIdSql + std::to_string(id));
}

bool SetMessagesStatus(CAdoConnection& connection, const std::vector<int>& ids, int status, std::string& error)
{
    return ExecuteForEach(connection, ids, kSetStatusSql + std::to_string(status ? 1 : 0) + kWhereIdSql, "", error);
}

bool DeleteMessages(CAdoConnection& connection, const std::vector<int>& ids, std::string& error)
{
    return DeleteRemembering(connection, ids, error);
}

bool LoadListRecord(CAdoConnection& connection, int id, MessageListInfo& record, bool& found, std::string& error)
{
    CAdoRecordset rs(connection);
    if (!OpenQuiet(rs, kListRecordSql + std::to_string(id), error)) {
        return false;
    }
    found = !rs.IsEOF();
    if (found) {
        record.LoadFromRecordset(rs);
    }
    return true;
}

bool ReadUnreadCounts(CAdoConnection& connection, std::map<int, int>& unreadByItem)
{
    CAdoRecordset counts(connection);
    counts.SetShowErrors(false);
    if (!counts.Open(kUnreadCountsSql)) {
        return false;
    }
    unreadByItem.clear();
    for (; !counts.IsEOF(); counts.MoveNext()) {
        int id = 0;
        int count = 0;
        if (counts.GetFieldValue("messagetypeid", id) && counts.GetFieldValue("unread", count)) {
            unreadByItem[id] = count;
        }
    }
    return true;
}

bool ReadDataVersion(CAdoConnection& connection, long long& version, std::string& error)
{
    CAdoCommand command(connection, kDataVersionSql);
    DbResult result;
    if (!command.Run(&result) || result.rows.empty() || result.rows.front().empty()) {
        error = FirstError(command.Errors(), UiText("MessageTable", "不能读取数据库的版本"));
        return false;
    }
    const DbValue& value = result.rows.front().front();
    version = value.kind == DbValue::Kind::Text ? std::atoll(value.text.c_str()) : value.integer;
    return true;
}

bool ReadNewestMessageId(CAdoConnection& connection, long long& id, std::string& error)
{
    CAdoRecordset rs(connection);
    if (!OpenQuiet(rs, kNewestIdSql, error)) {
        return false;
    }
    std::string text;
    if (!rs.IsEOF()) {
        rs.GetFieldValue("newest", text);
    }
    id = text.empty() ? 0 : std::stoll(text); // no records: null
    return true;
}

bool ReadStoredSince(CAdoConnection& connection, long long afterId, std::vector<StoredRecord>& records,
                     std::string& error)
{
    CAdoRecordset rs(connection);
    if (!OpenQuiet(rs, kStoredSinceSql + std::to_string(afterId) + kStoredSinceOrderSql, error)) {
        return false;
    }
    records.clear();
    for (; !rs.IsEOF(); rs.MoveNext()) {
        StoredRecord record;
        rs.GetFieldValue("ID", record.id);
        rs.GetFieldValue("MessageTypeID", record.itemId);
        rs.GetFieldValue("MessageTypeName", record.itemName);
        rs.GetFieldValue("SourceInfo", record.info);
        rs.GetFieldValue("SourceLink", record.link);
        records.push_back(std::move(record));
    }
    return true;
}

bool ReadStoredCountsSince(CAdoConnection& connection, long long afterId, std::vector<StoredCount>& counts,
                           std::string& error)
{
    CAdoRecordset rs(connection);
    if (!OpenQuiet(rs, kStoredCountsSinceSql + std::to_string(afterId) + kStoredCountsSinceGroupSql, error)) {
        return false;
    }
    counts.clear();
    for (; !rs.IsEOF(); rs.MoveNext()) {
        StoredCount count;
        rs.GetFieldValue("item", count.itemId);
        rs.GetFieldValue("stored", count.count);
        rs.GetFieldValue("name", count.itemName);
        counts.push_back(std::move(count));
    }
    return true;
}
