#include "store/PageCopies.h"

#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"
#include "store/SqlText.h"

namespace {

// The newest record and the newest comparison copy are found by id alone, among the stored records
// and the deleted ones that kept their copy.
constexpr const char* kNewestRecordSql = "select id,sourceinfo,0 as deleted from userdata where messagetypeid=";
constexpr const char* kNewestDeletedSql = " union all select id,sourceinfo,1 from userdata_deleted where "
                                          "sourcecontent is not null and messagetypeid=";
constexpr const char* kByLinkSql = " and sourcelink=";
constexpr const char* kSkipInfoSql = " and sourceinfo<>";
constexpr const char* kBeforeIdSql = " and id<";
constexpr const char* kNewestRecordOrder = " order by id desc limit 1";
constexpr const char* kStoredTable = "userdata";
constexpr const char* kDeletedTable = "userdata_deleted";
constexpr const char* kCopySql = "select sourcecontent from ";
constexpr const char* kCopyWhereSql = " where id=";

} // namespace

bool NewestPageRecord(CAdoConnection& connection, const PageRecordFilter& filter, long long& id, std::string& info,
                      bool& deleted)
{
    std::string where = std::to_string(filter.itemId);
    if (filter.byLink) {
        where += kByLinkSql + SqlQuoted(filter.link);
    }
    for (const std::string& skipped : filter.skipInfos) {
        where += kSkipInfoSql + SqlQuoted(skipped);
    }
    if (filter.beforeId > 0) {
        where += kBeforeIdSql + std::to_string(filter.beforeId);
    }
    CAdoRecordset rs(connection);
    rs.SetShowErrors(false);
    if (!rs.Open(kNewestRecordSql + where + kNewestDeletedSql + where + kNewestRecordOrder)) {
        return false;
    }
    id = 0;
    if (!rs.IsEOF()) {
        int value = 0;
        int fromDeleted = 0;
        if (!rs.GetFieldValue("id", value) || !rs.GetFieldValue("sourceinfo", info) ||
            !rs.GetFieldValue("deleted", fromDeleted)) {
            return false;
        }
        id = value;
        deleted = fromDeleted != 0;
    }
    return true;
}

bool ReadPageCopy(CAdoConnection& connection, long long id, bool deleted, std::string& copy)
{
    const std::string table = deleted ? kDeletedTable : kStoredTable;
    if (connection.ReadLongText(table, "SourceContent", id, copy)) {
        return true;
    }
    CAdoRecordset rs(connection);
    rs.SetShowErrors(false);
    return rs.Open(kCopySql + table + kCopyWhereSql + std::to_string(id)) && !rs.IsEOF() &&
           rs.GetFieldValue("sourcecontent", copy);
}
