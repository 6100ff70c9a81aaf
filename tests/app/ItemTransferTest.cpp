// Export and import of check items through the items file and urlwatch's urls.yaml, on real
// message.dat files.
#include "app/ItemTransfer.h"

#include "ItemStore.h"
#include "TestFiles.h"

namespace {

class ItemTransfer : public testing::Test
{
protected:
    StoredItem Add(MessageTypeInfo item, ExcludeRanges ranges = {})
    {
        EXPECT_TRUE(from.ops.Save(item, ranges, error)) << error;
        return {item, ranges};
    }
    ImportReport Import(ItemStore& home, const std::string& text)
    {
        auto report = ImportItemsText(home.ops, text, error);
        EXPECT_TRUE(report) << error;
        return report.value_or(ImportReport{});
    }

    ItemStore from;
    ItemStore to;
    TempDir files;
    std::string error;
};

TEST_F(ItemTransfer, ARoundTripReproducesItemsAndRangesInOrderAndPasswordsOnlyWhenAsked)
{
    MessageTypeInfo web = NewItem("新闻 \"头条\"", kCategoryWebPage, "https://user:pw@example.com/news?a=1&b='2'");
    web.IncludeFrom = "<body>";
    web.IncludeTo = "</body>";
    web.state = 0;
    web.bNotify = 30;
    web.notifysound = "sound/ring01.wav";
    web.About = "第一行\n第二行";
    web.Password = "p@ss";
    Add(web, {{0, "<!--c-->", "<!--/c-->"}, {0, "<a href='x'>", "</a>"}, {0, "广告", "结束"}});
    MessageTypeInfo db = NewItem("库", kCategoryDatabase, "Driver={SQLite3};Database=/x.db;PWD=secret;");
    db.ViewName = "notices";
    db.CheckNumber = 0;
    db.MustHaveID = 1;
    db.MessageTypeUser = "me";
    Add(db);
    MessageTypeInfo mail = NewItem("邮件", kCategoryMail, "pop.example.com");
    mail.ViewName = "995";
    mail.UserName = "tester";
    mail.Password = "mailpw";
    Add(mail);
    const std::vector<StoredItem> original = from.All();
    ASSERT_EQ(original.size(), 3U);

    // With passwords: readable by the user only, and everything comes back as it was.
    const std::string withPasswords = files.path() + "with.json";
    ASSERT_TRUE(ExportItems(from.ops, {}, true, withPasswords, error)) << error;
    EXPECT_EQ(FileMode(withPasswords), 0600U);
    ImportReport report = Import(to, ReadFile(withPasswords));
    EXPECT_EQ(report.added, (std::vector<std::string>{"新闻 \"头条\"", "库", "邮件"}));
    EXPECT_TRUE(report.skipped.empty());
    const std::vector<StoredItem> copied = to.All();
    ASSERT_EQ(copied.size(), original.size());
    for (size_t i = 0; i < copied.size(); ++i) {
        EXPECT_TRUE(SameColumns(copied[i].item, original[i].item)) << original[i].item.MessageTypeName;
        EXPECT_EQ(Texts(copied[i].excludes), Texts(original[i].excludes));
    }

    // Without: no password anywhere in the file, not even inside an address; chosen items in the
    // order asked for; a second import makes the names unique.
    const std::string without = files.path() + "without.json";
    ASSERT_TRUE(
        ExportItems(from.ops, {original[2].item.messagetypeid, original[0].item.messagetypeid}, false, without, error))
        << error;
    EXPECT_NE(FileMode(without) & 0600U, 0U);
    const std::string text = ReadFile(without);
    for (const char* secret : {"Password", "p@ss", "mailpw", ":pw@", "secret"}) {
        EXPECT_EQ(text.find(secret), std::string::npos) << secret;
    }
    report = Import(to, text);
    EXPECT_EQ(report.added, (std::vector<std::string>{"邮件 (2)", "新闻 \"头条\" (2)"}));
    const auto mailCopy = to.All().at(3).item;
    EXPECT_EQ(std::pair(mailCopy.UserName, mailCopy.Password), std::pair(std::string("tester"), std::string()));
    EXPECT_EQ(to.All().at(4).excludes.size(), 3U);
    EXPECT_FALSE(ExportItems(from.ops, {999}, false, without, error));
    EXPECT_EQ(ReadFile(without), text) << "a failed export leaves the old file";
}

TEST_F(ItemTransfer, AUrlwatchFileGivesWebItemsOfItsUrlJobsAndSaysWhyOthersAreSkipped)
{
    // One job a line: a url job with filters, a quoted url, a shell command, a url job of that kind.
    const std::string path = files.path() + "urls.yaml";
    WriteFile(path, "# urlwatch jobs\n"
                    "name: \"Example: news\"\nurl: https://example.com/news\nfilter:\n  - html2text\n  - strip\n"
                    "---\nurl: 'http://example.org/a?x=''1'''\nmax_tries: 3\n"
                    "---\nname: dates\ncommand: date\n"
                    "---\nname: 新闻\nkind: url\nurl: http://example.net/\nheaders: {Accept: text/html}\n");
    const auto report = ImportItems(to.ops, path, error);
    ASSERT_TRUE(report) << error;
    EXPECT_EQ(report->added, (std::vector<std::string>{"Example: news", "http://example.org/a?x='1'", "新闻"}));
    ASSERT_EQ(report->skipped.size(), 1U);
    EXPECT_EQ(std::pair(report->skipped[0].number, report->skipped[0].name), std::pair(3, std::string("dates")));
    EXPECT_NE(report->skipped[0].reason.find("shell"), std::string::npos) << report->skipped[0].reason;
    const auto items = to.All();
    ASSERT_EQ(items.size(), 3U);
    const MessageTypeInfo fresh;
    for (const StoredItem& stored : items) {
        EXPECT_EQ(stored.item.MessageCategory, kCategoryWebPage);
        EXPECT_EQ(stored.item.CheckInterval, fresh.CheckInterval) << "nothing but name and address taken";
        EXPECT_TRUE(stored.excludes.empty());
    }
    EXPECT_EQ(items[1].item.connAddress, "http://example.org/a?x='1'");
}

TEST_F(ItemTransfer, ABadFileIsRefusedWithItsReasonAndAddsNothing)
{
    const std::string valid = R"({"MessageTypeName": "ok", "MessageCategory": 2, "connAddress": "http://a/"})";
    const std::pair<std::string, const char*> bad[] = {
        {R"({"format": "wendar-items", "version": 1, "items": [)" + valid, "JSON"},
        {"{\"format\": \"other\", \"items\": []}", "wendar-items"},
        {R"({"format": "wendar-items", "version": 2, "items": []})", "版本 2"},
        {"url: http://a/\n  bad: [\n", "YAML"},
        {"url: " + std::string(100, '[') + "\n", "嵌套太深"},
        {std::string(kMaxItemsFileBytes + 1, ' '), "太大"},
    };
    for (const auto& [text, reason] : bad) {
        EXPECT_FALSE(ImportItemsText(to.ops, text, error)) << reason;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
    EXPECT_FALSE(ImportItems(to.ops, files.path() + "missing.json", error));
    EXPECT_TRUE(to.All().empty());

    // Items the property dialog would refuse are skipped, the others added.
    const std::string mixed = R"({"format": "wendar-items", "version": 1, "items": [)" + valid + "," +
                              R"({"MessageTypeName": "ftp", "MessageCategory": 3, "connAddress": "http://a/"},)"
                              R"({"MessageTypeName": "", "MessageCategory": 2, "connAddress": "http://a/"},)"
                              R"({"MessageTypeName": "n", "MessageCategory": "2"},)"
                              R"({"MessageTypeName": "b", "MessageCategory": 66, "connAddress": "Driver=x"},)"
                              R"({"MessageTypeName": "r", "MessageCategory": 2, "connAddress": "http://a/",)"
                              R"( "excludes": [{"from": "x", "to": ""}]}]})";
    const ImportReport report = Import(to, mixed);
    EXPECT_EQ(report.added, std::vector<std::string>{"ok"});
    std::vector<int> numbers;
    for (const SkippedItem& skipped : report.skipped) {
        numbers.push_back(skipped.number);
        EXPECT_FALSE(skipped.reason.empty());
    }
    EXPECT_EQ(numbers, (std::vector<int>{2, 3, 4, 5, 6}));
    EXPECT_EQ(to.All().size(), 1U);
}

} // namespace
