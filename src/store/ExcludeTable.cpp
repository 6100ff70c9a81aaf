#include "store/ExcludeTable.h"

#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"
#include "store/SqlText.h"

std::optional<std::vector<ExcludeRange>> LoadExcludeRanges(CAdoConnection& connection, int messagetypeid)
{
    CAdoRecordset rs(connection);
    if (!rs.Open("select * from userHttpExclude where messagetypeid=" + std::to_string(messagetypeid))) {
        return std::nullopt;
    }
    std::vector<ExcludeRange> ranges;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        ExcludeRange range;
        rs.GetFieldValue("excludeFrom", range.excludeFrom);
        rs.GetFieldValue("excludeTo", range.excludeTo);
        rs.GetFieldValue("ID", range.ID);
        ranges.push_back(std::move(range));
    }
    return ranges;
}

bool SaveExcludeRanges(CAdoConnection& connection, int messagetypeid, const std::vector<ExcludeRange>& ranges)
{
    const std::string id = std::to_string(messagetypeid);
    if (!connection.Execute("delete from userhttpExclude where messagetypeid=" + id)) {
        return false;
    }
    for (const auto& range : ranges) {
        connection.Execute("insert into userhttpExclude(messagetypeid,excludeFrom,excludeTo) values(" + id + ",'" +
                           SqlEscape(range.excludeFrom) + "','" + SqlEscape(range.excludeTo) + "')");
    }
    return true;
}
