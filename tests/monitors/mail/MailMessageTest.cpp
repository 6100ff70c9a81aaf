// Reading mail headers: fields, encoded words, dates, names and addresses.
#include "monitors/CMailMessage.h"
#include "store/DateText.h"
#include "store/UserIdentity.h"

#include <gtest/gtest.h>

namespace {

CMailMessage MessageWith(std::string text)
{
    CMailMessage message;
    message.SetText(std::move(text));
    return message;
}

std::string DateText(std::string_view value)
{
    const auto moment = CMailMessage::ParseMailDate(value);
    return moment ? FormatLocalTime(*moment, kFindingDateFormat) : std::string();
}

} // namespace

TEST(MailHeaderField, FindsFieldsInAnyCaseAndJoinsEveryMatch)
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
}

TEST(MailHeaderField, KeepsFoldedLinesWithTheirLineBreaks)
{
    const auto message = MessageWith("Subject: first part\r\n\tsecond part\r\n  third\r\nFrom: x\r\n");
    EXPECT_EQ(message.GetHeaderField("Subject"), " first part\r\n\tsecond part\r\n  third");
    EXPECT_EQ(message.GetSubject(), "first part\r\n\tsecond part\r\n  third");
    // A value at the very end of the text, without a line break.
    EXPECT_EQ(MessageWith("To: x@y").GetHeaderField("to"), " x@y");
    EXPECT_EQ(MessageWith("").GetDecodedField(""), "");
}

struct DecodeCase
{
    const char* raw;
    const char* decoded;
};

class DecodeHeaderText : public ::testing::TestWithParam<DecodeCase>
{
};

TEST_P(DecodeHeaderText, GivesUtf8)
{
    EXPECT_EQ(CMailMessage::DecodeHeaderText(GetParam().raw), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Words, DecodeHeaderText,
    ::testing::Values(
        // GB2312 C4 E3 BA C3 (你好), base64 and Q, in any case of the letter.
        DecodeCase{"=?GB2312?B?xOO6ww==?=", "你好"}, DecodeCase{"=?gb2312?Q?=C4=E3=BA=C3?=", "你好"},
        DecodeCase{"=?gb2312?q?=C4=E3=BA=C3?=", "你好"}, DecodeCase{"=?gb2312?b?xOO6ww==?=", "你好"},
        // A GBK-only character under the GB2312 label, as mailers send them.
        DecodeCase{"=?GB2312?B?hrQ=?=", "喆"}, DecodeCase{"=?UTF-8?B?5L2g5aW9?=", "你好"},
        DecodeCase{"=?Big5?B?p0Gmbg==?=", "你好"}, DecodeCase{"=?ISO-8859-1?Q?Caf=E9?=", "Café"},
        DecodeCase{"=?windows-1252?Q?=80_5?=", "€ 5"},
        // Text before, between and after the words stays; blanks between two words go.
        DecodeCase{"Re: =?UTF-8?B?5L2g5aW9?=", "Re: 你好"}, DecodeCase{"=?UTF-8?B?5L2g?= =?UTF-8?B?5aW9?=", "你好"},
        DecodeCase{"=?UTF-8?B?5L2g?=\r\n =?UTF-8?B?5aW9?= world", "你好 world"},
        DecodeCase{"=?UTF-8?Q?a?= b =?UTF-8?Q?c?=", "a b c"},
        DecodeCase{"=?GB2312?B?1cXI/Q==?= <zhang@example.com>", "张三 <zhang@example.com>"},
        // A character split over two words of one charset is put back together.
        DecodeCase{"=?UTF-8?Q?=E4=BD?= =?UTF-8?Q?=A0?=", "你"},
        // Underscore is a blank in Q; a lone '=' stays; the RFC 2231 language is ignored.
        DecodeCase{"=?UTF-8?Q?Hello_World=?=", "Hello World="}, DecodeCase{"=?UTF-8?Q?a=4?=", "a=4"},
        DecodeCase{"=?UTF-8*en?Q?hi?=", "hi"},
        // Base64 with blanks inside, a missing padding and a group that starts with padding.
        DecodeCase{"=?UTF-8?B?5L2g 5aW9?=", "你好"}, DecodeCase{"=?UTF-8?B?QUI?=", "AB"},
        DecodeCase{"=?UTF-8?B?QQ?=", "A"}, DecodeCase{"=?UTF-8?B?==QQ?=", ""},
        // Not encoded words: kept as they stand.
        DecodeCase{"plain text", "plain text"}, DecodeCase{"=?UTF-8?X?abc?=", "=?UTF-8?X?abc?="},
        DecodeCase{"=?UTF-8?B?5L2g", "=?UTF-8?B?5L2g"}, DecodeCase{"a =? b ?= c", "a =? b ?= c"},
        DecodeCase{"=??B?QQ==?=", "=??B?QQ==?="},
        // An unknown charset keeps the bytes; bytes a charset does not allow become U+FFFD.
        DecodeCase{"=?x-unknown?Q?abc?=", "abc"},
        DecodeCase{"=?UTF-8?Q?a=FFb?=", "a\xEF\xBF\xBD"
                                        "b"},
        // Raw GBK outside any word, as old mailers send it.
        DecodeCase{"\xC4\xE3\xBA\xC3", "你好"}));

TEST(MailDate, ReadsTheFieldsAsLocalTimeAndIgnoresTheZone)
{
    EXPECT_EQ(DateText("Tue, 15 Nov 1994 08:12:31 -0500"), "1994年11月15日-08:12");
    EXPECT_EQ(DateText("Sun, 1 Jun 2003 10:00:00 +0800"), "2003年06月01日-10:00");
    EXPECT_EQ(DateText("sun, 1 jUN 2003 10:00:00"), "2003年06月01日-10:00");
    // The weekday is optional, with or without a blank after its comma.
    EXPECT_EQ(DateText("15 Nov 1994 08:12:31 -0500"), "1994年11月15日-08:12");
    EXPECT_EQ(DateText("Tue,15 Nov 1994 08:12:31"), "1994年11月15日-08:12");
    // Two-digit years of old mailers.
    EXPECT_EQ(DateText("Sun, 1 Jun 03 10:00:00"), "2003年06月01日-10:00");
    EXPECT_EQ(DateText("Mon, 1 Jun 98 10:00:00"), "1998年06月01日-10:00");
}

TEST(MailDate, CarriesOutOfRangeFieldsOver)
{
    // An unknown month is month 0: December of the year before.
    EXPECT_EQ(DateText("Sun, 1 Foo 2003 10:00:00"), "2002年12月01日-10:00");
    // Day 0 is the last day of the month before; 24:30 is the next day.
    EXPECT_EQ(DateText("Sun, 0 Mar 2004 10:00:00"), "2004年02月29日-10:00");
    EXPECT_EQ(DateText("Sun, 1 Jun 2003 24:30:00"), "2003年06月02日-00:30");
    // Fields that are not there stay 0.
    EXPECT_EQ(DateText("Sun, 1 Jun 2003"), "2003年06月01日-00:00");
    EXPECT_EQ(DateText("Sun, 1 Jun 2003 10"), "2003年06月01日-10:00");
}

TEST(MailDate, EmptyTextAndUnrepresentableDates)
{
    const auto empty = CMailMessage::ParseMailDate("");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(FormatLocalTime(*empty, "%Y-%m-%d %H:%M:%S"), "2000-01-01 01:01:01");
    EXPECT_EQ(DateText("Sun, 1 Jun 99999999999999 10:00:00"), "");
    EXPECT_EQ(DateText("Sun, 99999999999 Jun 2003 99999999:99999999:9999999"), "");
}

TEST(MailAddress, SplitsNameAndAddress)
{
    const auto message = MessageWith("From: =?UTF-8?B?5byg5LiJ?= <zhang@example.com>\r\n"
                                     "To: li@example.com\r\n");
    EXPECT_EQ(message.GetFromName(), "张三");
    EXPECT_EQ(message.GetFromAddress(), "zhang@example.com");
    EXPECT_EQ(message.GetToName(), "li@example.com");
    EXPECT_EQ(message.GetToAddress(), "li@example.com");

    EXPECT_EQ(CMailMessage::NamePart("\"Wang Wu\" <wang@example.com>"), "Wang Wu");
    EXPECT_EQ(CMailMessage::NamePart("  <wang@example.com>"), "");
    EXPECT_EQ(CMailMessage::AddressPart("Wang < wang@example.com > (work)"), "wang@example.com");
    EXPECT_EQ(CMailMessage::AddressPart("Wang <wang@example.com"), "wang@example.com");
    EXPECT_EQ(CMailMessage::AddressPart(""), "");
}
