#include "ItemStore.h"
#include "MessageStore.h"
#include "store/ExcludeTable.h"
#include "store/FindingStore.h"
#include "store/LocalDatabase.h"

namespace {

class Search : public MessageStore
{
protected:
    // The keys of the records a search finds, read page by page two at a time.
    std::vector<int> Found(const std::string& text, int itemId = 0, int filter = kFilterAll)
    {
        std::vector<int> ids = Ids(AllPages({.readFilter = filter, .itemId = itemId, .pageSize = 2, .search = text}));
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    // Each text finds the records with the keys beside it.
    void ExpectFound(const std::vector<std::pair<std::string, std::vector<int>>>& cases, const char* when = "")
    {
        for (const auto& [text, ids] : cases) {
            EXPECT_EQ(Found(text), ids) << text << when;
        }
    }
    // Stores the findings as a check does; their keys.
    std::vector<int> Check(MessageTypeInfo& item, const std::vector<std::string>& infos)
    {
        const long long before = store.QueryNumber("select ifnull(max(id), 0) from userdata");
        {
            CFindingStore findings(store.connection(), item);
            for (const std::string& info : infos) {
                SourceRowInfo row;
                row.ID = std::to_string(++checked);
                row.Info = info;
                EXPECT_EQ(findings.StoreIfNew(row), CFindingStore::Outcome::Stored);
            }
            EXPECT_TRUE(findings.Flush());
        }
        std::vector<int> ids;
        for (size_t i = 1; i <= infos.size(); ++i) {
            ids.push_back(static_cast<int>(before + i));
        }
        return ids;
    }
    int checked = 1000;
};

} // namespace

TEST_F(Search, FindsChineseWordsInsideLongerTextLatinAndSpecialCharactersWithinAnItemAndTheReadFilter)
{
    const int contract = Add(itemA, "关于签订采购合同的通知", "请于周五前确认");
    const int cpp = Add(itemA, "Budget Report", "编译器 C++ 升级, 见 \"引号\" 与 'single' 100%_done");
    const int mixed = Add(itemB, "会议安排", "合同 budget 在会上讨论", "王五");
    const int ending = Add(itemB, "提醒", "下周签合同");
    store.connection().Execute("update userdata set status=1 where id=" + std::to_string(mixed));

    ExpectFound({
        {"合同", {contract, mixed, ending}}, // a two-character word inside, alone and at the end of a text
        {"采购合同", {contract}},
        {"购合", {contract}},
        {"budget", {cpp, mixed}}, // case folded
        {"合同 BUDGET", {mixed}}, // every word
        {"C++", {cpp}},
        {"\"引号\"", {cpp}},
        {"'single'", {cpp}},
        {"100%_", {cpp}},
        {"王五", {mixed}},                        // sender
        {"李四", {contract, cpp, mixed, ending}}, // receiver
        {"张", {contract, cpp, ending}},          // one character
        {"合约", {}},
        {"AND OR NOT ( ) * ^ : NEAR", {}}, // query syntax is only text
        {"\"", {cpp}},
        {"   ", {contract, cpp, mixed, ending}},
    });
    EXPECT_EQ(Found("合同", itemB.messagetypeid), (std::vector<int>{mixed, ending}));
    EXPECT_EQ(Found("合同", 0, kFilterUnread), (std::vector<int>{contract, ending}));
    EXPECT_EQ(Found("合同", itemB.messagetypeid, kFilterRead), (std::vector<int>{mixed}));
}

TEST_F(Search, TheIndexFollowsNewFindingsDeletionsUndoAndChangedTexts)
{
    const int first = Add(itemA, "服务器维护通知", "今晚停机");
    EXPECT_EQ(Found("停机"), (std::vector<int>{first}));
    const int second = Add(itemB, "再次停机", "服务器升级");
    EXPECT_EQ(Found("停机"), (std::vector<int>{first, second}));

    ASSERT_TRUE(messages.Delete({first}, error)) << error;
    EXPECT_EQ(Found("停机"), (std::vector<int>{second}));
    EXPECT_EQ(Found("维护"), (std::vector<int>{}));
    std::vector<int> restored;
    ASSERT_TRUE(messages.Undo(restored, error)) << error;
    EXPECT_EQ(Found("维护通知"), (std::vector<int>{first}));

    store.connection().Execute("update userdata set SourceContent='已经恢复' where id=" + std::to_string(second));
    EXPECT_EQ(Found("停机"), (std::vector<int>{first, second})); // still in its subject
    EXPECT_EQ(Found("升级"), (std::vector<int>{}));
    EXPECT_EQ(Found("已经恢复"), (std::vector<int>{second}));
    ASSERT_TRUE(messages.SetAllRead(0, true, error)) << error;
    EXPECT_EQ(Found("停机", 0, kFilterRead), (std::vector<int>{first, second}));
}

TEST_F(Search, ACheckLeavesItsFindingsToTheIndexingStepsAndTheSearchFindsThemMeanwhile)
{
    const int before = Add(itemA, "服务器维护通知", "今晚停机");
    const std::vector<int> found = Check(itemA, {"再次停机 Server", "数据库维护", "停机"});
    const SearchIndexProgress progress = Ok(messages.SearchIndexState(error));
    EXPECT_EQ(std::tuple(progress.done, progress.total), std::tuple(before, found.back()));
    const std::vector<std::pair<std::string, std::vector<int>>> cases = {
        {"停机", {before, found[0], found[2]}},
        {"server", {found[0]}}, // case folded
        {"数据库", {found[1]}}, // a two-character word the index has no term for
        {"数据", {found[1]}},
        {"维护 停机", {before}},
    };
    ExpectFound(cases, " while waiting");
    ASSERT_TRUE(messages.CompleteSearchIndex(1, nullptr, error)) << error;
    EXPECT_TRUE(Ok(messages.SearchIndexState(error)).Complete());
    ExpectFound(cases, " once indexed");
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata_search"), 4);
    // A record of another program comes between: the next check's findings wait after it.
    const int other = Add(itemB, "停机", "");
    const std::vector<int> next = Check(itemA, {"停机"});
    EXPECT_EQ(Found("停机"), (std::vector<int>{before, found[0], found[2], other, next[0]}));
    EXPECT_EQ(Ok(messages.SearchIndexState(error)).done, other);
}

TEST_F(Search, AnOlderFilesRecordsAreIndexedInStepsOnceAndTheTriggersLeaveThemToIt)
{
    // A file of an older version: records, but no index.
    for (const char* sql :
         {"drop trigger userdata_search_insert", "drop trigger userdata_search_delete",
          "drop trigger userdata_search_update", "drop table userdata_search_terms", "drop table userdata_search",
          "drop table userdata_search_state",
          "with recursive n(i) as (select 1 union all select i + 1 from n where i < 4500) insert into userdata "
          "(MessageTypeID, SourceInfo, SourceContent) select 1 + i % 2, '旧的消息 ' || i, "
          "case when i = 4000 then '第四千条' else '' end from n"}) {
        ASSERT_TRUE(store.connection().Execute(sql)) << sql;
    }
    ASSERT_TRUE(EnsureLocalDatabase(store.appDir() + "message.dat", error)) << error;

    SearchIndexProgress progress = Ok(messages.SearchIndexState(error));
    EXPECT_EQ(std::pair(progress.done, progress.total), std::pair(0LL, 4500LL));
    // New records and changes meanwhile: the triggers index the new ones, and leave the waiting
    // keys (an undo brings one back) to the indexing.
    const int fresh = Add(itemA, "新的消息", "");
    ASSERT_TRUE(messages.Delete({4000}, error)) << error;
    std::vector<int> restored;
    ASSERT_TRUE(messages.Undo(restored, error)) << error;
    EXPECT_EQ(Found("新的消息"), (std::vector<int>{fresh}));
    // A check after it cannot join the waiting keys (an indexed one lies between): the triggers
    // index its findings.
    const std::vector<int> afterFresh = Check(itemA, {"新的消息"});
    EXPECT_EQ(Found("新的消息"), (std::vector<int>{fresh, afterFresh[0]}));
    EXPECT_EQ(Found("第四千条"), (std::vector<int>{4000})) << "found before it is indexed";

    std::vector<long long> steps;
    for (int round = 0; round < 100 && !progress.Complete(); ++round) {
        progress = Ok(messages.IndexForSearch(2000, error));
        steps.push_back(progress.done);
    }
    EXPECT_EQ(steps, (std::vector<long long>{2000, 4000, 4500}));
    EXPECT_EQ(Ok(messages.Page({.search = "旧的消息"}, error)).totalCount, 4500);
    EXPECT_EQ(Found("第四千条"), (std::vector<int>{4000}));
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata_search"), 4502);
    ASSERT_TRUE(EnsureLocalDatabase(store.appDir() + "message.dat", error)) << error;
    EXPECT_TRUE(Ok(messages.SearchIndexState(error)).Complete());
}

namespace {

class Changes : public MessageStore
{
protected:
    void SetUp() override
    {
        MessageStore::SetUp();
        web = store.AddItem(NewItem("页", kCategoryWebPage, "http://127.0.0.1/page"));
        ASSERT_TRUE(SaveExcludeRanges(store.connection(), web.messagetypeid, {{0, "<!--a-->", "<!--b-->"}}));
    }

    int AddCopy(const std::string& content, const MessageTypeInfo& item)
    {
        return Add(item, "网页内容更新了!", content);
    }

    ChangeView View(int id) { return Ok(messages.Changes(id, error)); }

    using Pieces = std::vector<std::pair<DiffPiece::Kind, std::string>>;
    static Pieces PiecesOf(const ChangeView& view)
    {
        Pieces pieces;
        for (const DiffPiece& piece : view.pieces) {
            pieces.emplace_back(piece.kind, piece.text);
        }
        return pieces;
    }

    MessageTypeInfo web;
};

using Kind = DiffPiece::Kind;

} // namespace

TEST_F(Changes, AWebPageComparesWithItsPreviousCopyWordByWordLeavingOutExclusionsAndWhiteSpace)
{
    const int first = AddCopy("<p>我们明天开会。</p>\n<!--a-->时间 12:00<!--b--> price 100 USD", web);
    const ChangeView firstView = View(first);
    EXPECT_FALSE(firstView.hasPrevious);
    EXPECT_EQ(PiecesOf(firstView), (Pieces{{Kind::Added, "\n我们明天开会。\n\n   price 100 USD"}}));

    // Only the excluded range and white space differ.
    const int same = AddCopy("<p>我们明天开会。</p>\n\n<!--a-->时间 12:05<!--b-->   price\t100  USD  ", web);
    const ChangeView sameView = View(same);
    EXPECT_TRUE(sameView.hasPrevious);
    EXPECT_FALSE(HasChanges(sameView.pieces));
    EXPECT_NE(ChangeViewHtml(sameView).find("没有变化"), std::string::npos);

    // A word inserted in a Chinese sentence, a number changed, a deleted record's copy still counts.
    ASSERT_TRUE(messages.Delete({same}, error)) << error;
    const int changed = AddCopy("<p>我们明天上午开会。</p><!--a-->x<!--b--> price 120 USD", web);
    const ChangeView view = View(changed);
    EXPECT_EQ(PiecesOf(view), (Pieces{{Kind::Same, "\n我们明天"},
                                      {Kind::Added, "上午"},
                                      {Kind::Same, "开会。\n   price"},
                                      {Kind::Removed, "\t100"},
                                      {Kind::Added, " 120"},
                                      {Kind::Same, " USD"}}));
    EXPECT_EQ(ChangeViewLines(view), (std::vector<std::string>{"+ 上午", "- 100", "+ 120"}));
    const std::string html = ChangeViewHtml(view);
    EXPECT_NE(html.find("<ins class=\"added\">上午</ins>"), std::string::npos);
    EXPECT_NE(html.find("<del class=\"removed\">\t100</del>"), std::string::npos);

    // Another page of the same item (a frame) has copies of its own.
    MessageTypeInfo frame = web;
    frame.connAddress = "http://127.0.0.1/frame";
    EXPECT_FALSE(View(AddCopy("<p>框架</p>", frame)).hasPrevious);
}

TEST_F(Changes, AnFtpRecordShowsItsEntryAndADatabaseRecordItsRow)
{
    MessageTypeInfo ftp;
    ftp.MessageCategory = kCategoryFtp;
    const ChangeView entries = View(Add(store.AddItem(ftp), "报告.pdf",
                                        "FTP<a href=x>(ftp)</a>中下面的文件或者文件夹发生了变化<br>文件名称：<a "
                                        "href=y>报告.pdf</a>"));
    EXPECT_EQ(entries.kind, ChangeView::Kind::Entries);
    EXPECT_EQ(ChangeViewLines(entries),
              (std::vector<std::string>{"+ FTP (ftp) 中下面的文件或者文件夹发生了变化 文件名称： 报告.pdf"}));

    const ChangeView row = View(Add(itemA, "请审批", "金额 &lt;5000&gt;")); // a database item
    EXPECT_EQ(row.kind, ChangeView::Kind::Row);
    EXPECT_EQ(ChangeViewLines(row), (std::vector<std::string>{"+ 标题: 请审批 发送者: 张三 接收者: 李四 金额 <5000>"}));

    EXPECT_FALSE(messages.Changes(99, error));
    EXPECT_FALSE(error.empty());
}
