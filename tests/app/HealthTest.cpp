#include "DocTest.h"
#include "app/CHealthOperations.h"
#include "app/CItemOperations.h"
#include "app/DryRun.h"
#include "store/ExcludeTable.h"
#include "store/FindingStore.h"

using namespace std::chrono_literals;

namespace {

constexpr std::int64_t kMinute = 60 * 1000;
constexpr std::int64_t kStart = 1'800'000'000'000; // a fixed wall-clock time, moved by the tests

// The wall clock is the test's; the timer fires every minute.
class Health : public DocTest
{
protected:
    Health()
    {
        now = kStart;
        doc.SetTimerPeriod(1min);
        doc.SetWallClock([this] { return now.load(); });
    }
    // One firing of the timer at the given minute.
    void TimerAt(std::int64_t minute)
    {
        now = kStart + minute * kMinute;
        RunAllAndWait(true);
    }
    ItemHealth HealthOf(int id)
    {
        auto all = health.AllHealth(error);
        EXPECT_TRUE(all) << error;
        return all ? (*all)[id] : ItemHealth{};
    }

    CHealthOperations health{store.connection(), &settings, [this] { return now.load(); }};
    std::string error;
};

} // namespace

// Three failed timer checks make the item failing (announced once), each waiting twice as long as
// the one before; a check by hand runs in the middle of a wait, recovers it (announced once) and
// the timer's checks follow the timer again.
TEST_F(Health, FailuresBackOffTurnFailingOnceAndAHandCheckRecovers)
{
    const ItemPtr item = AddItem();
    const int id = item->messagetypeid;
    failing = true;
    std::vector<std::int64_t> checkedAt;
    for (std::int64_t minute = 0; minute <= 14; ++minute) {
        const int before = CallsOf(id);
        TimerAt(minute);
        if (CallsOf(id) > before) {
            checkedAt.push_back(minute);
        }
    }
    // After failures one, two, three: waits of 2, 4 and 8 minutes.
    EXPECT_EQ(checkedAt, (std::vector<std::int64_t>{0, 2, 6, 14}));
    ItemHealth told = HealthOf(id);
    EXPECT_EQ(std::tuple(told.state, told.consecutiveFailures, told.lastError, told.lastSuccessMs),
              std::tuple(HealthState::Failing, 4, std::string("连接失败"), 0));
    EXPECT_EQ(Changes(), std::vector<HealthState>{HealthState::Failing});
    EXPECT_THAT(m_changes.front().text, testing::HasSubstr("连接失败"));

    failing = false;
    now = kStart + 15 * kMinute;
    doc.CheckOne(item);
    doc.WaitForChecks();
    told = HealthOf(id); // the error is still told after the recovery
    EXPECT_EQ(std::tuple(told.state, told.consecutiveFailures, told.lastError, told.lastSuccessMs),
              std::tuple(HealthState::Recovered, 0, std::string("连接失败"), kStart + 15 * kMinute));
    TimerAt(16);
    TimerAt(17);
    EXPECT_EQ(std::pair(CallsOf(id), HealthOf(id).state), std::pair(7, HealthState::Ok));
    EXPECT_EQ(Changes(), (std::vector<HealthState>{HealthState::Failing, HealthState::Recovered}));
    // Only the timer's checks are automatic to the monitors (their texts say "自动检查").
    EXPECT_EQ(m_byTimer, (std::vector<bool>{true, true, true, true, false, true, true}));

    // The log tells each check: newest first, how it was started and what came of it.
    const auto log = health.Log(id, 20, error);
    ASSERT_TRUE(log) << error;
    ASSERT_EQ(log->size(), 7u);
    EXPECT_EQ(std::pair((*log)[2].trigger, (*log)[2].result), std::pair(CheckTrigger::Hand, CheckResult::NothingNew));
    EXPECT_EQ(std::tuple((*log)[3].trigger, (*log)[3].result, (*log)[3].text, (*log)[3].startMs),
              std::tuple(CheckTrigger::Timer, CheckResult::Failed, std::string("连接失败"), kStart + 14 * kMinute));
}

TEST_F(Health, AnItemWithItsOwnHourIsCheckedOnceWhileTheMinuteTimerFiresFiveTimes)
{
    const ItemPtr own = AddItem(kCategoryWebPage, 3600);
    const ItemPtr other = AddItem(kCategoryWebPage, 3600);
    ASSERT_TRUE(health.SetSchedule(own->messagetypeid, true, std::nullopt, std::nullopt, error)) << error;
    for (std::int64_t minute = 0; minute < 5; ++minute) {
        TimerAt(minute);
    }
    EXPECT_EQ(std::pair(CallsOf(own->messagetypeid), CallsOf(other->messagetypeid)), std::pair(1, 5));
    TimerAt(60);
    EXPECT_EQ(CallsOf(own->messagetypeid), 2);
    RunAllAndWait(); // a run by hand checks every item, and is no automatic check
    EXPECT_EQ(std::pair(CallsOf(own->messagetypeid), bool(m_byTimer.back())), std::pair(3, false));
}

TEST_F(Health, AnItemThatBringsNothingForLongerThanExpectedFallsSilentOnceAndWakesWithNews)
{
    const int id = AddItem()->messagetypeid;
    ASSERT_TRUE(health.SetSchedule(id, std::nullopt, std::nullopt, 30, error)) << error;
    findings = true;
    TimerAt(0);
    findings = false;
    TimerAt(20);
    doc.CheckHealthOverTime();
    EXPECT_EQ(HealthOf(id).state, HealthState::Ok);
    TimerAt(31);
    EXPECT_EQ(HealthOf(id).state, HealthState::Silent); // shown before it is announced
    doc.CheckHealthOverTime();
    TimerAt(40);
    doc.CheckHealthOverTime();
    EXPECT_EQ(Changes(), std::vector<HealthState>{HealthState::Silent});
    findings = true;
    TimerAt(41);
    EXPECT_EQ(std::pair(HealthOf(id).state, HealthOf(id).lastNewMs), std::pair(HealthState::Ok, kStart + 41 * kMinute));
    EXPECT_EQ(Changes(), (std::vector<HealthState>{HealthState::Silent, HealthState::Ok}));
}

TEST_F(Health, TheLogKeepsTheNewest200AndGoesWithItsItemAsDoTheOptions)
{
    const int id = AddItem()->messagetypeid;
    for (int i = 0; i < 205; ++i) {
        std::optional<HealthChange> change;
        const CheckRecord check{id, "a", kStart + i, 5, CheckTrigger::Cli, CheckResult::NewFindings, i, {}};
        ASSERT_TRUE(health.Record(check, change, error)) << error;
    }
    auto log = health.Log(id, 1000, error);
    ASSERT_TRUE(log) << error;
    ASSERT_EQ(log->size(), static_cast<size_t>(kCheckLogKeep));
    EXPECT_EQ(std::pair(log->front().newFindings, log->back().newFindings), std::pair(204, 5));

    ItemOptions options = health.Options(id, error).value();
    EXPECT_EQ(options, (ItemOptions{id, false, 0, {}, true}));
    options.pinnedCertificate = NormalizeFingerprint(std::string(32, 'A') + ":" + std::string(32, 'b'));
    options.mailPreview = false;
    ASSERT_TRUE(health.SaveOptions(options, error)) << error;
    EXPECT_EQ(health.Options(id, error).value(), options);
    EXPECT_EQ(options.pinnedCertificate, std::string(32, 'a') + std::string(32, 'b'));
    EXPECT_EQ(NormalizeFingerprint("ab:cd"), "");

    ASSERT_TRUE(CItemOperations(store.connection(), {}).Delete(id, error)) << error;
    EXPECT_EQ(health.Log(id, 1000, error).value().size(), 0u);
    EXPECT_EQ(health.Options(id, error).value(), (ItemOptions{id, false, 0, {}, true}));
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata_checkstate"), 0);
}

// The trial runs the item's monitor as typed (its ranges included) against copies of its records:
// the duplicate test sees them, message.dat gains nothing, and a set cancel flag stops it.
TEST(DryRun, SeesTheItemsRecordsStoresNothingAndStopsWhenCancelled)
{
    TestStore store;
    MessageTypeInfo saved;
    saved.MessageCategory = kCategoryWebPage;
    saved = store.AddItem(saved);
    SourceRowInfo known;
    known.ID = "1";
    ASSERT_TRUE(known.Insert(store.connection(), saved));
    std::vector<std::string> seenRanges;
    const std::map<int, MonitorFunction> monitors = {
        {kCategoryWebPage, [&](CheckContext& context, MessageTypeInfo& item) {
             if (context.run.IsStopRequested()) {
                 return 0;
             }
             const auto ranges = LoadExcludeRanges(context.mainConnection, item.messagetypeid);
             for (const auto& range : ranges.value_or(ExcludeRanges{})) {
                 seenRanges.push_back(range.excludeFrom);
             }
             int stored = 0;
             for (const char* id : {"1", "2", "3"}) {
                 SourceRowInfo row;
                 row.ID = id;
                 row.Info = std::string("主题 ") + id;
                 CFindingStore findings(context.mainConnection, item);
                 stored += findings.StoreIfNew(row) == CFindingStore::Outcome::Stored ? 1 : 0;
             }
             return stored;
         }}};
    StoredItem typed{saved, {{0, "<b>", "</b>"}}};
    typed.item.MessageTypeName = "改过的名字";
    const long long before = store.QueryNumber("select count(*) from userdata");
    std::atomic<bool> cancel{false};
    const std::string connection = "DBQ=" + store.appDir() + "message.dat;DRIVER={SQLite3}";
    const DryRunResult result = RunDryCheck(connection, typed, cancel, {}, monitors);
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.newFindings, 2);
    EXPECT_EQ(result.subjects, (std::vector<std::string>{"主题 2", "主题 3"}));
    EXPECT_EQ(seenRanges, std::vector<std::string>{"<b>"});
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), before);
    EXPECT_EQ(store.QueryNumber("select count(*) from userHttpExclude"), 0);

    cancel = true;
    const DryRunResult stopped = RunDryCheck(connection, typed, cancel, {}, monitors);
    EXPECT_EQ(std::pair(stopped.ok, stopped.cancelled), std::pair(false, true));
}
