#pragma once
// Waits on the embedded browser: the end of a load, the text of the page shown, a click taken.
// The limits are generous (a browser under a sanitizer on a busy machine is slow); every wait
// ends on its event.
#include "gui/detail/CWebBrowser2.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>

inline constexpr int kLoadTimeoutMs = 90000;

// True when a load finished within the time-out (the spy was made before the load began).
inline bool WaitForLoad(QSignalSpy& spy, int timeoutMs = kLoadTimeoutMs)
{
    return !spy.isEmpty() || spy.wait(timeoutMs);
}

inline QString PageText(CWebBrowser2& browser, int timeoutMs = kLoadTimeoutMs)
{
    auto text = std::make_shared<QString>();
    auto done = std::make_shared<bool>(false);
    browser.View()->page()->toPlainText([text, done](const QString& result) {
        *text = result;
        *done = true;
    });
    if (!QTest::qWaitFor([&] { return *done; }, timeoutMs)) {
        return QStringLiteral("(no text in time)");
    }
    return *text;
}

// Clicks until `taken` holds: a page that is still being laid out drops the clicks it gets.
template <typename Taken> bool ClickUntil(QWidget* surface, QPoint at, Taken taken, int timeoutMs = kLoadTimeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!taken() && clock.elapsed() < timeoutMs) {
        QTest::mouseClick(surface, Qt::LeftButton, {}, at);
        static_cast<void>(QTest::qWaitFor(taken, 2000)); // the loop looks again
    }
    return taken();
}
