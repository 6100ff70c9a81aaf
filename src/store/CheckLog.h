#pragma once
// The check log and each item's check state, in tables of their own:
//   userdata_checklog   one row per check of an item: its start (ms since 1970, UTC), duration,
//                       how it was started, its result, how many new findings and, for a failure,
//                       the status text; the newest kCheckLogKeep rows per item are kept.
//   userdata_checkstate one row per checked item: consecutive failures (and those counted for the
//                       back-off, which a check by hand resets), the last check, the last success,
//                       the last check that found something, the last error, and the health the
//                       programs last announced.
// Both are written together, in one transaction; the times are wall-clock milliseconds, so two
// programs on one message.dat agree on them.
//
// Errors: false or nullopt with the database's own words in error; nothing is shown.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

class CAdoConnection;

inline constexpr int kCheckLogKeep = 200;

enum class CheckTrigger
{
    Timer = 0, // the window's auto-check timer (and wendar-cli watch's runs)
    Hand = 1,  // the user in the window
    Cli = 2,   // wendar-cli check
};

enum class CheckResult
{
    NewFindings = 0,
    NothingNew = 1,
    Failed = 2,
    Stopped = 3,
    Skipped = 4, // another program was checking the item
};

enum class HealthState
{
    Ok = 0,
    Failing = 1,
    Recovered = 2,
    Silent = 3,
};

// "timer"/"hand"/"cli", "new"/"nothing"/"failed"/"stopped"/"skipped", "ok"/"failing"/"recovered"/"silent".
const char* CheckTriggerName(CheckTrigger trigger);
const char* CheckResultName(CheckResult result);
const char* HealthStateName(HealthState state);

struct CheckLogEntry
{
    long long id = 0;
    int messagetypeid = 0;
    std::int64_t startMs = 0;
    std::int64_t durationMs = 0;
    CheckTrigger trigger = CheckTrigger::Hand;
    CheckResult result = CheckResult::NothingNew;
    int newFindings = 0;
    std::string text;
};

struct ItemCheckState
{
    int messagetypeid = 0;
    int consecutiveFailures = 0;
    int backoffFailures = 0;
    std::int64_t lastCheckMs = 0;   // 0: never
    std::int64_t lastSuccessMs = 0; // 0: never
    std::int64_t lastNewMs = 0;     // the last check that found something; 0: never
    std::int64_t firstCheckMs = 0;  // where a silence begins when nothing was ever found
    std::string lastError;
    HealthState announced = HealthState::Ok;
};

// The item's entries, newest first, at most limit.
std::optional<std::vector<CheckLogEntry>> ReadCheckLog(CAdoConnection& connection, int messagetypeid, int limit,
                                                       std::string& error);
std::optional<std::map<int, ItemCheckState>> ReadCheckStates(CAdoConnection& connection, std::string& error);
std::optional<ItemCheckState> ReadCheckState(CAdoConnection& connection, int messagetypeid, std::string& error);

// In the caller's transaction (or alone): the entry, the log cut to kCheckLogKeep, the state.
bool AppendCheckLog(CAdoConnection& connection, const CheckLogEntry& entry, std::string& error);
bool WriteCheckState(CAdoConnection& connection, const ItemCheckState& state, std::string& error);
// Only the announced health, when the stored one is still expected (false in changed when another
// program got there first).
bool ChangeAnnouncedHealth(CAdoConnection& connection, int messagetypeid, HealthState expected, HealthState now,
                           bool& changed, std::string& error);
// An item's log and state go with it.
bool DeleteCheckLog(CAdoConnection& connection, int messagetypeid, std::string& error);
