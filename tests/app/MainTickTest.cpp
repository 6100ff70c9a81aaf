#include "DocTest.h"
#include "app/CHeadlessTickActions.h"
#include "app/CMainTick.h"
#include "app/ITrayIcon.h"

#include <climits>
#include <utility>

using namespace std::chrono_literals;

namespace {

using Log = std::vector<std::string>;

// The frame as the tick sees it: every request and every tip the document sets go into one log. A
// refresh clears the reload flag, as the list's reload does, and notes how many sounds wait then.
class RecordingFrame final : public ITickActions, public ITrayIcon
{
public:
    explicit RecordingFrame(CTarvoDoc& doc) : m_doc(doc) {}

    bool IsFrameForeground() override { return foreground; }
    void MarkSelectedRead() override { log.push_back("mark"); }
    void SetTrayIcon(int iconId) override { log.push_back("icon " + std::to_string(iconId)); }
    void ToggleScrollLock() override { log.push_back("scroll"); }
    void RefreshViews() override
    {
        log.push_back("refresh, sounds " + std::to_string(m_doc.Sounds().Pending().size()));
        m_doc.m_bReload = false;
    }
    void ArmAutoCheckTimer(int periodMs) override { log.push_back("arm " + std::to_string(periodMs)); }
    void StopAutoCheckTimer() override { log.push_back("stop"); }
    void CheckAllItems() override { log.push_back("check all"); }
    void SetToolTip(const std::string& text) override { log.push_back("tip " + text); }

    Log Take() { return std::exchange(log, {}); }

    bool foreground = true;
    Log log;

private:
    CTarvoDoc& m_doc;
};

class MainTick : public DocTest
{
protected:
    MainTick() { doc.SetTrayIcon(&frame); }
    CMainTick& Tick()
    {
        if (!m_tick) {
            m_tick = std::make_unique<CMainTick>(doc, settings, frame);
        }
        return *m_tick;
    }
    // Ticks count times; returns the numbers (from 1) of the ticks that marked the selection read.
    std::vector<int> MarkingTicks(int count)
    {
        frame.Take();
        std::vector<int> marking;
        for (int i = 1; i <= count; ++i) {
            Tick().OnSecond();
            marking.insert(marking.end(), static_cast<size_t>(std::ranges::count(frame.Take(), "mark")), i);
        }
        return marking;
    }
    // An item whose sound repeats every `every` ticks while it has new findings.
    ItemPtr RepeatingItem(int every)
    {
        auto item = AddItem();
        item->bNotify = every;
        item->notifysound = "/abs/again.wav";
        item->Save(store.connection());
        item->m_nNewCount = 1;
        return item;
    }

    RecordingFrame frame{doc};

private:
    std::unique_ptr<CMainTick> m_tick;
};

} // namespace

TEST_F(MainTick, OneTickMarksReannouncesRefreshesThenBlinksInThatOrder)
{
    settings.AutoMarkRead = 0;
    RepeatingItem(1);
    doc.Sounds().Pause(true);
    doc.m_nUnreadCount = 2;
    doc.m_bReload = true;
    Tick().OnSecond();
    EXPECT_EQ(frame.Take(), (Log{"mark", "refresh, sounds 1", "tip 您还有:2条消息未读", "scroll",
                                 "icon " + std::to_string(kIconBlink)}));
    // The list cleared the reload flag: the next tick only marks and blinks.
    Tick().OnSecond();
    EXPECT_EQ(frame.Take(), (Log{"mark", "scroll", "icon " + std::to_string(kIconNormal)}));
    EXPECT_EQ(doc.Sounds().Pending().size(), 2u);
}

TEST_F(MainTick, TheSelectionIsMarkedOnTheTickAfterTheCountdownAndOnlyWhileTheFrameIsInFront)
{
    settings.AutoMarkRead = 3;
    EXPECT_EQ(MarkingTicks(8), (std::vector<int>{4, 8}));
    EXPECT_EQ(MarkingTicks(2), (std::vector<int>{})); // countdown 3 -> 1
    frame.foreground = false;
    EXPECT_EQ(MarkingTicks(5), (std::vector<int>{})); // held at 1
    EXPECT_EQ(Tick().AutoMarkCountdown(), 1);
    frame.foreground = true;
    EXPECT_EQ(MarkingTicks(2), (std::vector<int>{2})); // a new selection's restart: the message list's tests
}

TEST_F(MainTick, BlinksWhileUnreadAndShowsTheRestingIconOnceWhenNothingIsLeft)
{
    RepeatingItem(1);
    frame.foreground = false;
    doc.m_bReload = false;
    // The first quiet tick sets the resting icon; the next ones leave it, and nothing is re-announced.
    Tick().OnSecond();
    Tick().OnSecond();
    EXPECT_EQ(frame.Take(), (Log{"icon 198"}));
    doc.m_nUnreadCount = 1;
    for (int i = 0; i < 4; ++i) {
        Tick().OnSecond();
    }
    EXPECT_EQ(frame.Take(),
              (Log{"scroll", "icon 181", "scroll", "icon 198", "scroll", "icon 181", "scroll", "icon 198"}));
    doc.m_nUnreadCount = 0;
    Tick().OnSecond();
    Tick().OnSecond();
    EXPECT_EQ(frame.Take(), (Log{"icon 198"})); // the icons with auto-check off: the main frame's tests
    ASSERT_TRUE(doc.Sounds().WaitUntilIdle(kGenerousWait));
    EXPECT_EQ(player->Played().size(), 4u); // one repeat per tick with something unread
}

TEST_F(MainTick, AutoCheckIsSwitchedOnAtStartAndArmedWithTheIntervalInMinutes)
{
    settings.enableAutoCheck = 0; // as stored: the start switches it on anyway
    Tick().Start();
    EXPECT_EQ(settings.enableAutoCheck, 1);
    EXPECT_EQ(frame.Take(), (Log{"stop", "icon 198", "arm 900000"}));
    Tick().ToggleAutoCheck();
    EXPECT_EQ(std::pair(settings.enableAutoCheck, Tick().IsAutoCheckOn()), std::pair(0, false));
    EXPECT_EQ(frame.Take(), (Log{"stop", "icon 183"}));
    Tick().ToggleAutoCheck();
    EXPECT_EQ(frame.Take(), (Log{"stop", "icon 198", "arm 900000"}));
    Tick().DisableAutoCheck();
    Tick().DisableAutoCheck();
    EXPECT_EQ(frame.Take(), (Log{"stop", "icon 183", "stop", "icon 183"}));

    // The settings dialog stored new values.
    settings.enableAutoCheck = 1;
    settings.AutoCheckInterval = 30;
    Tick().ApplyAutoCheckSetting();
    EXPECT_EQ(frame.Take(), (Log{"stop", "icon 198", "arm 1800000"}));
    settings.enableAutoCheck = 0;
    Tick().ApplyAutoCheckSetting();
    EXPECT_EQ(frame.Take(), (Log{"stop", "icon 183"}));
    // No period shorter than a minute, none longer than a timer holds.
    for (auto [minutes, period] : {std::pair(0, 60000), std::pair(-5, 60000), std::pair(INT_MAX, INT_MAX)}) {
        settings.AutoCheckInterval = minutes;
        EXPECT_EQ(Tick().AutoCheckPeriodMs(), period) << minutes;
    }

    Tick().OnAutoCheckTimer();
    EXPECT_EQ(frame.Take(), (Log{"tip 现在正在检查", "tip 没有未读的消息", "check all"}));
}

// wendar-cli watch: the same tick over the headless actions, on a clock the test moves.
TEST_F(MainTick, WithoutWindowsTheRepeatsPlayEveryNthSecondAndTheTimerStartsRuns)
{
    auto item = RepeatingItem(3);
    SourceRowInfo finding;
    finding.ID = "1";
    ASSERT_EQ(finding.Insert(store.connection(), *item), 1);
    doc.RecountUnread();
    ASSERT_EQ(doc.m_nUnreadCount, 1);

    auto moment = CHeadlessTickActions::Clock::now();
    CHeadlessTickActions actions(doc, [&moment] { return moment; });
    CMainTick tick(doc, settings, actions);
    tick.Start();
    EXPECT_EQ(actions.Period(), 900000ms);
    for (int second = 0; second < 7; ++second) {
        tick.OnSecond();
    }
    EXPECT_FALSE(doc.m_bReload.load()); // the refresh stands for the list's reload
    ASSERT_TRUE(doc.Sounds().WaitUntilIdle(kGenerousWait));
    EXPECT_EQ(player->Played(), (std::vector<std::string>(3, "/abs/again.wav"))); // ticks 0, 3 and 6
    // Marking read elsewhere is seen at the next recount: the repeats stop.
    store.connection().Execute("update userdata set status=1");
    doc.RecountUnread();
    for (int second = 0; second < 6; ++second) {
        tick.OnSecond();
    }
    ASSERT_TRUE(doc.Sounds().WaitUntilIdle(kGenerousWait));
    EXPECT_EQ(player->Played().size(), 3u);

    // The timer fires once a period has passed, once however late it is asked.
    for (auto [step, due] : {std::pair(899999ms, false), std::pair(1ms, true), std::pair(0ms, false),
                             std::pair(3 * 900000ms, true), std::pair(0ms, false)}) {
        moment += step;
        EXPECT_EQ(actions.TakeDueTimer(), due) << step.count();
    }
    tick.OnAutoCheckTimer();
    doc.WaitForChecks();
    EXPECT_EQ(run.GetStatusText(), kAllCheckedStatusText);

    // watch --interval-seconds replaces the period; a stopped timer never fires.
    actions.SetPeriodOverride(2s);
    tick.ApplyAutoCheckSetting();
    EXPECT_EQ(actions.Period(), 2000ms);
    tick.DisableAutoCheck();
    moment += 1h;
    EXPECT_FALSE(actions.TakeDueTimer());
}
