// The pure text routines of the web monitor: link rewriting, URL splitting, exclusion cuts.
#include "monitors/ExclusionCut.h"
#include "monitors/MakeLinksAbsolute.h"
#include "monitors/UrlParts.h"

#include <gtest/gtest.h>

namespace {

struct LinkCase
{
    const char* name;
    const char* base;
    const char* html;
    const char* expected;
};

class MakeLinksAbsoluteTest : public ::testing::TestWithParam<LinkCase>
{
};

TEST_P(MakeLinksAbsoluteTest, RewritesValuesAfterKeyword)
{
    const LinkCase& c = GetParam();
    std::string html = c.html;
    MakeLinksAbsolute(c.base, "SRC=", html);
    EXPECT_EQ(html, c.expected);
}

const LinkCase kLinkCases[] = {
    {"DirectoryPrefix", "http://s/a/b/c.htm", "<IMG SRC=x.gif>", "<IMG SRC=HTTP://s:80/a/b/x.gif>"},
    {"RootPrefixInsideQuotes", "http://s/a/b/c.htm", "<IMG SRC=\"/x.gif\">", "<IMG SRC=\"http://s:80/x.gif\">"},
    {"SingleQuotes", "http://s/a/b/c.htm", "<IMG SRC='y.gif'>", "<IMG SRC='HTTP://s:80/a/b/y.gif'>"},
    {"ParentPrefix", "http://s/a/b/c.htm", "<IMG SRC=../x.gif>", "<IMG SRC=HTTP://s:80/a/x.gif>"},
    {"OnlyOneParentStep", "http://s/a/b/c.htm", "<IMG SRC=../../x.gif>", "<IMG SRC=HTTP://s:80/a/../x.gif>"},
    {"AbsoluteStays", "http://s/a/b/c.htm", "<A SRC=http://o/x> <A SRC=\"HTTPS://o/y\"> <A SRC=hTtP://z>",
     "<A SRC=http://o/x> <A SRC=\"HTTPS://o/y\"> <A SRC=hTtP://z>"},
    {"RootPathParentIsBareScheme", "http://s/", " SRC=../x.gif SRC=x.gif", " SRC=HTTP://x.gif SRC=HTTP://s:80/x.gif"},
    {"ExplicitPort", "http://s:8080/a/", " SRC=x.gif", " SRC=HTTP://s:8080/a/x.gif"},
    {"KeywordAtFirstCharacterEndsPass", "http://s/a/", "SRC=x.gif SRC=y.gif", "SRC=x.gif SRC=y.gif"},
    {"KeywordIsCaseSensitive", "http://s/a/", " src=x.gif", " src=x.gif"},
    {"SeveralValues", "http://s/d/p.htm", "<I SRC=a.gif><I SRC=\"b.gif\">",
     "<I SRC=HTTP://s:80/d/a.gif><I SRC=\"HTTP://s:80/d/b.gif\">"},
    {"KeywordAtEndGetsDirectory", "http://s/a/b/c.htm", " SRC=", " SRC=HTTP://s:80/a/b/"},
    {"SecureBaseKeepsItsScheme", "https://s/a/c.htm", " SRC=x.gif SRC=/y",
     " SRC=HTTPS://s:443/a/x.gif SRC=https://s:443/y"},
    {"SlashInQueryNamesNoFolder", "http://s/a/c.htm?u=/z/y", " SRC=x.gif", " SRC=HTTP://s:80/a/x.gif"},
    {"KeywordInsideInsertedPrefixIsNotALink", "http://s/SRC=/c.htm", " SRC=x", " SRC=HTTP://s:80/SRC=/x"},
    {"UnsplittableBaseChangesNothing", "http://", " SRC=x.gif", " SRC=x.gif"},
    {"MultibyteTextAround", "http://s/a/", "图片 SRC=x.gif 完", "图片 SRC=HTTP://s:80/a/x.gif 完"},
};

INSTANTIATE_TEST_SUITE_P(Cases, MakeLinksAbsoluteTest, ::testing::ValuesIn(kLinkCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(SplitUrlTest, ServerObjectAndDefaultPorts)
{
    UrlParts parts;
    std::string error;
    ASSERT_TRUE(SplitUrl("http://Host.example/p/q.htm?x=1#frag", parts, error)) << error;
    EXPECT_EQ(parts.scheme, "http");
    EXPECT_EQ(parts.port, 80);
    EXPECT_EQ(parts.object, "/p/q.htm?x=1");
    EXPECT_EQ(parts.path, "/p/q.htm");

    ASSERT_TRUE(SplitUrl("https://h", parts, error)) << error;
    EXPECT_EQ(parts.port, 443);
    EXPECT_EQ(parts.object, "/");
    EXPECT_EQ(parts.RequestUrl(), "https://h:443/");

    ASSERT_TRUE(SplitUrl("h:81/x", parts, error)) << error;
    EXPECT_EQ(parts.scheme, "http");
    EXPECT_EQ(parts.server, "h");
    EXPECT_EQ(parts.port, 81);
}

TEST(SplitUrlTest, MalformedUrlsAreRefusedWithAReason)
{
    for (const char* url : {"", "http://", "http://h:99999/", "http://h h/"}) {
        UrlParts parts;
        std::string error;
        EXPECT_FALSE(SplitUrl(url, parts, error)) << url;
        EXPECT_FALSE(error.empty()) << url;
    }
}

struct CutCase
{
    const char* name;
    const char* text;
    const char* start;
    const char* end;
    const char* expected;
};

class CutExcludedRangeTest : public ::testing::TestWithParam<CutCase>
{
};

TEST_P(CutExcludedRangeTest, CutsAndCuttingAgainChangesNothing)
{
    const CutCase& c = GetParam();
    std::string text = c.text;
    CutExcludedRange(text, c.start, c.end);
    EXPECT_EQ(text, c.expected);
    std::string again = text;
    CutExcludedRange(again, c.start, c.end);
    EXPECT_EQ(again, text);
}

const CutCase kCutCases[] = {
    {"MarkersStayAdjacent", "a<!--x-->b<!--yy-->c", "<!--", "-->", "a<!---->b<!---->c"},
    {"StartWithoutEndRemovesNothing", "a<!--x b", "<!--", "-->", "a<!--x b"},
    {"LaterStartWithoutEnd", "[a]b[c", "[", "]", "[]b[c"},
    {"EmptyStartDoesNothing", "abc", "", "c", "abc"},
    {"EmptyEndRemovesToTheEnd", "keep<x>gone<x>too", "<x>", "", "keep<x>"},
    {"EndOnlyBeforeStart", "]a[b", "[", "]", "]a[b"},
    // The next start marker right behind a long removed range is still seen.
    {"StartRightAfterLongRange", "[aaaaaaaa][b]", "[", "]", "[][]"},
    {"NestedStartsCutToFirstEnd", "[a[b]c]", "[", "]", "[]c]"},
    {"OverlappingMarkers", "abXb", "ab", "b", "abb"},
    {"SameMarkerBothEnds", "|a|b|c|", "|", "|", "||b||"},
    {"Multibyte", "头开始变化的内容结束尾", "开始", "结束", "头开始结束尾"},
    {"NoStartMarker", "plain text", "<", ">", "plain text"},
};

INSTANTIATE_TEST_SUITE_P(Cases, CutExcludedRangeTest, ::testing::ValuesIn(kCutCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

} // namespace
