#pragma once
// The health of the check items as both front ends show it, the check log, the items' own options,
// and what the timer's run checks: each check is recorded (log entry and check state in one
// transaction) and may change the item's health; the health a program announces changes once per
// change of state, whichever program notices it first.
//
//   failing    kFailuresBeforeFailing (the setting FailuresBeforeAlert) failed checks in a row
//   recovered  the last check succeeded and the ones before it were failing
//   silent     an expected period is set and nothing new came for longer (since the last finding,
//              or since the first check when there was none yet)
//   ok         otherwise
//
// The timer's run checks an item only when it is due: an item with its own schedule every
// CheckInterval seconds, any other at every run; a failing item waits twice as long after each
// failure (the timer's period, or its own interval, doubled, at most kMaxBackoff) until a check
// succeeds or one by hand resets the wait. Time comes from the clock the operations are handed.
//
// Errors: false or nullopt with the database's own words in error; nothing is shown.
#include "store/CheckLog.h"
#include "store/ItemOptions.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class CAdoConnection;
class MessageTypeInfo;
struct Settings;

// Milliseconds since 1970 (UTC); tests hand in one they move.
using WallClock = std::function<std::int64_t()>;
std::int64_t SystemWallClock();

inline constexpr int kDefaultFailuresBeforeFailing = 3;
inline constexpr std::chrono::minutes kMaxBackoff{60};

struct ItemHealth
{
    int messagetypeid = 0;
    HealthState state = HealthState::Ok;
    int consecutiveFailures = 0;
    std::int64_t lastCheckMs = 0;   // 0: never checked
    std::int64_t lastSuccessMs = 0; // 0: never
    std::int64_t lastNewMs = 0;     // 0: nothing found yet
    std::string lastError;          // of the last failed check, kept after a success

    bool operator==(const ItemHealth&) const = default;
};

// A change of an item's health that is to be announced (once).
struct HealthChange
{
    int messagetypeid = 0;
    std::string itemName;
    HealthState from = HealthState::Ok;
    HealthState to = HealthState::Ok;
    std::string text; // the words of the announcement
};

// One check as the run saw it.
struct CheckRecord
{
    int messagetypeid = 0;
    std::string itemName;
    std::int64_t startMs = 0;
    std::int64_t durationMs = 0;
    CheckTrigger trigger = CheckTrigger::Hand;
    CheckResult result = CheckResult::NothingNew;
    int newFindings = 0;
    std::string text; // the status text of a failure
};

class CHealthOperations final
{
public:
    // settings: read at every call (FailuresBeforeAlert); null = the defaults.
    CHealthOperations(CAdoConnection& connection, const Settings* settings, WallClock clock = &SystemWallClock);
    CHealthOperations(const CHealthOperations&) = delete;
    CHealthOperations& operator=(const CHealthOperations&) = delete;

    // Every stored item's health, by key (an item never checked is ok).
    std::optional<std::map<int, ItemHealth>> AllHealth(std::string& error);
    // The same for the items the caller holds (their keys), without reading the items again; an
    // item never checked has no entry (its health is the default: ok, never checked).
    std::optional<std::map<int, ItemHealth>> AllHealth(const std::vector<int>& messagetypeids, std::string& error);
    std::optional<ItemHealth> Health(int messagetypeid, std::string& error);
    // Newest first, at most limit entries.
    std::optional<std::vector<CheckLogEntry>> Log(int messagetypeid, int limit, std::string& error);

    std::optional<ItemOptions> Options(int messagetypeid, std::string& error);
    bool SaveOptions(const ItemOptions& options, std::string& error);
    // wendar-cli items set: only what is given changes (interval: the item's CheckInterval).
    bool SetSchedule(int messagetypeid, std::optional<bool> ownSchedule, std::optional<int> intervalMinutes,
                     std::optional<int> expectMinutes, std::string& error);

    // Stores the check's log entry and the item's new check state in one transaction; change is set
    // when the item's health changed and this program is the one to announce it.
    bool Record(const CheckRecord& check, std::optional<HealthChange>& change, std::string& error);
    // Changes that come with time alone (an item falls silent): those this program is to announce.
    std::optional<std::vector<HealthChange>> TakeTimeChanges(std::string& error);

    // The keys of the items a timer run with this period checks now, in the order given.
    std::optional<std::vector<int>> DueItems(const std::vector<const MessageTypeInfo*>& items,
                                             std::chrono::milliseconds timerPeriod, std::string& error);
    // When the timer would check the item next (ms since 1970; 0: at the next run).
    std::int64_t NextDue(const MessageTypeInfo& item, const ItemOptions& options, const ItemCheckState& state,
                         std::chrono::milliseconds timerPeriod) const;

    std::int64_t Now() const { return m_clock(); }

private:
    int FailuresBeforeFailing() const;
    HealthState StateOf(const ItemCheckState& state, const ItemOptions& options) const;
    // The health of each of the items by the states and options read (an item never checked is ok
    // and has an entry only withUnchecked).
    std::map<int, ItemHealth> HealthOfItems(const std::map<int, ItemCheckState>& states,
                                            const std::map<int, ItemOptions>& options,
                                            const std::vector<int>& messagetypeids, bool withUnchecked) const;

    CAdoConnection& m_connection;
    const Settings* m_pSettings = nullptr;
    WallClock m_clock;
};

// "2026-12-08 09:30:05" in local time; empty for 0.
std::string CheckTimeText(std::int64_t ms);
