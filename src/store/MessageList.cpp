#include "store/MessageList.h"

#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"
#include "store/MessageTypeInfo.h"
#include "store/UserIdentity.h"

#include <algorithm>

namespace {

constexpr const char* kListColumns = "ID,status,MessageTypeID,MessageCategory,bCanChangeState,MessageTypeName,"
                                     "RecieveDate,SourceFromName,SourceInfo,SourceToName,SourceLink";

std::string WhereText(int readFilter)
{
    switch (readFilter) {
    case kFilterUnread:
        return "select * from userdata where status=0 ";
    case kFilterRead:
        return "select * from userdata where status=1 ";
    default:
        return "select * from userdata where 1=1 ";
    }
}

std::string ItemCondition(const MessageTypeInfo* item)
{
    return item ? " and  messagetypeid=" + std::to_string(item->messagetypeid) : std::string();
}

bool ReadTotal(CAdoRecordset& rs, long& total)
{
    std::string text;
    rs.GetFieldValue("total", text);
    total = text.empty() ? 0 : std::stol(text);
    return true;
}

long ClampPage(long page, long pageCount)
{
    if (page > pageCount) {
        page = pageCount;
    }
    return page < 1 ? 1 : page;
}

void ReadRows(CAdoRecordset& rs, long limit, std::vector<MessageListInfo>& rows)
{
    rows.reserve(static_cast<size_t>(std::max(0L, std::min(limit, rs.GetRecordCount()))));
    for (long n = 0; n < limit && !rs.IsEOF(); ++n, rs.MoveNext()) {
        MessageListInfo row;
        row.LoadFromRecordset(rs);
        rows.push_back(std::move(row));
    }
}

// The number of records the list query matches: from the counts the triggers keep, or by counting
// in a file made before those existed.
bool CountMatching(CAdoConnection& connection, int readFilter, const MessageTypeInfo* item, long& total)
{
    std::string sql = "select ifnull(sum(n), 0) as total from userdata_counts where 1=1";
    if (readFilter == kFilterUnread || readFilter == kFilterRead) {
        sql += readFilter == kFilterUnread ? " and status=0" : " and status=1";
    }
    if (item) {
        sql += " and messagetypeid=" + std::to_string(item->messagetypeid);
    }
    CAdoRecordset counts(connection);
    counts.SetShowErrors(false);
    if (!counts.Open(sql) || counts.IsEOF()) {
        std::string where = WhereText(readFilter);
        where.replace(0, std::string("select *").size(), "select count(*) as total");
        CAdoRecordset count(connection);
        if (!count.Open(where + ItemCondition(item)) || count.IsEOF()) {
            return false;
        }
        return ReadTotal(count, total);
    }
    return ReadTotal(counts, total);
}

} // namespace

std::string ListQueryText(int readFilter, const MessageTypeInfo* item)
{
    if (!item) {
        return WhereText(readFilter) + " order by status,-id";
    }
    return WhereText(readFilter) + ItemCondition(item) + " order by status,-id ";
}

bool LoadMessagePageFromRecordset(CAdoConnection& connection, int readFilter, const MessageTypeInfo* item,
                                  long requestedPage, long pageSize, MessagePage& page)
{
    CAdoRecordset rs(connection);
    rs.SetDateFormat(kFindingDateFormat);
    if (!rs.Open(ListQueryText(readFilter, item))) {
        return false;
    }
    MessagePage result;
    result.pageSize = pageSize < 1 ? 1 : pageSize;
    rs.SetPageSize(result.pageSize);
    result.pageCount = rs.GetPageCount();
    result.page = ClampPage(requestedPage, result.pageCount);
    result.totalCount = rs.GetRecordCount();
    rs.SetAbsolutePage(result.page);
    ReadRows(rs, result.pageSize, result.rows);
    page = std::move(result);
    return true;
}

bool LoadMessagePage(CAdoConnection& connection, int readFilter, const MessageTypeInfo* item, long requestedPage,
                     long pageSize, MessagePage& page)
{
    if (connection.GetDbmsName() != "SQLite") {
        return LoadMessagePageFromRecordset(connection, readFilter, item, requestedPage, pageSize, page);
    }
    MessagePage result;
    result.pageSize = pageSize < 1 ? 1 : pageSize;
    if (!CountMatching(connection, readFilter, item, result.totalCount)) {
        return false;
    }
    result.pageCount = (result.totalCount + result.pageSize - 1) / result.pageSize;
    result.page = ClampPage(requestedPage, result.pageCount);
    const long offset = (result.page - 1) * result.pageSize;
    const long rowsOnPage = std::max(0L, std::min(result.pageSize, result.totalCount - offset));

    CAdoRecordset rs(connection);
    rs.SetDateFormat(kFindingDateFormat);
    // Pages in the back half are read from the other end, so the last page costs what the first does.
    const bool fromEnd = offset > result.totalCount / 2;
    // Only the columns a list row shows: the content of a web record alone may be megabytes.
    std::string sql = WhereText(readFilter) + ItemCondition(item);
    sql.replace(0, std::string("select *").size(), std::string("select ") + kListColumns);
    if (fromEnd) {
        sql += " order by status desc, id limit " + std::to_string(rowsOnPage) + " offset " +
               std::to_string(result.totalCount - offset - rowsOnPage);
    } else {
        sql +=
            " order by status, id desc limit " + std::to_string(result.pageSize) + " offset " + std::to_string(offset);
    }
    if (!rs.Open(sql)) {
        return false;
    }
    ReadRows(rs, result.pageSize, result.rows);
    if (fromEnd) {
        std::reverse(result.rows.begin(), result.rows.end());
    }
    page = std::move(result);
    return true;
}
