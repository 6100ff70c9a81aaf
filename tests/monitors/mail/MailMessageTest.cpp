// Reading mails: header fields, encoded words, dates, names and addresses, and the body preview.
#include "monitors/mail/CMailMessage.h"
#include "monitors/mail/MailPreview.h"
#include "store/DateText.h"
#include "store/UserIdentity.h"

#include <chrono>
#include <gtest/gtest.h>

namespace {

CMailMessage MessageWith(std::string text)
{
    CMailMessage message;
    message.SetText(std::move(text));
    return message;
}

} // namespace

TEST(MailHeaderField, FindsFieldsInAnyCaseJoinsEveryMatchKeepsFoldedLinesAndSplitsAddresses)
{
    const auto message = MessageWith("\r\nRECEIVED: one\r\nsubject: Hello\r\nReceived: two\r\n\r\n.\r\n");
    EXPECT_EQ(message.GetHeaderField("Subject"), " Hello");
    // The empty line that ends the header block counts as a folded line.
    EXPECT_EQ(message.GetHeaderField("received"), " one\r\n two\r\n");
    EXPECT_EQ(message.GetHeaderField("Cc"), "");
    // The first line of the text is a header line too (the client strips the "+OK" line).
    EXPECT_EQ(MessageWith("From: a@b\r\nTo: c@d\r\n").GetHeaderField("from"), " a@b");
    // A name that is only the front of another field name does not match it.
    EXPECT_EQ(MessageWith("Subject-Extra: x\r\n").GetHeaderField("Subject"), "");
    // A value at the very end of the text, without a line break.
    EXPECT_EQ(MessageWith("To: x@y").GetHeaderField("to"), " x@y");
    EXPECT_EQ(MessageWith("").GetDecodedField(""), "");
    // Body lines of a TOP reply are not header fields.
    EXPECT_EQ(MessageWith("Subject: a\r\n\r\nSubject: b\r\n").GetSubject(), "a");

    // Names and addresses (whole messages, quoted names among them, are read in the Dovecot test).
    EXPECT_EQ(CMailMessage::NamePart("  <wang@example.com>"), "");
    EXPECT_EQ(CMailMessage::AddressPart("Wang < wang@example.com > (work)"), "wang@example.com");
    EXPECT_EQ(CMailMessage::AddressPart("Wang <wang@example.com"), "wang@example.com");
    EXPECT_EQ(CMailMessage::AddressPart(""), "");
}

TEST(MailHeaderText, DecodesEveryEncodedWordToUtf8InLinearTime)
{
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        // Any case of the letter (the Dovecot test reads GB2312 and UTF-8 words in whole messages).
        {"=?gb2312?q?=C4=E3=BA=C3?=", "你好"}, {"=?gb2312?b?xOO6ww==?=", "你好"},
        // A GBK-only character under the GB2312 label, as mailers send them; other charsets.
        {"=?GB2312?B?hrQ=?=", "喆"}, {"=?Big5?B?p0Gmbg==?=", "你好"}, {"=?ISO-8859-1?Q?Caf=E9?=", "Café"},
        {"=?windows-1252?Q?=80_5?=", "€ 5"},
        // Text before, between and after the words stays; blanks between two words go.
        {"=?UTF-8?B?5L2g?=\r\n =?UTF-8?B?5aW9?= world", "你好 world"}, {"=?UTF-8?Q?a?= b =?UTF-8?Q?c?=", "a b c"},
        // A character split over two words of one charset is put back together.
        {"=?UTF-8?Q?=E4=BD?= =?UTF-8?Q?=A0?=", "你"},
        // Underscore is a blank in Q; a lone '=' stays; the RFC 2231 language is ignored.
        {"=?UTF-8?Q?Hello_World=?=", "Hello World="}, {"=?UTF-8?Q?a=4?=", "a=4"}, {"=?UTF-8*en?Q?hi?=", "hi"},
        // Base64 with blanks inside, a missing padding and a group that starts with padding.
        {"=?UTF-8?B?5L2g 5aW9?=", "你好"}, {"=?UTF-8?B?QUI?=", "AB"}, {"=?UTF-8?B?QQ?=", "A"}, {"=?UTF-8?B?==QQ?=", ""},
        // Not encoded words: kept as they stand.
        {"plain text", "plain text"}, {"=?UTF-8?X?abc?=", "=?UTF-8?X?abc?="}, {"=?UTF-8?B?5L2g", "=?UTF-8?B?5L2g"},
        {"a =? b ?= c", "a =? b ?= c"}, {"=??B?QQ==?=", "=??B?QQ==?="},
        // An unknown charset keeps the bytes; bytes a charset does not allow become U+FFFD.
        {"=?x-unknown?Q?abc?=", "abc"}, {"=?UTF-8?Q?a=FFb?=", "a\xEF\xBF\xBD" "b"},
        // Raw GBK outside any word, as old mailers send it.
        {"\xC4\xE3\xBA\xC3", "你好"}};
    // clang-format on
    for (const auto& [raw, decoded] : cases)
        EXPECT_EQ(CMailMessage::DecodeHeaderText(raw), decoded) << raw;

    // A hostile value of many unclosed words is read in linear time.
    std::string unclosed, brokenByLines;
    for (int i = 0; i < 40000; ++i) {
        unclosed += "=?a?B?x";
        brokenByLines += "=?a?B?x\r\n";
    }
    brokenByLines += "?=";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CMailMessage::DecodeHeaderText(unclosed), unclosed);
    EXPECT_EQ(CMailMessage::DecodeHeaderText(brokenByLines), brokenByLines);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)); // was minutes at 8 MB
}

TEST(MailDate, ReadsLocalTimeIgnoresTheZoneAndCarriesOutOfRangeFieldsOver)
{
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"sun, 1 jUN 2003 10:00:00 +0800", "2003年06月01日-10:00"},
        // The weekday is optional, with or without a blank after its comma; two-digit years.
        {"15 Nov 1994 08:12:31 -0500", "1994年11月15日-08:12"}, {"Tue,15 Nov 1994 08:12:31", "1994年11月15日-08:12"},
        {"Sun, 1 Jun 03 10:00:00", "2003年06月01日-10:00"}, {"Mon, 1 Jun 98 10:00:00", "1998年06月01日-10:00"},
        // An unknown month is month 0 (December before); day 0 is the last of the month before.
        {"Sun, 1 Foo 2003 10:00:00", "2002年12月01日-10:00"}, {"Sun, 0 Mar 2004 10:00:00", "2004年02月29日-10:00"},
        {"Sun, 1 Jun 2003 24:30:00", "2003年06月02日-00:30"},
        // Fields that are not there stay 0; dates that cannot be represented give nothing.
        {"Sun, 1 Jun 2003", "2003年06月01日-00:00"}, {"Sun, 1 Jun 2003 10", "2003年06月01日-10:00"},
        {"Sun, 1 Jun 99999999999999 10:00:00", ""}, {"Sun, 99999999999 Jun 2003 99999999:99999999:9999999", ""}};
    // clang-format on
    for (const auto& [text, expected] : cases) {
        const auto moment = CMailMessage::ParseMailDate(text);
        EXPECT_EQ(moment ? FormatLocalTime(*moment, kFindingDateFormat) : std::string(), expected) << text;
    }
    const auto empty = CMailMessage::ParseMailDate("");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(FormatLocalTime(*empty, "%Y-%m-%d %H:%M:%S"), "2000-01-01 01:01:01");
}

TEST(MailPreview, TakesThePlainTextPartDecodedAndTidied)
{
    // (The Dovecot test reads quoted-printable GBK, base64 UTF-8 and HTML-only mails.)
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        // Text/plain before HTML, also inside nested parts; attachments and other types are skipped.
        {"Content-Type: multipart/mixed; boundary=\"m\"\r\n\r\n--m\r\nContent-Type: multipart/alternative;\r\n"
         " boundary=a\r\n\r\n--a\r\nContent-Type: text/html\r\n\r\n<b>html</b>\r\n--a\r\n"
         "Content-Type: text/plain\r\n\r\nplain\r\n--a--\r\n--m--\r\n", "plain"},
        {"Content-Type: multipart/mixed; boundary=m\r\n\r\n--m\r\nContent-Type: text/plain\r\n"
         "Content-Disposition: attachment\r\n\r\nfile\r\n--m\r\nContent-Type: text/html\r\n\r\nbody\r\n", "body"},
        {"Content-Type: image/png\r\n\r\nPNG\r\n", ""}, {"Subject: x\r\n\r\n.\r\n", ""},
        // A part cut off by the line count, dot-stuffing, tabs, blank runs and controls tidied.
        {"Subject: x\r\n\r\n..dot\r\n\r\n\r\n\r\n\ta\x01" "b  \r\n\r\n.\r\n", ".dot\n\n ab"},
        // A base64 text cut inside a character; an unknown charset read as GB18030 or UTF-8.
        {"Content-Transfer-Encoding: base64\r\n\r\n5Lit5paH5Lit5paH5Lit5p\r\n", "中文中文中"},
        {"Content-Type: text/plain; charset=x-none\r\n\r\n\xC4\xE3\r\n", "你"},
        // HTML: scripts, styles, comments and tags go, references are decoded, "a < b" stays.
        {"Content-Type: text/html\r\n\r\n<script>x<y</script><!-- c -->a &lt; b &#x4F60;&#22909;<br>\r\n"
         "<div\r\n class=x>next   line</div>&bogus; a < b", "a < b 你好\nnext line\n&bogus; a < b"}};
    // clang-format on
    for (const auto& [mail, preview] : cases)
        EXPECT_EQ(MailPreviewText(mail), preview) << mail;

    // At most 2 KB, cut on a character with "…" after it.
    std::string mail = "Content-Type: text/plain; charset=utf-8\r\n\r\n";
    for (int i = 0; i < 400; ++i)
        mail += "一二三\r\n";
    const std::string preview = MailPreviewText(mail);
    EXPECT_LE(preview.size(), kMailPreviewBytes);
    EXPECT_GT(preview.size(), kMailPreviewBytes - 8);
    EXPECT_TRUE(preview.starts_with("一二三\n一二三"));
    EXPECT_TRUE(preview.ends_with("…"));
}
