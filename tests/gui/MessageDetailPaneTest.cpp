// The detail pane over a real message.dat with the real embedded browser: the header strip, the
// two display modes, the content file, the header toggle and the download status; the web engine
// starts with the first message shown.
#include "BrowserWait.h"
#include "PaneWorld.h"

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(MessageDetailPane, ShowsTheHeaderAndTheStoredContentOfAMailAsAFramedPageFile)
{
    PaneWorld world;
    world.app.m_settings.UserType = 1102;
    const int item = world.AddItem("邮件", kCategoryMail);
    const int id = world.AddMessage(item, {.typeName = "邮件",
                                           .fromName = "王五",
                                           .fromId = "wang@example.test",
                                           .info = "月度报告 & <总结>",
                                           .link = "http://example.test/report",
                                           .content = "第一行\r\n第二行",
                                           .category = kCategoryMail});
    CWatchMessageView pane(world.context());
    ShowAt(pane, 700, 400);
    // Until a message is shown the start page is a placeholder: the web engine has not started.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    EXPECT_FALSE(pane.Browser()->HasEngine());
    EXPECT_TRUE(pane.Browser()->Address().isEmpty());

    QSignalSpy loaded(pane.Browser(), &CWebBrowser2::DownloadComplete);
    world.ShowMessage(id);
    EXPECT_EQ(std::tuple(pane.Browser()->HasEngine(), pane.ItemNameLabel()->text(), pane.SenderLabel()->text(),
                         pane.CategoryLabel()->isVisible(), pane.SubjectLabel()->accessibleName()),
              std::tuple(true, QStringLiteral("邮件"), QStringLiteral("发送人:王五(wang@example.test)"), false,
                         QStringLiteral("月度报告 & <总结>")));

    const std::string file = world.app.m_strAppDir + "data/content1.htm";
    EXPECT_EQ(pane.Browser()->Address(), QUrl::fromLocalFile(QString::fromStdString(file)));
    // The framing is the text builder's; the byte order mark in front is the pane's.
    EXPECT_EQ(ReadFile(file).rfind("\xEF\xBB\xBF<hr width='80%' SIZE='1'>", 0), 0u);
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(world.app.m_strAppDir + "data").permissions(), fs::perms::owner_all);
    ASSERT_TRUE(WaitForLoad(loaded));
    EXPECT_TRUE(PageText(*pane.Browser()).contains(QStringLiteral("第二行")));

    // The subject opens its web address (a bare host name is one) in the desktop's browser; a local
    // file it never opens.
    const std::pair<const char*, const char*> links[] = {{"http://example.test/report", "http://example.test/report"},
                                                         {"file:///etc/passwd", nullptr},
                                                         {"www.example.test/a?b=1", "http://www.example.test/a?b=1"}};
    for (const auto& [link, opened] : links) {
        world.opener.opened.clear();
        ASSERT_TRUE(world.app.Db().main.Execute("update userdata set SourceLink=" + SqlQuoted(link)));
        world.ShowMessage(id);
        pane.OpenSubjectLink();
        EXPECT_EQ(world.opener.opened, opened ? std::vector{QUrl(QString::fromUtf8(opened))} : std::vector<QUrl>())
            << link;
    }

    // No record: the header says so and the browser goes home.
    world.ShowMessage(0);
    EXPECT_EQ(std::tuple(pane.ItemNameLabel()->text(), pane.ReceiverLabel()->text(), pane.Browser()->Address()),
              std::tuple(QStringLiteral("还未选择"), QStringLiteral("接收人:"), QUrl()));
}

TEST(MessageDetailPane, AWebRecordShowsChineseRightWhateverCharsetItDeclaresAndTheButtonsSwitchModes)
{
    PaneWorld world;
    const int web = world.AddItem("网页", kCategoryWebPage, 1, "http://127.0.0.1:9/item.htm");
    const int id = world.AddMessage(
        web, {.link = "http://127.0.0.1:9/page.htm",
              .content = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
                         "<meta charset=\"big5\"></head><body><p>网页内容更新了</p><img src=\"pic.gif\"></body></html>",
              .category = kCategoryWebPage});
    CWatchMessageView pane(world.context());
    ShowAt(pane, 700, 400);

    // Display type 1: the remote address at every selection.
    world.ShowMessage(id);
    EXPECT_EQ(pane.Browser()->Address(), QUrl(QStringLiteral("http://127.0.0.1:9/page.htm")));

    QSignalSpy loaded(pane.Browser()->View(), &QWebEngineView::loadFinished);
    pane.StoredButton()->click();
    const std::string file = world.app.m_strAppDir + "data/content1.htm";
    EXPECT_EQ(pane.Browser()->Address(), QUrl::fromLocalFile(QString::fromStdString(file)));
    ASSERT_TRUE(WaitForLoad(loaded));
    EXPECT_TRUE(PageText(*pane.Browser()).contains(QStringLiteral("网页内容更新了")));

    // Without a link of its own the remote address is the item's.
    ASSERT_TRUE(world.app.Db().main.Execute("update userdata set SourceLink=''"));
    world.ShowMessage(id);
    EXPECT_EQ(pane.Browser()->Address(), QUrl(QStringLiteral("http://127.0.0.1:9/item.htm")));
    pane.StoredButton()->click();
    pane.RemoteButton()->click();
    EXPECT_EQ(pane.Browser()->Address(), QUrl(QStringLiteral("http://127.0.0.1:9/item.htm")));

    // An address that is no web address is not loaded; the notice that says so hides a password.
    ASSERT_TRUE(world.app.Db().main.Execute("update usermessagetype set connAddress='file:///etc/passwd'"));
    world.ShowMessage(id);
    EXPECT_TRUE(pane.Browser()->Address().isEmpty());
    ASSERT_TRUE(
        world.app.Db().main.Execute("update usermessagetype set connAddress='Driver=SQLite3;Database=/x;PWD=secret'"));
    loaded.clear();
    world.ShowMessage(id);
    ASSERT_TRUE(WaitForLoad(loaded));
    const QString notice = PageText(*pane.Browser());
    EXPECT_TRUE(notice.contains(QStringLiteral("PWD=******"))) << notice.toStdString();
    EXPECT_FALSE(notice.contains(QStringLiteral("secret")));
}

TEST(MessageDetailPane, TheHeaderButtonHidesTheStripAndTheBrowserFillsThePane)
{
    PaneWorld world;
    CWatchMessageView pane(world.context());
    ShowAt(pane, 600, 300);
    for (QToolButton* button : {pane.HeaderButton(), pane.StoredButton(), pane.RemoteButton()}) {
        EXPECT_FALSE(button->toolTip().isEmpty());
        EXPECT_EQ(button->accessibleName(), button->toolTip());
    }
    EXPECT_EQ(pane.Browser()->geometry(), QRect(0, 35, 600, 265));

    pane.HeaderButton()->click();
    EXPECT_EQ(std::tuple(pane.IsHeaderShown(), pane.ItemNameLabel()->isVisible(), pane.StoredButton()->isVisible(),
                         pane.HeaderButton()->isVisible(), pane.Browser()->geometry()),
              std::tuple(false, false, false, true, QRect(0, 0, 600, 300)));
    pane.resize(500, 200);
    EXPECT_EQ(pane.Browser()->geometry(), QRect(0, 0, 500, 200));

    pane.HeaderButton()->click();
    EXPECT_EQ(std::tuple(pane.IsHeaderShown(), pane.ItemNameLabel()->isVisible(), pane.Browser()->geometry()),
              std::tuple(true, true, QRect(0, 35, 500, 165)));
}

TEST(MessageDetailPane, ADownloadShowsItsStatusUnlessACheckRunShowsItsOwn)
{
    PaneWorld world;
    const int item = world.AddItem("邮件", kCategoryMail);
    const int id = world.AddMessage(item, StoredMessage{});
    CWatchMessageView pane(world.context());
    QSignalSpy busy(&pane, &CWatchMessageView::BusyAnimation);
    CRunState& run = world.app.m_run;
    run.SetStatusText("空闲");

    QSignalSpy loaded(pane.Browser()->View(), &QWebEngineView::loadFinished);
    world.ShowMessage(id);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !busy.isEmpty(); }, kLoadTimeoutMs));
    EXPECT_TRUE(busy.at(0).at(0).toBool());
    EXPECT_TRUE(run.GetStatusText() == "空闲---正在下载您所要浏览的项目......" || !loaded.isEmpty());
    ASSERT_TRUE(WaitForLoad(loaded));
    ASSERT_TRUE(QTest::qWaitFor([&] { return busy.count() >= 2; }, kLoadTimeoutMs));
    EXPECT_EQ(std::tuple(busy.last().at(0).toBool(), run.GetStatusText()), std::tuple(false, std::string("空闲")));

    // During a check run the status text and the animation are the run's.
    ASSERT_TRUE(run.TryBeginRun());
    run.SetStatusText("正在检查邮件");
    busy.clear();
    loaded.clear();
    pane.StoredButton()->click();
    ASSERT_TRUE(WaitForLoad(loaded));
    EXPECT_EQ(std::tuple(busy.isEmpty(), run.GetStatusText()), std::tuple(true, std::string("正在检查邮件")));
    run.EndRun();
}

TEST(MessageDetailPane, APageFileThatCannotBeWrittenShowsWhyAndNoPlantedLinkIsFollowed)
{
    PaneWorld world;
    const int item = world.AddItem("邮件", kCategoryMail);
    const int id = world.AddMessage(item, StoredMessage{});
    const std::string outside = world.home.path() + "outside";
    ASSERT_EQ(::mkdir(outside.c_str(), 0755), 0);
    ASSERT_EQ(::symlink(outside.c_str(), (world.app.m_strAppDir + "data").c_str()), 0);
    CWatchMessageView pane(world.context());

    QSignalSpy loaded(pane.Browser()->View(), &QWebEngineView::loadFinished);
    world.ShowMessage(id);
    // A notice of ours, not the file.
    EXPECT_EQ(std::tuple(pane.Browser()->Address(), fs::is_empty(outside)), std::tuple(QUrl(), true));
    ASSERT_TRUE(WaitForLoad(loaded));
    EXPECT_TRUE(PageText(*pane.Browser()).contains(QStringLiteral("data")));

    // A link planted under the file's name is replaced, not written through.
    ASSERT_EQ(::unlink((world.app.m_strAppDir + "data").c_str()), 0);
    ASSERT_EQ(::mkdir((world.app.m_strAppDir + "data").c_str(), 0700), 0);
    const std::string target = outside + "/victim";
    ASSERT_EQ(::symlink(target.c_str(), (world.app.m_strAppDir + "data/content1.htm").c_str()), 0);
    world.ShowMessage(id);
    EXPECT_EQ(std::tuple(fs::exists(target), fs::is_symlink(world.app.m_strAppDir + "data/content1.htm")),
              std::tuple(false, false));
}

TEST(MessageDetailPane, TheSearchedWordsAreMarkedAndAWebRecordShowsWhatChangedSinceItsPreviousCopy)
{
    PaneWorld world;
    const int web = world.AddItem("网页", kCategoryWebPage, 0, "http://127.0.0.1:9/item.htm");
    StoredMessage m{.link = "http://127.0.0.1:9/item.htm",
                    .content = "<p title=\"开会\">我们明天开会。</p><script>var s = '开会';</script>",
                    .category = kCategoryWebPage};
    world.AddMessage(web, m);
    m.content = "<p title=\"开会\">我们明天上午开会。</p><script>var s = '开会';</script>";
    const int changed = world.AddMessage(web, m);
    const int row = world.AddMessage(world.AddItem("数据"), StoredMessage());
    CWatchMessageView pane(world.context());
    ShowAt(pane, 700, 400);
    const std::string file = world.app.m_strAppDir + "data/content1.htm";
    const std::string mark = "<mark style=\"background:#ffe36e;color:inherit\">";

    world.doc->m_strSearch = "开会 明天";
    world.ShowMessage(changed);
    const std::string stored = ReadFile(file);
    EXPECT_NE(stored.find("<p title=\"开会\">我们" + mark + "明天</mark>上午" + mark + "开会</mark>。</p>"),
              std::string::npos)
        << "in the text only, not in tags or scripts: " << stored;
    EXPECT_NE(stored.find("<script>var s = '开会';</script>"), std::string::npos) << stored;

    ASSERT_EQ(std::tuple(pane.ChangesButton()->isVisible(), pane.ChangesButton()->text()),
              std::tuple(true, QStringLiteral("变化")));
    world.doc->m_strSearch.clear();
    pane.ChangesButton()->click();
    const std::string changes = ReadFile(file);
    EXPECT_NE(changes.find("我们明天<ins class=\"added\">上午</ins>开会。"), std::string::npos) << changes;
    pane.StoredButton()->click();
    EXPECT_EQ(ReadFile(file).find("<ins"), std::string::npos);

    world.ShowMessage(row);
    EXPECT_FALSE(pane.ChangesButton()->isVisible()) << "only web records have copies to compare";
}
