#include "store/SourceRowInfo.h"

#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"
#include "store/FindingStore.h"
#include "store/MessageTypeInfo.h"
#include "store/SqlText.h"
#include "store/UserIdentity.h"

bool SourceRowInfo::LoadFromRecordset(CAdoRecordset& rs)
{
    bool ok = true;
    ok &= rs.GetFieldValue("ID", ID);
    ok &= rs.GetFieldValue("SourceType", SourceType);
    ok &= rs.GetFieldValue("FromDate", FromDate);
    ok &= rs.GetFieldValue("FromID", FromID);
    ok &= rs.GetFieldValue("FromName", FromName);
    ok &= rs.GetFieldValue("Info", Info);
    ok &= rs.GetFieldValue("ToID", ToID);
    ok &= rs.GetFieldValue("ToName", ToName);
    ok &= rs.GetFieldValue("Content", Content);
    ok &= rs.GetFieldValue("Link", Link);
    return ok;
}

int SourceRowInfo::IsKnown(CAdoConnection& connection, const MessageTypeInfo& item) const
{
    // Only the stored date decides; reading the other columns (a web copy may be megabytes) buys nothing.
    CAdoCommand known(connection, KnownFindingSql(item.MessageCategory));
    known.Bind(1, static_cast<long long>(item.messagetypeid)).Bind(2, item.MessageCategory == kCategoryFtp ? Info : ID);
    DbResult result;
    if (!known.Run(&result) || result.rows.empty()) {
        return 0;
    }
    return IsSameStoredDate(result.rows.front().front(), FromDate) ? 1 : 0;
}

int SourceRowInfo::Insert(CAdoConnection& connection, const MessageTypeInfo& item, std::string* error) const
{
    const std::string sql = "insert into userdata (userid,username,MessageCategory,MessageTypeName,MessageTypeID,"
                            "sourcedate,sourcefromid,sourcefromname,sourceid,sourcetoid,sourcetoname,sourcetype,"
                            "sourcelink,sourcecontent,sourceinfo) values(" +
                            std::to_string(kUserId) + "," + SqlQuoted(kUserName) + "," +
                            std::to_string(item.MessageCategory) + "," + SqlQuoted(item.MessageTypeName) + "," +
                            std::to_string(item.messagetypeid) + "," + SqlQuoted(FromDate) + "," + SqlQuoted(FromID) +
                            "," + SqlQuoted(FromName) + "," + SqlQuoted(ID) + "," + SqlQuoted(ToID) + "," +
                            SqlQuoted(ToName) + "," + SqlQuoted(SourceType) + "," + SqlQuoted(Link) + ",' " +
                            SqlEscape(Content) + " '," + SqlQuoted(Info) + ")";
    std::string failure;
    if (connection.Execute(sql, failure)) {
        return 1;
    }
    if (error) {
        *error = std::move(failure);
    }
    return 0;
}

int SourceRowInfo::InsertLarge(CAdoConnection& connection, const MessageTypeInfo& item, std::string* error)
{
    // The same statement as Insert, with the content as the one bound value.
    const std::string sql =
        "insert into userdata (userid,username,MessageCategory,MessageTypeName,MessageTypeID,"
        "sourcedate,sourcefromid,sourcefromname,sourceid,sourcetoid,sourcetoname,sourcetype,"
        "sourcelink,sourcecontent,sourceinfo) values(" +
        std::to_string(kUserId) + "," + SqlQuoted(kUserName) + "," + std::to_string(item.MessageCategory) + "," +
        SqlQuoted(item.MessageTypeName) + "," + std::to_string(item.messagetypeid) + "," + SqlQuoted(FromDate) + "," +
        SqlQuoted(FromID) + "," + SqlQuoted(FromName) + "," + SqlQuoted(ID) + "," + SqlQuoted(ToID) + "," +
        SqlQuoted(ToName) + "," + SqlQuoted(SourceType) + "," + SqlQuoted(Link) + ",?," + SqlQuoted(Info) + ")";
    // NUL bytes would cut the text short, as the quoting helper drops them for Insert.
    std::erase(Content, '\0');
    if (Content.capacity() < Content.size() + 2) {
        Content.reserve(Content.size() + 2);
    }
    Content.insert(Content.begin(), ' ');
    Content.push_back(' ');
    std::string failure;
    if (connection.ExecuteWithTexts(sql, {Content}, failure)) {
        return 1;
    }
    if (error) {
        *error = std::move(failure);
    }
    return 0;
}
