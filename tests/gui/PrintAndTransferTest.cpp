// The main window's printing (to a PDF file, no printer needed), 消息细节, the list's content
// switch, and import and export of items through the window.
#include "FrameFixture.h"
#include "app/ItemTransfer.h"
#include "gui/detail/CWebBrowser2.h"
#include "store/MessageListInfo.h"

#include <QAction>
#include <QPrinter>
#include <QProcess>
#include <QWebEngineView>

using FrameFiles = FrameTest;

namespace {

// Prints what the window shows to a PDF file; its text as pdftotext (poppler-utils) reads it.
QString PrintToPdf(CMainFrame& frame, const std::string& path)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
    frame.PrintShown(printer);
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), QString::fromStdString(path), QStringLiteral("-")});
    EXPECT_TRUE(process.waitForFinished(60000)) << "pdftotext (poppler-utils) is needed";
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Three stored messages with subjects of their own; the first is selected.
int StoreSubjects(FrameFixture& fixture)
{
    fixture.StoreMessages(3);
    EXPECT_TRUE(fixture.app.Db().main.Execute("update userdata set SourceInfo='打印主题'||ID, "
                                              "SourceContent='正文内容'||ID, SourceLink='http://127.0.0.1:9/m'||ID"));
    fixture.doc->m_bReload = true;
    fixture.doc->UpdateAllViews(nullptr);
    const int first = fixture.frame->GetListView()->Model()->RecordAt(0).ID;
    fixture.ShowMessage(first);
    return first;
}

} // namespace

TEST_F(FrameFiles, PrintingTheListPrintsItsPageAndTheDetailPaneItsMessageToAPdfFile)
{
    const int first = StoreSubjects(*this);
    ShowAt(*frame, 800, 500);
    QApplication::setActiveWindow(frame.get());

    frame->GetListView()->List()->setFocus();
    ASSERT_TRUE(WaitFor([&] { return !frame->IsDetailActive(); }));
    const QString page = PrintToPdf(*frame, home.path() + "page.pdf");
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(page.contains(QStringLiteral("打印主题%1").arg(first - i))) << page.toStdString();
    }
    EXPECT_TRUE(page.contains(QStringLiteral("paging"))) << "the item name column";
    EXPECT_FALSE(page.contains(QStringLiteral("正文内容")));

    frame->GetDetailView()->Browser()->View()->setFocus();
    ASSERT_TRUE(WaitFor([&] { return frame->IsDetailActive(); }));
    const QString message = PrintToPdf(*frame, home.path() + "message.pdf");
    EXPECT_TRUE(message.contains(QStringLiteral("打印主题%1").arg(first))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("正文内容%1").arg(first)));
    EXPECT_FALSE(message.contains(QStringLiteral("打印主题%1").arg(first - 1)));

    // 消息细节 hides the pane, and printing falls back to the list; again shows it.
    frame->Action(cmd::kMessageDetail)->trigger();
    EXPECT_TRUE(frame->GetDetailView()->isHidden());
    EXPECT_FALSE(frame->Action(cmd::kMessageDetail)->isChecked());
    EXPECT_FALSE(frame->IsDetailActive());
    frame->Command(cmd::kMessageDetail);
    EXPECT_FALSE(frame->GetDetailView()->isHidden());
    EXPECT_TRUE(frame->Action(cmd::kMessageDetail)->isChecked());

    // The list's context menu switches the shown message between its stored and remote content.
    const auto contextItem = [&](int id) { return ActionWithId(*frame->GetListView()->ContextMenu(), id); };
    CWebBrowser2& browser = *frame->GetDetailView()->Browser();
    ASSERT_TRUE(contextItem(cmd::kShowRemoteContent)->isEnabled());
    contextItem(cmd::kShowRemoteContent)->trigger();
    EXPECT_EQ(browser.Address(), QUrl(QStringLiteral("http://127.0.0.1:9/m%1").arg(first)));
    contextItem(cmd::kShowStoredContent)->trigger();
    EXPECT_TRUE(browser.Address().isLocalFile());
}

TEST_F(FrameFiles, ItemFilesExportTakesTheSelectedItemOrAllAndImportReportsWhatItAddedAndSkipped)
{
    MessageTypeInfo web = NewItem("网页", kCategoryWebPage, "http://127.0.0.1:9/");
    web.Password = "secret";
    std::string error;
    ASSERT_TRUE(app.Items().Save(web, ExcludeRanges{{0, "a", "b"}}, error)) << error;
    MessageTypeInfo other = web;
    other.messagetypeid = 0;
    other.MessageTypeName = "另一个";
    ASSERT_TRUE(app.Items().Save(other, std::nullopt, error)) << error;
    ASSERT_TRUE(frame->GetTreeView()->Refill());

    // The root selected: every item; one item selected: that one, its password only when asked.
    const std::string all = home.path() + "all.json";
    frame->GetTreeView()->setCurrentItem(frame->GetTreeView()->RootNode());
    ASSERT_TRUE(frame->ExportItemsFile(QString::fromStdString(all), false));
    const std::string one = home.path() + "one.json";
    frame->GetTreeView()->setCurrentItem(frame->GetTreeView()->NodeOf(web.messagetypeid));
    ASSERT_TRUE(frame->ExportItemsFile(QString::fromStdString(one), true));
    EXPECT_NE(ReadFile(all).find("另一个"), std::string::npos);
    EXPECT_EQ(ReadFile(all).find("secret"), std::string::npos);
    EXPECT_EQ(ReadFile(one).find("另一个"), std::string::npos);
    EXPECT_NE(ReadFile(one).find("secret"), std::string::npos);

    // Importing the file adds the items under new names, and the tree shows them.
    frame->ImportItemsFile(QString::fromStdString(all));
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_TRUE(boxes.shown.back().text.contains(QStringLiteral("增加了 2 个检查项目")));
    EXPECT_EQ(frame->GetTreeView()->RootNode()->childCount(), 4);

    // A broken file: its reason, and nothing added.
    std::ofstream(home.path() + "bad.json") << "{\"format\": \"wendar-items\", \"items\": [";
    frame->ImportItemsFile(QString::fromStdString(home.path() + "bad.json"));
    ASSERT_EQ(boxes.shown.size(), 2U);
    EXPECT_TRUE(boxes.shown.back().text.contains(QStringLiteral("没有增加任何检查项目")));
    EXPECT_EQ(frame->GetTreeView()->RootNode()->childCount(), 4);
}
