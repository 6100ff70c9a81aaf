// Programs killed (SIGKILL) at random points: during an item edit with a thousand exclusion
// ranges, during the first start, during a long database check. What is left is always whole: the
// old state or the new one, never a mixture, and the next program starts and finishes the work.
#include "CliRunner.h"

#include <algorithm>
#include <csignal>
#include <iostream>
#include <random>
#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

class CrashSafety : public CliRunner
{
protected:
    // How long the command takes when nobody kills it.
    std::chrono::milliseconds UsualTime(std::vector<std::string> args, const std::string& homePath = {})
    {
        const auto started = Clock::now();
        EXPECT_EQ(RunIn(homePath.empty() ? home.path() : homePath, std::move(args)).status, 0);
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
    }
    // A kill point anywhere from the program's start to just past its usual end.
    std::chrono::milliseconds KillPoint(std::chrono::milliseconds usual)
    {
        return std::chrono::milliseconds(std::uniform_int_distribution<long>(1, usual.count() + 5)(m_random));
    }

    std::mt19937 m_random{12};
};

// An edit that renames the item and replaces its ranges, every value marked with its generation.
std::vector<std::string> EditOfGeneration(int generation)
{
    const std::string g = "g" + std::to_string(generation) + "-";
    std::vector<std::string> args = {"items", "set", "1", "--name", g};
    for (int i = 0; i < 1000; ++i) {
        args.insert(args.end(), {"--exclude", g + "from" + std::to_string(i), g + "to" + std::to_string(i)});
    }
    return args;
}

} // namespace

TEST_F(CrashSafety, AnEditKilledAnywhereLeavesTheOldItemOrTheNewOneWhole)
{
    AddItem("web", "2");
    const auto usual = UsualTime(EditOfGeneration(0));

    int killed = 0;
    constexpr int kTrials = 12;
    for (int generation = 1; generation <= kTrials; ++generation) {
        killed += Run(EditOfGeneration(generation), {.timeout = KillPoint(usual)}).status == 128 + SIGKILL ? 1 : 0;
        // The name and every range belong to one and the same generation.
        EXPECT_EQ(Number("select count(*) from userHttpExclude where messagetypeid=1"), 1000) << generation;
        EXPECT_EQ(Number("select count(*) from userHttpExclude, usermessagetype where userHttpExclude.messagetypeid=1 "
                         "and usermessagetype.messagetypeid=1 and substr(excludeFrom, 1, length(MessageTypeName)) = "
                         "MessageTypeName"),
                  1000)
            << generation;
    }
    RecordProperty("edits_killed", killed);
    std::cout << "[ figures ] edits killed mid-way: " << killed << "/" << kTrials << ", all left whole\n";
}

// Each trial on fresh directories: a first start killed anywhere, then the next start; two first
// starts at once.
TEST_F(CrashSafety, AFirstStartKilledAnywhereLeavesADirectoryTheNextStartUsesAndTwoFirstStartsAtOnceBothSucceed)
{
    const auto usual = UsualTime({"items"}, TempDir().path());
    int killed = 0, succeeded = 0;
    constexpr int kTrials = 15;
    for (int trial = 0; trial < kTrials; ++trial) {
        TempDir fresh, together;
        killed += RunIn(fresh.path(), {"items"}, {.timeout = KillPoint(usual)}).status == 128 + SIGKILL ? 1 : 0;
        const ChildResult next = RunIn(fresh.path(), {"items", "add", "--name", "after"});
        EXPECT_EQ(next.status, 0) << trial << ": " << next.err;
        EXPECT_EQ(next.out, "1\n") << trial;

        ChildResult a, b;
        std::thread other([&] { b = RunIn(together.path(), {"items", "add", "--name", "b"}); });
        a = RunIn(together.path(), {"items", "add", "--name", "a"});
        other.join();
        EXPECT_EQ(a.status, 0) << a.err;
        EXPECT_EQ(b.status, 0) << b.err;
        succeeded += a.status == 0 && b.status == 0 ? 1 : 0;
        EXPECT_EQ(std::ranges::count(RunIn(together.path(), {"items"}).out, '\n'), 3); // header and two items
    }
    std::cout << "[ figures ] first starts killed mid-way: " << killed << "/" << kTrials
              << ", next start ok; two first starts at once: " << succeeded << "/" << kTrials << " both succeeded\n";

    // An empty message.dat (what a killed first start of an older version left) is made anew.
    TempDir empty;
    std::ofstream(empty.path() + "message.dat").flush();
    EXPECT_EQ(RunIn(empty.path(), {"items", "add", "--name", "x"}).out, "1\n");
}

TEST_F(CrashSafety, ADatabaseCheckKilledMidWayLosesNothingAndStoresNothingTwiceWhenRunAgain)
{
    constexpr int kRows = 10000;
    AddItem("通知", "1", NoticeDatabase(kRows), {"--view", "v_notice", "--check-number", "10000"});
    const auto usual = UsualTime({"check", "1"});
    EXPECT_EQ(Number("select count(*) from userdata"), kRows);

    constexpr int kTrials = 3;
    for (int trial = 0; trial < kTrials; ++trial) {
        Sql("delete from userdata");
        const long killedAt = KillPoint(usual).count();
        Run({"check", "1"}, {.timeout = std::chrono::milliseconds(killedAt)});
        const long long kept = Number("select count(*) from userdata");
        Ok({"check", "1"});
        EXPECT_EQ(Number("select count(*) from userdata"), kRows) << "killed at " << killedAt << " ms";
        EXPECT_EQ(Number("select count(distinct SourceID) from userdata"), kRows);
        std::cout << "[ figures ] database check killed at " << killedAt << "/" << usual.count() << " ms: " << kept
                  << " rows kept, " << kRows - kept << " stored by the next check, none twice\n";
    }
}
