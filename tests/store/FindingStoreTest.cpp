// The store of a check's findings: slices of bounded size that give a waiting window write its
// turn, each finding once, nothing for a deleted item, and a bounded wait for another program's
// write lock.
#include "store/FindingStore.h"

#include "store/DeletedFindings.h"
#include "store/SourceRowInfo.h"
#include "support/TestStore.h"
#include "support/WaitUntil.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace {

SourceRowInfo Row(int n)
{
    SourceRowInfo row;
    row.ID = std::to_string(n);
    row.FromDate = "2024年01月01日-10:00";
    row.Info = "通知 " + std::to_string(n);
    row.Content = std::string("it's <b>") + std::to_string(n) + "</b>";
    return row;
}

class FindingStoreTest : public testing::Test
{
protected:
    FindingStoreTest()
    {
        MessageTypeInfo item;
        item.MessageTypeName = "通知";
        m_item = store.AddItem(item);
    }
    TestStore store;
    MessageTypeInfo m_item;
};

} // namespace

TEST_F(FindingStoreTest, StoresEachFindingOnceInSlicesAndCountsOnlyWhatWasCommitted)
{
    constexpr int kRows = CFindingStore::kBatchRows * 2 + 500;
    {
        CFindingStore findings(store.connection(), m_item);
        for (int i = 0; i < kRows; ++i) {
            ASSERT_EQ(findings.StoreIfNew(Row(i)), CFindingStore::Outcome::Stored);
            // A duplicate inside the open slice is found as well.
            ASSERT_EQ(findings.StoreIfNew(Row(i)), CFindingStore::Outcome::Known);
        }
        // A finding still waiting for its statement is compared by its own date: a later one is new.
        SourceRowInfo later = Row(kRows - 1);
        later.FromDate = " 2024年01月03日-10:00";
        EXPECT_EQ(findings.StoreIfNew(later), CFindingStore::Outcome::Stored);
        later.FromDate = "2024年01月03日-10:00";
        EXPECT_EQ(findings.StoreIfNew(later), CFindingStore::Outcome::Known) << "compared trimmed, as stored";
        EXPECT_EQ(findings.StoreIfNew(Row(0)), CFindingStore::Outcome::Known) << "written slices ago";
        // Slices are committed as they fill or run out of time; the open one waits for the end.
        EXPECT_GT(findings.Committed(), kRows - CFindingStore::kBatchRows);
        EXPECT_TRUE(findings.Flush());
        EXPECT_EQ(findings.Committed(), kRows + 1);
    }
    EXPECT_EQ(m_item.m_nNewCount, kRows + 1);
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), kRows + 1);
    EXPECT_EQ(store.Messages(m_item.messagetypeid).back().SourceContent,
              "it's <b>" + std::to_string(kRows - 1) + "</b>");

    // A later date for the same identity is new again.
    CFindingStore again(store.connection(), m_item);
    SourceRowInfo changed = Row(7);
    changed.FromDate = "2024年01月02日-10:00";
    EXPECT_EQ(again.StoreIfNew(Row(8)), CFindingStore::Outcome::Known);
    EXPECT_EQ(again.StoreIfNew(changed), CFindingStore::Outcome::Stored);
    ASSERT_TRUE(again.Flush());

    // Findings remembered as deleted are known although the item has none stored.
    std::vector<int> ids;
    for (const auto& message : store.Messages(m_item.messagetypeid)) {
        ids.push_back(message.ID);
    }
    std::string error;
    ASSERT_TRUE(DeleteRemembering(store.connection(), ids, error)) << error;
    CFindingStore afterDeletion(store.connection(), m_item);
    EXPECT_EQ(afterDeletion.StoreIfNew(Row(9)), CFindingStore::Outcome::Known);
    EXPECT_EQ(afterDeletion.StoreIfNew(changed), CFindingStore::Outcome::Known);
}

TEST_F(FindingStoreTest, AnotherProgramsWriteLockIsWaitedForInBoundedRoundsAndItsDeletionOfTheItemHonoured)
{
    CAdoConnection other;
    ASSERT_TRUE(other.Open(store.connection().GetConnectionString()));
    ASSERT_TRUE(other.Execute("begin immediate"));
    CFindingStore findings(store.connection(), m_item);
    int rounds = 0;
    findings.SetKeepWaiting([&rounds] { return ++rounds < 3; });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(findings.StoreIfNew(Row(1)), CFindingStore::Outcome::Failed);
    EXPECT_TRUE(findings.Busy());
    EXPECT_EQ(rounds, 3);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20)); // rounds, not a hang
    // Meanwhile this program's connection was free for its other users.
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), 0);

    ASSERT_TRUE(other.Execute("commit"));
    EXPECT_EQ(findings.StoreIfNew(Row(1)), CFindingStore::Outcome::Stored);
    EXPECT_TRUE(findings.Flush());
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), 1);

    // Nothing is stored for an item the other program deleted.
    ASSERT_TRUE(other.Execute("delete from usermessagetype"));
    CFindingStore after(store.connection(), m_item);
    EXPECT_EQ(after.StoreIfNew(Row(2)), CFindingStore::Outcome::ItemGone);
    EXPECT_TRUE(after.Flush());
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), 1);
}

TEST_F(FindingStoreTest, AWaitingWindowWriteLandsBetweenTheSlicesOfALongStore)
{
    CAdoConnection window;
    window.SetWritePriority(true);
    window.SetBusyTimeout(std::chrono::seconds(20)); // the order is under test, not the time
    ASSERT_TRUE(window.Open(store.connection().GetConnectionString()));
    std::promise<void> sliceOpen;
    std::promise<void> windowWrote;
    std::thread check([&, wrote = windowWrote.get_future()] {
        CFindingStore findings(store.connection(), m_item);
        findings.StoreIfNew(Row(1)); // the slice holds the write lock from here
        sliceOpen.set_value();
        WaitUntil([] { return CAdoConnection::IsPriorityWriteWaiting(); }, std::chrono::seconds(10));
        findings.StoreIfNew(Row(2));              // the slice ends after this row
        wrote.wait_for(std::chrono::seconds(10)); // the rest goes on once the window's write has landed
        findings.StoreIfNew(Row(3));
    });
    EXPECT_EQ(sliceOpen.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_TRUE(window.Execute("update usermessagetype set MessageTypeName='读过' where messagetypeid=" +
                               std::to_string(m_item.messagetypeid)));
    const long long storedMeanwhile = store.QueryNumber("select count(*) from userdata");
    windowWrote.set_value();
    check.join();
    EXPECT_EQ(storedMeanwhile, 2) << "the write came between the slices, not after the store";
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), 3);
}

TEST_F(FindingStoreTest, AFullDiskEndsTheStoreAndWhatWasCommittedIsWhatIsCounted)
{
    // The file may grow by a few pages only: a statement of many rows meets the limit.
    const long long pages = store.QueryNumber("pragma page_count");
    ASSERT_TRUE(store.connection().Execute("pragma max_page_count=" + std::to_string(pages + 40)));
    CFindingStore findings(store.connection(), m_item);
    CFindingStore::Outcome outcome = CFindingStore::Outcome::Stored;
    for (int i = 0; i < CFindingStore::kBatchRows * 4 && outcome == CFindingStore::Outcome::Stored; ++i) {
        SourceRowInfo row = Row(i);
        row.Content.append(500, 'x');
        outcome = findings.StoreIfNew(row);
    }
    EXPECT_EQ(outcome, CFindingStore::Outcome::Failed);
    EXPECT_FALSE(findings.LastError().empty());
    findings.Flush(); // keeps what the slice held before the refused statement, as a check does
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), findings.Committed());
    EXPECT_EQ(m_item.m_nNewCount, findings.Committed());
    EXPECT_EQ(store.QueryNumber("select sum(n) from userdata_counts"), findings.Committed());
}
