#include "gui/webengine/CBrowserPage.h"

#include "gui/frame/GuiContext.h"

#include <QWebEngineSettings>

namespace {

bool IsWebAddress(const QUrl& url)
{
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

QUrl WithoutFragment(const QUrl& url)
{
    return url.adjusted(QUrl::RemoveFragment);
}

} // namespace

CBrowserPage::CBrowserPage(QWebEngineProfile* profile, IDesktopOpener& opener, QObject* parent)
    : QWebEnginePage(profile, parent), m_opener(opener)
{}

void CBrowserPage::Expect(BrowserMode mode, const QUrl& address)
{
    m_mode = mode;
    m_address = WithoutFragment(address);
    settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, mode == BrowserMode::Remote);
}

bool CBrowserPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    const bool samePage = m_mode == BrowserMode::Stored && WithoutFragment(url) == m_address;
    if (type == NavigationTypeLinkClicked) {
        if (samePage) {
            return true; // a jump inside the page
        }
        if (IsOpenableLink(url)) {
            m_opener.Open(url);
        }
        return false;
    }
    switch (m_mode) {
    case BrowserMode::Own:
        return isMainFrame && url.scheme() == QLatin1String("data");
    case BrowserMode::Stored:
        return isMainFrame && samePage;
    case BrowserMode::Remote:
        return IsWebAddress(url);
    }
    return false;
}

QWebEnginePage* CBrowserPage::createWindow(WebWindowType)
{
    return nullptr; // no pop-ups
}

void CBrowserPage::javaScriptAlert(const QUrl& securityOrigin, const QString& msg)
{
    if (!m_bSilent) {
        QWebEnginePage::javaScriptAlert(securityOrigin, msg);
    }
}

bool CBrowserPage::javaScriptConfirm(const QUrl& securityOrigin, const QString& msg)
{
    return m_bSilent ? false : QWebEnginePage::javaScriptConfirm(securityOrigin, msg);
}

bool CBrowserPage::javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                                    QString* result)
{
    return m_bSilent ? false : QWebEnginePage::javaScriptPrompt(securityOrigin, msg, defaultValue, result);
}

void CBrowserPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                            const QString& sourceID)
{
    if (!m_bSilent) {
        QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
    }
}
