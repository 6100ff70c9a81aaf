#include "MessageStore.h"
#include "app/UiLanguage.h"
#include "store/SortKeys.h"

#include <sqlite3.h>
#include <sstream>

namespace {

// 250 records: every third of item B, the rest of item A; those whose key divides by 4 are read.
// Senders run through "b", "A", "c" (mixed case), subjects count down.
class MessageOperations : public MessageStore
{
protected:
    void SetUp() override
    {
        MessageStore::SetUp();
        store.connection().Execute("begin");
        for (int i = 1; i <= 250; ++i) {
            Add(i % 3 == 0 ? itemB : itemA, "it's " + std::to_string(1000 - i), {}, std::string(1, "bAc"[i % 3]));
        }
        store.connection().Execute("update userdata set status=1 where id % 4 = 0");
        store.connection().Execute("commit");
    }
    int Unread(int itemId)
    {
        const UnreadCounts counts = Ok(messages.CountUnread(error));
        return itemId == 0 ? counts.total : (counts.byItem.contains(itemId) ? counts.byItem.at(itemId) : 0);
    }
};

} // namespace

TEST_F(MessageOperations, PagesFilterByItemAndReadStateAndASortOrdersTheWholeListAcrossPages)
{
    MessageQuery query{.readFilter = kFilterUnread, .itemId = itemB.messagetypeid, .page = 9};
    const MessagePage page = Ok(messages.Page(query, error));
    // Item B holds the 83 multiples of 3; those of 12 are read.
    EXPECT_EQ(std::tuple(page.page, page.pageCount, page.totalCount), std::tuple(1, 1, 83 - 20));
    EXPECT_TRUE(std::ranges::all_of(page.rows, [&](const auto& r) { return r.status == 0 && r.ID % 3 == 0; }));
    store.connection().Execute("delete from userdata where messagetypeid=" + std::to_string(itemB.messagetypeid));
    const MessagePage none = Ok(messages.Page(query, error));
    EXPECT_EQ(std::tuple(none.page, none.pageCount, none.rows.size()), std::tuple(1, 0, 0u)); // page one of none

    // The list's own order: unread first, newest first.
    const std::vector<MessageListInfo> own = AllPages({});
    ASSERT_EQ(own.size(), 250u - 83);
    EXPECT_TRUE(std::ranges::is_sorted(
        own, [](const auto& a, const auto& b) { return std::pair(a.status, -a.ID) < std::pair(b.status, -b.ID); }));

    // The subject sorts the whole list: page 1 begins with the smallest subject of all 250, and
    // the pages joined (the last ones read from the other end) are in order.
    query = {.order = {5, false}};
    const std::vector<MessageListInfo> bySubject = AllPages(query);
    ASSERT_EQ(bySubject.size(), own.size());
    EXPECT_EQ(bySubject.front().SourceInfo, "it's 750");
    EXPECT_TRUE(std::ranges::is_sorted(bySubject, {}, &MessageListInfo::SourceInfo));
    query.order.descending = true;
    std::vector<int> reversed = Ids(AllPages(query));
    std::ranges::reverse(reversed);
    EXPECT_EQ(reversed, Ids(bySubject));

    // The sender without regard to letter case; equal senders newest first (read or not: the
    // column's index leaves the read state out).
    query.order = {3, false};
    const std::vector<MessageListInfo> bySender = AllPages(query);
    std::vector<MessageListInfo> expected = own;
    std::ranges::sort(expected, {}, [](const auto& r) {
        return std::pair(r.SourceFromName == "A" ? std::string("a") : r.SourceFromName, -r.ID);
    });
    EXPECT_EQ(Ids(bySender), Ids(expected));

    // The date column puts the latest first.
    store.connection().Execute("update userdata set RecieveDate='2030-01-01 00:00:00' where id=7");
    query.order = {2, false};
    query.page = 1;
    EXPECT_EQ(messages.Page(query, error)->rows.front().ID, 7);
}

TEST_F(MessageOperations, ChineseSortsInPinyinOrderAfterLatinTextWhichKeepsItsCaseFoldedOrder)
{
    SetUpLanguage(kUiLanguageChinese); // installs the Chinese collator, as both programs do at start
    store.connection().Execute("delete from userdata");
    for (const char* sender : {"张三", "b", "李四", "王五", "A", "赵六", "张三丰"}) {
        Add(itemA, "", {}, sender);
    }
    std::vector<std::string> senders;
    for (const auto& row : AllPages({.order = {3, false}})) {
        senders.push_back(row.SourceFromName);
    }
    EXPECT_EQ(senders, (std::vector<std::string>{"A", "b", "李四", "王五", "张三", "张三丰", "赵六"}));
}

// A text sort reads the stored keys once every record has its keys in the list's order; the pages
// are those of the sort by the texts themselves, whichever filter, direction and column, and stay
// so while another program (without the application's functions) writes records.
TEST_F(MessageOperations, TextSortsByStoredKeysGiveThePagesOfTheTextOrderWhileOtherProgramsWrite)
{
    SetUpLanguage(kUiLanguageChinese);
    // The texts between the '|': an empty one, stray bytes, a character beyond 16 bits, a combining accent.
    std::istringstream texts("张三|b|李四|A|张三丰||a|Ab|é|E|\xff\xfe stray|重庆|zhang|\xf0\xa0\x80\x80 "
                             "ext|张|10|9|中文 and 汉字|Ａ|è|e\xcc\x81");
    for (std::string text; std::getline(texts, text, '|');) {
        Add(itemA, text, {}, text);
        Add(itemB, text + "!", {}, text);
    }
    store.connection().Execute("update userdata set SourceFromName=null, SourceInfo=null where id in (3, 260)");
    auto everyOrder = [&](const char* what) {
        std::vector<std::vector<int>> pages;
        for (int column : {1, 3, 5, 7}) {
            for (bool descending : {false, true}) {
                for (auto [filter, item] : {std::pair(kFilterAll, 0), std::pair(kFilterUnread, 0),
                                            std::pair(kFilterAll, itemB.messagetypeid)}) {
                    pages.push_back(
                        Ids(AllPages({.readFilter = filter, .itemId = item, .order = {column, descending}})));
                    EXPECT_EQ(SortKeysReady(store.connection()), std::string(what) == "by keys") << column;
                }
            }
        }
        return pages;
    };
    const auto byKeys = everyOrder("by keys");
    // Keys of another order are never read; the pages are sorted by the texts.
    store.connection().Execute("update userdata_sortkeys_state set KeyOrder='another order'");
    EXPECT_EQ(everyOrder("by texts"), byKeys);
    ASSERT_TRUE(Ok(messages.MakeSortKeys(1000000, error)).Ready()) << "the keys are made again in the list's order";

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open((store.appDir() + "message.dat").c_str(), &other), SQLITE_OK);
    for (const char* sql :
         {"insert into userdata (MessageTypeID, SourceFromName, SourceInfo) select MessageTypeID, "
          "'李', '李' from userdata where id=5",
          "update userdata set SourceFromName='Zz', SourceInfo='Zz' where id=7",
          "update userdata set MessageTypeName='品' where id=9", "delete from userdata where id=11"}) {
        char* message = nullptr;
        EXPECT_EQ(sqlite3_exec(other, sql, nullptr, nullptr, &message), SQLITE_OK) << (message ? message : sql);
        sqlite3_free(message);
    }
    sqlite3_close(other);
    std::vector<int> restored;
    ASSERT_TRUE(messages.Delete({13, 15}, error) && messages.Undo(restored, error)) << error;
    ASSERT_TRUE(messages.Delete({17}, error)) << error;
    const auto afterOthers = everyOrder("by keys");
    store.connection().Execute("update userdata_sortkeys_state set KeyOrder='another order'");
    EXPECT_EQ(everyOrder("by texts"), afterOthers);
    EXPECT_EQ(afterOthers.front().size(), 250u + 42 + 1 - 2);
}

TEST_F(MessageOperations, MarksSelectedRecordsAnItemOrAllAndRefusesProtectedOnes)
{
    EXPECT_EQ(Unread(0), 250 - 62);
    store.connection().Execute("update userdata set bCanChangeState=0 where id=3");
    std::vector<MessageListInfo> selected(4); // unread, read, protected, none
    for (auto [record, id] : {std::pair(&selected[0], 250), std::pair(&selected[1], 248), std::pair(&selected[2], 3),
                              std::pair(&selected[3], 999)}) {
        bool found = false;
        ASSERT_TRUE(messages.ListRecord(id, *record, found, error)) << error;
        EXPECT_EQ(found, id != 999);
    }
    const ReadStateChange toggled = Ok(messages.SetReadState({&selected[0], &selected[1], &selected[2]}, -1, error));
    EXPECT_EQ(toggled.changed, (std::vector<MessageListInfo*>{&selected[0], &selected[1]}));
    EXPECT_EQ(toggled.refused, std::vector<int>{3});
    EXPECT_EQ(std::tuple(selected[0].status, selected[1].status, selected[2].status), std::tuple(1, 0, 0));
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata where status=1 and id in (250, 3)"), 1);
    EXPECT_EQ(store.QueryNumber("select status from userdata where id=248"), 0);

    // Marking all moves the kept counts itself (with the triggers off): they stay those of the
    // records, and the triggers keep them again afterwards.
    const auto countsOff = [this] {
        return store.QueryNumber("select count(*) from (select MessageTypeID, status, n from userdata_counts where "
                                 "n<>0 except select ifnull(MessageTypeID, 0), status, count(*) from userdata group by "
                                 "1, 2)") +
               store.QueryNumber("select count(*) from (select ifnull(MessageTypeID, 0), status, count(*) from "
                                 "userdata group by 1, 2 except select MessageTypeID, status, n from userdata_counts)");
    };
    store.connection().Execute("update userdata set MessageTypeID=null where id=1");
    ASSERT_TRUE(messages.SetAllRead(itemB.messagetypeid, true, error)) << error;
    EXPECT_EQ(Unread(itemB.messagetypeid), 0);
    EXPECT_GT(Unread(itemA.messagetypeid), 0);
    EXPECT_EQ(countsOff(), 0);
    ASSERT_TRUE(messages.SetAllRead(0, false, error));
    EXPECT_EQ(Unread(0), 250);
    ASSERT_TRUE(messages.SetAllRead(0, true, error));
    EXPECT_EQ(Unread(0), 0);
    EXPECT_EQ(countsOff(), 0);
    store.connection().Execute("update userdata set status=0 where id in (1, 2)");
    store.connection().Execute("insert into userdata (MessageTypeID, status) values (" +
                               std::to_string(itemA.messagetypeid) + ", 0)");
    EXPECT_EQ(std::tuple(Unread(0), countsOff()), std::tuple(3, 0));
    ASSERT_TRUE(messages.SetAllRead(0, false, error));
    EXPECT_EQ(countsOff(), 0);

    // A write the database refuses changes nothing and says why.
    store.connection().Execute("create trigger refuse before update on userdata when new.id=250 begin "
                               "select raise(abort, 'refused here'); end");
    std::vector<MessageListInfo> two(2);
    two[0].ID = 249;
    two[1].ID = 250;
    EXPECT_FALSE(messages.SetReadState({&two[0], &two[1]}, 1, error));
    EXPECT_NE(error.find("refused here"), std::string::npos) << error;
    EXPECT_EQ(store.QueryNumber("select status from userdata where id=249"), 0) << "all or nothing";
}

TEST_F(MessageOperations, DeletedFindingsStayDeletedAndTheLastDeletionComesBackWhole)
{
    SourceRowInfo first;
    first.ID = "1";
    ASSERT_EQ(first.IsKnown(store.connection(), itemA), 1);
    ASSERT_TRUE(store.connection().Execute("update userdata set SourceContent='body' where id=4"));
    const int unread = Unread(itemA.messagetypeid);
    ASSERT_TRUE(messages.Delete({1, 2, 4}, error)) << error;
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), 247);
    EXPECT_FALSE(messages.Message(1, error));
    EXPECT_EQ(first.IsKnown(store.connection(), itemA), 1) << "a deleted finding is not new";
    first.FromDate = "changed since";
    EXPECT_EQ(first.IsKnown(store.connection(), itemA), 0) << "a finding that changed after its deletion is";
    EXPECT_EQ(Unread(itemA.messagetypeid), unread - 2);
    EXPECT_EQ(messages.UndoableCount(error), std::optional<int>(3));

    std::vector<int> restored;
    ASSERT_TRUE(messages.Undo(restored, error)) << error;
    EXPECT_EQ(restored, (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(Unread(itemA.messagetypeid), unread);
    const MessageInfo message = Ok(messages.Message(4, error));
    EXPECT_EQ(std::tuple(message.status, message.SourceInfo, message.SourceContent, message.connAddress),
              std::tuple(1, std::string("it's 996"), std::string("body"), std::string("http://a.example/")));
    EXPECT_EQ(message.RecieveDate.find("年"), 4u) << message.RecieveDate;
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata_deleted"), 0) << "restored keys are forgotten";
    ASSERT_TRUE(messages.Undo(restored, error)) << error;
    EXPECT_TRUE(restored.empty()) << "one undo per deletion";

    // Only the last deletion comes back; a deleted item takes its remembered findings along.
    ASSERT_TRUE(messages.Delete({5}, error) && messages.Delete({7, 6}, error)) << error;
    ASSERT_EQ(itemA.Delete(store.connection()), 1);
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata_deleted"), 1) << "item B's key 6 stays";
    ASSERT_TRUE(messages.Undo(restored, error)) << error;
    EXPECT_EQ(restored, std::vector<int>{6});
}

TEST_F(MessageOperations, WhatARunStoredRecordByRecordAndPerItem)
{
    const long long newest = Ok(messages.NewestMessageId(error));
    ASSERT_EQ(newest, 250);
    for (const MessageTypeInfo* item : {&itemB, &itemA, &itemB}) {
        Add(*item, "new of " + item->MessageTypeName);
    }
    const auto records = Ok(messages.StoredSince(newest, error));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(std::tuple(records.front().id, records.front().itemName, records.front().info),
              std::tuple(251, std::string("B"), std::string("new of B")));

    // Per item, in the order of each item's first new record, under the item's present name.
    store.connection().Execute("update usermessagetype set MessageTypeName='B2' where messagetypeid=" +
                               std::to_string(itemB.messagetypeid));
    const auto counts = Ok(messages.StoredCountsSince(newest, error));
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(std::tuple(counts[0].itemName, counts[0].count, counts[1].itemName, counts[1].count),
              std::tuple(std::string("B2"), 2, std::string("A"), 1));
    EXPECT_TRUE(messages.StoredCountsSince(253, error)->empty());
}
