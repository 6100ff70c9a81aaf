#include "store/ExcludeTable.h"

#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"
#include "store/SqlText.h"

namespace {

constexpr const char* kSelectRangesSql = "select * from userHttpExclude where messagetypeid=";
constexpr const char* kDeleteRangesSql = "delete from userhttpExclude where messagetypeid=";
constexpr const char* kInsertRangeSql = "insert into userhttpExclude(messagetypeid,excludeFrom,excludeTo) values(";

} // namespace

std::optional<std::vector<ExcludeRange>> LoadExcludeRanges(CAdoConnection& connection, int messagetypeid)
{
    CAdoRecordset rs(connection);
    if (!rs.Open(kSelectRangesSql + std::to_string(messagetypeid))) {
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
    if (!DeleteExcludeRanges(connection, messagetypeid)) {
        return false;
    }
    bool all = true;
    for (const auto& range : ranges) {
        all &= connection.Execute(kInsertRangeSql + id + ",'" + SqlEscape(range.excludeFrom) + "','" +
                                  SqlEscape(range.excludeTo) + "')");
    }
    return all;
}

bool DeleteExcludeRanges(CAdoConnection& connection, int messagetypeid)
{
    return connection.Execute(kDeleteRangesSql + std::to_string(messagetypeid));
}
