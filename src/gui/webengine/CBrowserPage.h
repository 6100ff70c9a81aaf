#pragma once
// The page inside the detail pane's browser: which navigations it lets happen, and where clicked
// links go. Requests below the navigation level are held by CBrowserRequestGuard.
#include "gui/detail/BrowserLinks.h"

#include <QUrl>
#include <QWebEnginePage>

class IDesktopOpener;

class CBrowserPage final : public QWebEnginePage
{
    Q_OBJECT
public:
    CBrowserPage(QWebEngineProfile* profile, IDesktopOpener& opener, QObject* parent);

    // Before every load: the mode and the one address the load is for.
    void Expect(BrowserMode mode, const QUrl& address);
    void SetSilent(bool silent) { m_bSilent = silent; }
    bool IsSilent() const { return m_bSilent; }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                          QString* result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceID) override;

private:
    IDesktopOpener& m_opener;
    BrowserMode m_mode = BrowserMode::Own;
    QUrl m_address;
    bool m_bSilent = false;
};
