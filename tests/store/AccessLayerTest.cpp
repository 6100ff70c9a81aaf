#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>

namespace {

class AccessLayer : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store.connection().Execute(
            "create table t (id integer, name text, n integer, d datetime, empty text, big integer, r real)"));
        ASSERT_TRUE(store.connection().Execute(
            "insert into t values (1, '  abc ', 7, '2002-05-01 08:30:00', null, 5000000000, 1.5)"));
    }
    TestStore store;
};

} // namespace

TEST_F(AccessLayer, FieldsConvertAsTheRecordsExpect)
{
    CAdoRecordset rs(store.connection());
    ASSERT_TRUE(rs.Open("select * from t"));
    std::string text = "kept";
    EXPECT_TRUE(rs.GetFieldValue("NAME", text));
    EXPECT_EQ(text, "abc");
    EXPECT_TRUE(rs.GetFieldValue("n", text));
    EXPECT_EQ(text, "7");
    EXPECT_TRUE(rs.GetFieldValue("d", text));
    EXPECT_EQ(text, "2002/05/01-08:30");
    text = "kept";
    EXPECT_TRUE(rs.GetFieldValue("empty", text));
    EXPECT_EQ(text, "kept");
    EXPECT_TRUE(rs.GetFieldValue("big", text));
    EXPECT_EQ(text, "5000000000");
    rs.SetDateFormat("%Y年%m月%d日-%H:%M");
    EXPECT_TRUE(rs.GetFieldValue("d", text));
    EXPECT_EQ(text, "2002年05月01日-08:30");

    int number = -1;
    EXPECT_TRUE(rs.GetFieldValue("empty", number));
    EXPECT_EQ(number, -1);
    EXPECT_TRUE(rs.GetFieldValue("n", number));
    EXPECT_EQ(number, 7);
    EXPECT_TRUE(store.reporter().Texts().empty());

    EXPECT_FALSE(rs.GetFieldValue("nosuchcolumn", number));
    EXPECT_EQ(store.reporter().Texts(), std::vector<std::string>{"字段访问发生错误，请确认数据库结构没有改动。"});
}

TEST_F(AccessLayer, QuietRecordsetShowsNothingOnAMissingTable)
{
    CAdoRecordset rs(store.connection());
    rs.SetShowErrors(false);
    EXPECT_FALSE(rs.Open("select * from nosuchtable"));
    EXPECT_TRUE(store.reporter().Texts().empty());
    CAdoRecordset loud(store.connection());
    EXPECT_FALSE(loud.Open("select * from nosuchtable"));
    EXPECT_EQ(store.reporter().Texts().size(), 1u);
}

TEST_F(AccessLayer, OpenWithoutForceKeepsTheConnection)
{
    const std::string before = store.connection().GetConnectionString();
    EXPECT_TRUE(store.connection().Open("DBQ=/nonexistent/x.dat;DRIVER={SQLite3}", false));
    EXPECT_EQ(store.connection().GetConnectionString(), before);
    CAdoConnection other;
    other.SetReporter(std::make_shared<RecordingReporter>());
    EXPECT_FALSE(other.Open("DBQ=/nonexistent/x.dat;DRIVER={SQLite3}", true));
    CAdoRecordset rs;
    rs.SetShowErrors(false);
    EXPECT_FALSE(rs.SetConnection(other));
    EXPECT_FALSE(other.Execute("select 1"));
}

TEST_F(AccessLayer, ExecuteReportsTheEnginesWords)
{
    EXPECT_FALSE(store.connection().Execute("insert into nosuchtable values (1)"));
    ASSERT_EQ(store.reporter().Texts().size(), 1u);
    EXPECT_NE(store.reporter().Texts()[0].find("nosuchtable"), std::string::npos);
    store.connection().SetShowErrors(false);
    EXPECT_FALSE(store.connection().Execute("insert into nosuchtable values (1)"));
    EXPECT_EQ(store.reporter().Texts().size(), 1u);
}

TEST_F(AccessLayer, WalksBackwardsFromTheLastRow)
{
    ASSERT_TRUE(store.connection().Execute("insert into t (id) values (2)"));
    CAdoRecordset rs(store.connection());
    ASSERT_TRUE(rs.Open("select id from t order by -id"));
    EXPECT_EQ(rs.GetRecordCount(), 2);
    rs.MoveLast();
    std::vector<int> ids;
    while (!rs.IsBOF()) {
        int id = 0;
        rs.GetFieldValue("id", id);
        ids.push_back(id);
        rs.MovePrevious();
    }
    EXPECT_EQ(ids, (std::vector<int>{1, 2}));
}
