#include "store/CAdoRecordset.h"
#include "store/ExcludeTable.h"
#include "store/LocalDatabase.h"
#include "store/MessageInfo.h"
#include "store/MessageTable.h"
#include "store/SortKeys.h"
#include "store/SourceRowInfo.h"
#include "support/TestStore.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

const std::vector<std::string MessageTypeInfo::*> kTextFields = {
    &MessageTypeInfo::MessageTypeName, &MessageTypeInfo::MessageTypeUser, &MessageTypeInfo::connAddress,
    &MessageTypeInfo::UserName,        &MessageTypeInfo::Password,        &MessageTypeInfo::ViewName,
    &MessageTypeInfo::About,           &MessageTypeInfo::IncludeFrom,     &MessageTypeInfo::IncludeTo,
    &MessageTypeInfo::notifysound};

// A web item with a quote in every text field.
MessageTypeInfo QuotedItem()
{
    MessageTypeInfo item;
    for (size_t i = 0; i < kTextFields.size(); ++i) {
        item.*kTextFields[i] = "it's '" + std::to_string(i) + "' 测试";
    }
    item.MessageCategory = kCategoryWebPage;
    return item;
}

SourceRowInfo Finding(const std::string& id, const std::string& date = "2024年01月02日-03:04")
{
    SourceRowInfo row;
    row.ID = id;
    row.FromDate = date;
    row.Info = "title '" + id + "'";
    row.FromName = "O'Hara";
    row.Link = "http://x/'y'";
    return row;
}

MessageTypeInfo Load(TestStore& store, int id)
{
    CAdoRecordset rs(store.connection());
    EXPECT_TRUE(rs.Open("select * from usermessagetype where messagetypeid=" + std::to_string(id)));
    MessageTypeInfo loaded;
    EXPECT_TRUE(loaded.LoadFromRecordset(rs));
    return loaded;
}

} // namespace

TEST(CheckItemTable, EveryTextFieldRoundTripsWithQuotesByInsertAndUpdateAndAFailedInsertKeepsKeyZero)
{
    TestStore store;
    const MessageTypeInfo item = store.AddItem(QuotedItem());
    MessageTypeInfo loaded = Load(store, item.messagetypeid);
    for (auto field : kTextFields) {
        EXPECT_EQ(loaded.*field, item.*field);
    }
    EXPECT_EQ(std::tuple(loaded.m_nLoadedId, loaded.OwnerUserID, loaded.bCanChangeState),
              std::tuple(item.messagetypeid, 88, 1));
    // The key of a new item is found by its name: a second item of the same name gets the larger one.
    EXPECT_GT(store.AddItem(QuotedItem()).messagetypeid, item.messagetypeid);

    loaded.Password = "new 'one'";
    loaded.state = 0;
    EXPECT_EQ(loaded.Save(store.connection()), 1);
    const MessageTypeInfo again = Load(store, item.messagetypeid);
    EXPECT_EQ(std::pair(again.Password, again.state), std::pair(std::string("new 'one'"), 0));
    EXPECT_EQ(store.QueryNumber("select count(*) from usermessagetype"), 2);
    EXPECT_TRUE(store.reporter().Texts().empty());

    // Though items of that name exist, a refused insert leaves the key at zero.
    ASSERT_TRUE(store.connection().Execute(
        "create trigger refuse before insert on usermessagetype begin select raise(abort, 'refused'); end"));
    MessageTypeInfo refused = QuotedItem();
    refused.Save(store.connection());
    EXPECT_EQ(refused.messagetypeid, 0);
}

TEST(CheckItemTable, UnreadIsCountedPerItemAndDeleteRemovesMessagesButKeepsExclusionRows)
{
    TestStore store;
    MessageTypeInfo item = store.AddItem(QuotedItem());
    MessageTypeInfo other = store.AddItem(QuotedItem());
    for (const char* id : {"1", "2", "3"}) {
        ASSERT_TRUE(Finding(id).Insert(store.connection(), item));
    }
    ASSERT_TRUE(Finding("x").Insert(store.connection(), other));
    ASSERT_TRUE(SetMessageStatus(store.connection(), 1, 1));
    EXPECT_EQ(item.CountUnread(store.connection()), 2);
    EXPECT_EQ(item.m_nUnreadCount, 2); // the count is kept on the record
    ASSERT_TRUE(SetAllRead(store.connection(), &item, true));
    EXPECT_EQ(std::pair(item.CountUnread(store.connection()), other.CountUnread(store.connection())), std::pair(0, 1));
    ASSERT_TRUE(SetAllRead(store.connection(), nullptr, false));
    EXPECT_EQ(item.CountUnread(store.connection()), 3);

    // Exclusion rows with quotes are replaced as a whole, and outlive their item.
    ASSERT_TRUE(SaveExcludeRanges(store.connection(), item.messagetypeid, {{0, "<a href='x'>", "</a>"}, {0, "", "'"}}));
    ASSERT_TRUE(SaveExcludeRanges(store.connection(), item.messagetypeid, {{0, "a'", "b'"}}));
    const auto ranges = LoadExcludeRanges(store.connection(), item.messagetypeid);
    ASSERT_TRUE(ranges && ranges->size() == 1);
    EXPECT_EQ((*ranges)[0].excludeFrom + (*ranges)[0].excludeTo, "a'b'");
    EXPECT_EQ(item.Delete(store.connection()), 1);
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata") +
                  store.QueryNumber("select count(*) from userHttpExclude"),
              2);
    // The row is gone already: the message records are still deleted.
    ASSERT_TRUE(Finding("4").Insert(store.connection(), item));
    EXPECT_EQ(item.Delete(store.connection()), 1);
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), 1);
}

TEST(MessageTable, StoredRecordLoadsBackAndIsKnownByItemIdentityAndDateOrFtpFileName)
{
    TestStore store;
    MessageTypeInfo item = store.AddItem(QuotedItem());
    MessageTypeInfo other = store.AddItem(QuotedItem());
    SourceRowInfo row = Finding("it's");
    row.Content = "  <b>it's</b>\n";
    row.ToName = "To 'n'";
    EXPECT_EQ(row.IsKnown(store.connection(), item), 0);
    ASSERT_EQ(row.Insert(store.connection(), item), 1);
    SourceRowInfo later = row;
    later.FromDate = "2024年01月02日-03:05";
    EXPECT_EQ(std::tuple(row.IsKnown(store.connection(), item), row.IsKnown(store.connection(), other),
                         later.IsKnown(store.connection(), item)),
              std::tuple(1, 0, 0));

    MessageInfo message;
    ASSERT_TRUE(message.LoadById(store.connection(), 1));
    EXPECT_EQ(std::vector<std::string>({message.SourceContent, message.SourceInfo, message.SourceFromName,
                                        message.SourceToName, message.SourceLink, message.UserName,
                                        message.m_strCategoryName, message.connAddress}),
              std::vector<std::string>(
                  {"<b>it's</b>", row.Info, "O'Hara", "To 'n'", row.Link, "morvaten", "网页监视", item.connAddress}));
    EXPECT_EQ(std::pair(message.UserID, message.status), std::pair(88, 0));
    // RecieveDate comes from the database, in the finding date format.
    EXPECT_EQ(message.RecieveDate.find("年"), 4u) << message.RecieveDate;
    EXPECT_EQ(message.RecieveDate.size(), std::string("2024年01月02日-03:04").size());

    // A NUL byte (a remote row, a mail body) cannot stand in SQL text; the finding is still stored and known.
    SourceRowInfo binary = Finding(std::string("n\0ul", 4));
    binary.Content = std::string("a\0b", 3);
    ASSERT_EQ(binary.Insert(store.connection(), item), 1);
    EXPECT_EQ(binary.IsKnown(store.connection(), item), 1);

    MessageTypeInfo ftp;
    ftp.MessageCategory = kCategoryFtp;
    ftp = store.AddItem(ftp);
    SourceRowInfo file = Finding("");
    file.Info = "don't.txt";
    ASSERT_EQ(file.Insert(store.connection(), ftp), 1);
    EXPECT_EQ(file.IsKnown(store.connection(), ftp), 1);
    EXPECT_TRUE(store.reporter().Texts().empty());
    EXPECT_FALSE(MessageInfo().LoadById(store.connection(), 99));
    EXPECT_FALSE(store.reporter().Texts().empty());
}

TEST(LocalDatabase, AFileOfAnOlderVersionGainsTheAddedTablesAndKeepsItsRows)
{
    TempDir dir;
    const std::string path = dir.path() + "message.dat";
    const std::string& schema = LocalSchemaSql();
    const std::string older = schema.substr(0, schema.size() - LocalSchemaAdditionsSql().size());
    std::ofstream(path).close();
    CAdoConnection connection;
    ASSERT_TRUE(connection.Open("DBQ=" + path + ";DRIVER={SQLite3}"));
    ASSERT_TRUE(connection.Execute("begin;" + older + ";insert into userdata (SourceID) values ('kept');commit"));
    connection.Close();
    std::string error;
    ASSERT_TRUE(EnsureLocalDatabase(path, error)) << error;
    ASSERT_TRUE(EnsureLocalDatabase(path, error)) << error; // a second start finds them
    ASSERT_TRUE(connection.Open("DBQ=" + path + ";DRIVER={SQLite3}"));
    // The older rows wait for the keys of the text sorts, made once, then kept by the triggers.
    SortKeysState keys;
    ASSERT_TRUE(ReadSortKeysState(connection, keys, error)) << error;
    EXPECT_EQ(std::pair(keys.order, keys.waiting), std::pair(std::string(), 1LL));
    ASSERT_TRUE(MakeNextSortKeys(connection, 10, keys, error) && keys.Ready() && SortKeysReady(connection)) << error;
    ASSERT_TRUE(DeleteMessages(connection, {1}, error)) << error;
    DbResult found;
    std::vector<std::string> errors;
    ASSERT_TRUE(connection.RunQuery(
        "select (select SourceKey from userdata_deleted), (select count(*) from userdata_undo)", found, errors));
    EXPECT_EQ(std::pair(found.rows.at(0).at(0).text, found.rows.at(0).at(1).integer),
              std::pair(std::string("kept"), std::int64_t{1}));

    // A file that has the deletion tables but not the check log and item options gains those.
    for (const char* table : {"userdata_checklog", "userdata_checkstate", "userdata_itemoptions"}) {
        ASSERT_TRUE(connection.Execute(std::string("drop table ") + table));
    }
    connection.Close();
    ASSERT_TRUE(EnsureLocalDatabase(path, error)) << error;
    ASSERT_TRUE(connection.Open("DBQ=" + path + ";DRIVER={SQLite3}"));
    EXPECT_TRUE(connection.RunQuery("select (select count(*) from userdata_checklog) + (select count(*) from "
                                    "userdata_checkstate) + (select count(*) from userdata_itemoptions)",
                                    found, errors));
}
