// The road of a finding as the user meets it, offscreen with the real panes and a real one-second
// timer: a click selects the newest message, the detail pane shows it, and after AutoMarkRead
// seconds the message is read and the unread count drops.
#include "BrowserWait.h"
#include "PaneWorld.h"
#include "app/CMainTick.h"
#include "gui/detail/CWatchMessageView.h"
#include "gui/list/CMessageListCtrl.h"
#include "gui/list/CMessageListModel.h"
#include "gui/list/CTarvoView.h"

#include <QLabel>
#include <QSplitter>
#include <QTimer>
#include <chrono>

TEST(ReadingScenario, ASelectedMessageIsShownAndMarkedReadAfterAutoMarkReadSeconds)
{
    PaneWorld world;
    world.app.m_settings.AutoMarkRead = 2;
    const int item = world.AddItem("我的邮箱", kCategoryMail);
    StoredMessage older;
    older.info = "旧邮件";
    world.AddMessage(item, older);
    StoredMessage newer;
    newer.category = kCategoryMail;
    newer.info = "新邮件";
    newer.content = "请查收附件";
    const int id = world.AddMessage(item, newer);

    QSplitter window(Qt::Vertical);
    auto* list = new CTarvoView(world.context(), &window);
    auto* detail = new CWatchMessageView(world.context(), &window);
    window.resize(800, 500);
    window.show();
    ListTickActions actions(*list);
    CMainTick tick(*world.doc, world.app.m_settings, actions);
    world.context().tick = &tick;
    QTimer second;
    QObject::connect(&second, &QTimer::timeout, &window, [&tick] { tick.OnSecond(); });
    second.start(1000);
    world.doc->UpdateAllViews(nullptr);
    ASSERT_EQ(world.doc->m_nUnreadCount, 2);

    QSignalSpy loaded(detail->Browser()->View(), &QWebEngineView::loadFinished);
    const QRect subject = list->List()->visualRect(list->Model()->index(0, 5));
    QTest::mouseClick(list->List()->viewport(), Qt::LeftButton, {}, subject.center());
    const auto clicked = std::chrono::steady_clock::now();
    EXPECT_EQ(world.doc->m_nCurMessageId, id);
    EXPECT_EQ(detail->SubjectLabel()->accessibleName(), QStringLiteral("新邮件"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !loaded.isEmpty() && PageText(*detail->Browser(), 2000).contains(QStringLiteral("请查收附件")); },
        kLoadTimeoutMs));

    const std::string status = "select status as n from userdata where ID=" + std::to_string(id);
    ASSERT_TRUE(QTest::qWaitFor([&] { return world.Number(status) == 1; }, kLoadTimeoutMs));
    // The countdown of 2 started at the click: marked on the third tick after it.
    EXPECT_GE(std::chrono::steady_clock::now() - clicked, std::chrono::milliseconds(1900));
    EXPECT_EQ(world.doc->m_nUnreadCount, 1);
    EXPECT_EQ(list->Model()->index(0, 4).data(CMessageListModel::kImageRole).toInt(), CMessageListModel::kMarkRead);
    second.stop();
    world.context().tick = nullptr;
}
