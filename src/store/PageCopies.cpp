#include "store/PageCopies.h"

#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"
#include "store/SqlText.h"

namespace {

// The newest record and the newest comparison copy are found by id alone.
constexpr const char* kNewestRecordSql = "select top 1 id,sourceinfo from userdata where messagetypeid=";
constexpr const char* kByLinkSql = " and sourcelink=";
constexpr const char* kSkipInfoSql = " and sourceinfo<>";
constexpr const char* kNewestRecordOrder = " order by id desc";
constexpr const char* kCopySql = "select sourcecontent from userdata where id=";

} // namespace

bool NewestPageRecord(CAdoConnection& connection, const PageRecordFilter& filter, long long& id, std::string& info)
{
    std::string sql = kNewestRecordSql + std::to_string(filter.itemId);
    if (filter.byLink) {
        sql += kByLinkSql + SqlQuoted(filter.link);
    }
    for (const std::string& skipped : filter.skipInfos) {
        sql += kSkipInfoSql + SqlQuoted(skipped);
    }
    CAdoRecordset rs(connection);
    rs.SetShowErrors(false);
    if (!rs.Open(sql + kNewestRecordOrder)) {
        return false;
    }
    id = 0;
    if (!rs.IsEOF()) {
        int value = 0;
        if (!rs.GetFieldValue("id", value) || !rs.GetFieldValue("sourceinfo", info)) {
            return false;
        }
        id = value;
    }
    return true;
}

bool ReadPageCopy(CAdoConnection& connection, long long id, std::string& copy)
{
    if (connection.ReadLongText("userdata", "SourceContent", id, copy)) {
        return true;
    }
    CAdoRecordset rs(connection);
    rs.SetShowErrors(false);
    return rs.Open(kCopySql + std::to_string(id)) && !rs.IsEOF() && rs.GetFieldValue("sourcecontent", copy);
}
