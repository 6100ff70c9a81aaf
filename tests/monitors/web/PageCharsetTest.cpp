// Which charset a page is read in, and what the decoded page declares.
#include "util/PageCharset.h"

#include "util/TextEncoding.h"

#include <gtest/gtest.h>

namespace {

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
        EXPECT_TRUE(IsValidUtf8(page));
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
