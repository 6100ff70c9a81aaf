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
// Keys made in another order are all made again.
constexpr const char* kForgetKeysSql = "delete from userdata_sortkeys";
constexpr const char* kAllWaitSql = "insert or ignore into userdata_sortkeys_waiting select ID from userdata";
constexpr const char* kSetOrderSql = "update userdata_sortkeys_state set KeyOrder = %order";
// One step: the waiting records up to the step's last key.
constexpr const char* kStepEndSql =
    "select RecordID from userdata_sortkeys_waiting order by RecordID limit 1 offset %offset";
constexpr const char* kMakeKeysSql =
    "insert or replace into userdata_sortkeys (RecordID, TypeKey, FromKey, InfoKey, ToKey) select ID, "
    "listtextkey(MessageTypeName), listtextkey(SourceFromName), listtextkey(SourceInfo), listtextkey(SourceToName) "
    "from userdata_sortkeys_waiting cross join userdata on ID = RecordID where RecordID <= %end";
constexpr const char* kDoneSql = "delete from userdata_sortkeys_waiting where RecordID <= %end";

std::string WithOrder(const char* sql)
{
    std::string text = sql;
    text.replace(text.find("%order"), std::string_view("%order").size(), SqlQuoted(ListTextOrderName()));
    return text;
}

std::string With(const char* sql, std::string_view name, long long value)
{
    std::string text = sql;
    text.replace(text.find(name), name.size(), std::to_string(value));
    return text;
}

bool Query(CAdoConnection& connection, const std::string& sql, DbResult& result, std::string& error)
{
    std::vector<std::string> errors;
    if (connection.RunQuery(sql, result, errors)) {
        return true;
    }
    error = errors.empty() ? sql : errors.front();
    return false;
}

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
    if (!Query(connection, kStateSql, result, error)) {
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
    CAdoTransaction transaction(connection);
    if (!transaction.Begin()) {
        error = transaction.Errors().empty() ? UiText("SearchIndex", "数据库正忙") : transaction.Errors().front();
        return false;
    }
    if (!ReadSortKeysState(connection, state, error)) {
        return false;
    }
    if (!state.Continues() && (!connection.Execute(kForgetKeysSql, error) || !connection.Execute(kAllWaitSql, error))) {
        return false;
    }
    if (state.order != ListTextOrderName() && !connection.Execute(WithOrder(kSetOrderSql), error)) {
        return false;
    }
    DbResult end;
    if (!Query(connection, With(kStepEndSql, "%offset", std::max(1LL, stepRows) - 1), end, error)) {
        return false;
    }
    const long long last = end.rows.empty() ? std::numeric_limits<long long>::max() : end.rows.front()[0].integer;
    if (!connection.Execute(With(kMakeKeysSql, "%end", last), error) ||
        !connection.Execute(With(kDoneSql, "%end", last), error) || !transaction.Commit()) {
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
    return Query(connection, WithOrder(kReadySql), result, error) && !result.rows.empty();
}
