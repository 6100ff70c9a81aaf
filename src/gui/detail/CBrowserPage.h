#pragma once
// The page inside the detail pane's browser: which navigations it lets happen, and where clicked
// links go. Requests below the navigation level are held by CBrowserRequestGuard.
#include <QUrl>
#include <QWebEnginePage>

class IDesktopOpener;

enum class BrowserMode
{
    Own,    // our start page or a notice
    Stored, // one stored page file
    Remote, // an http or https address
};

// http, https, ftp and mailto: what a clicked link or a subject may hand to the desktop's opener.
bool IsOpenableLink(const QUrl& url);
// A link as a subject or a record names it; a bare host name with an optional port and path
// ("www.example.com", "example.com:8080/a") is a web address and becomes http. Anything else
// stays as written (a connection string is no link).
QUrl LinkUrl(const QString& text);

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
