#pragma once
// A document on a real message.dat whose monitors are the test's own: every category with a
// monitor records its calls, holds the item `hold` until released or stopped, fails with "连接失败"
// while `failing` is set and otherwise stores one finding when `findings` is set. The check items
// run one after the other; the health changes the document announces are kept.
#include "app/CTarvoDoc.h"
#include "app/Settings.h"
#include "monitors/CheckContext.h"
#include "store/SourceRowInfo.h"
#include "support/RecordingPlayer.h"
#include "support/TestStore.h"
#include "support/WaitUntil.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <mutex>

class DocTest : public testing::Test
{
protected:
    DocTest() : doc(store.connection(), run, store.appDir(), player)
    {
        doc.ApplySettings(settings);
        doc.SetParallelChecks(1); // ParallelRun tests the checks of several items at once
        doc.SetHealthChangedListener([this](const HealthChange& change) {
            std::lock_guard guard(m_lock);
            m_changes.push_back(change);
        });
        for (int category : {kCategoryDatabase, kCategoryWebPage, kCategoryFtp, kCategoryMail, kCategoryBroadcast}) {
            doc.SetMonitor(category, [this](CheckContext& context, MessageTypeInfo& item) {
                std::unique_lock lock(m_lock);
                m_calls.push_back(item.messagetypeid);
                m_byTimer.push_back(context.byTimer);
                m_changed.notify_all();
                while (m_hold == item.messagetypeid && !context.run.IsStopRequested()) {
                    m_changed.wait_for(lock, std::chrono::milliseconds(5)); // a stop request does not notify
                }
                if (failing) {
                    context.run.SetErrorText("连接失败");
                    return 0;
                }
                SourceRowInfo row;
                row.ID = std::to_string(m_calls.size());
                return findings && row.Insert(context.mainConnection, item) ? (++item.m_nNewCount, 1) : 0;
            });
        }
    }
    // A stored item in the document's list.
    ItemPtr AddItem(int category = kCategoryWebPage, int checkInterval = MessageTypeInfo().CheckInterval)
    {
        MessageTypeInfo item;
        item.MessageCategory = category;
        item.CheckInterval = checkInterval;
        auto added = std::make_shared<MessageTypeInfo>(store.AddItem(item));
        doc.AddItem(added);
        return added;
    }
    std::vector<ItemPtr> AddItems(int count, int category = kCategoryWebPage)
    {
        std::vector<ItemPtr> items(static_cast<size_t>(count));
        std::ranges::generate(items, [&] { return AddItem(category); });
        return items;
    }
    void Hold(int itemId)
    {
        std::lock_guard guard(m_lock);
        m_hold = itemId;
        m_changed.notify_all();
    }
    // Holds the item and starts a run, returning once the run has reached the item.
    void HoldAndRunUpTo(int itemId)
    {
        Hold(itemId);
        doc.CheckAll();
        std::unique_lock lock(m_lock);
        ASSERT_TRUE(m_changed.wait_for(lock, kGenerousWait, [&] { return std::ranges::count(m_calls, itemId) > 0; }));
    }
    std::vector<int> Calls()
    {
        std::lock_guard guard(m_lock);
        return m_calls;
    }
    int CallsOf(int itemId)
    {
        std::lock_guard guard(m_lock);
        return static_cast<int>(std::ranges::count(m_calls, itemId));
    }
    std::vector<HealthState> Changes()
    {
        std::lock_guard guard(m_lock);
        std::vector<HealthState> states;
        for (const auto& change : m_changes) {
            states.push_back(change.to);
        }
        return states;
    }
    void RunAllAndWait(bool byTimer = false)
    {
        doc.CheckAll(byTimer);
        doc.WaitForChecks();
    }

    TestStore store;
    CRunState run;
    std::shared_ptr<RecordingPlayer> player = std::make_shared<RecordingPlayer>();
    Settings settings; // what the document is handed, it keeps reading
    std::atomic<bool> findings{false};
    std::atomic<bool> failing{false};
    std::atomic<std::int64_t> now{0}; // a wall clock for the tests that hand one to the document
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<int> m_calls;
    std::vector<bool> m_byTimer;
    std::vector<HealthChange> m_changes;
    int m_hold = -1;
    CTarvoDoc doc; // last: its workers end before the monitor's state goes
};
