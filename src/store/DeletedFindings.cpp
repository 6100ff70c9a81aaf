#include "store/DeletedFindings.h"

#include "store/CAdoConnection.h"
#include "store/MessageTypeInfo.h"
#include "util/UiText.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace {

// The columns of userdata and userdata_undo.
constexpr const char* kRecordColumns =
    "ID,status,UserID,MessageTypeID,MessageCategory,bCanChangeState,UserName,MessageTypeName,SourceDate,"
    "SourceFromID,SourceFromName,SourceInfo,SourceToID,SourceToName,SourceContent,SourceLink,SourceType,SourceID,"
    "RecieveDate";
constexpr const char* kClearUndoSql = "delete from userdata_undo";
constexpr const char* kItemsOfSql = "select distinct MessageTypeID from userdata where ID in (";
constexpr const char* kDeleteSql = "delete from userdata where ID in (";
// The key is what the item's duplicate test compares (with the date): the file's name for FTP, the
// source's own key otherwise; a web page is compared as a whole copy, which it keeps instead.
std::string RememberSql()
{
    const std::string web = std::to_string(kCategoryWebPage);
    const std::string ftp = std::to_string(kCategoryFtp);
    return "insert or replace into userdata_deleted (ID,MessageTypeID,SourceKey,SourceDate,SourceLink,SourceInfo,"
           "SourceContent) select ID,ifnull(MessageTypeID,0),case MessageCategory when " +
           ftp + " then SourceInfo when " + web +
           " then null else SourceID end,SourceDate,case when MessageCategory=" + web +
           " then SourceLink end,case when MessageCategory=" + web +
           " then SourceInfo end,case when MessageCategory=" + web +
           " then SourceContent end from userdata where ID in (";
}
// Keeps the newest kRememberedPerItem of the item, and of its page copies the newest per page and kind.
constexpr const char* kPruneSql =
    "delete from userdata_deleted where ID in (select ID from (select ID,SourceContent is not null as copy,"
    "row_number() over (order by ID desc) as n,row_number() over (partition by SourceLink,SourceInfo order by ID "
    "desc) as m from userdata_deleted where MessageTypeID=?1) where n>?2 or (copy and m>1))";
// Only records of items that still exist come back: a deleted item takes its records along.
constexpr const char* kRestoreWhereSql = " from userdata_undo where MessageTypeID in (select messagetypeid from "
                                         "usermessagetype) order by ID";
constexpr const char* kUndoIdsSql = "select ID from userdata_undo where MessageTypeID in (select messagetypeid from "
                                    "usermessagetype) order by ID";
constexpr const char* kForgetRestoredSql = "delete from userdata_deleted where ID in (select ID from userdata_undo)";
constexpr const char* kCountUndoSql = "select count(*) from userdata_undo";
constexpr const char* kForgetItemSql = "delete from userdata_deleted where MessageTypeID=?1";
constexpr const char* kForgetItemUndoSql = "delete from userdata_undo where MessageTypeID=?1";
constexpr size_t kKeysPerStatement = 500;

std::string FirstError(const std::vector<std::string>& errors, const std::string& otherwise)
{
    return errors.empty() ? otherwise : errors.front();
}

long long Number(const DbValue& value)
{
    switch (value.kind) {
    case DbValue::Kind::Int32:
    case DbValue::Kind::Int64:
    case DbValue::Kind::Bool:
        return value.integer;
    case DbValue::Kind::Double:
        return static_cast<long long>(value.real);
    case DbValue::Kind::Text:
        return std::atoll(value.text.c_str());
    default:
        return 0;
    }
}

bool Run(CAdoCommand& command, std::string& error, DbResult* result = nullptr)
{
    if (command.Run(result)) {
        return true;
    }
    error = FirstError(command.Errors(), UiText("DeletedFindings", "数据库拒绝了操作"));
    return false;
}

// The keys as a list for "in (...)"; they are numbers, nothing to quote.
std::string KeyList(const std::vector<int>& ids, size_t from, size_t to)
{
    std::string list;
    for (size_t i = from; i < to; ++i) {
        list += (i == from ? "" : ",") + std::to_string(ids[i]);
    }
    return list + ")";
}

bool Begin(CAdoTransaction& transaction, std::string& error)
{
    if (transaction.Begin()) {
        return true;
    }
    error = FirstError(transaction.Errors(), UiText("DeletedFindings", "数据库正忙"));
    return false;
}

bool Commit(CAdoTransaction& transaction, std::string& error)
{
    if (transaction.Commit()) {
        return true;
    }
    error = FirstError(transaction.Errors(), UiText("DeletedFindings", "不能提交"));
    return false;
}

} // namespace

bool DeleteRemembering(CAdoConnection& connection, const std::vector<int>& ids, std::string& error)
{
    if (ids.empty()) {
        return true;
    }
    CAdoTransaction transaction(connection);
    if (!Begin(transaction, error) || !connection.Execute(kClearUndoSql, error)) {
        return false; // the transaction rolls back as it ends
    }
    const std::string columns = kRecordColumns;
    const std::string saveUndo =
        "insert into userdata_undo (" + columns + ") select " + columns + " from userdata where ID in (";
    const std::string remember = RememberSql();
    std::set<long long> items;
    for (size_t from = 0; from < ids.size(); from += kKeysPerStatement) {
        const std::string keys = KeyList(ids, from, std::min(ids.size(), from + kKeysPerStatement));
        CAdoCommand itemsOf(connection, kItemsOfSql + keys);
        DbResult found;
        if (!Run(itemsOf, error, &found)) {
            return false;
        }
        for (const auto& row : found.rows) {
            items.insert(Number(row.front()));
        }
        if (!connection.Execute(saveUndo + keys, error) || !connection.Execute(remember + keys, error) ||
            !connection.Execute(kDeleteSql + keys, error)) {
            return false;
        }
    }
    for (long long item : items) {
        CAdoCommand prune(connection, kPruneSql);
        if (!Run(prune.Bind(1, item).Bind(2, static_cast<long long>(kRememberedPerItem)), error)) {
            return false;
        }
    }
    return Commit(transaction, error);
}

bool RestoreLastDeletion(CAdoConnection& connection, std::vector<int>& restored, std::string& error)
{
    restored.clear();
    CAdoTransaction transaction(connection);
    if (!Begin(transaction, error)) {
        return false;
    }
    CAdoCommand which(connection, kUndoIdsSql);
    DbResult found;
    if (!Run(which, error, &found)) {
        return false;
    }
    for (const auto& row : found.rows) {
        restored.push_back(static_cast<int>(Number(row.front())));
    }
    const std::string columns = kRecordColumns;
    if (!connection.Execute("insert into userdata (" + columns + ") select " + columns + kRestoreWhereSql, error) ||
        !connection.Execute(kForgetRestoredSql, error) || !connection.Execute(kClearUndoSql, error)) {
        restored.clear();
        return false;
    }
    if (!Commit(transaction, error)) {
        restored.clear();
        return false;
    }
    return true;
}

bool CountLastDeletion(CAdoConnection& connection, int& count, std::string& error)
{
    CAdoCommand command(connection, kCountUndoSql);
    DbResult found;
    if (!Run(command, error, &found)) {
        return false;
    }
    count = found.rows.empty() ? 0 : static_cast<int>(Number(found.rows.front().front()));
    return true;
}

bool ForgetItemDeletions(CAdoConnection& connection, int itemId, std::string& error)
{
    CAdoCommand forget(connection, kForgetItemSql);
    CAdoCommand forgetUndo(connection, kForgetItemUndoSql);
    return Run(forget.Bind(1, static_cast<long long>(itemId)), error) &&
           Run(forgetUndo.Bind(1, static_cast<long long>(itemId)), error);
}
