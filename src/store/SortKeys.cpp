#include "store/SortKeys.h"

#include "store/CAdoConnection.h"
#include "store/ListTextOrder.h"
#include "store/SqlText.h"
#include "util/UiText.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

constexpr const char* kStateSql =
    "select KeyOrder, (select count(*) from userdata_sortkeys_waiting) from userdata_sortkeys_state";
constexpr const char* kReadySql = "select 1 from userdata_sortkeys_state where KeyOrder = %order and not exists "
                                  "(select 1 from userdata_sortkeys_waiting)";
constexpr const char* kSetOrderSql = "update userdata_sortkeys_state set KeyOrder = %order";
// Keys made in another order are all made again.
constexpr const char* kForgetWaitingSql = "delete from userdata_sortkeys_waiting";
constexpr const char* kAllWaitSql = "insert into userdata_sortkeys_waiting (RecordID) select ID from userdata";
// One step: the waiting records up to the step's last key.
constexpr const char* kStepEndSql =
    "select RecordID from userdata_sortkeys_waiting order by RecordID limit 1 offset %offset";
constexpr const char* kDoneSql = "delete from userdata_sortkeys_waiting where RecordID <= %end";

// A text column's keys: its table, the record's column and the waiting row's copy of the old text.
struct KeyTable
{
    const char* table;
    const char* column;
    const char* oldColumn;
};
constexpr KeyTable kKeyTables[] = {{"userdata_sort_type", "MessageTypeName", "OldType"},
                                   {"userdata_sort_from", "SourceFromName", "OldFrom"},
                                   {"userdata_sort_info", "SourceInfo", "OldInfo"},
                                   {"userdata_sort_to", "SourceToName", "OldTo"}};
constexpr const char* kForgetKeysSql = "delete from %table";
// The keys made of the old texts go, those of the present texts come.
constexpr const char* kTakeOutSql = "delete from %table where (SortKey, RecordID) in (select listtextkey(%old), "
                                    "RecordID from userdata_sortkeys_waiting where Keyed and RecordID <= %end)";
constexpr const char* kPutInSql = "insert or ignore into %table (SortKey, RecordID) select listtextkey(%column), ID "
                                  "from userdata_sortkeys_waiting cross join userdata on ID = RecordID where RecordID "
                                  "<= %end";

constexpr const char* kCacheSizeSql = "pragma cache_size";
constexpr const char* kSetCacheSizeSql = "pragma cache_size=";
constexpr const char* kKeyingCacheSizeSql = "pragma cache_size=-4096";

std::string ForTable(const char* sql, const KeyTable& keys)
{
    return SqlWith(SqlWith(SqlWith(sql, "%table", keys.table), "%column", keys.column), "%old", keys.oldColumn);
}

std::string WithOrder(const char* sql)
{
    return SqlWith(sql, "%order", SqlQuoted(ListTextOrderName()));
}

// A step reads every record it keys once: through a small cache, so that the connection's own
// (the list's pages, up to 32 MiB) is not filled with them and the program stays small at rest.
class SmallCacheWhileKeying final
{
public:
    explicit SmallCacheWhileKeying(CAdoConnection& connection) : m_connection(connection)
    {
        DbResult result;
        std::string error;
        if (connection.Query(kCacheSizeSql, result, error) && !result.rows.empty()) {
            m_size = std::to_string(result.rows.front().front().integer);
            connection.Execute(kKeyingCacheSizeSql, error);
        }
    }
    ~SmallCacheWhileKeying()
    {
        std::string error;
        if (!m_size.empty()) {
            m_connection.Execute(std::string(kSetCacheSizeSql) + m_size, error);
        }
    }
    SmallCacheWhileKeying(const SmallCacheWhileKeying&) = delete;
    SmallCacheWhileKeying& operator=(const SmallCacheWhileKeying&) = delete;

private:
    CAdoConnection& m_connection;
    std::string m_size;
};

} // namespace

bool SortKeysState::Ready() const
{
    return waiting == 0 && order == ListTextOrderName();
}

bool SortKeysState::Continues() const
{
    return order.empty() || order == ListTextOrderName();
}

bool ReadSortKeysState(CAdoConnection& connection, SortKeysState& state, std::string& error)
{
    DbResult result;
    if (!connection.Query(kStateSql, result, error)) {
        return false;
    }
    state = SortKeysState();
    if (!result.rows.empty() && result.rows.front().size() >= 2) {
        state.order = result.rows.front()[0].text;
        state.waiting = result.rows.front()[1].integer;
    }
    return true;
}

bool MakeNextSortKeys(CAdoConnection& connection, long long stepRows, SortKeysState& state, std::string& error)
{
    // Nothing to write at all, as at most starts: no write transaction either.
    if (SortKeysReady(connection)) {
        state = SortKeysState{ListTextOrderName(), 0};
        return true;
    }
    const SmallCacheWhileKeying smallCache(connection);
    CAdoTransaction transaction(connection);
    if (!transaction.Begin()) {
        error = transaction.Errors().empty() ? UiText("SearchIndex", "数据库正忙") : transaction.Errors().front();
        return false;
    }
    if (!ReadSortKeysState(connection, state, error)) {
        return false;
    }
    if (!state.Continues()) {
        for (const KeyTable& keys : kKeyTables) {
            if (!connection.Execute(ForTable(kForgetKeysSql, keys), error)) {
                return false;
            }
        }
        if (!connection.Execute(kForgetWaitingSql, error) || !connection.Execute(kAllWaitSql, error)) {
            return false;
        }
    }
    if (state.order != ListTextOrderName() && !connection.Execute(WithOrder(kSetOrderSql), error)) {
        return false;
    }
    DbResult end;
    if (!connection.Query(SqlWith(kStepEndSql, "%offset", std::max(1LL, stepRows) - 1), end, error)) {
        return false;
    }
    const long long last = end.rows.empty() ? std::numeric_limits<long long>::max() : end.rows.front()[0].integer;
    for (const KeyTable& keys : kKeyTables) {
        if (!connection.Execute(SqlWith(ForTable(kTakeOutSql, keys), "%end", last), error) ||
            !connection.Execute(SqlWith(ForTable(kPutInSql, keys), "%end", last), error)) {
            return false;
        }
    }
    if (!connection.Execute(SqlWith(kDoneSql, "%end", last), error) || !transaction.Commit()) {
        if (error.empty() && !transaction.Errors().empty()) {
            error = transaction.Errors().front();
        }
        return false;
    }
    return ReadSortKeysState(connection, state, error);
}

bool SortKeysReady(CAdoConnection& connection)
{
    DbResult result;
    std::string error;
    return connection.Query(WithOrder(kReadySql), result, error) && !result.rows.empty();
}
