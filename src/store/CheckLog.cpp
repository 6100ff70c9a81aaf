#include "store/CheckLog.h"

#include "store/CAdoConnection.h"
#include "util/UiText.h"

#include <cstdlib>

namespace {

constexpr const char* kSelectLogSql =
    "select ID,MessageTypeID,StartMs,DurationMs,StartedBy,Result,NewFindings,StatusText from userdata_checklog "
    "where MessageTypeID=?1 order by ID desc limit ?2";
constexpr const char* kInsertLogSql = "insert into userdata_checklog (MessageTypeID,StartMs,DurationMs,StartedBy,"
                                      "Result,NewFindings,StatusText) values (?1,?2,?3,?4,?5,?6,?7)";
// The index (MessageTypeID, ID) finds the item's oldest rows beyond the kept ones.
constexpr const char* kTrimLogSql = "delete from userdata_checklog where MessageTypeID=?1 and ID<=(select ID from "
                                    "userdata_checklog where MessageTypeID=?1 order by ID desc limit 1 offset ?2)";
constexpr const char* kStateColumns = "MessageTypeID,ConsecutiveFailures,BackoffFailures,LastCheckMs,LastSuccessMs,"
                                      "LastNewMs,FirstCheckMs,LastError,Announced";
constexpr const char* kSelectStatesSql = "select %s from userdata_checkstate";
constexpr const char* kSelectStateSql = "select %s from userdata_checkstate where MessageTypeID=?1";
constexpr const char* kWriteStateSql =
    "insert or replace into userdata_checkstate (%s) values (?1,?2,?3,?4,?5,?6,?7,?8,?9)";
constexpr const char* kChangeAnnouncedSql =
    "update userdata_checkstate set Announced=?3 where MessageTypeID=?1 and Announced=?2";
constexpr const char* kInsertAnnouncedSql =
    "insert or ignore into userdata_checkstate (MessageTypeID,Announced) values (?1,?2)";
constexpr const char* kDeleteLogSql = "delete from userdata_checklog where MessageTypeID=?1";
constexpr const char* kDeleteStateSql = "delete from userdata_checkstate where MessageTypeID=?1";

std::string WithColumns(const char* sql)
{
    std::string text = sql;
    text.replace(text.find("%s"), 2, kStateColumns);
    return text;
}

bool Failed(const CAdoCommand& command, std::string& error)
{
    error = command.Errors().empty() ? UiText("CheckLog", "数据库拒绝了操作") : command.Errors().front();
    return false;
}

long long Number(const DbValue& value)
{
    return value.kind == DbValue::Kind::Text ? std::atoll(value.text.c_str()) : value.integer;
}

ItemCheckState StateFromRow(const std::vector<DbValue>& row)
{
    ItemCheckState state;
    state.messagetypeid = static_cast<int>(Number(row[0]));
    state.consecutiveFailures = static_cast<int>(Number(row[1]));
    state.backoffFailures = static_cast<int>(Number(row[2]));
    state.lastCheckMs = Number(row[3]);
    state.lastSuccessMs = Number(row[4]);
    state.lastNewMs = Number(row[5]);
    state.firstCheckMs = Number(row[6]);
    state.lastError = row[7].text;
    state.announced = static_cast<HealthState>(Number(row[8]));
    return state;
}

bool RunForItem(CAdoConnection& connection, const char* sql, int messagetypeid, std::string& error)
{
    CAdoCommand command(connection, sql);
    return command.Bind(1, static_cast<long long>(messagetypeid)).Run() || Failed(command, error);
}

} // namespace

const char* CheckTriggerName(CheckTrigger trigger)
{
    switch (trigger) {
    case CheckTrigger::Timer:
        return "timer";
    case CheckTrigger::Cli:
        return "cli";
    case CheckTrigger::Hand:
        break;
    }
    return "hand";
}

const char* CheckResultName(CheckResult result)
{
    switch (result) {
    case CheckResult::NewFindings:
        return "new";
    case CheckResult::Failed:
        return "failed";
    case CheckResult::Stopped:
        return "stopped";
    case CheckResult::Skipped:
        return "skipped";
    case CheckResult::NothingNew:
        break;
    }
    return "nothing";
}

const char* HealthStateName(HealthState state)
{
    switch (state) {
    case HealthState::Failing:
        return "failing";
    case HealthState::Recovered:
        return "recovered";
    case HealthState::Silent:
        return "silent";
    case HealthState::Ok:
        break;
    }
    return "ok";
}

std::optional<std::vector<CheckLogEntry>> ReadCheckLog(CAdoConnection& connection, int messagetypeid, int limit,
                                                       std::string& error)
{
    CAdoCommand select(connection, kSelectLogSql);
    DbResult result;
    if (!select.Bind(1, static_cast<long long>(messagetypeid)).Bind(2, static_cast<long long>(limit)).Run(&result)) {
        Failed(select, error);
        return std::nullopt;
    }
    std::vector<CheckLogEntry> entries;
    entries.reserve(result.rows.size());
    for (const auto& row : result.rows) {
        CheckLogEntry entry;
        entry.id = Number(row[0]);
        entry.messagetypeid = static_cast<int>(Number(row[1]));
        entry.startMs = Number(row[2]);
        entry.durationMs = Number(row[3]);
        entry.trigger = static_cast<CheckTrigger>(Number(row[4]));
        entry.result = static_cast<CheckResult>(Number(row[5]));
        entry.newFindings = static_cast<int>(Number(row[6]));
        entry.text = row[7].text;
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::optional<std::map<int, ItemCheckState>> ReadCheckStates(CAdoConnection& connection, std::string& error)
{
    CAdoCommand select(connection, WithColumns(kSelectStatesSql));
    DbResult result;
    if (!select.Run(&result)) {
        Failed(select, error);
        return std::nullopt;
    }
    std::map<int, ItemCheckState> states;
    for (const auto& row : result.rows) {
        ItemCheckState state = StateFromRow(row);
        states[state.messagetypeid] = std::move(state);
    }
    return states;
}

std::optional<ItemCheckState> ReadCheckState(CAdoConnection& connection, int messagetypeid, std::string& error)
{
    CAdoCommand select(connection, WithColumns(kSelectStateSql));
    DbResult result;
    if (!select.Bind(1, static_cast<long long>(messagetypeid)).Run(&result)) {
        Failed(select, error);
        return std::nullopt;
    }
    if (result.rows.empty()) {
        ItemCheckState state;
        state.messagetypeid = messagetypeid;
        return state;
    }
    return StateFromRow(result.rows.front());
}

bool AppendCheckLog(CAdoConnection& connection, const CheckLogEntry& entry, std::string& error)
{
    CAdoCommand insert(connection, kInsertLogSql);
    insert.Bind(1, static_cast<long long>(entry.messagetypeid))
        .Bind(2, static_cast<long long>(entry.startMs))
        .Bind(3, static_cast<long long>(entry.durationMs))
        .Bind(4, static_cast<long long>(entry.trigger))
        .Bind(5, static_cast<long long>(entry.result))
        .Bind(6, static_cast<long long>(entry.newFindings))
        .Bind(7, entry.text);
    if (!insert.Run()) {
        return Failed(insert, error);
    }
    CAdoCommand trim(connection, kTrimLogSql);
    return trim.Bind(1, static_cast<long long>(entry.messagetypeid))
               .Bind(2, static_cast<long long>(kCheckLogKeep))
               .Run() ||
           Failed(trim, error);
}

bool WriteCheckState(CAdoConnection& connection, const ItemCheckState& state, std::string& error)
{
    CAdoCommand write(connection, WithColumns(kWriteStateSql));
    write.Bind(1, static_cast<long long>(state.messagetypeid))
        .Bind(2, static_cast<long long>(state.consecutiveFailures))
        .Bind(3, static_cast<long long>(state.backoffFailures))
        .Bind(4, static_cast<long long>(state.lastCheckMs))
        .Bind(5, static_cast<long long>(state.lastSuccessMs))
        .Bind(6, static_cast<long long>(state.lastNewMs))
        .Bind(7, static_cast<long long>(state.firstCheckMs))
        .Bind(8, state.lastError)
        .Bind(9, static_cast<long long>(state.announced));
    return write.Run() || Failed(write, error);
}

bool ChangeAnnouncedHealth(CAdoConnection& connection, int messagetypeid, HealthState expected, HealthState now,
                           bool& changed, std::string& error)
{
    CAdoCommand insert(connection, kInsertAnnouncedSql);
    if (!insert.Bind(1, static_cast<long long>(messagetypeid)).Bind(2, static_cast<long long>(HealthState::Ok)).Run()) {
        return Failed(insert, error);
    }
    CAdoCommand update(connection, kChangeAnnouncedSql);
    if (!update.Bind(1, static_cast<long long>(messagetypeid))
             .Bind(2, static_cast<long long>(expected))
             .Bind(3, static_cast<long long>(now))
             .Run()) {
        return Failed(update, error);
    }
    changed = update.Changes() > 0;
    return true;
}

bool DeleteCheckLog(CAdoConnection& connection, int messagetypeid, std::string& error)
{
    return RunForItem(connection, kDeleteLogSql, messagetypeid, error) &&
           RunForItem(connection, kDeleteStateSql, messagetypeid, error);
}
