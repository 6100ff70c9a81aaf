#include "store/MessageList.h"

#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"
#include "store/MessageTypeInfo.h"
#include "store/SearchIndex.h"
#include "store/SortKeys.h"
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

// A search reads the keys of its matches through the small index userdata_keys (key, status, item)
// instead of the records themselves, and only the page's records whole.
constexpr const char* kSearchKeysSql = "select ID from userdata indexed by userdata_keys where 1=1";
constexpr const char* kSearchCountSql = "select count(*) as total from userdata indexed by userdata_keys where 1=1";
constexpr const char* kPageOfKeysSql = " from userdata where ID in (";

std::string ReadFilterCondition(int readFilter)
{
    return readFilter == kFilterUnread ? " and status=0" : readFilter == kFilterRead ? " and status=1" : "";
}

std::string ItemCondition(int itemId)
{
    return itemId != 0 ? " and  messagetypeid=" + std::to_string(itemId) : std::string();
}

int ItemIdOf(const MessageTypeInfo* item)
{
    return item ? item->messagetypeid : 0;
}

// One term of an ORDER BY: a column (with its collation) and its direction.
struct OrderTerm
{
    const char* key;
    bool descending;
};

// The sort keys of the list's columns. Texts compare with ASCII letters folded, as the list's own
// comparison does, and Chinese in pinyin order (ListTextOrder.h); a later date comes first. Records
// alike in a column's key come newest first; the descending order is that order read from the other
// end, so that the date's index (userdata_sort_date, without the read state: marking records read
// leaves it alone) serves both. The read-state columns sort as the list's own order does.
constexpr const char* kStatusKey = "status";
constexpr const char* kIdKey = "ID";
constexpr const char* kTypeNameKey = "MessageTypeName collate listtext";
constexpr const char* kReceiveDateKey = "RecieveDate";
constexpr const char* kFromNameKey = "SourceFromName collate listtext";
constexpr const char* kInfoKey = "SourceInfo collate listtext";
constexpr const char* kToNameKey = "SourceToName collate listtext";

// Sorted by a text column, the list reads the column's stored keys in their order (SortKeys.h)
// instead of sorting every record by the text.
constexpr const char* kKeyedFrom = " from %table cross join userdata on ID = RecordID where ";
constexpr const char* kKeyKey = "SortKey";
constexpr const char* kKeyedIdKey = "RecordID";
// A filter that leaves fewer than one record in this many is sorted by its texts: the keys would
// be read far past the page for the few matches.
constexpr long kKeyedSortMaxSparseness = 64;

const char* SortKeyTable(int column)
{
    switch (column) {
    case 1:
        return "userdata_sort_type";
    case 3:
        return "userdata_sort_from";
    case 5:
        return "userdata_sort_info";
    case 7:
        return "userdata_sort_to";
    default:
        return nullptr;
    }
}

std::vector<OrderTerm> OrderTerms(const ListOrder& order)
{
    const bool d = order.descending;
    std::vector<OrderTerm> terms;
    switch (order.column) {
    case 0:
        return {{kStatusKey, d}, {kIdKey, !d}};
    case 1:
        terms = {{kTypeNameKey, false}};
        break;
    case 2:
        terms = {{kReceiveDateKey, true}};
        break;
    case 3:
        terms = {{kFromNameKey, false}};
        break;
    case 4:
        terms = {{kStatusKey, false}};
        break;
    case 5:
        terms = {{kInfoKey, false}};
        break;
    case 7:
        terms = {{kToNameKey, false}};
        break;
    default:
        break;
    }
    if (terms.empty() || order.column == 4) {
        terms.push_back({kStatusKey, false});
        terms.push_back({kIdKey, true});
        return terms;
    }
    terms.push_back({kIdKey, true});
    if (d) {
        for (OrderTerm& term : terms) {
            term.descending = !term.descending;
        }
    }
    return terms;
}

// The same order by the text column's key and the record's key in userdata_sortkeys.
std::vector<OrderTerm> KeyedOrderTerms(const ListOrder& order)
{
    std::vector<OrderTerm> terms = OrderTerms(order);
    terms.front().key = kKeyKey;
    terms.back().key = kKeyedIdKey;
    return terms;
}

// " order by ..." of the terms; reversed reads the same order from its other end.
std::string OrderByText(const std::vector<OrderTerm>& terms, bool reversed)
{
    std::string text = " order by ";
    for (size_t i = 0; i < terms.size(); ++i) {
        text += (i ? ", " : "") + std::string(terms[i].key) + (terms[i].descending != reversed ? " desc" : "");
    }
    return text;
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
bool CountMatching(CAdoConnection& connection, int readFilter, int itemId, const SearchSql& search, long& total)
{
    if (!search.condition.empty()) {
        const bool byIndex = !search.indexCount.empty() && readFilter == kFilterAll && itemId == 0;
        CAdoRecordset count(connection);
        if (!count.Open(byIndex ? search.indexCount
                                : kSearchCountSql + ReadFilterCondition(readFilter) + ItemCondition(itemId) +
                                      search.condition) ||
            count.IsEOF()) {
            return false;
        }
        return ReadTotal(count, total);
    }
    std::string sql = "select ifnull(sum(n), 0) as total from userdata_counts where 1=1";
    if (readFilter == kFilterUnread || readFilter == kFilterRead) {
        sql += readFilter == kFilterUnread ? " and status=0" : " and status=1";
    }
    if (itemId != 0) {
        sql += " and messagetypeid=" + std::to_string(itemId);
    }
    CAdoRecordset counts(connection);
    counts.SetShowErrors(false);
    if (!counts.Open(sql) || counts.IsEOF()) {
        std::string where = WhereText(readFilter);
        where.replace(0, std::string("select *").size(), "select count(*) as total");
        CAdoRecordset count(connection);
        if (!count.Open(where + ItemCondition(itemId)) || count.IsEOF()) {
            return false;
        }
        return ReadTotal(count, total);
    }
    return ReadTotal(counts, total);
}

std::string ListQueryText(int readFilter, int itemId)
{
    if (itemId == 0) {
        return WhereText(readFilter) + " order by status,-id";
    }
    return WhereText(readFilter) + ItemCondition(itemId) + " order by status,-id ";
}

// Whether the page is read through the stored sort keys: a text column, no search, a filter that
// leaves enough records, and keys for every record in the list's order.
bool SortsByKeys(CAdoConnection& connection, int readFilter, int itemId, const ListOrder& order,
                 const SearchSql& search, long matching)
{
    if (!SortKeyTable(order.column) || !search.condition.empty()) {
        return false;
    }
    if (readFilter != kFilterAll || itemId != 0) {
        CAdoRecordset all(connection);
        all.SetShowErrors(false);
        long total = 0;
        if (!all.Open("select ifnull(sum(n), 0) as total from userdata_counts") || all.IsEOF() ||
            !ReadTotal(all, total) || matching * kKeyedSortMaxSparseness < total) {
            return false;
        }
    }
    return SortKeysReady(connection);
}

bool IsListsOwnOrder(const ListOrder& order)
{
    return order.column == 0 ? !order.descending : OrderTerms(order).size() == 2;
}

} // namespace

bool SortsByTextKeys(const ListOrder& order)
{
    return SortKeyTable(order.column) != nullptr;
}

std::string ListQueryText(int readFilter, const MessageTypeInfo* item)
{
    return ListQueryText(readFilter, ItemIdOf(item));
}

bool LoadMessagePageFromRecordset(CAdoConnection& connection, int readFilter, const MessageTypeInfo* item,
                                  long requestedPage, long pageSize, MessagePage& page)
{
    return LoadMessagePageFromRecordset(connection, readFilter, ItemIdOf(item), requestedPage, pageSize, ListOrder(),
                                        page);
}

bool LoadMessagePageFromRecordset(CAdoConnection& connection, int readFilter, int itemId, long requestedPage,
                                  long pageSize, const ListOrder& order, MessagePage& page)
{
    CAdoRecordset rs(connection);
    rs.SetDateFormat(kFindingDateFormat);
    // The list's own order keeps its own statement; a sorted list orders by the column first.
    const std::string sql = IsListsOwnOrder(order)
                                ? ListQueryText(readFilter, itemId)
                                : WhereText(readFilter) + ItemCondition(itemId) + OrderByText(OrderTerms(order), false);
    if (!rs.Open(sql)) {
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
    return LoadMessagePage(connection, readFilter, ItemIdOf(item), requestedPage, pageSize, ListOrder(), page);
}

bool LoadMessagePage(CAdoConnection& connection, int readFilter, int itemId, long requestedPage, long pageSize,
                     const ListOrder& order, MessagePage& page)
{
    return LoadMessagePage(connection, readFilter, itemId, requestedPage, pageSize, order, {}, page);
}

bool LoadMessagePage(CAdoConnection& connection, int readFilter, int itemId, long requestedPage, long pageSize,
                     const ListOrder& order, std::string_view searchText, MessagePage& page)
{
    if (connection.GetDbmsName() != "SQLite") {
        // Only the local file has the search index.
        return searchText.empty() &&
               LoadMessagePageFromRecordset(connection, readFilter, itemId, requestedPage, pageSize, order, page);
    }
    SearchSql search;
    std::string error;
    if (!SearchStatements(connection, searchText, search, error)) {
        return false;
    }
    MessagePage result;
    result.pageSize = pageSize < 1 ? 1 : pageSize;
    if (!CountMatching(connection, readFilter, itemId, search, result.totalCount)) {
        return false;
    }
    result.pageCount = (result.totalCount + result.pageSize - 1) / result.pageSize;
    result.page = ClampPage(requestedPage, result.pageCount);
    const long offset = (result.page - 1) * result.pageSize;
    const long rowsOnPage = std::max(0L, std::min(result.pageSize, result.totalCount - offset));

    CAdoRecordset rs(connection);
    rs.SetDateFormat(kFindingDateFormat);
    // Pages in the back half are read from the other end, so the last page costs what the first does.
    const bool fromEnd = offset > result.totalCount / 2 && search.condition.empty();
    // Only the columns a list row shows: the content of a web record alone may be megabytes.
    std::string sql = WhereText(readFilter) + ItemCondition(itemId) + search.condition;
    sql.replace(0, std::string("select *").size(), std::string("select ") + kListColumns);
    const bool searchKeysFirst = !search.condition.empty() && IsListsOwnOrder(order);
    const bool byKeys = SortsByKeys(connection, readFilter, itemId, order, search, result.totalCount);
    if (byKeys) {
        std::string from = kKeyedFrom;
        from.replace(from.find("%table"), std::string_view("%table").size(), SortKeyTable(order.column));
        sql.replace(sql.find(" from userdata where "), std::string_view(" from userdata where ").size(), from);
    }
    if (searchKeysFirst) {
        const std::string orderBy = OrderByText(OrderTerms(order), false);
        sql = std::string("select ") + kListColumns + kPageOfKeysSql + kSearchKeysSql +
              ReadFilterCondition(readFilter) + ItemCondition(itemId) + search.condition + orderBy + " limit " +
              std::to_string(result.pageSize) + " offset " + std::to_string(offset) + ")" + orderBy;
    } else {
        sql += OrderByText(byKeys ? KeyedOrderTerms(order) : OrderTerms(order), fromEnd);
    }
    if (searchKeysFirst) {
        // The keys of the page are chosen already.
    } else if (fromEnd) {
        sql += " limit " + std::to_string(rowsOnPage) + " offset " +
               std::to_string(result.totalCount - offset - rowsOnPage);
    } else {
        sql += " limit " + std::to_string(result.pageSize) + " offset " + std::to_string(offset);
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
