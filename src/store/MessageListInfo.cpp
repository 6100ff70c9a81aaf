#include "store/MessageListInfo.h"

#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"
#include "store/MessageTable.h"

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
    std::string error;
    return DeleteMessages(connection, {ID}, error) ? 1 : 0;
}
