// A check-all run with several items read at once: monitors that end when the test lets them, a
// real local store, the document's run as the user starts it.
#include "DocTest.h"
#include "ItemStore.h"

#include <functional>
#include <set>
#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Each item's monitor says it started, waits until the test lets it end (or a stop is requested),
// then stores three findings for the item, each once. The test waits on these events, never on time.
class ParallelRun : public DocTest
{
protected:
    ParallelRun()
    {
        doc.SetMonitor(kCategoryWebPage, [this](CheckContext& context, MessageTypeInfo& item) {
            context.run.SetStatusText("正在检查" + item.MessageTypeName + "->连接服务器");
            {
                std::unique_lock lock(m_lock);
                m_calls.push_back(item.messagetypeid);
                m_connections.insert({std::this_thread::get_id(), &context.mainConnection});
                m_maxRunning = std::max(m_maxRunning, ++m_running);
                m_changed.notify_all();
                // A stop request does not notify: it is looked at every few milliseconds.
                const auto limit = Clock::now() + kGenerousWait;
                while (!m_mayEnd(item) && !context.run.IsStopRequested() && Clock::now() < limit) {
                    m_changed.wait_for(lock, 5ms);
                }
            }
            // Staggered ends, so that the items come back out of list order.
            std::this_thread::sleep_for(std::chrono::milliseconds(item.CheckNumber));
            int found = 0;
            for (int i = 0; i < 3 && !context.run.IsStopRequested(); ++i) {
                SourceRowInfo row;
                row.ID = std::to_string(item.messagetypeid) + "-" + std::to_string(i);
                if (row.IsKnown(context.mainConnection, item) == 0 && row.Insert(context.mainConnection, item)) {
                    ++item.m_nNewCount;
                    found = 1;
                }
            }
            context.run.SetStatusText(item.MessageTypeName + "->检查完毕");
            std::lock_guard guard(m_lock);
            --m_running;
            m_changed.notify_all();
            return found;
        });
        doc.SetItemCheckedListener([this](MessageTypeInfo& item, int) {
            std::lock_guard guard(m_lock);
            m_announced.push_back(item.messagetypeid);
        });
    }
    ~ParallelRun() override
    {
        // The monitors' state below goes before the document: no check may be left at work.
        doc.RequestStop();
        doc.WaitForChecks();
    }

    // Items named 项目0, 项目1, ... whose monitors wait the given milliseconds before they store; their keys.
    std::vector<int> AddItems(const std::vector<int>& delays)
    {
        std::vector<int> ids;
        for (int delay : delays) {
            MessageTypeInfo item = NewItem("项目" + std::to_string(ids.size()));
            item.CheckNumber = delay;
            doc.AddItem(std::make_shared<MessageTypeInfo>(store.AddItem(item)));
            ids.push_back(doc.Items().back()->messagetypeid);
        }
        return ids;
    }
    // Which monitors may end; set before a run starts or under the lock.
    void LetEnd(std::function<bool(const MessageTypeInfo&)> mayEnd)
    {
        std::lock_guard guard(m_lock);
        m_mayEnd = std::move(mayEnd);
        m_changed.notify_all();
    }
    // Waits until `started` monitors have started and `running` of them are still at work.
    bool WaitFor(size_t started, int running)
    {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, kGenerousWait,
                                  [&] { return m_calls.size() >= started && m_running == running; });
    }

    std::function<bool(const MessageTypeInfo&)> m_mayEnd = [](const MessageTypeInfo&) { return true; };
    int m_running = 0;
    int m_maxRunning = 0;
    std::vector<int> m_announced;
    std::set<std::pair<std::thread::id, CAdoConnection*>> m_connections; // of the checks' threads
};

} // namespace

TEST_F(ParallelRun, ItemsAreReadAtOnceUpToTheLimitAndTheirFindingsKeepTheirMeaning)
{
    // One item at a time is every other run test's; four at once here.
    const std::vector<int> ids = AddItems({40, 5, 30, 2, 20, 10, 25, 1, 15, 35});
    constexpr int kWidth = 4;
    // No monitor ends before four of them run at once: a run narrower than that never ends.
    LetEnd([this](const MessageTypeInfo&) { return m_maxRunning >= kWidth; });
    doc.SetParallelChecks(kWidth);
    doc.CheckAll();
    doc.WaitForChecks();

    EXPECT_EQ(m_maxRunning, kWidth);
    // Each thread of the run wrote on a connection of its own, none on the document's.
    std::set<std::thread::id> threads;
    std::set<CAdoConnection*> connections;
    for (const auto& [thread, connection] : m_connections) {
        threads.insert(thread);
        connections.insert(connection);
    }
    EXPECT_EQ(connections.size(), threads.size());
    EXPECT_EQ(connections.count(&store.connection()), 0u);
    // Announced (sound, listener) in list order, as one item after the other would be.
    EXPECT_EQ(m_announced, ids);
    for (const int id : ids) {
        EXPECT_EQ(doc.FindItem(id)->m_nNewCount, 3);
        const auto messages = store.Messages(id);
        ASSERT_EQ(messages.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(messages[i].SourceID, std::to_string(id) + "-" + std::to_string(i));
        }
    }
    EXPECT_EQ(std::tuple(doc.m_nUnreadCount.load(), run.GetStatusText()), std::tuple(30, kAllCheckedStatusText));
    // A second run finds what is stored already.
    doc.SetParallelChecks(8);
    doc.CheckAll();
    doc.WaitForChecks();
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), 30);
}

TEST_F(ParallelRun, StopEndsTheRunAtOnceAndPassesOverTheRest)
{
    const int quick = AddItems(std::vector<int>(20, 0))[3];
    LetEnd([quick](const MessageTypeInfo& item) { return item.messagetypeid == quick; });
    doc.SetParallelChecks(8);
    doc.CheckAll();
    // The fourth item ended at once and the ninth took its place.
    ASSERT_TRUE(WaitFor(9, 8));
    // The status names an item being worked on, not the fourth.
    const std::string status = run.GetStatusText();
    EXPECT_EQ(status.rfind("正在检查项目", 0), 0u) << status;
    const auto stopAt = Clock::now();
    doc.RequestStop();
    doc.WaitForChecks();
    // Far below the monitors' own limit: the stop reached every one of them.
    EXPECT_LT(Clock::now() - stopAt, 20s);
    EXPECT_EQ(std::tuple(Calls().size(), store.QueryNumber("select count(*) from userdata"), run.IsStopRequested()),
              std::tuple(9u, 3, false));
}

TEST_F(ParallelRun, AnItemIsNeverCheckedTwiceAtOnceAlsoWhenTheListIsReloadedMidRun)
{
    const std::vector<int> ids = AddItems({0, 0, 0, 0, 0, 0});
    const int first = ids[0], second = ids[1];
    LetEnd([=](const MessageTypeInfo& item) { return item.messagetypeid != first && item.messagetypeid != second; });
    doc.SetParallelChecks(2);
    doc.CheckAll();
    ASSERT_TRUE(WaitFor(2, 2));
    // Another program's edit while the first two are at work: the same items as new records.
    ASSERT_TRUE(doc.LoadItems());
    LetEnd([](const MessageTypeInfo&) { return true; });
    doc.WaitForChecks();
    auto started = Calls();
    std::sort(started.begin(), started.end());
    EXPECT_EQ(started, ids);
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), 18);
}
