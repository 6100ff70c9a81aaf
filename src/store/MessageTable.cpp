#include "store/MessageTable.h"

#include "store/CAdoConnection.h"
#include "store/MessageTypeInfo.h"

#include <string>

bool SetAllRead(CAdoConnection& connection, const MessageTypeInfo* item, bool read)
{
    std::string sql = std::string("update userdata set status=") + (read ? "1" : "0");
    if (item) {
        sql += " where messagetypeid=" + std::to_string(item->messagetypeid);
    }
    return connection.Execute(sql);
}

bool SetMessageStatus(CAdoConnection& connection, int id, int status)
{
    return connection.Execute("update userdata set status=" + std::to_string(status ? 1 : 0) +
                              " where id=" + std::to_string(id));
}
