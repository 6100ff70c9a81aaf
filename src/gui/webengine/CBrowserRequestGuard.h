#pragma once
// Every request the browser's profile makes passes here: our own pages may load nothing, a stored
// page only its own file, a remote address only http and https.
#include "gui/webengine/CBrowserPage.h"

#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>
#include <atomic>
#include <mutex>

class CBrowserRequestGuard final : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void Expect(BrowserMode mode, const QUrl& address);
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
    // Requests refused so far.
    int BlockedCount() const { return m_nBlocked.load(); }

private:
    mutable std::mutex m_lock; // the engine may call from its IO thread
    BrowserMode m_mode = BrowserMode::Own;
    QUrl m_address;
    std::atomic<int> m_nBlocked{0};
};
