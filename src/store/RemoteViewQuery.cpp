#include "store/RemoteViewQuery.h"

#include "store/SqlText.h"

// Written in the Access dialect; the connection rewrites "top N" for engines that lack it.
std::string RemoteViewQuery(const std::string& viewName, int checkNumber, const std::string& identity)
{
    std::string sql =
        checkNumber > 0 ? "select top " + std::to_string(checkNumber) + " * from " : std::string("select * from ");
    sql += viewName;
    if (!identity.empty()) {
        sql += " where sourcetype='" + SqlEscape(identity) + "'";
    }
    sql += " order by id desc";
    return sql;
}
