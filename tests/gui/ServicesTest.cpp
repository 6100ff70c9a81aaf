// The message-box reporter from the UI thread and from a worker, one instance per directory,
// and the text of the findings notification.
#include "FrameFixture.h"
#include "gui/frame/CBoxReporter.h"
#include "gui/frame/CSingleInstance.h"
#include "gui/frame/RunFindings.h"

#include <QMessageBox>
#include <future>

TEST(BoxReporter, OnTheUiThreadShowsAModalBoxAndFromAWorkerPostsOneWithoutWaitingForTheUiThread)
{
    RecordingMessageBoxes boxes;
    CBoxReporter reporter(boxes, qApp);
    reporter.ShowMessage("连接数据失败，请检查网络和数据库设置是否正确", "注意", MessageIcon::Warning);
    reporter.ShowMessage("x", "", MessageIcon::Error);
    ASSERT_EQ(boxes.shown.size(), 2U);
    EXPECT_EQ(
        std::tuple(boxes.shown[0].caption, boxes.shown[0].icon, boxes.shown[1].caption, boxes.shown[1].icon),
        std::tuple(QStringLiteral("注意"), QMessageBox::Warning, QStringLiteral("Wendar"), QMessageBox::Critical));
    boxes.shown.clear();

    // The UI thread is blocked in this wait and handles no events while the worker reports.
    auto worker = std::async(std::launch::async, [&reporter] {
        reporter.ShowMessage("数据库错误", "确认", MessageIcon::Information);
        return true;
    });
    ASSERT_EQ(worker.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(std::tuple(worker.get(), boxes.shown.empty()), std::tuple(true, true));

    QMessageBox* posted = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box && box->isVisible() && box->text() == QStringLiteral("数据库错误")) {
                posted = box;
            }
        }
        return posted != nullptr;
    }));
    ASSERT_NE(posted, nullptr);
    EXPECT_EQ(std::tuple(posted->windowTitle(), posted->isModal()), std::tuple(QStringLiteral("确认"), false));
    posted->close(); // deletes itself
}

TEST(SingleInstance, ASecondStartOnTheSameDirectoryAsksTheFirstToShowItself)
{
    TempDir runtime;
    const QString runtimeDir = QString::fromStdString(runtime.path());
    CSingleInstance first("/srv/wendar/", runtimeDir);
    EXPECT_FALSE(first.AskPrimaryToShow(200)) << "nobody answers while no program runs";
    ASSERT_TRUE(first.TryBecomePrimary());
    int showRequests = 0;
    QObject::connect(&first, &CSingleInstance::ShowRequested, [&showRequests] { ++showRequests; });

    CSingleInstance second("/srv/wendar/", runtimeDir);
    EXPECT_FALSE(second.TryBecomePrimary());
    EXPECT_TRUE(second.AskPrimaryToShow());
    EXPECT_TRUE(WaitFor([&] { return showRequests == 1; }));

    CSingleInstance elsewhere("/srv/other/", runtimeDir);
    EXPECT_TRUE(elsewhere.TryBecomePrimary() && elsewhere.LockPath() != first.LockPath())
        << "another directory is another program";
}

TEST(RunFindingsText, NamesTheItemsWithTheirCounts)
{
    EXPECT_TRUE(FindingsTitle({}).isEmpty());
    const std::vector<RunFinding> findings = {{"新闻", 2}, {"邮件", 1}};
    EXPECT_EQ(std::tuple(FindingsTitle(findings), FindingsBody(findings)),
              std::tuple(QStringLiteral("Wendar: 3 条新消息"), QStringLiteral("新闻: 2 条\n邮件: 1 条")));
    std::vector<RunFinding> many(12, RunFinding{"x", 1});
    EXPECT_EQ(FindingsBody(many).split(QLatin1Char('\n')).size(), 9);
}
