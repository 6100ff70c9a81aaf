#include "gui/webengine/CBrowserRequestGuard.h"

#include <QWebEngineUrlRequestInfo>

void CBrowserRequestGuard::Expect(BrowserMode mode, const QUrl& address)
{
    std::lock_guard guard(m_lock);
    m_mode = mode;
    m_address = address.adjusted(QUrl::RemoveFragment);
}

void CBrowserRequestGuard::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QUrl url = info.requestUrl().adjusted(QUrl::RemoveFragment);
    const QString scheme = url.scheme();
    bool allowed = false;
    {
        std::lock_guard guard(m_lock);
        switch (m_mode) {
        case BrowserMode::Own:
            allowed = scheme == QLatin1String("data");
            break;
        case BrowserMode::Stored:
            allowed = url == m_address;
            break;
        case BrowserMode::Remote:
            allowed = scheme == QLatin1String("http") || scheme == QLatin1String("https");
            break;
        }
        // A stored page still loading when the pane moved on to a remote address gets nothing
        // either: whatever a local file asks for, other than itself, is refused.
        if (info.initiator().scheme() == QLatin1String("file") && url != m_address) {
            allowed = false;
        }
    }
    if (!allowed) {
        info.block(true);
        ++m_nBlocked;
    }
}
