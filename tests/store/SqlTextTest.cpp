#include "store/SqlText.h"

#include <gtest/gtest.h>

TEST(SqlEscape, DoublesEverySingleQuote)
{
    EXPECT_EQ(SqlEscape("it's 'x'"), "it''s ''x''");
    EXPECT_EQ(SqlEscape(""), "");
    EXPECT_EQ(SqlEscape("''"), "''''");
}

struct RewriteCase
{
    const char* in;
    SqlDialect dialect;
    bool negated;
    const char* out;
};

class DialectRewrite : public testing::TestWithParam<RewriteCase>
{
};

TEST_P(DialectRewrite, RewritesTopAndNegatedKeys)
{
    const auto& c = GetParam();
    EXPECT_EQ(RewriteForDialect(c.in, c.dialect, c.negated), c.out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DialectRewrite,
    testing::Values(
        RewriteCase{"select top 1 * from userdata where messagetypeid=3 and sourceid='a' order by -id",
                    SqlDialect::Limit, true,
                    "select * from userdata where messagetypeid=3 and sourceid='a' order by id desc limit 1"},
        RewriteCase{"select top 20 * from v order by id desc", SqlDialect::Limit, false,
                    "select * from v order by id desc limit 20"},
        RewriteCase{"select top 20 * from v order by id desc", SqlDialect::Top, false,
                    "select top 20 * from v order by id desc"},
        RewriteCase{"select * from userdata where 1=1  order by status,-id", SqlDialect::Limit, true,
                    "select * from userdata where 1=1  order by status,id desc"},
        RewriteCase{"select * from userdata where status=0  and  messagetypeid=7 order by status,-id ",
                    SqlDialect::Limit, true,
                    "select * from userdata where status=0  and  messagetypeid=7 order by status,id desc "},
        // Quoted text that looks like SQL is left alone.
        RewriteCase{"select * from t where a='order by -x' order by -id", SqlDialect::Limit, true,
                    "select * from t where a='order by -x' order by id desc"},
        RewriteCase{"select * from t order by a-b", SqlDialect::Limit, true, "select * from t order by a-b"},
        RewriteCase{"SELECT TOP 5 name FROM t;", SqlDialect::Limit, false, "SELECT name FROM t limit 5;"}));

TEST(DialectForDbms, OnlyEnginesThatKnowTopKeepIt)
{
    EXPECT_EQ(DialectForDbms("SQLite"), SqlDialect::Limit);
    EXPECT_EQ(DialectForDbms("PostgreSQL"), SqlDialect::Limit);
    EXPECT_EQ(DialectForDbms("MySQL"), SqlDialect::Limit);
    EXPECT_EQ(DialectForDbms("Microsoft SQL Server"), SqlDialect::Top);
    EXPECT_EQ(DialectForDbms("ACCESS"), SqlDialect::Top);
}
