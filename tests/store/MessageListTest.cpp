#include "store/MessageList.h"

#include "store/MessageTable.h"
#include "store/SourceRowInfo.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> Ids(const MessagePage& page)
{
    std::vector<int> ids;
    for (const auto& row : page.rows) {
        ids.push_back(row.ID);
    }
    return ids;
}

class MessageListPaging : public testing::Test
{
protected:
    void SetUp() override
    {
        MessageTypeInfo a, b;
        a.MessageTypeName = "a";
        b.MessageTypeName = "b";
        itemA = store.AddItem(a);
        itemB = store.AddItem(b);
        store.connection().Execute("begin");
        for (int i = 0; i < 250; ++i) {
            SourceRowInfo row;
            row.ID = std::to_string(i);
            row.Info = "it's " + std::to_string(i);
            row.Insert(store.connection(), i % 3 == 0 ? itemB : itemA);
        }
        store.connection().Execute("update userdata set status=1 where id % 4 = 0");
        store.connection().Execute("commit");
    }
    TestStore store;
    MessageTypeInfo itemA, itemB;
};

} // namespace

TEST(MessageListQuery, TextsAreTheListsOwn)
{
    MessageTypeInfo item;
    item.messagetypeid = 7;
    EXPECT_EQ(ListQueryText(kFilterUnread, &item),
              "select * from userdata where status=0  and  messagetypeid=7 order by status,-id ");
    EXPECT_EQ(ListQueryText(kFilterAll, nullptr), "select * from userdata where 1=1  order by status,-id");
    EXPECT_EQ(ListQueryText(kFilterRead, nullptr), "select * from userdata where status=1  order by status,-id");
}

TEST_F(MessageListPaging, PagesEqualTheRecordsetPagingAtEveryBoundary)
{
    for (int filter : {kFilterAll, kFilterUnread, kFilterRead}) {
        for (const MessageTypeInfo* item : std::vector<const MessageTypeInfo*>{nullptr, &itemA, &itemB}) {
            for (long pageSize : {1L, 7L, 100L, 250L, 1000L}) {
                for (long page : {-3L, 0L, 1L, 2L, 3L, 4L, 36L, 37L, 83L, 84L, 250L, 251L, 100000L}) {
                    MessagePage fast, slow;
                    ASSERT_TRUE(LoadMessagePage(store.connection(), filter, item, page, pageSize, fast));
                    ASSERT_TRUE(LoadMessagePageFromRecordset(store.connection(), filter, item, page, pageSize, slow));
                    SCOPED_TRACE(testing::Message()
                                 << "filter " << filter << " item " << (item ? item->messagetypeid : 0) << " size "
                                 << pageSize << " page " << page);
                    EXPECT_EQ(Ids(fast), Ids(slow));
                    EXPECT_EQ(fast.page, slow.page);
                    EXPECT_EQ(fast.pageCount, slow.pageCount);
                    EXPECT_EQ(fast.totalCount, slow.totalCount);
                }
            }
        }
    }
}

TEST_F(MessageListPaging, UnreadFirstNewestFirstInPagesOfTheGivenSize)
{
    MessagePage page;
    ASSERT_TRUE(LoadMessagePage(store.connection(), kFilterAll, nullptr, 1, 100, page));
    EXPECT_EQ(page.pageCount, 3);
    EXPECT_EQ(page.totalCount, 250);
    ASSERT_EQ(page.rows.size(), 100u);
    EXPECT_EQ(page.rows.front().ID, 250); // ids divisible by 4 are read
    EXPECT_EQ(page.rows.front().status, 0);
    ASSERT_TRUE(LoadMessagePage(store.connection(), kFilterAll, nullptr, 3, 100, page));
    ASSERT_EQ(page.rows.size(), 50u);
    EXPECT_EQ(page.rows.back().ID, 4);
    EXPECT_EQ(page.rows.back().status, 1);
    EXPECT_EQ(page.rows.back().SourceInfo, "it's 3");
}

TEST_F(MessageListPaging, NoMatchingRecordGivesPageOneAndNoRows)
{
    SetAllRead(store.connection(), nullptr, true);
    MessagePage page;
    ASSERT_TRUE(LoadMessagePage(store.connection(), kFilterUnread, nullptr, 5, 100, page));
    EXPECT_EQ(page.page, 1);
    EXPECT_EQ(page.pageCount, 0);
    EXPECT_TRUE(page.rows.empty());
}

TEST_F(MessageListPaging, KeptCountsFollowInsertsUpdatesAndDeletes)
{
    auto total = [&](int filter, const MessageTypeInfo* item) {
        MessagePage page;
        EXPECT_TRUE(LoadMessagePage(store.connection(), filter, item, 1, 10, page));
        MessagePage slow;
        EXPECT_TRUE(LoadMessagePageFromRecordset(store.connection(), filter, item, 1, 10, slow));
        EXPECT_EQ(page.totalCount, slow.totalCount);
        return page.totalCount;
    };
    store.connection().Execute("update userdata set status=1 where id between 1 and 20");
    store.connection().Execute("update userdata set messagetypeid=" + std::to_string(itemB.messagetypeid) +
                               " where id between 30 and 40");
    store.connection().Execute("delete from userdata where id % 7 = 0");
    store.connection().Execute("update userdata set status=status where id < 100");
    for (int filter : {kFilterAll, kFilterUnread, kFilterRead}) {
        total(filter, nullptr);
        total(filter, &itemA);
        total(filter, &itemB);
    }
    EXPECT_EQ(itemA.CountUnread(store.connection()),
              store.QueryNumber("select count(*) from userdata where status=0 and messagetypeid=" +
                                std::to_string(itemA.messagetypeid)));
    // A store made before the counts were kept is counted row by row.
    store.connection().Execute("drop table userdata_counts");
    EXPECT_EQ(total(kFilterUnread, &itemB), store.QueryNumber("select count(*) from userdata where status=0 and "
                                                             "messagetypeid=" +
                                                             std::to_string(itemB.messagetypeid)));
    EXPECT_EQ(itemA.CountUnread(store.connection()),
              store.QueryNumber("select count(*) from userdata where status=0 and messagetypeid=" +
                                std::to_string(itemA.messagetypeid)));
}
