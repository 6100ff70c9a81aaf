// The store of a check's findings: batches of bounded size, each finding once, nothing for a
// deleted item, and a bounded wait for another program's write lock.
#include "store/FindingStore.h"

#include "store/SourceRowInfo.h"
#include "support/TestStore.h"

#include <chrono>
#include <gtest/gtest.h>

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

TEST_F(FindingStoreTest, StoresEachFindingOnceInBatchesAndCountsOnlyWhatWasCommitted)
{
    constexpr int kRows = CFindingStore::kBatchRows * 2 + 500;
    {
        CFindingStore findings(store.connection(), m_item);
        for (int i = 0; i < kRows; ++i) {
            ASSERT_EQ(findings.StoreIfNew(Row(i)), CFindingStore::Outcome::Stored);
            // A duplicate inside the open batch is found as well.
            ASSERT_EQ(findings.StoreIfNew(Row(i)), CFindingStore::Outcome::Known);
        }
        // Full batches are committed as they fill; the rest waits for the end.
        EXPECT_EQ(findings.Committed(), CFindingStore::kBatchRows * 2);
        EXPECT_TRUE(findings.Flush());
        EXPECT_EQ(findings.Committed(), kRows);
    }
    EXPECT_EQ(m_item.m_nNewCount, kRows);
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), kRows);
    EXPECT_EQ(store.Messages(m_item.messagetypeid).back().SourceContent,
              "it's <b>" + std::to_string(kRows - 1) + "</b>");

    // A later date for the same identity is new again.
    CFindingStore again(store.connection(), m_item);
    SourceRowInfo changed = Row(7);
    changed.FromDate = "2024年01月02日-10:00";
    EXPECT_EQ(again.StoreIfNew(Row(8)), CFindingStore::Outcome::Known);
    EXPECT_EQ(again.StoreIfNew(changed), CFindingStore::Outcome::Stored);
}

TEST_F(FindingStoreTest, NothingIsStoredForAnItemAnotherProgramDeleted)
{
    CAdoConnection other;
    ASSERT_TRUE(other.Open(store.connection().GetConnectionString()));
    ASSERT_TRUE(other.Execute("delete from usermessagetype"));
    CFindingStore findings(store.connection(), m_item);
    EXPECT_EQ(findings.StoreIfNew(Row(1)), CFindingStore::Outcome::ItemGone);
    EXPECT_TRUE(findings.Flush());
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), 0);
}

TEST_F(FindingStoreTest, AnotherProgramsWriteLockIsWaitedForInBoundedRoundsThatAStopEnds)
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
}
