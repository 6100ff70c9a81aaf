// The detail pane's texts without a view: the header strip and the page made of stored content (the
// remote address is tested through the pane).
#include "gui/detail/MessageDetailText.h"

#include "store/MessageInfo.h"
#include "store/MessageTypeInfo.h"

#include <gtest/gtest.h>

namespace {

MessageInfo Record()
{
    MessageInfo record;
    record.ID = 7;
    record.MessageTypeName = "库存通知";
    record.RecieveDate = "2002年05月01日-08:30";
    record.SourceDate = "2002/04/30-17:00";
    record.SourceFromID = "u42";
    record.SourceFromName = "王五";
    record.SourceInfo = "新的订单";
    record.SourceToName = "ab张三李四王"; // 17 bytes: the 15-byte cut falls inside 王
    record.SourceLink = "http://example.test/order/1";
    record.m_strCategoryName = CategoryName(kCategoryDatabase);
    return record;
}

} // namespace

TEST(MessageDetailText, HeaderOfARecordAndOfNone)
{
    const MessageInfo record = Record();
    const MessageHeaderTexts t = BuildHeaderTexts(&record, 0);
    // The receiver is cut before the character that does not fit.
    EXPECT_EQ(t.link + "|" + t.itemName + "|" + t.receiveDate + "|" + t.category + "|" + t.sourceDate + "|" + t.sender +
                  "|" + t.subject + "|" + t.receiver,
              "http://example.test/order/1|库存通知|检测日期:2002年05月01日-08:30|类型:数据库监视|"
              "消息日期:2002/04/30-17:00|发送人:王五|新的订单|接收人:ab张三李四");
    EXPECT_EQ(BuildHeaderTexts(&record, kUserTypeShowsSenderId).sender, "发送人:王五(u42)");

    const MessageHeaderTexts none = BuildHeaderTexts(nullptr, kUserTypeShowsSenderId);
    EXPECT_EQ(none.itemName + none.sender + none.receiver + none.subject + none.link, "还未选择发送人:接收人:");
}

TEST(MessageDetailText, AWebRecordKeepsItsMarkupWithAbsoluteLinksAndOthersGetLineBreaksAndTheFramingTable)
{
    MessageInfo record = Record();
    record.MessageCategory = kCategoryWebPage;
    record.SourceLink = "  http://example.test/a/b/c.htm \t";
    // Every kind of link is made absolute (the rewriting itself is tested with the web monitor).
    record.SourceContent = "<p>x</p><img src=\"x.gif\"><a href='/top.htm'>t</a><td background=\"bg.png\">";
    EXPECT_EQ(BuildStoredContentHtml(record), "<p>x</p><img src=\"HTTP://example.test:80/a/b/x.gif\">"
                                              "<a href='http://example.test:80/top.htm'>t</a>"
                                              "<td background=\"HTTP://example.test:80/a/b/bg.png\">");

    // Without a link of its own the item's address is the base.
    record.SourceLink.clear();
    record.connAddress = "http://other.test/d/page.htm";
    record.SourceContent = "<img src=\"y.gif\">";
    EXPECT_EQ(BuildStoredContentHtml(record), "<img src=\"HTTP://other.test:80/d/y.gif\">");

    record.MessageCategory = kCategoryMail;
    record.SourceContent = "第一行\r\n第二行\r<b>粗</b>";
    EXPECT_EQ(BuildStoredContentHtml(record),
              "<hr width='80%' SIZE='1'> <br> <table  width='100%' style='line-height: 150% ;color:#008080'><tr><td>"
              "第一行<br>\n第二行<br><b>粗</b></td></tr></table><br><hr width='80%' SIZE='1'>");
}
