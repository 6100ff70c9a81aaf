// The check item operations both front ends use, on a real message.dat and preset file.
#include "ItemStore.h"
#include "app/ItemRules.h"
#include "store/LocalDatabase.h"

#include <algorithm>

namespace {

class ItemOperations : public testing::Test, protected ItemStore
{
protected:
    StoredItem Stored(int id)
    {
        auto stored = ops.Load(id, error);
        EXPECT_TRUE(stored) << id << ": " << error;
        return stored.value_or(StoredItem{});
    }
    void AddMessage(int id, const std::string& name, int status = 0)
    {
        ASSERT_TRUE(store.connection().Execute("insert into userdata (MessageTypeID, MessageTypeName, status) values(" +
                                               std::to_string(id) + ",'" + name + "'," + std::to_string(status) + ")"));
    }
    std::vector<std::string> MessageNames(int id)
    {
        std::vector<std::string> names;
        std::ranges::transform(store.Messages(id), std::back_inserter(names), &MessageInfo::MessageTypeName);
        return names;
    }

    std::string error;
};

TEST_F(ItemOperations, InsertThenUpdateWithRangesMustHaveIdAndTheMessagesName)
{
    MessageTypeInfo item = NewItem("O'Neil");
    item.MustHaveID = 1;
    ASSERT_TRUE(ops.Save(item, ExcludeRanges{{0, "<a href='x'>", "</a>"}, {0, "B", ""}}, error)) << error;
    ASSERT_NE(item.messagetypeid, 0);
    AddMessage(item.messagetypeid, "O''Neil", 0);
    AddMessage(item.messagetypeid, "O''Neil", 1);
    StoredItem stored = Stored(item.messagetypeid);
    EXPECT_TRUE(SameColumns(stored.item, item));
    EXPECT_EQ(stored.item.m_nUnreadCount.load(), 1);
    EXPECT_EQ(Texts(stored.excludes), (std::vector<std::string>{"<a href='x'>|</a>", "B|"})) << "in stored order";

    // An update: the name goes to the messages too; no ranges given keeps them.
    const int id = item.messagetypeid;
    item.MessageTypeName = "新闻";
    item.MustHaveID = 0;
    item.state = 0;
    ASSERT_TRUE(ops.Save(item, std::nullopt, error)) << error;
    EXPECT_EQ(item.messagetypeid, id);
    stored = Stored(id);
    EXPECT_TRUE(SameColumns(stored.item, item));
    EXPECT_EQ(stored.excludes.size(), 2u);
    EXPECT_EQ(MessageNames(id), (std::vector<std::string>{"新闻", "新闻"}));
    ASSERT_TRUE(ops.Save(item, ExcludeRanges{}, error)) << error;
    EXPECT_TRUE(Stored(id).excludes.empty());
    EXPECT_EQ(store.QueryNumber("select count(*) from usermessagetype"), 1);
    EXPECT_TRUE(store.reporter().Texts().empty()) << "operations show nothing themselves";
}

TEST_F(ItemOperations, ASaveTheDatabaseRefusesHalfwayChangesNothing)
{
    MessageTypeInfo item = NewItem("A");
    ASSERT_TRUE(ops.Save(item, ExcludeRanges{{0, "old", "old"}}, error)) << error;
    AddMessage(item.messagetypeid, "A");
    ASSERT_TRUE(store.connection().Execute("create trigger refuse before insert on userHttpExclude when "
                                           "new.excludeFrom='bad' begin select raise(abort, 'range refused'); end"));
    const int id = item.messagetypeid;
    MessageTypeInfo edited = item;
    edited.MessageTypeName = "B";
    edited.MustHaveID = 1;
    EXPECT_FALSE(ops.Save(edited, ExcludeRanges{{0, "new", "new"}, {0, "bad", "x"}}, error));
    EXPECT_NE(error.find("range refused"), std::string::npos) << error;
    StoredItem stored = Stored(id);
    EXPECT_TRUE(SameColumns(stored.item, item));
    EXPECT_EQ(Texts(stored.excludes), std::vector<std::string>{"old|old"});
    EXPECT_EQ(MessageNames(id), std::vector<std::string>{"A"});

    // A refused insert leaves no row and the record without a key, so a retry inserts again.
    MessageTypeInfo added = NewItem("C");
    EXPECT_FALSE(ops.Save(added, ExcludeRanges{{0, "bad", ""}}, error));
    EXPECT_EQ(added.messagetypeid, 0);
    EXPECT_EQ(store.QueryNumber("select count(*) from usermessagetype"), 1);
    ASSERT_TRUE(ops.Save(added, std::nullopt, error)) << error;
    EXPECT_NE(added.messagetypeid, 0);

    // An item another program deleted is not brought back, nor are ranges stored for it.
    ASSERT_TRUE(store.connection().Execute("delete from usermessagetype where messagetypeid=" + std::to_string(id)));
    EXPECT_FALSE(ops.Save(item, ExcludeRanges{{0, "x", "y"}}, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(store.QueryNumber("select count(*) from userHttpExclude where excludeFrom='x'"), 0);
    EXPECT_TRUE(store.reporter().Texts().empty());
}

TEST_F(ItemOperations, SwitchAndDeleteTouchOnlyTheirItem)
{
    MessageTypeInfo a = NewItem("a");
    MessageTypeInfo b = NewItem("b");
    ASSERT_TRUE(ops.Save(a, ExcludeRanges{{0, "1", "2"}}, error));
    ASSERT_TRUE(ops.Save(b, ExcludeRanges{{0, "3", "4"}}, error));
    AddMessage(a.messagetypeid, "a");
    AddMessage(b.messagetypeid, "b");
    ASSERT_TRUE(ops.SetState(a.messagetypeid, 0, error)) << error;
    EXPECT_EQ(std::pair(Stored(a.messagetypeid).item.state, Stored(b.messagetypeid).item.state), std::pair(0, 1));

    ASSERT_TRUE(ops.Delete(a.messagetypeid, error)) << error;
    EXPECT_FALSE(ops.Load(a.messagetypeid, error));
    EXPECT_TRUE(error.empty()) << "not stored is no failure";
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), 1) << "its messages went with it";
    EXPECT_EQ(store.QueryNumber("select count(*) from userHttpExclude"), 1) << "and its ranges";
    EXPECT_EQ(Texts(Stored(b.messagetypeid).excludes), std::vector<std::string>{"3|4"});

    ASSERT_TRUE(store.connection().Execute("create trigger refuse before delete on userdata begin "
                                           "select raise(abort, 'kept'); end"));
    EXPECT_FALSE(ops.Delete(b.messagetypeid, error));
    EXPECT_EQ(Stored(b.messagetypeid).item.MessageTypeName, "b") << "all or nothing";
}

TEST_F(ItemOperations, PresetsComeWithTheirRangesAndWithoutAKey)
{
    EXPECT_FALSE(ops.Presets(error));
    EXPECT_NE(error.find(store.appDir() + "messagetype.dat"), std::string::npos) << error;

    ASSERT_TRUE(EnsureLocalDatabase(store.appDir() + "messagetype.dat", error)) << error;
    {
        CAdoConnection file;
        ASSERT_TRUE(file.Open(presets, true));
        CItemOperations writer(file, presets);
        MessageTypeInfo web = NewItem("网页");
        MessageTypeInfo database = NewItem("库", kCategoryDatabase);
        database.MustHaveID = 1;
        ASSERT_TRUE(writer.Save(web, ExcludeRanges{{0, "P1", "p1"}, {0, "P2", "p2"}}, error)) << error;
        ASSERT_TRUE(writer.Save(database, std::nullopt, error)) << error;
    }
    const auto read = ops.Presets(error);
    ASSERT_TRUE(read) << error;
    ASSERT_EQ(read->size(), 2u);
    EXPECT_EQ((*read)[0].item.MessageTypeName, "网页");
    EXPECT_EQ((*read)[0].item.messagetypeid, 0) << "saving a preset inserts a new item";
    EXPECT_NE((*read)[0].item.m_nLoadedId, 0);
    EXPECT_EQ(Texts((*read)[0].excludes), (std::vector<std::string>{"P1|p1", "P2|p2"}));
    EXPECT_EQ(std::pair((*read)[1].item.MustHaveID, (*read)[1].excludes.size()), std::pair(1, size_t{0}));
}

TEST(ItemRules, AFieldCountsOnlyWhereTheCategoryUsesIt)
{
    MessageTypeInfo item;
    item.MessageTypeName = "x";
    item.ViewName = "view";
    item.CheckNumber = -1;
    const ExcludeRanges empty{{0, "", ""}};
    item.MessageCategory = kCategoryWebPage;
    EXPECT_FALSE(CheckItemFields(item, nullptr)) << "the port and the newest rows are not a web item's";
    EXPECT_EQ(CheckItemFields(item, &empty)->rangeIndex, 0);
    item.MessageCategory = kCategoryMail;
    EXPECT_EQ(CheckItemFields(item, &empty)->field, ItemField::Port);
    item.ViewName = "110";
    EXPECT_FALSE(CheckItemFields(item, &empty));
    item.ViewName = "65536";
    EXPECT_EQ(CheckItemFields(item, nullptr)->field, ItemField::Port);
    item.MessageCategory = kCategoryBroadcast;
    EXPECT_EQ(CheckItemFields(item, nullptr)->field, ItemField::CheckNumber) << "checked like a database item";
    item.CheckNumber = 10001;
    EXPECT_TRUE(CheckItemFields(item, nullptr));
    item.CheckNumber = 0;
    EXPECT_FALSE(CheckItemFields(item, nullptr)) << "0 reads the whole view";
    item.bNotify = -2;
    EXPECT_EQ(CheckItemFields(item, nullptr)->field, ItemField::NotifyInterval);
}

} // namespace
