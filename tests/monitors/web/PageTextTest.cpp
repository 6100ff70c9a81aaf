// The pure text routines of the web monitor: link rewriting, URL splitting, exclusion cuts, and
// which charset a page is read in and what the decoded page declares.
#include "monitors/web/ExclusionCut.h"
#include "util/MakeLinksAbsolute.h"
#include "util/PageCharset.h"
#include "util/UrlParts.h"

#include <array>
#include <gtest/gtest.h>

namespace {

TEST(MakeLinksAbsoluteTest, RewritesValuesAfterKeyword)
{
    // clang-format off
    const std::array<const char*, 3> cases[] = {
        {"http://s/a/b/c.htm", "<I SRC=x.gif><I SRC='y.gif'>",
         "<I SRC=HTTP://s:80/a/b/x.gif><I SRC='HTTP://s:80/a/b/y.gif'>"},
        {"http://s/a/b/c.htm", "<IMG SRC=\"/x.gif\">", "<IMG SRC=\"http://s:80/x.gif\">"},
        // One step up only.
        {"http://s/a/b/c.htm", "<IMG SRC=../x.gif>", "<IMG SRC=HTTP://s:80/a/x.gif>"},
        {"http://s/a/b/c.htm", "<IMG SRC=../../x.gif>", "<IMG SRC=HTTP://s:80/a/../x.gif>"},
        {"http://s/a/b/c.htm", "<A SRC=http://o/x> <A SRC=\"HTTPS://o/y\"> <A SRC=hTtP://z>",
         "<A SRC=http://o/x> <A SRC=\"HTTPS://o/y\"> <A SRC=hTtP://z>"},
        {"http://s/", " SRC=../x.gif SRC=x.gif", " SRC=HTTP://x.gif SRC=HTTP://s:80/x.gif"},
        {"http://s:8080/a/", "图片 SRC=x.gif 完", "图片 SRC=HTTP://s:8080/a/x.gif 完"},
        // The keyword at 0 ends the pass; the keyword is case-sensitive.
        {"http://s/a/", "SRC=x.gif SRC=y.gif", "SRC=x.gif SRC=y.gif"}, {"http://s/a/", " src=x.gif", " src=x.gif"},
        {"http://s/a/b/c.htm", " SRC=", " SRC=HTTP://s:80/a/b/"}, {"http://", " SRC=x.gif", " SRC=x.gif"},
        {"https://s/a/c.htm", " SRC=x.gif SRC=/y", " SRC=HTTPS://s:443/a/x.gif SRC=https://s:443/y"},
        {"http://s/a/c.htm?u=/z/y", " SRC=x.gif", " SRC=HTTP://s:80/a/x.gif"},
        // The inserted prefix is not searched.
        {"http://s/SRC=/c.htm", " SRC=x", " SRC=HTTP://s:80/SRC=/x"}};
    // clang-format on
    for (const auto& [base, page, expected] : cases) {
        std::string html = page;
        MakeLinksAbsolute(base, "SRC=", html);
        EXPECT_EQ(html, expected) << base << " " << page;
    }
}

TEST(SplitUrlTest, ServerObjectAndDefaultPortsOrAReason)
{
    UrlParts parts;
    std::string error;
    // The address a request goes to; "" for a malformed URL, which must come with a reason.
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"http://h/p/q.htm?x=1#frag", "http://h:80/p/q.htm?x=1"}, {"https://h", "https://h:443/"},
        {"h:81/x", "http://h:81/x"}, {"", ""}, {"http://", ""}, {"http://h:99999/", ""}, {"http://h h/", ""}};
    // clang-format on
    for (const auto& [url, expected] : cases) {
        error.clear();
        EXPECT_EQ(SplitUrl(url, parts, error) ? parts.RequestUrl() : "", expected) << url;
        EXPECT_EQ(error.empty(), *expected != '\0') << url;
    }
}

TEST(CutExcludedRangeTest, CutsAndCuttingAgainChangesNothing)
{
    // clang-format off
    const std::array<const char*, 4> cases[] = {
        {"a<!--x-->b<!--yy-->c", "<!--", "-->", "a<!---->b<!---->c"}, {"[a]b[c", "[", "]", "[]b[c"},
        {"abc", "", "c", "abc"}, {"plain text", "<", ">", "plain text"}, {"abXb", "ab", "b", "abb"},
        // A start without end; an end only before the start; an empty end cuts to the end.
        {"a<!--x b", "<!--", "-->", "a<!--x b"}, {"]a[b", "[", "]", "]a[b"},
        {"keep<x>gone<x>too", "<x>", "", "keep<x>"},
        // A start right behind a long cut is still seen.
        {"[aaaaaaaa][b]", "[", "]", "[][]"}, {"[a[b]c]", "[", "]", "[]c]"},
        {"|a|b|c|", "|", "|", "||b||"}, {"头开始变化的内容结束尾", "开始", "结束", "头开始结束尾"}};
    // clang-format on
    for (const auto& [original, start, end, expected] : cases) {
        std::string text = original;
        CutExcludedRange(text, start, end);
        EXPECT_EQ(text, expected) << original;
        CutExcludedRange(text, start, end);
        EXPECT_EQ(text, expected) << "cut twice: " << original;
    }
}

const std::string kGbk = "\xD7\xEE\xD0\xC2\xB9\xAB\xB8\xE6"; // 最新公告 in GBK
const std::string kUtf8 = "最新公告";
const std::string kBig5 = "\xB3\xCC\xB7\x73\xA4\xBD\xA7\x69"; // 最新公告 in Big5

// A copy an older version stored in the page's own bytes reads as the fresh page, and a copy read
// so stays as it is. (The web monitor test compares such a copy with the page.)
TEST(PageCharset, TheHeaderWinsThenTheMetaThenValidUtf8ThenGb18030AndAnOldCopyReadsAsTheFreshPage)
{
    const std::tuple<std::string, std::string, std::string> cases[] = {
        // The Content-Type's charset comes first, whatever the page says.
        {"text/html; charset=GBK", "<meta charset=\"big5\"><p>" + kGbk, "<meta charset=\"utf-8\"><p>" + kUtf8},
        {"text/html;charset=\"gb2312\"", kGbk, kUtf8},
        // Without one: <meta charset> or the http-equiv form, in any letter case.
        {"text/html", "<META CHARSET=Big5><p>" + kBig5, "<META CHARSET=utf-8><p>" + kUtf8},
        {"", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">" + kGbk,
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">" + kUtf8},
        // Without any: UTF-8 when the bytes are valid UTF-8, else GB18030.
        {"", "<p>" + kUtf8, "<p>" + kUtf8},
        {"", "<p>" + kGbk, "<p>" + kUtf8},
        // An unknown name is passed over.
        {"text/html; charset=x-no-such", "<meta charset=gbk>" + kGbk, "<meta charset=utf-8>" + kUtf8},
        // A declared UTF-8 page keeps its bytes.
        {"text/html; charset=UTF-8", "<meta charset=utf-8>" + kUtf8, "<meta charset=utf-8>" + kUtf8},
    };
    for (const auto& [contentType, original, decoded] : cases) {
        std::string page = original;
        DecodePageToUtf8(page, contentType);
        EXPECT_EQ(page, decoded) << contentType << " | " << original;
    }
    EXPECT_EQ(ContentTypeCharset("text/html; Charset = 'GBK'"), "GBK");
    EXPECT_EQ(ContentTypeCharset("text/html"), "");
    // Declarations are looked for in the head, not in the whole of a large page.
    EXPECT_EQ(DeclaredMetaCharset(std::string(100000, ' ') + "<meta charset=gbk>"), "");

    // Plain ASCII with a GBK declaration gets the same declaration as the decoded page.
    for (auto [page, normalized] :
         {std::pair{"<meta charset=gb2312><p>" + kGbk + "</p>", "<meta charset=utf-8><p>" + kUtf8 + "</p>"},
          std::pair<std::string, std::string>{"<meta charset=gbk><p>news</p>", "<meta charset=utf-8><p>news</p>"}}) {
        for (int pass = 1; pass <= 2; ++pass) {
            NormalizeStoredPage(page);
            EXPECT_EQ(page, normalized) << "pass " << pass;
        }
    }
}

} // namespace
