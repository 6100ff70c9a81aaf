#include "monitors/CListParser.h"
#include "monitors/CMlsdParser.h"

#include <gtest/gtest.h>

namespace {

// The reference "now" for year inference: 2026-12-06 14:20 (local).
constexpr FtpTimestamp kNow{2026, 12, 6, 14, 20, 0};

struct ListCase
{
    const char* line;
    std::optional<FtpEntry> expected;
};

FtpEntry Entry(const char* name, bool directory, std::int64_t size, FtpTimestamp time)
{
    return FtpEntry{name, directory, size, time};
}

void PrintTo(const ListCase& c, std::ostream* os)
{
    *os << '"' << c.line << '"';
}

class ListLineTest : public ::testing::TestWithParam<ListCase>
{
};

TEST_P(ListLineTest, ReadsNameKindSizeAndTime)
{
    const auto entry = CListParser(kNow).ParseLine(GetParam().line);
    ASSERT_EQ(entry.has_value(), GetParam().expected.has_value());
    if (entry) {
        EXPECT_EQ(entry->name, GetParam().expected->name);
        EXPECT_EQ(entry->isDirectory, GetParam().expected->isDirectory);
        EXPECT_EQ(entry->size, GetParam().expected->size);
        ASSERT_TRUE(entry->lastWrite.has_value());
        EXPECT_EQ(*entry->lastWrite, *GetParam().expected->lastWrite);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Unix, ListLineTest,
    ::testing::Values(
        ListCase{"-rw-r--r--   1 owner    group        1234 Mar  5 14:07 report.txt",
                 Entry("report.txt", false, 1234, {2026, 3, 5, 14, 7, 0})},
        ListCase{"drwxr-xr-x   2 owner    group        4096 Nov 30  2023 archive",
                 Entry("archive", true, 4096, {2023, 11, 30, 0, 0, 0})},
        // Later in the year than now: last year's date.
        ListCase{"-rw-r--r--   1 owner    group          10 Dec 25 09:00 gift.txt",
                 Entry("gift.txt", false, 10, {2025, 12, 25, 9, 0, 0})},
        // Up to a day ahead stays this year: a server clock in a zone ahead of ours.
        ListCase{"-rw-r--r--   1 owner    group          10 Dec  6 23:59 fresh.txt",
                 Entry("fresh.txt", false, 10, {2026, 12, 6, 23, 59, 0})},
        ListCase{"-rw-r--r--   1 owner    group          10 Dec  8 00:00 tomorrow.txt",
                 Entry("tomorrow.txt", false, 10, {2025, 12, 8, 0, 0, 0})},
        // Blanks inside and at the end of a name belong to it.
        ListCase{"-rw-r--r--   1 owner    group           7 Jan  1  2024 two  blanks ",
                 Entry("two  blanks ", false, 7, {2024, 1, 1, 0, 0, 0})},
        ListCase{"-rw-r--r--   1 owner    group           7 Jan  1  2024  leading",
                 Entry(" leading", false, 7, {2024, 1, 1, 0, 0, 0})},
        ListCase{"lrwxrwxrwx   1 owner    group          11 Feb  2 10:30 current -> releases/v2",
                 Entry("current", false, 11, {2026, 2, 2, 10, 30, 0})},
        // No group column; numeric owner; lower-case month.
        ListCase{"-rw-r--r-- 1 1000 99 jun 15 2022 x.bin", Entry("x.bin", false, 99, {2022, 6, 15, 0, 0, 0})},
        ListCase{"-rw-r--r-- 1 ftp 512 Jun 15 2022 nogroup", Entry("nogroup", false, 512, {2022, 6, 15, 0, 0, 0})},
        ListCase{"drwxr-xr-x+  3 owner group 4096 Oct 10 08:05 acl dir",
                 Entry("acl dir", true, 4096, {2026, 10, 10, 8, 5, 0})},
        ListCase{"-rw-r--r-- 1 o g 3 Mar 5 14:07 it's \"quoted\" <b>",
                 Entry("it's \"quoted\" <b>", false, 3, {2026, 3, 5, 14, 7, 0})},
        ListCase{"-rw-r--r-- 1 o g 3 Mar 5 14:07 中文名.txt", Entry("中文名.txt", false, 3, {2026, 3, 5, 14, 7, 0})},
        ListCase{"-rw-r--r-- 1 o g 99999999999999 Mar 5 14:07 huge",
                 Entry("huge", false, 99999999999999, {2026, 3, 5, 14, 7, 0})}));

INSTANTIATE_TEST_SUITE_P(Dos, ListLineTest,
                         ::testing::Values(ListCase{"03-05-24  02:07PM       <DIR>          My Documents",
                                                    Entry("My Documents", true, 0, {2024, 3, 5, 14, 7, 0})},
                                           ListCase{"03-05-24  12:30AM                 1234 early.txt",
                                                    Entry("early.txt", false, 1234, {2024, 3, 5, 0, 30, 0})},
                                           ListCase{"11-20-98  12:05PM                   17 noon.txt",
                                                    Entry("noon.txt", false, 17, {1998, 11, 20, 12, 5, 0})},
                                           ListCase{"03-05-2024  14:07                 512 iis 24h.log",
                                                    Entry("iis 24h.log", false, 512, {2024, 3, 5, 14, 7, 0})}));

INSTANTIATE_TEST_SUITE_P(Skipped, ListLineTest,
                         ::testing::Values(ListCase{"total 12", std::nullopt}, ListCase{"", std::nullopt},
                                           ListCase{"226 Transfer complete", std::nullopt},
                                           ListCase{"-rw-r--r-- 1 o g 3 Mar 5 14:07", std::nullopt},     // no name
                                           ListCase{"-rw-r--r-- 1 o g 3 Feb 30 2024 bad", std::nullopt}, // no such day
                                           ListCase{"-rw-r--r-- 1 o g 3 Mar 5 25:07 bad", std::nullopt},
                                           ListCase{"-rw-r--r-- 1 o g 3 Foo 5 14:07 bad", std::nullopt},
                                           ListCase{"-rw-r--r-- 1 o g 3 Mar 5 14:07 a/b", std::nullopt},
                                           ListCase{"13-05-24  02:07PM  12 bad-month", std::nullopt},
                                           ListCase{"03-05-24  13:07PM  12 bad-hour", std::nullopt},
                                           ListCase{"03-05-24  02:07PM  -12 bad-size", std::nullopt},
                                           ListCase{"03/05/24  02:07PM  12 slashes", std::nullopt}));

TEST(ListParser, InfersFebruary29ToTheLastLeapYear)
{
    // 2027 has no 29 February; the entry is from 2024.
    const auto entry = CListParser({2027, 3, 1, 12, 0, 0}).ParseLine("-rw-r--r-- 1 o g 1 Feb 29 10:00 leap");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->lastWrite->year, 2024);
}

TEST(ListParser, ReadsAWholeListingWithMixedLineEnds)
{
    const auto entries = CListParser(kNow).Parse("total 8\r\n"
                                                 "drwxr-xr-x 2 o g 4096 Mar  5 14:07 .\r\n"
                                                 "drwxr-xr-x 2 o g 4096 Mar  5 14:07 ..\n"
                                                 "-rw-r--r-- 1 o g    3 Mar  5 14:07 a\n"
                                                 "garbage\n"
                                                 "-rw-r--r-- 1 o g    4 Mar  5 14:08 b");
    ASSERT_EQ(entries.size(), 4u); // "." and ".." are entries here; the monitor skips them
    EXPECT_EQ(entries[2].name, "a");
    EXPECT_EQ(entries[3].name, "b");
    EXPECT_EQ(entries[3].size, 4);
}

class MlsdTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Times in MLSD are UTC and come out in local time.
        m_savedTz = std::getenv("TZ") ? std::getenv("TZ") : "";
        ::setenv("TZ", "Asia/Shanghai", 1);
        ::tzset();
    }
    void TearDown() override
    {
        ::setenv("TZ", m_savedTz.c_str(), 1);
        ::tzset();
    }
    std::string m_savedTz;
};

TEST_F(MlsdTest, ReadsFactsInAnyOrderAndCase)
{
    const auto file = CMlsdParser::ParseLine("modify=20240305140733;perm=radfwMT;size=3;type=file;unique=fe; a b.txt");
    ASSERT_TRUE(file);
    EXPECT_EQ(*file, (FtpEntry{"a b.txt", false, 3, FtpTimestamp{2024, 3, 5, 22, 7, 33}}));

    const auto dir = CMlsdParser::ParseLine("Type=DIR;Sizd=4096;Modify=20241231200000.123; dir;with;semis");
    ASSERT_TRUE(dir);
    EXPECT_EQ(*dir, (FtpEntry{"dir;with;semis", true, 4096, FtpTimestamp{2025, 1, 1, 4, 0, 0}}));

    const auto link = CMlsdParser::ParseLine("type=OS.unix=slink:/x;modify=20240101000000; link");
    ASSERT_TRUE(link);
    EXPECT_FALSE(link->isDirectory);
}

TEST_F(MlsdTest, LeavesOutTheDirectoryItselfItsParentAndUnreadableLines)
{
    EXPECT_FALSE(CMlsdParser::ParseLine("type=cdir;modify=20240305140733; /pub"));
    EXPECT_FALSE(CMlsdParser::ParseLine("type=pdir;modify=20240305140733; .."));
    EXPECT_FALSE(CMlsdParser::ParseLine("no facts here"));
    EXPECT_FALSE(CMlsdParser::ParseLine("type=file;size=1;")); // no name
    EXPECT_FALSE(CMlsdParser::ParseLine("type=file; a/b"));
    EXPECT_FALSE(CMlsdParser::ParseLine("-rw-r--r-- 1 o g 3 Mar 5 14:07 a"));
}

TEST_F(MlsdTest, KeepsEntriesWithoutAReadableTimeOrSize)
{
    const auto entry = CMlsdParser::ParseLine("type=file;modify=20241340000000;size=-5; odd");
    ASSERT_TRUE(entry);
    EXPECT_FALSE(entry->lastWrite.has_value());
    EXPECT_EQ(entry->size, 0);
}

TEST_F(MlsdTest, ReadsAListingWithBareLineFeeds)
{
    const auto entries = CMlsdParser::Parse("type=cdir;modify=20240305140733; .\n"
                                            "type=file;modify=20240305140733;size=1; one\n"
                                            "type=dir;modify=20240305140733; two\r\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "one");
    EXPECT_EQ(entries[1].name, "two");
    EXPECT_TRUE(entries[1].isDirectory);
}

} // namespace
