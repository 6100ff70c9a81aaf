#include "store/MessageInfo.h"

#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"
#include "store/UserIdentity.h"
#include "util/UiText.h"

std::string CategoryName(int messageCategory)
{
    switch (messageCategory) {
    case 1:
        return UiText("MessageInfo", "数据库监视");
    case 2:
        return UiText("MessageInfo", "网页监视");
    case 3:
        return UiText("MessageInfo", "FTP监视");
    case 9:
        return UiText("MessageInfo", "其他监视");
    case 66:
        return UiText("MessageInfo", "系统广播");
    default:
        return {};
    }
}

bool MessageInfo::LoadFromRecordset(CAdoRecordset& rs)
{
    bool ok = true;
    ok &= rs.GetFieldValue("ID", ID);
    ok &= rs.GetFieldValue("status", status);
    ok &= rs.GetFieldValue("UserID", UserID);
    ok &= rs.GetFieldValue("MessageTypeID", MessageTypeID);
    ok &= rs.GetFieldValue("MessageCategory", MessageCategory);
    ok &= rs.GetFieldValue("bCanChangeState", bCanChangeState);
    ok &= rs.GetFieldValue("DisplayType", DisplayType);
    ok &= rs.GetFieldValue("UserName", UserName);
    ok &= rs.GetFieldValue("MessageTypeName", MessageTypeName);
    ok &= rs.GetFieldValue("RecieveDate", RecieveDate);
    ok &= rs.GetFieldValue("SourceDate", SourceDate);
    ok &= rs.GetFieldValue("SourceFromID", SourceFromID);
    ok &= rs.GetFieldValue("SourceFromName", SourceFromName);
    ok &= rs.GetFieldValue("SourceInfo", SourceInfo);
    ok &= rs.GetFieldValue("SourceToID", SourceToID);
    ok &= rs.GetFieldValue("SourceToName", SourceToName);
    ok &= rs.GetFieldValue("SourceContent", SourceContent);
    ok &= rs.GetFieldValue("SourceLink", SourceLink);
    ok &= rs.GetFieldValue("SourceType", SourceType);
    ok &= rs.GetFieldValue("SourceID", SourceID);
    ok &= rs.GetFieldValue("connAddress", connAddress);
    m_strCategoryName = CategoryName(MessageCategory);
    return ok;
}

bool MessageInfo::LoadById(CAdoConnection& connection, int id)
{
    CAdoRecordset rs;
    rs.SetDateFormat(kFindingDateFormat);
    if (!rs.SetConnection(connection)) {
        return false;
    }
    rs.SetShowErrors(connection.GetShowErrors());
    const std::string sql = "select usermessagetype.messagetypename,usermessagetype.connAddress,"
                            "usermessagetype.displaytype ,userdata.* from userdata,usermessagetype where "
                            "userdata.messagetypeid=usermessagetype.messagetypeid and id=" +
                            std::to_string(id);
    if (!rs.Open(sql)) {
        return false;
    }
    return LoadFromRecordset(rs);
}
