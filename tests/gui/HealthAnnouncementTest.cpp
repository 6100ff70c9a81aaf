#include "FrameFixture.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>
#include <thread>

// A change of an item's health, told on the worker's thread, becomes one desktop notification on the
// window's; with desktop notifications off, none.
TEST(MainFrameRun, AChangeOfHealthIsOneDesktopNotification)
{
    FrameFixture fixture;
    const HealthChange change{1, "公司新闻", HealthState::Ok, HealthState::Failing, "公司新闻 连续 3 次检查失败: x"};
    std::thread([&] { fixture.relay.HealthChanged(change); }).join();
    ASSERT_TRUE(WaitUntil([&] {
        QCoreApplication::processEvents();
        return !fixture.notifier.shown.empty();
    }));
    EXPECT_EQ(fixture.notifier.shown[0],
              std::make_pair(QStringLiteral("公司新闻"), QStringLiteral("公司新闻 连续 3 次检查失败: x")));
    fixture.app.m_settings.EnableDesktopNotify = 0;
    fixture.relay.HealthChanged(change);
    QCoreApplication::processEvents();
    EXPECT_EQ(fixture.notifier.shown.size(), 1U);
}
