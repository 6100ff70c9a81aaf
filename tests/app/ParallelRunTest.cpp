// A check-all run with several items read at once: monitors that take different times, a real
// local store, the document's run as the user starts it.
#include "app/CTarvoDoc.h"
#include "app/ISoundPlayer.h"
#include "monitors/CheckContext.h"
#include "store/SourceRowInfo.h"
#include "support/TestStore.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

class SilentPlayer final : public ISoundPlayer
{
public:
    bool Play(const std::string&) override { return true; }
};

// Each item's monitor waits CheckNumber milliseconds (its "server's delay"), watching the stop
// request, then stores three findings for the item, each once.
class ParallelRun : public testing::Test
{
protected:
    ParallelRun() : doc(store.connection(), run, store.appDir(), std::make_shared<SilentPlayer>())
    {
        doc.SetMonitor(kCategoryWebPage, [this](CheckContext& context, MessageTypeInfo& item) {
            const int now = ++m_running;
            int seen = m_maxRunning.load();
            while (now > seen && !m_maxRunning.compare_exchange_weak(seen, now)) {
            }
            {
                std::lock_guard guard(m_lock);
                m_started.push_back(item.messagetypeid);
                m_connections.insert({std::this_thread::get_id(), &context.mainConnection});
            }
            context.run.SetStatusText("正在检查" + item.MessageTypeName + "->连接服务器");
            const auto until = Clock::now() + std::chrono::milliseconds(item.CheckNumber);
            while (Clock::now() < until && !context.run.IsStopRequested()) {
                std::this_thread::sleep_for(2ms);
            }
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
            --m_running;
            return found;
        });
        doc.SetItemCheckedListener([this](MessageTypeInfo& item, int) {
            std::lock_guard guard(m_lock);
            m_announced.push_back(item.messagetypeid);
        });
    }

    std::vector<ItemPtr> AddItems(const std::vector<int>& delays)
    {
        std::vector<ItemPtr> items;
        for (int delay : delays) {
            MessageTypeInfo item;
            item.MessageCategory = kCategoryWebPage;
            item.MessageTypeName = "项目" + std::to_string(items.size());
            item.CheckNumber = delay;
            items.push_back(std::make_shared<MessageTypeInfo>(store.AddItem(item)));
            doc.AddItem(items.back());
        }
        return items;
    }
    std::vector<int> Ids(const std::vector<ItemPtr>& items)
    {
        std::vector<int> ids;
        for (const auto& item : items) {
            ids.push_back(item->messagetypeid);
        }
        return ids;
    }
    std::vector<int> Started()
    {
        std::lock_guard guard(m_lock);
        return m_started;
    }
    std::vector<int> Announced()
    {
        std::lock_guard guard(m_lock);
        return m_announced;
    }

    TestStore store;
    CRunState run;
    std::atomic<int> m_running{0};
    std::atomic<int> m_maxRunning{0};
    std::mutex m_lock;
    std::vector<int> m_started;
    std::vector<int> m_announced;
    std::set<std::pair<std::thread::id, CAdoConnection*>> m_connections; // of the checks' threads
    CTarvoDoc doc; // last: its workers end before the monitor's state goes
};

} // namespace

TEST_F(ParallelRun, ItemsAreReadAtOnceUpToTheLimitAndTheirFindingsKeepTheirMeaning)
{
    const std::vector<int> delays = {400, 50, 300, 20, 200, 100, 250, 10, 150, 350};
    auto items = AddItems(delays);
    for (int width : {4, 1}) {
        SCOPED_TRACE(width);
        store.connection().Execute("delete from userdata");
        m_maxRunning = 0;
        m_announced.clear();
        m_connections.clear();
        for (auto& item : items) {
            item->m_nNewCount = 0;
        }
        doc.SetParallelChecks(width);
        const auto begin = Clock::now();
        doc.CheckAll();
        doc.WaitForChecks();
        const auto took = Clock::now() - begin;

        EXPECT_EQ(m_maxRunning.load(), width);
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
        EXPECT_EQ(Announced(), Ids(items));
        for (const auto& item : items) {
            EXPECT_EQ(item->m_nNewCount, 3);
            const auto messages = store.Messages(item->messagetypeid);
            ASSERT_EQ(messages.size(), 3u);
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(messages[i].SourceID, std::to_string(item->messagetypeid) + "-" + std::to_string(i));
            }
        }
        EXPECT_EQ(doc.m_nUnreadCount, 30);
        EXPECT_EQ(run.GetStatusText(), kAllCheckedStatusText);
        if (width == 4) {
            EXPECT_LT(took, 1200ms); // one after the other takes 1.83 s
        } else {
            EXPECT_GE(took, 1800ms);
        }
    }
    // A second run finds what is stored already.
    doc.SetParallelChecks(8);
    doc.CheckAll();
    doc.WaitForChecks();
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), 30);
}

TEST_F(ParallelRun, StopEndsTheRunWithinASecondAndPassesOverTheRest)
{
    std::vector<int> delays(20, 60000);
    delays[3] = 0;
    auto items = AddItems(delays);
    doc.SetParallelChecks(8);
    doc.CheckAll();
    // Eight at work, the fourth ended and its thread on the ninth.
    const auto until = Clock::now() + 10s;
    while ((m_running.load() < 8 || Started().size() < 9) && Clock::now() < until) {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(m_running.load(), 8);
    // The status names an item being worked on, not the fourth, which ended at once.
    const std::string status = run.GetStatusText();
    EXPECT_EQ(status.rfind("正在检查项目", 0), 0u) << status;
    const auto stopAt = Clock::now();
    doc.RequestStop();
    doc.WaitForChecks();
    EXPECT_LT(Clock::now() - stopAt, 1s);
    EXPECT_EQ(Started().size(), 9u);
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), 3);
    EXPECT_FALSE(run.IsStopRequested());
}

TEST_F(ParallelRun, AnItemIsNeverCheckedTwiceAtOnceAlsoWhenTheListIsReloadedMidRun)
{
    auto items = AddItems({300, 300, 10, 10, 10, 10});
    doc.SetParallelChecks(2);
    doc.CheckAll();
    const auto until = Clock::now() + 10s;
    while (Started().size() < 2 && Clock::now() < until) {
        std::this_thread::sleep_for(2ms);
    }
    // Another program's edit: the list is read again, the same items as new records.
    ASSERT_TRUE(doc.LoadItems());
    doc.WaitForChecks();
    auto started = Started();
    std::sort(started.begin(), started.end());
    EXPECT_EQ(started, Ids(items));
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), 18);
}
