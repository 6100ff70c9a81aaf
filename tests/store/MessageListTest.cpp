#include "store/MessageList.h"

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

// 250 records, every third of item B, the rest of item A; those whose id divides by 4 are read.
class MessageList : public testing::Test
{
protected:
    void SetUp() override
    {
        itemA.MessageTypeName = "a";
        itemA = store.AddItem(itemA);
        itemB = store.AddItem(itemA);
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
    // Every page of every filter and item equals the page read through the recordset, at every boundary.
    void ExpectPagesEqualTheRecordsetPaging(const std::vector<long>& pageSizes, const std::vector<long>& pages)
    {
        for (int filter : {kFilterAll, kFilterUnread, kFilterRead}) {
            for (const MessageTypeInfo* item : std::initializer_list<const MessageTypeInfo*>{nullptr, &itemA, &itemB}) {
                for (long pageSize : pageSizes) {
                    for (long page : pages) {
                        MessagePage fast, slow;
                        ASSERT_TRUE(LoadMessagePage(store.connection(), filter, item, page, pageSize, fast));
                        ASSERT_TRUE(
                            LoadMessagePageFromRecordset(store.connection(), filter, item, page, pageSize, slow));
                        SCOPED_TRACE(testing::Message()
                                     << "filter " << filter << " item " << (item ? item->messagetypeid : 0) << " size "
                                     << pageSize << " page " << page);
                        EXPECT_EQ(Ids(fast), Ids(slow));
                        EXPECT_EQ(std::tuple(fast.page, fast.pageCount, fast.totalCount),
                                  std::tuple(slow.page, slow.pageCount, slow.totalCount));
                    }
                }
            }
        }
    }
    TestStore store;
    MessageTypeInfo itemA, itemB;
};

} // namespace

TEST_F(MessageList, PagesEqualTheRecordsetPagingAtEveryBoundaryAndKeptCountsFollowEveryChange)
{
    ExpectPagesEqualTheRecordsetPaging({1, 7, 100, 250, 1000}, {-3, 0, 1, 2, 3, 4, 36, 37, 83, 84, 250, 251, 100000});
    const std::string b = std::to_string(itemB.messagetypeid);
    store.connection().Execute("update userdata set status=1 where id between 1 and 20");
    store.connection().Execute("update userdata set messagetypeid=" + b + " where id between 30 and 40");
    store.connection().Execute("delete from userdata where id % 7 = 0");
    store.connection().Execute("update userdata set status=status where id < 100");
    ExpectPagesEqualTheRecordsetPaging({10}, {1});
    EXPECT_EQ(itemA.CountUnread(store.connection()),
              store.QueryNumber("select count(*) from userdata where status=0 and messagetypeid=" +
                                std::to_string(itemA.messagetypeid)));
    // A store made before the counts were kept is counted row by row.
    store.connection().Execute("drop table userdata_counts");
    ExpectPagesEqualTheRecordsetPaging({10}, {1});
    EXPECT_EQ(itemB.CountUnread(store.connection()),
              store.QueryNumber("select count(*) from userdata where status=0 and messagetypeid=" + b));
}
