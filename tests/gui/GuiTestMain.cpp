// The widgets need a QApplication before any test runs; offscreen unless a display is asked for.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // gtest_discover_tests hands a test only the first variable of its ENVIRONMENT list, so the
    // ones the tests rely on are set here too. The browser's sandbox cannot run as root; tests only.
    setenv("TZ", "Asia/Shanghai", 0);
    if (::geteuid() == 0) {
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
