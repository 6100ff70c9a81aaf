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
constexpr const char* kSetStatusOrFailSql = "update or fail userdata set status=";
constexpr const char* kWhereItemSql = " where messagetypeid=";
constexpr const char* kWhereStatusSql = " where status=";
constexpr const char* kAndItemSql = " and messagetypeid=";
constexpr const char* kWhereIdSql = " where id=";
// The counts of one read state (of all items or one) added to the other's, then emptied.
constexpr const char* kMoveCountsSql = "insert into userdata_counts (MessageTypeID, status, n) select MessageTypeID, ";
constexpr const char* kMoveCountsFromSql = ", n from userdata_counts where status=";
constexpr const char* kMoveCountsTailSql =
    " and n<>0 on conflict (MessageTypeID, status) do update set n = n + excluded.n";
constexpr const char* kEmptyCountsSql = "update userdata_counts set n=0 where status=";
// Triggers on the records or their counts other than the file's own: with any, the triggers stay on.
constexpr const char* kOtherTriggersSql =
    "select count(*) as n from (select name, tbl_name from sqlite_master where type='trigger' union all select name, "
    "tbl_name from sqlite_temp_master where type='trigger') where tbl_name in ('userdata', 'userdata_counts') and "
    "name not in ('userdata_counts_insert', 'userdata_counts_delete', 'userdata_counts_update', "
    "'userdata_search_insert', 'userdata_search_delete', 'userdata_search_update', 'userdata_sortkeys_insert', "
    "'userdata_sortkeys_update', 'userdata_sortkeys_delete')";
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

// The connection's triggers off for the scope, when the engine can.
class TriggersOff final
{
public:
    explicit TriggersOff(CAdoConnection& connection)
        : m_connection(connection), m_done(OnlyOwnTriggers(connection) && connection.SetTriggers(false))
    {}
    ~TriggersOff()
    {
        if (m_done) {
            m_connection.SetTriggers(true);
        }
    }
    TriggersOff(const TriggersOff&) = delete;
    TriggersOff& operator=(const TriggersOff&) = delete;
    bool Done() const { return m_done; }

private:
    static bool OnlyOwnTriggers(CAdoConnection& connection)
    {
        DbResult others;
        std::string ignored;
        return connection.Query(kOtherTriggersSql, others, ignored) && others.rows.size() == 1 &&
               others.rows[0].at(0).integer == 0;
    }

    CAdoConnection& m_connection;
    const bool m_done;
};

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
    const std::string from = read ? "0" : "1";
    const std::string to = read ? "1" : "0";
    const std::string ofItem = itemId != 0 ? kAndItemSql + std::to_string(itemId) : std::string();
    // Only the records that change are written: the read-state indexes find them, and the others
    // (most of a large store) are not rewritten. The counts trigger, the only one of the file's own
    // that a change of the read state fires, would run once a record: unless the file has triggers
    // of others, the counts move in two statements instead, in one transaction with the records.
    TriggersOff off(connection);
    if (!off.Done()) {
        return connection.Execute(kSetStatusSql + to + kWhereStatusSql + from + ofItem, error);
    }
    CAdoTransaction transaction(connection);
    if (!transaction.Begin()) {
        error = FirstError(transaction.Errors(), UiText("MessageTable", "数据库正忙"));
        return false;
    }
    // "or fail": a statement that cannot be undone alone needs no copy of the pages it changes
    // (hundreds of megabytes here); were it to fail, the whole transaction is undone.
    if (!connection.Execute(kMoveCountsSql + to + kMoveCountsFromSql + from + ofItem + kMoveCountsTailSql, error) ||
        !connection.Execute(kEmptyCountsSql + from + ofItem, error) ||
        !connection.Execute(kSetStatusOrFailSql + to + kWhereStatusSql + from + ofItem, error)) {
        return false; // the transaction rolls back as it ends
    }
    if (!transaction.Commit()) {
        error = FirstError(transaction.Errors(), UiText("MessageTable", "不能提交"));
        return false;
    }
    return true;
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
