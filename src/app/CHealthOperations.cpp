#include "app/CHealthOperations.h"

#include "app/Settings.h"
#include "store/CAdoConnection.h"
#include "store/MessageTypeInfo.h"
#include "util/UiText.h"

#include <algorithm>
#include <ctime>

namespace {

constexpr const char* kFailingText = WENDAR_TR_NOOP("CHealthOperations", " 连续 %d 次检查失败: ");
constexpr const char* kSilentText = WENDAR_TR_NOOP("CHealthOperations", " 已有 %d 分钟没有新消息");
constexpr const char* kRecoveredText = WENDAR_TR_NOOP("CHealthOperations", " 已恢复正常");
constexpr const char* kNewAgainText = WENDAR_TR_NOOP("CHealthOperations", " 又有了新消息");
constexpr const char* kItemGoneText = WENDAR_TR_NOOP("CHealthOperations", "这个检查项目已经不在数据库中");
constexpr std::int64_t kMsPerMinute = 60 * 1000;
constexpr std::int64_t kMsPerSecond = 1000;
// A timer run a little early still checks an item whose time has come: the run starts on the
// minute, the check it follows started a moment after.
constexpr std::chrono::milliseconds kDueSlack{30 * 1000};

std::string WithNumber(const char* pattern, long long number)
{
    std::string text = UiText("CHealthOperations", pattern);
    text.replace(text.find("%d"), 2, std::to_string(number));
    return text;
}

bool IsSuccess(CheckResult result)
{
    return result == CheckResult::NewFindings || result == CheckResult::NothingNew;
}

std::int64_t SilenceStart(const ItemCheckState& state)
{
    return state.lastNewMs != 0 ? state.lastNewMs : state.firstCheckMs;
}

bool IsSilentAt(const ItemCheckState& state, const ItemOptions& options, std::int64_t now)
{
    const std::int64_t since = SilenceStart(state);
    return options.expectMinutes > 0 && since != 0 && now - since > options.expectMinutes * kMsPerMinute;
}

std::string AnnouncementText(const std::string& name, HealthState from, HealthState to, const ItemCheckState& state,
                             const ItemOptions& options)
{
    switch (to) {
    case HealthState::Failing:
        return name + WithNumber(kFailingText, state.consecutiveFailures) + state.lastError;
    case HealthState::Silent:
        return name + WithNumber(kSilentText, options.expectMinutes);
    case HealthState::Recovered:
        return name + UiText("CHealthOperations", kRecoveredText);
    case HealthState::Ok:
        break;
    }
    return from == HealthState::Silent ? name + UiText("CHealthOperations", kNewAgainText) : std::string();
}

// Worth a word to the user: falling into failure or silence, and coming out of either.
bool IsAnnounced(HealthState from, HealthState to)
{
    return from != to && (to != HealthState::Ok || from == HealthState::Silent);
}

// What the health of every item is made of: the checks' states, the items' options, the items.
struct HealthInputs
{
    std::map<int, ItemCheckState> states;
    std::map<int, ItemOptions> options;
    std::vector<ItemKeyAndName> items;
};

// withItems false: the caller knows the items; only the states and options are read.
std::optional<HealthInputs> ReadHealthInputs(CAdoConnection& connection, std::string& error, bool withItems = true)
{
    auto states = ReadCheckStates(connection, error);
    auto options = states ? LoadAllItemOptions(connection, error) : std::nullopt;
    auto items = !options    ? std::nullopt
                 : withItems ? LoadAllItemNames(connection)
                             : std::optional<std::vector<ItemKeyAndName>>(std::in_place);
    if (!items) {
        if (error.empty()) {
            error = connection.QuietError();
        }
        return std::nullopt;
    }
    return HealthInputs{std::move(*states), std::move(*options), std::move(*items)};
}

} // namespace

std::int64_t SystemWallClock()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string CheckTimeText(std::int64_t ms)
{
    if (ms == 0) {
        return {};
    }
    const std::time_t seconds = static_cast<std::time_t>(ms / kMsPerSecond);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

CHealthOperations::CHealthOperations(CAdoConnection& connection, const Settings* settings, WallClock clock)
    : m_connection(connection), m_pSettings(settings), m_clock(std::move(clock))
{}

int CHealthOperations::FailuresBeforeFailing() const
{
    return std::max(1, m_pSettings ? m_pSettings->FailuresBeforeAlert : kDefaultFailuresBeforeFailing);
}

HealthState CHealthOperations::StateOf(const ItemCheckState& state, const ItemOptions& options) const
{
    // Silence shows as soon as it is there, before a program announced it.
    if ((state.announced == HealthState::Ok || state.announced == HealthState::Recovered) &&
        IsSilentAt(state, options, m_clock())) {
        return HealthState::Silent;
    }
    return state.announced;
}

std::optional<std::map<int, ItemHealth>> CHealthOperations::AllHealth(std::string& error)
{
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    const auto read = ReadHealthInputs(m_connection, error);
    if (!read) {
        return std::nullopt;
    }
    std::vector<int> ids;
    for (const ItemKeyAndName& item : read->items) {
        ids.push_back(item.messagetypeid);
    }
    return HealthOfItems(read->states, read->options, ids, true);
}

std::optional<std::map<int, ItemHealth>> CHealthOperations::AllHealth(const std::vector<int>& messagetypeids,
                                                                      std::string& error)
{
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    const auto read = ReadHealthInputs(m_connection, error, false);
    if (!read) {
        return std::nullopt;
    }
    return HealthOfItems(read->states, read->options, messagetypeids, false);
}

std::map<int, ItemHealth> CHealthOperations::HealthOfItems(const std::map<int, ItemCheckState>& states,
                                                           const std::map<int, ItemOptions>& options,
                                                           const std::vector<int>& messagetypeids,
                                                           bool withUnchecked) const
{
    std::map<int, ItemHealth> all;
    for (const int messagetypeid : messagetypeids) {
        const auto state = states.find(messagetypeid);
        if (state == states.end() && !withUnchecked) {
            continue;
        }
        ItemHealth& health = all[messagetypeid];
        health.messagetypeid = messagetypeid;
        if (state == states.end()) {
            continue;
        }
        const auto option = options.find(messagetypeid);
        health.state = StateOf(state->second, option == options.end() ? ItemOptions{} : option->second);
        health.consecutiveFailures = state->second.consecutiveFailures;
        health.lastCheckMs = state->second.lastCheckMs;
        health.lastSuccessMs = state->second.lastSuccessMs;
        health.lastNewMs = state->second.lastNewMs;
        health.lastError = state->second.lastError;
    }
    return all;
}

std::optional<ItemHealth> CHealthOperations::Health(int messagetypeid, std::string& error)
{
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    const auto state = ReadCheckState(m_connection, messagetypeid, error);
    const auto options = state ? LoadItemOptions(m_connection, messagetypeid, error) : std::nullopt;
    if (!options) {
        return std::nullopt;
    }
    ItemHealth health;
    health.messagetypeid = messagetypeid;
    health.state = StateOf(*state, *options);
    health.consecutiveFailures = state->consecutiveFailures;
    health.lastCheckMs = state->lastCheckMs;
    health.lastSuccessMs = state->lastSuccessMs;
    health.lastNewMs = state->lastNewMs;
    health.lastError = state->lastError;
    return health;
}

std::optional<std::vector<CheckLogEntry>> CHealthOperations::Log(int messagetypeid, int limit, std::string& error)
{
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    return ReadCheckLog(m_connection, messagetypeid, limit, error);
}

std::optional<ItemOptions> CHealthOperations::Options(int messagetypeid, std::string& error)
{
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    return LoadItemOptions(m_connection, messagetypeid, error);
}

bool CHealthOperations::SaveOptions(const ItemOptions& options, std::string& error)
{
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    return SaveItemOptions(m_connection, options, error);
}

bool CHealthOperations::SetSchedule(int messagetypeid, std::optional<bool> ownSchedule,
                                    std::optional<int> intervalMinutes, std::optional<int> expectMinutes,
                                    std::string& error)
{
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    CAdoTransaction transaction(m_connection);
    if (!transaction.Begin()) {
        error = transaction.Errors().empty() ? m_connection.QuietError() : transaction.Errors().front();
        return false;
    }
    auto item = LoadItem(m_connection, messagetypeid);
    if (!item) {
        error = UiText("CHealthOperations", kItemGoneText);
        return false;
    }
    auto options = LoadItemOptions(m_connection, messagetypeid, error);
    if (!options) {
        return false;
    }
    options->ownSchedule = ownSchedule.value_or(options->ownSchedule);
    options->expectMinutes = expectMinutes.value_or(options->expectMinutes);
    if (!SaveItemOptions(m_connection, *options, error)) {
        return false;
    }
    if (intervalMinutes) {
        item->CheckInterval = *intervalMinutes * 60;
        if (item->Save(m_connection) == 0) {
            error = m_connection.QuietError();
            return false;
        }
    }
    if (!transaction.Commit()) {
        error = transaction.Errors().empty() ? m_connection.QuietError() : transaction.Errors().front();
        return false;
    }
    return true;
}

bool CHealthOperations::Record(const CheckRecord& check, std::optional<HealthChange>& change, std::string& error)
{
    change.reset();
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    CAdoTransaction transaction(m_connection);
    if (!transaction.Begin()) {
        error = transaction.Errors().empty() ? m_connection.QuietError() : transaction.Errors().front();
        return false;
    }
    // A check that outlived its item's deletion leaves nothing behind.
    if (ReadItemState(m_connection, check.messagetypeid) == kItemGoneState) {
        return true;
    }
    auto state = ReadCheckState(m_connection, check.messagetypeid, error);
    const auto options = state ? LoadItemOptions(m_connection, check.messagetypeid, error) : std::nullopt;
    if (!options) {
        return false;
    }
    CheckLogEntry entry;
    entry.messagetypeid = check.messagetypeid;
    entry.startMs = check.startMs;
    entry.durationMs = check.durationMs;
    entry.trigger = check.trigger;
    entry.result = check.result;
    entry.newFindings = check.newFindings;
    entry.text = check.text;
    if (!AppendCheckLog(m_connection, entry, error)) {
        return false;
    }
    // What is announced is the stored health; silence is set by TakeTimeChanges alone.
    const HealthState before = state->announced;
    HealthState after = before;
    if (check.trigger != CheckTrigger::Timer) {
        state->backoffFailures = 0; // a check by hand starts the waits afresh
    }
    if (check.result == CheckResult::Failed) {
        ++state->consecutiveFailures;
        state->backoffFailures += check.trigger == CheckTrigger::Timer ? 1 : 0;
        state->lastError = check.text;
        state->lastCheckMs = check.startMs;
        if (state->consecutiveFailures >= FailuresBeforeFailing()) {
            after = HealthState::Failing;
        } else if (after == HealthState::Recovered) {
            after = HealthState::Ok;
        }
    } else if (IsSuccess(check.result)) {
        state->consecutiveFailures = 0;
        state->backoffFailures = 0;
        state->lastCheckMs = check.startMs;
        state->lastSuccessMs = check.startMs;
        const bool found = check.result == CheckResult::NewFindings;
        if (found) {
            state->lastNewMs = check.startMs;
        }
        if (before == HealthState::Failing) {
            after = HealthState::Recovered;
        } else if (found || before == HealthState::Recovered) {
            after = HealthState::Ok;
        }
    }
    if (state->firstCheckMs == 0 && state->lastCheckMs != 0) {
        state->firstCheckMs = state->lastCheckMs;
    }
    state->announced = after;
    if (!WriteCheckState(m_connection, *state, error)) {
        return false;
    }
    if (!transaction.Commit()) {
        error = transaction.Errors().empty() ? m_connection.QuietError() : transaction.Errors().front();
        return false;
    }
    if (IsAnnounced(before, after)) {
        change = HealthChange{check.messagetypeid, check.itemName, before, after,
                              AnnouncementText(check.itemName, before, after, *state, *options)};
    }
    return true;
}

std::optional<std::vector<HealthChange>> CHealthOperations::TakeTimeChanges(std::string& error)
{
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    const auto read = ReadHealthInputs(m_connection, error);
    if (!read) {
        return std::nullopt;
    }
    const auto& [states, options, items] = *read;
    std::vector<HealthChange> changes;
    for (const ItemKeyAndName& item : items) {
        const auto state = states.find(item.messagetypeid);
        if (state == states.end()) {
            continue;
        }
        const auto option = options.find(item.messagetypeid);
        const ItemOptions itemOptions = option == options.end() ? ItemOptions{} : option->second;
        const HealthState stored = state->second.announced;
        const bool silent = IsSilentAt(state->second, itemOptions, m_clock());
        HealthState now = stored;
        if (silent && (stored == HealthState::Ok || stored == HealthState::Recovered)) {
            now = HealthState::Silent;
        } else if (!silent && stored == HealthState::Silent) {
            now = HealthState::Ok; // the expected period was lengthened or switched off
        }
        if (now == stored) {
            continue;
        }
        // Whichever program sets it first announces it.
        bool changed = false;
        if (!ChangeAnnouncedHealth(m_connection, item.messagetypeid, stored, now, changed, error)) {
            return std::nullopt;
        }
        if (changed && now == HealthState::Silent) {
            changes.push_back({item.messagetypeid, item.name, stored, now,
                               AnnouncementText(item.name, stored, now, state->second, itemOptions)});
        }
    }
    return changes;
}

std::int64_t CHealthOperations::NextDue(const MessageTypeInfo& item, const ItemOptions& options,
                                        const ItemCheckState& state, std::chrono::milliseconds timerPeriod) const
{
    if (state.lastCheckMs == 0 || (!options.ownSchedule && state.backoffFailures == 0)) {
        return 0;
    }
    const std::int64_t base =
        options.ownSchedule ? std::max<std::int64_t>(item.CheckInterval, 60) * kMsPerSecond : timerPeriod.count();
    const std::int64_t ceiling = std::max<std::int64_t>(base, std::chrono::milliseconds(kMaxBackoff).count());
    std::int64_t wait = base;
    for (int i = 0; i < state.backoffFailures && wait < ceiling; ++i) {
        wait *= 2;
    }
    return state.lastCheckMs + std::min(wait, ceiling);
}

std::optional<std::vector<int>> CHealthOperations::DueItems(const std::vector<const MessageTypeInfo*>& items,
                                                            std::chrono::milliseconds timerPeriod, std::string& error)
{
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    const auto states = ReadCheckStates(m_connection, error);
    const auto options = states ? LoadAllItemOptions(m_connection, error) : std::nullopt;
    if (!options) {
        return std::nullopt;
    }
    const std::int64_t slack = std::min(timerPeriod / 2, kDueSlack).count();
    const std::int64_t now = m_clock();
    std::vector<int> due;
    for (const MessageTypeInfo* item : items) {
        const auto state = states->find(item->messagetypeid);
        const auto option = options->find(item->messagetypeid);
        const std::int64_t next = NextDue(*item, option == options->end() ? ItemOptions{} : option->second,
                                          state == states->end() ? ItemCheckState{} : state->second, timerPeriod);
        if (next <= now + slack) {
            due.push_back(item->messagetypeid);
        }
    }
    return due;
}
