#pragma once
// Bounded waits on the embedded browser: the end of a load and the text of the page shown.
#include "gui/detail/CWebBrowser2.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>

inline constexpr int kLoadTimeoutMs = 30000;

// True when a load finished within the time-out (the spy was made before the load began).
inline bool WaitForLoad(QSignalSpy& spy, int timeoutMs = kLoadTimeoutMs)
{
    return !spy.isEmpty() || spy.wait(timeoutMs);
}

inline QString PageText(CWebBrowser2& browser, int timeoutMs = 10000)
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
