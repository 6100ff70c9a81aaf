#include "store/MessageTypeInfo.h"

#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"
#include "store/DeletedFindings.h"
#include "store/SqlText.h"

#include <string>
#include <tuple>

namespace {

constexpr const char* kSelectItemSql = "select * from usermessagetype where messagetypeid=";
constexpr const char* kSetMustHaveIdSql = "update usermessagetype set musthaveid=";
constexpr const char* kSelectAllItemsSql = "select * from usermessagetype order by MessageTypeid";
constexpr const char* kSelectAllItemNamesSql =
    "select messagetypeid, MessageTypeName from usermessagetype order by MessageTypeid";
constexpr const char* kSelectStateSql = "select state from usermessagetype where messagetypeid=";
constexpr const char* kSetStateSql = "update usermessagetype set state=";
constexpr const char* kWhereItemSql = " where messagetypeid=";
constexpr const char* kRenameMessagesSql = "update userdata set MessageTypeName=";

template <class Item> auto Columns(Item& i)
{
    return std::tie(i.messagetypeid, i.MessageCategory, i.state, i.CheckInterval, i.CheckNumber, i.MessageTypeName,
                    i.MessageTypeUser, i.connAddress, i.UserName, i.Password, i.ViewName, i.OwnerUserID, i.About,
                    i.bCanChangeState, i.bNotify, i.DisplayType, i.IncludeFrom, i.IncludeTo, i.notifysound,
                    i.MustHaveID);
}

} // namespace

bool SameColumns(const MessageTypeInfo& a, const MessageTypeInfo& b)
{
    return Columns(a) == Columns(b);
}

void CopyColumns(MessageTypeInfo& to, const MessageTypeInfo& from)
{
    Columns(to) = Columns(from);
    to.m_nLoadedId = from.m_nLoadedId;
}

bool MessageTypeInfo::LoadFromRecordset(CAdoRecordset& rs)
{
    bool ok = true;
    ok &= rs.GetFieldValue("messagetypeid", messagetypeid);
    ok &= rs.GetFieldValue("MessageCategory", MessageCategory);
    ok &= rs.GetFieldValue("OwnerUserID", OwnerUserID);
    ok &= rs.GetFieldValue("CheckInterval", CheckInterval);
    ok &= rs.GetFieldValue("state", state);
    ok &= rs.GetFieldValue("bCanChangeState", bCanChangeState);
    ok &= rs.GetFieldValue("bNotify", bNotify);
    ok &= rs.GetFieldValue("DisplayType", DisplayType);
    ok &= rs.GetFieldValue("CheckNumber", CheckNumber);
    ok &= rs.GetFieldValue("MustHaveID", MustHaveID);
    ok &= rs.GetFieldValue("connAddress", connAddress);
    ok &= rs.GetFieldValue("MessageTypeName", MessageTypeName);
    ok &= rs.GetFieldValue("UserName", UserName);
    ok &= rs.GetFieldValue("Password", Password);
    ok &= rs.GetFieldValue("ViewName", ViewName);
    ok &= rs.GetFieldValue("MessageTypeUser", MessageTypeUser);
    ok &= rs.GetFieldValue("About", About);
    ok &= rs.GetFieldValue("IncludeFrom", IncludeFrom);
    ok &= rs.GetFieldValue("IncludeTo", IncludeTo);
    ok &= rs.GetFieldValue("notifysound", notifysound);
    m_nLoadedId = messagetypeid;
    return ok;
}

int MessageTypeInfo::Save(CAdoConnection& connection, int forceInsert)
{
    const bool update = forceInsert == 0 && messagetypeid != 0;
    std::string sql;
    if (update) {
        sql = "update usermessagetype set MessageCategory=" + std::to_string(MessageCategory) +
              ",MessageTypeName=" + SqlQuoted(MessageTypeName) + ",MessageTypeUser=" + SqlQuoted(MessageTypeUser) +
              ",connAddress=" + SqlQuoted(connAddress) + ",UserName=" + SqlQuoted(UserName) +
              ",Password=" + SqlQuoted(Password) + ",viewname=" + SqlQuoted(ViewName) +
              ",state=" + std::to_string(state) + ",CheckInterval=" + std::to_string(CheckInterval) +
              ",displaytype=" + std::to_string(DisplayType) + ",CheckNumber=" + std::to_string(CheckNumber) +
              ",about=" + SqlQuoted(About) + ",includefrom=" + SqlQuoted(IncludeFrom) +
              ",includeto=" + SqlQuoted(IncludeTo) + ",bnotify=" + std::to_string(bNotify) +
              ",notifysound=" + SqlQuoted(notifysound) + " where messagetypeid=" + std::to_string(messagetypeid);
    } else {
        sql = "insert into usermessagetype (MessageCategory,MessageTypeName,MessageTypeUser,connAddress,UserName,"
              "Password,viewname,state,CheckInterval,displaytype,about,owneruserid,checknumber,bNotify,notifysound,"
              "includefrom,includeto,musthaveid) values(" +
              std::to_string(MessageCategory) + "," + SqlQuoted(MessageTypeName) + "," + SqlQuoted(MessageTypeUser) +
              "," + SqlQuoted(connAddress) + "," + SqlQuoted(UserName) + "," + SqlQuoted(Password) + "," +
              SqlQuoted(ViewName) + "," + std::to_string(state) + "," + std::to_string(CheckInterval) + "," +
              std::to_string(DisplayType) + "," + SqlQuoted(About) + "," + std::to_string(OwnerUserID) + "," +
              std::to_string(CheckNumber) + "," + std::to_string(bNotify) + "," + SqlQuoted(notifysound) + "," +
              SqlQuoted(IncludeFrom) + "," + SqlQuoted(IncludeTo) + "," + std::to_string(MustHaveID) + ")";
    }
    const bool executed = connection.Execute(sql);
    // After a failed insert the key query would find an older item of the same name.
    if (executed && !update) {
        CAdoRecordset rs(connection);
        if (rs.Open("select top 1 * from usermessagetype where messagetypename=" + SqlQuoted(MessageTypeName) +
                    " order by -messagetypeid")) {
            rs.GetFieldValue("messagetypeid", messagetypeid);
        }
    }
    return executed ? 1 : 0;
}

int MessageTypeInfo::Delete(CAdoConnection& connection)
{
    // The item and its records go together: a kill in between must not leave records of no item.
    CAdoTransaction transaction(connection);
    if (!transaction.Begin() ||
        !connection.Execute("delete from usermessagetype where messagetypeid=" + std::to_string(messagetypeid))) {
        return 0;
    }
    // Messages the database kept would belong to no item: then the item stays as well. What was
    // remembered of its deleted findings goes too: nothing can find them any more.
    std::string error;
    if (!connection.Execute("delete  from userdata where messagetypeid=" + std::to_string(messagetypeid)) ||
        !ForgetItemDeletions(connection, messagetypeid, error)) {
        return 0;
    }
    return transaction.Commit() ? 1 : 0;
}

int MessageTypeInfo::CountUnread(CAdoConnection& connection)
{
    m_nUnreadCount = 0;
    // The counts the triggers keep answer at once; a file made before them is counted row by row.
    const std::string id = std::to_string(messagetypeid);
    CAdoRecordset counts(connection);
    counts.SetShowErrors(false);
    int count = 0;
    if (counts.Open("select ifnull(sum(n), 0) as unread from userdata_counts where messagetypeid=" + id +
                    " and status=0") &&
        !counts.IsEOF()) {
        counts.GetFieldValue("unread", count);
        m_nUnreadCount = count;
        return m_nUnreadCount;
    }
    CAdoRecordset rs(connection);
    if (rs.Open("select count(*) as unread from userdata where messagetypeid=" + id + " and status=0") && !rs.IsEOF()) {
        rs.GetFieldValue("unread", count);
        m_nUnreadCount = count;
    }
    return m_nUnreadCount;
}

std::optional<MessageTypeInfo> LoadItem(CAdoConnection& connection, int messagetypeid)
{
    CAdoRecordset rs(connection);
    if (!rs.Open(kSelectItemSql + std::to_string(messagetypeid)) || rs.IsEOF()) {
        return std::nullopt;
    }
    MessageTypeInfo item;
    if (!item.LoadFromRecordset(rs)) {
        return std::nullopt;
    }
    return item;
}

bool SaveMustHaveId(CAdoConnection& connection, int messagetypeid, int mustHaveId)
{
    return connection.Execute(kSetMustHaveIdSql + std::to_string(mustHaveId) + kWhereItemSql +
                              std::to_string(messagetypeid));
}

bool SaveItemState(CAdoConnection& connection, int messagetypeid, int state)
{
    return connection.Execute(kSetStateSql + std::to_string(state) + kWhereItemSql + std::to_string(messagetypeid));
}

bool ForEachStoredItem(CAdoConnection& connection, const std::function<void(MessageTypeInfo&)>& onItem)
{
    CAdoRecordset rs(connection);
    rs.SetShowErrors(false);
    // Row by row: ten thousand items read as a whole result first took twice the memory and time.
    return rs.ForEachRow(kSelectAllItemsSql, [&onItem](CAdoRecordset& row) {
        MessageTypeInfo item;
        item.LoadFromRecordset(row);
        onItem(item);
    });
}

std::optional<std::vector<MessageTypeInfo>> LoadAllItems(CAdoConnection& connection)
{
    std::vector<MessageTypeInfo> items;
    if (!ForEachStoredItem(connection, [&items](MessageTypeInfo& item) { items.push_back(std::move(item)); })) {
        return std::nullopt;
    }
    return items;
}

std::optional<std::vector<ItemKeyAndName>> LoadAllItemNames(CAdoConnection& connection)
{
    CAdoRecordset rs(connection);
    rs.SetShowErrors(false);
    std::vector<ItemKeyAndName> names;
    const bool read = rs.ForEachRow(kSelectAllItemNamesSql, [&names](CAdoRecordset& row) {
        ItemKeyAndName& name = names.emplace_back();
        row.GetFieldValue("messagetypeid", name.messagetypeid);
        row.GetFieldValue("MessageTypeName", name.name);
    });
    if (!read) {
        return std::nullopt;
    }
    return names;
}

std::optional<int> ReadItemState(CAdoConnection& connection, int messagetypeid)
{
    CAdoRecordset rs(connection);
    rs.SetShowErrors(false);
    if (!rs.Open(kSelectStateSql + std::to_string(messagetypeid))) {
        return std::nullopt;
    }
    int state = kItemGoneState;
    if (!rs.IsEOF() && !rs.GetFieldValue("state", state)) {
        return std::nullopt;
    }
    return state;
}

bool RenameItemMessages(CAdoConnection& connection, int messagetypeid, const std::string& name)
{
    return connection.Execute(kRenameMessagesSql + SqlQuoted(name) + kWhereItemSql + std::to_string(messagetypeid));
}
