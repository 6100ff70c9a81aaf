#include "monitors/ftp/CListParser.h"
#include "monitors/ftp/CMlsdParser.h"

#include <gtest/gtest.h>

namespace {

// The reference "now" for year inference: 2026-12-06 14:20 (local).
constexpr FtpTimestamp kNow{2026, 12, 6, 14, 20, 0};

struct Case
{
    const char* line;
    FtpEntry expected;
};

FtpEntry File(const char* name, std::int64_t size, FtpTimestamp time, bool directory = false)
{
    return FtpEntry{name, directory, size, time};
}

TEST(ListParser, ReadsUnixAndDosLinesAndListingsAndSkipsTheRest)
{
    const Case cases[] = {
        {"-rw-r--r--   1 owner    group        1234 Mar  5 14:07 report.txt",
         File("report.txt", 1234, {2026, 3, 5, 14, 7})},
        {"drwxr-xr-x   2 owner    group        4096 Nov 30  2023 archive", File("archive", 4096, {2023, 11, 30}, true)},
        // Later in the year than now: last year's; up to a day ahead (a server in a zone ahead) stays this year.
        {"-rw-r--r-- 1 o g 10 Dec 25 09:00 gift.txt", File("gift.txt", 10, {2025, 12, 25, 9, 0})},
        {"-rw-r--r-- 1 o g 10 Dec  6 23:59 fresh.txt", File("fresh.txt", 10, {2026, 12, 6, 23, 59})},
        {"-rw-r--r-- 1 o g 10 Dec  8 00:00 tomorrow.txt", File("tomorrow.txt", 10, {2025, 12, 8, 0, 0})},
        // Blanks inside, before and after a name belong to it.
        {"-rw-r--r-- 1 o g 7 Jan  1  2024 two  blanks ", File("two  blanks ", 7, {2024, 1, 1})},
        {"-rw-r--r-- 1 o g 7 Jan  1  2024  leading", File(" leading", 7, {2024, 1, 1})},
        {"lrwxrwxrwx 1 o g 11 Feb  2 10:30 current -> releases/v2", File("current", 11, {2026, 2, 2, 10, 30})},
        // No group column, numeric owner, lower-case month.
        {"-rw-r--r-- 1 1000 99 jun 15 2022 x.bin", File("x.bin", 99, {2022, 6, 15})},
        {"drwxr-xr-x+  3 owner group 4096 Oct 10 08:05 acl dir", File("acl dir", 4096, {2026, 10, 10, 8, 5}, true)},
        {"-rw-r--r-- 1 o g 99999999999999 Mar 5 14:07 huge", File("huge", 99999999999999, {2026, 3, 5, 14, 7})},
        {"03-05-24  02:07PM       <DIR>          My Documents", File("My Documents", 0, {2024, 3, 5, 14, 7}, true)},
        {"03-05-24  12:30AM                 1234 early.txt", File("early.txt", 1234, {2024, 3, 5, 0, 30})},
        {"11-20-98  12:05PM                   17 noon.txt", File("noon.txt", 17, {1998, 11, 20, 12, 5})},
        {"03-05-2024  14:07                 512 iis 24h.log", File("iis 24h.log", 512, {2024, 3, 5, 14, 7})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CListParser(kNow).ParseLine(c.line), c.expected) << '"' << c.line << '"';
    }
    // No name, no such day, hour or month, a slash in the name; DOS lines with a bad month, hour,
    // size or separator.
    for (const char* skipped :
         {"total 12", "", "-rw-r--r-- 1 o g 3 Mar 5 14:07", "-rw-r--r-- 1 o g 3 Feb 30 2024 bad",
          "-rw-r--r-- 1 o g 3 Mar 5 25:07 bad", "-rw-r--r-- 1 o g 3 Foo 5 14:07 bad",
          "-rw-r--r-- 1 o g 3 Mar 5 14:07 a/b", "13-05-24  02:07PM  12 bad-month", "03-05-24  13:07PM  12 bad-hour",
          "03-05-24  02:07PM  -12 bad-size", "03/05/24  02:07PM  12 slashes"}) {
        EXPECT_EQ(CListParser(kNow).ParseLine(skipped), std::nullopt) << '"' << skipped << '"';
    }
    // 2027 has no 29 February; the entry is from 2024.
    EXPECT_EQ(CListParser({2027, 3, 1, 12}).ParseLine("-rw-r--r-- 1 o g 1 Feb 29 10:00 leap")->lastWrite->year, 2024);

    const auto entries = CListParser(kNow).Parse("total 8\r\ndrwxr-xr-x 2 o g 4096 Mar  5 14:07 .\r\n"
                                                 "-rw-r--r-- 1 o g    3 Mar  5 14:07 a\ngarbage\n"
                                                 "-rw-r--r-- 1 o g    4 Mar  5 14:08 b"); // mixed line ends
    ASSERT_EQ(entries.size(), 3u); // "." is an entry here; the monitor skips it
    EXPECT_EQ(entries[1].name, "a");
    EXPECT_EQ(entries[2], File("b", 4, {2026, 3, 5, 14, 8}));
}

TEST(MlsdParser, ReadsFactsInAnyOrderAndCaseInLocalTimeAndSkipsTheRest)
{
    const Case cases[] = {
        {"modify=20240305140733;perm=radfwMT;size=3;type=file;unique=fe; a b.txt",
         File("a b.txt", 3, {2024, 3, 5, 22, 7, 33})}, // UTC to UTC+8
        {"Type=DIR;Sizd=4096;Modify=20241231200000.123; dir;with;semis",
         File("dir;with;semis", 4096, {2025, 1, 1, 4, 0, 0}, true)},
        {"type=OS.unix=slink:/x;modify=20240101000000; link", File("link", 0, {2024, 1, 1, 8, 0, 0})},
        {"type=file;modify=20241340000000;size=-5; odd", FtpEntry{"odd", false, 0, std::nullopt}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CMlsdParser::ParseLine(c.line), c.expected) << '"' << c.line << '"';
    }
    // The directory itself and its parent, no facts, no name, a slash in the name, a LIST line.
    for (const char* skipped :
         {"type=cdir;modify=20240305140733; /pub", "type=pdir;modify=20240305140733; ..", "no facts here",
          "type=file;size=1;", "type=file; a/b", "-rw-r--r-- 1 o g 3 Mar 5 14:07 a"}) {
        EXPECT_EQ(CMlsdParser::ParseLine(skipped), std::nullopt) << '"' << skipped << '"';
    }
    const auto entries = CMlsdParser::Parse("type=cdir;modify=20240305140733; .\n"
                                            "type=file;modify=20240305140733;size=1; one\n"
                                            "type=dir;modify=20240305140733; two\r\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "one");
    EXPECT_EQ(entries[1], File("two", 0, {2024, 3, 5, 22, 7, 33}, true));
}

} // namespace
