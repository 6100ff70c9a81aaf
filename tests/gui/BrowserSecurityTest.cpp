// Stored pages are untrusted: a hostile page shown in the detail pane must get nothing of the
// user's files, reach no server (a loopback server here sees no connection), write nothing into
// the application directory, and its links open in the desktop's browser, not in the pane.
#include "BrowserWait.h"
#include "PaneWorld.h"
#include "support/CountingHttpServer.h"
#include "support/ScriptedLineServer.h"

#include <QWebEngineProfile>
#include <QWebEngineView>
#include <set>

namespace {

std::set<std::string> FilesUnder(const std::string& dir)
{
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        files.insert(entry.path().string());
    }
    return files;
}

// Every address under BASE/ is the loopback server's.
std::string HostilePage(const CountingHttpServer& server)
{
    std::string page = R"(<html><head><link rel="stylesheet" href="BASE/style.css">
<meta http-equiv="refresh" content="1;url=file:///etc/passwd"></head><body><p id="t">hostile page</p>
<img src="BASE/img.gif"><iframe src="file:///etc/passwd"></iframe><iframe src="BASE/frame"></iframe>
<object data="file:///etc/hosts"></object><script>document.getElementById('t').textContent = 'script ran';
var x = new XMLHttpRequest(); try { x.open('GET', 'file:///etc/passwd', false); x.send();
document.body.appendChild(document.createTextNode(x.responseText)); } catch (e) {}
fetch('BASE/fetch').then(function (r) { return r.text(); });
window.open('BASE/popup'); alert('boo'); location.href = 'file:///etc/passwd';</script>
<a id="out" href="https://example.test/more" style="display:block;width:100%;height:600px">more</a></body></html>)";
    for (std::size_t at = page.find("BASE/"); at != std::string::npos; at = page.find("BASE/", at)) {
        page.replace(at, 5, server.Url("/"));
    }
    return page;
}

} // namespace

TEST(BrowserSecurity, AHostileStoredPageReadsNoFileReachesNoServerAndWritesNothing)
{
    CountingHttpServer server; // never released: nothing is answered
    PaneWorld world;
    const int item = world.AddItem("邮件", kCategoryMail);
    const int id = world.AddMessage(item, {.content = HostilePage(server), .category = kCategoryMail});
    CWatchMessageView pane(world.context());
    ShowAt(pane, 700, 500);
    const std::set<std::string> before = FilesUnder(world.app.m_strAppDir);
    EXPECT_TRUE(pane.Browser()->View()->page()->profile()->isOffTheRecord());

    QSignalSpy loaded(pane.Browser()->View(), &QWebEngineView::loadFinished);
    world.ShowMessage(id);
    ASSERT_TRUE(WaitForLoad(loaded));
    const QUrl file = pane.Browser()->Address();
    ASSERT_TRUE(file.isLocalFile());
    // Nothing may happen, so no event can end this wait: long enough for the refresh, the frames and
    // any request to have been tried on a quick machine (a slow one can only miss a fault, never fail).
    QTest::qWait(2500);

    const QString text = PageText(*pane.Browser());
    EXPECT_TRUE(text.contains(QStringLiteral("hostile page"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("script ran")));
    EXPECT_FALSE(text.contains(QStringLiteral("root:")));
    EXPECT_EQ(pane.Browser()->View()->url(), file);
    EXPECT_EQ(server.AcceptedCount(), 0);
    EXPECT_TRUE(world.boxes.shown.empty());

    // A click on the page's link goes to the desktop's browser; the pane stays on the page.
    QWidget* surface = pane.Browser()->View()->focusProxy();
    ASSERT_NE(surface, nullptr);
    ASSERT_TRUE(ClickUntil(surface, QPoint(100, surface->height() - 40), [&] { return !world.opener.opened.empty(); }));
    EXPECT_EQ(world.opener.opened[0], QUrl(QStringLiteral("https://example.test/more")));
    QTest::qWait(300); // a navigation, if any, would have begun
    EXPECT_EQ(pane.Browser()->View()->url(), file);

    std::set<std::string> after = FilesUnder(world.app.m_strAppDir);
    after.erase(world.app.m_strAppDir + "data/content1.htm");
    after.erase(world.app.m_strAppDir + "data");
    EXPECT_EQ(after, before);
    EXPECT_EQ(server.AcceptedCount(), 0);
}

TEST(BrowserSecurity, ARemotePageRunsItsScriptsSilentlyAndItsLinksOpenOutside)
{
    const std::string page =
        "<html><head><title>start</title></head><body>"
        "<a href=\"https://example.test/remote-link\" style=\"display:block;height:600px\">link</a>"
        "<script>alert('a'); confirm('c'); prompt('p'); console.log('noise');"
        "document.title = 'ran';</script></body></html>";
    ScriptedLineServer server(
        {ScriptedLineServer::ReadLine(),
         ScriptedLineServer::Send("HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                                  "Content-Length: " +
                                  std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n" + page),
         ScriptedLineServer::Pause(std::chrono::milliseconds(500)), ScriptedLineServer::Close()});
    PaneWorld world;
    const int item = world.AddItem("网页", kCategoryWebPage, 1);
    const std::string link = "http://127.0.0.1:" + std::to_string(server.port()) + "/page.htm";
    const int id = world.AddMessage(item, {.link = link, .category = kCategoryWebPage});
    CWatchMessageView pane(world.context());
    ShowAt(pane, 700, 500);
    EXPECT_TRUE(pane.Browser()->IsSilent());

    world.ShowMessage(id);
    QWebEngineView* view = pane.Browser()->View();
    // The script went past its dialogs without one being shown.
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->title() == QStringLiteral("ran"); }, kLoadTimeoutMs));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_FALSE(server.Lines().empty());
    EXPECT_EQ(server.Lines()[0].rfind("GET /page.htm HTTP/1.1", 0), 0u);

    QWidget* surface = view->focusProxy();
    ASSERT_NE(surface, nullptr);
    ASSERT_TRUE(ClickUntil(surface, QPoint(100, 100), [&] { return !world.opener.opened.empty(); }));
    EXPECT_EQ(world.opener.opened[0], QUrl(QStringLiteral("https://example.test/remote-link")));
    EXPECT_EQ(view->url(), QUrl(QString::fromStdString(link)));
}
