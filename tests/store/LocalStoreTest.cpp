#include "store/CAdoRecordset.h"
#include "store/ExcludeTable.h"
#include "store/LocalDatabase.h"
#include "store/MessageInfo.h"
#include "store/MessageTable.h"
#include "store/SourceRowInfo.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

MessageTypeInfo QuotedItem()
{
    MessageTypeInfo item;
    item.MessageTypeName = "O'Brien's 测试";
    item.MessageTypeUser = "u'1";
    item.connAddress = "HTTP://h/'a'.htm";
    item.UserName = "it's";
    item.Password = "p'w''";
    item.ViewName = "v'";
    item.About = "about 'x'";
    item.IncludeFrom = "<div class='a'>";
    item.IncludeTo = "</div>'";
    item.notifysound = "sound/it's.wav";
    item.MessageCategory = kCategoryWebPage;
    return item;
}

SourceRowInfo Finding(const std::string& id, const std::string& date)
{
    SourceRowInfo row;
    row.ID = id;
    row.FromDate = date;
    row.Info = "title '" + id + "'";
    row.Content = "three little words";
    row.FromName = "O'Hara";
    row.Link = "http://x/'y'";
    return row;
}

} // namespace

TEST(CheckItemTable, EveryTextFieldRoundTripsWithQuotesByInsertAndUpdate)
{
    TestStore store;
    MessageTypeInfo item = store.AddItem(QuotedItem());
    ASSERT_GT(item.messagetypeid, 0);
    EXPECT_TRUE(store.reporter().Texts().empty());

    auto load = [&](int id) {
        CAdoRecordset rs(store.connection());
        EXPECT_TRUE(rs.Open("select * from usermessagetype where messagetypeid=" + std::to_string(id)));
        MessageTypeInfo loaded;
        EXPECT_TRUE(loaded.LoadFromRecordset(rs));
        return loaded;
    };
    MessageTypeInfo loaded = load(item.messagetypeid);
    const MessageTypeInfo expected = QuotedItem();
    for (auto field :
         {&MessageTypeInfo::MessageTypeName, &MessageTypeInfo::MessageTypeUser, &MessageTypeInfo::connAddress,
          &MessageTypeInfo::UserName, &MessageTypeInfo::Password, &MessageTypeInfo::ViewName, &MessageTypeInfo::About,
          &MessageTypeInfo::IncludeFrom, &MessageTypeInfo::IncludeTo, &MessageTypeInfo::notifysound}) {
        EXPECT_EQ(loaded.*field, expected.*field);
    }
    EXPECT_EQ(loaded.m_nLoadedId, item.messagetypeid);
    EXPECT_EQ(loaded.OwnerUserID, 88);
    EXPECT_EQ(loaded.bCanChangeState, 1);

    loaded.Password = "new 'one'";
    loaded.state = 0;
    EXPECT_EQ(loaded.Save(store.connection()), 1);
    MessageTypeInfo again = load(item.messagetypeid);
    EXPECT_EQ(again.Password, "new 'one'");
    EXPECT_EQ(again.state, 0);
    EXPECT_EQ(store.QueryNumber("select count(*) from usermessagetype"), 1);
}

TEST(CheckItemTable, SecondItemOfTheSameNameGetsTheLargerKey)
{
    TestStore store;
    MessageTypeInfo a;
    a.MessageTypeName = "测试";
    MessageTypeInfo first = store.AddItem(a);
    MessageTypeInfo second = store.AddItem(a);
    EXPECT_GT(second.messagetypeid, first.messagetypeid);
}

TEST(CheckItemTable, DeleteRemovesMessagesButKeepsExclusionRows)
{
    TestStore store;
    MessageTypeInfo item = store.AddItem(QuotedItem());
    ASSERT_TRUE(Finding("1", "d").Insert(store.connection(), item));
    ASSERT_TRUE(SaveExcludeRanges(store.connection(), item.messagetypeid, {{0, "a'", "b"}}));
    EXPECT_EQ(item.Delete(store.connection()), 1);
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), 0);
    EXPECT_EQ(store.QueryNumber("select count(*) from userHttpExclude"), 1);
    // The row is gone already: the message records are still deleted.
    ASSERT_TRUE(Finding("2", "d").Insert(store.connection(), item));
    EXPECT_EQ(item.Delete(store.connection()), 1);
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), 0);
}

TEST(CheckItemTable, CountUnreadCountsOnlyUnreadRowsOfTheItem)
{
    TestStore store;
    MessageTypeInfo item = store.AddItem(QuotedItem());
    MessageTypeInfo other = store.AddItem(QuotedItem());
    EXPECT_EQ(item.CountUnread(store.connection()), 0);
    for (int i = 0; i < 3; ++i) {
        Finding(std::to_string(i), "d").Insert(store.connection(), item);
    }
    Finding("x", "d").Insert(store.connection(), other);
    ASSERT_TRUE(SetMessageStatus(store.connection(), 1, 1));
    EXPECT_EQ(item.CountUnread(store.connection()), 2);
    EXPECT_EQ(item.m_nUnreadCount, 2);
    ASSERT_TRUE(SetAllRead(store.connection(), &item, true));
    EXPECT_EQ(item.CountUnread(store.connection()), 0);
    EXPECT_EQ(other.CountUnread(store.connection()), 1);
    ASSERT_TRUE(SetAllRead(store.connection(), nullptr, false));
    EXPECT_EQ(item.CountUnread(store.connection()), 3);
}

TEST(MessageTable, DuplicateTestFollowsIdentityAndDate)
{
    TestStore store;
    MessageTypeInfo item = store.AddItem(QuotedItem());
    SourceRowInfo row = Finding("it's", "2024年01月02日-03:04");
    EXPECT_EQ(row.IsKnown(store.connection(), item), 0);
    ASSERT_EQ(row.Insert(store.connection(), item), 1);
    EXPECT_EQ(row.IsKnown(store.connection(), item), 1);
    row.FromDate = "2024年01月02日-03:05";
    EXPECT_EQ(row.IsKnown(store.connection(), item), 0);
    // Another item never knows this finding.
    MessageTypeInfo other = store.AddItem(QuotedItem());
    row.FromDate = "2024年01月02日-03:04";
    EXPECT_EQ(row.IsKnown(store.connection(), other), 0);
    EXPECT_TRUE(store.reporter().Texts().empty());
}

TEST(MessageTable, FtpFindingsAreKnownByFileNameEvenWithQuotes)
{
    TestStore store;
    MessageTypeInfo ftp;
    ftp.MessageCategory = kCategoryFtp;
    ftp = store.AddItem(ftp);
    SourceRowInfo row;
    row.Info = "don't.txt";
    row.FromDate = "2024年01月02日-03:04";
    ASSERT_EQ(row.Insert(store.connection(), ftp), 1);
    EXPECT_EQ(row.IsKnown(store.connection(), ftp), 1);
}

TEST(MessageTable, StoredRecordLoadsBackExactly)
{
    TestStore store;
    MessageTypeInfo item = store.AddItem(QuotedItem());
    SourceRowInfo row = Finding("7", "未知");
    row.Content = "  <b>it's</b>\n";
    row.ToName = "To 'n'";
    ASSERT_EQ(row.Insert(store.connection(), item), 1);
    MessageInfo message;
    ASSERT_TRUE(message.LoadById(store.connection(), 1));
    EXPECT_EQ(message.SourceContent, "<b>it's</b>");
    EXPECT_EQ(message.SourceInfo, row.Info);
    EXPECT_EQ(message.SourceFromName, "O'Hara");
    EXPECT_EQ(message.SourceToName, "To 'n'");
    EXPECT_EQ(message.SourceLink, row.Link);
    EXPECT_EQ(message.UserName, "morvaten");
    EXPECT_EQ(message.UserID, 88);
    EXPECT_EQ(message.status, 0);
    EXPECT_EQ(message.MessageCategory, kCategoryWebPage);
    EXPECT_EQ(message.m_strCategoryName, "网页监视");
    EXPECT_EQ(message.connAddress, item.connAddress);
    // RecieveDate comes from the database, in the finding date format.
    EXPECT_EQ(message.RecieveDate.size(), std::string("2024年01月02日-03:04").size());
    EXPECT_NE(message.RecieveDate.find("年"), std::string::npos);
    EXPECT_TRUE(store.reporter().Texts().empty());

    MessageInfo missing;
    EXPECT_FALSE(missing.LoadById(store.connection(), 99));
    EXPECT_FALSE(store.reporter().Texts().empty());
}

TEST(ExclusionTable, RangesWithQuotesAreReplacedAsAWhole)
{
    TestStore store;
    ASSERT_TRUE(SaveExcludeRanges(store.connection(), 5, {{0, "<a href='x'>", "</a>"}, {0, "", "end'"}}));
    auto ranges = LoadExcludeRanges(store.connection(), 5);
    ASSERT_TRUE(ranges);
    ASSERT_EQ(ranges->size(), 2u);
    EXPECT_EQ((*ranges)[0].excludeFrom, "<a href='x'>");
    EXPECT_EQ((*ranges)[1].excludeTo, "end'");
    ASSERT_TRUE(SaveExcludeRanges(store.connection(), 5, {}));
    EXPECT_TRUE(LoadExcludeRanges(store.connection(), 5)->empty());
}

TEST(LocalDatabase, IsCreatedPrivateAndNeverRebuilt)
{
    TempDir dir;
    const std::string path = dir.path() + "message.dat";
    std::string error;
    ASSERT_TRUE(EnsureLocalDatabase(path, error)) << error;
    struct stat st
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    {
        CAdoConnection connection;
        ASSERT_TRUE(connection.Open("DBQ=" + path + ";DRIVER={SQLite3}"));
        ASSERT_TRUE(connection.Execute("insert into userdata (status) values (0)"));
    }
    ASSERT_TRUE(EnsureLocalDatabase(path, error));
    CAdoConnection connection;
    ASSERT_TRUE(connection.Open("DBQ=" + path + ";DRIVER={SQLite3}"));
    CAdoRecordset rs(connection);
    ASSERT_TRUE(rs.Open("select * from userdata"));
    EXPECT_EQ(rs.GetRecordCount(), 1);
}
