#include "store/SqlText.h"

#include <gtest/gtest.h>

// Quotes are doubled; only engines that know TOP keep it, and keys are negated only where they are SQL.
TEST(SqlText, EscapesQuotesAndRewritesTopAndNegatedKeysOnlyWhereTheyAreSql)
{
    EXPECT_EQ(SqlEscape("it's ''x'"), "it''s ''''x''");
    EXPECT_EQ((std::vector{DialectForDbms("SQLite"), DialectForDbms("PostgreSQL"), DialectForDbms("MySQL"),
                           DialectForDbms("Microsoft SQL Server"), DialectForDbms("ACCESS")}),
              (std::vector{SqlDialect::Limit, SqlDialect::Limit, SqlDialect::Limit, SqlDialect::Top, SqlDialect::Top}));
    const struct
    {
        const char* in;
        SqlDialect dialect;
        bool negated;
        const char* out;
    } cases[] = {
        {"select top 1 * from userdata where messagetypeid=3 and sourceid='a' order by -id", SqlDialect::Limit, true,
         "select * from userdata where messagetypeid=3 and sourceid='a' order by id desc limit 1"},
        {"select top 20 * from v order by id desc", SqlDialect::Top, false, "select top 20 * from v order by id desc"},
        {"select * from userdata where status=0  and  messagetypeid=7 order by status,-id ", SqlDialect::Limit, true,
         "select * from userdata where status=0  and  messagetypeid=7 order by status,id desc "},
        {"select * from t where a='order by -x' order by -id", SqlDialect::Limit, true,
         "select * from t where a='order by -x' order by id desc"}, // quoted text is left alone
        {"select * from t order by a-b", SqlDialect::Limit, true, "select * from t order by a-b"},
        {"SELECT TOP 5 name FROM t;", SqlDialect::Limit, false, "SELECT name FROM t limit 5;"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RewriteForDialect(c.in, c.dialect, c.negated), c.out);
    }
}
