#include "store/MessageListInfo.h"

#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"

bool MessageListInfo::LoadFromRecordset(CAdoRecordset& rs)
{
    bool ok = true;
    ok &= rs.GetFieldValue("ID", ID);
    ok &= rs.GetFieldValue("status", status);
    ok &= rs.GetFieldValue("MessageTypeID", MessageTypeID);
    ok &= rs.GetFieldValue("MessageCategory", MessageCategory);
    ok &= rs.GetFieldValue("bCanChangeState", bCanChangeState);
    ok &= rs.GetFieldValue("MessageTypeName", MessageTypeName);
    ok &= rs.GetFieldValue("RecieveDate", RecieveDate);
    ok &= rs.GetFieldValue("SourceFromName", SourceFromName);
    ok &= rs.GetFieldValue("SourceInfo", SourceInfo);
    ok &= rs.GetFieldValue("SourceToName", SourceToName);
    ok &= rs.GetFieldValue("SourceLink", SourceLink);
    return ok;
}

int MessageListInfo::DeleteMessage(CAdoConnection& connection)
{
    return connection.Execute("delete from userdata where id=" + std::to_string(ID)) ? 1 : 0;
}
