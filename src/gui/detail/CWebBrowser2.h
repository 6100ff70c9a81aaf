#pragma once
// The embedded browser of the detail pane. Stored pages are untrusted: for them scripts are off,
// the one page file is the only thing that may load (no other local file, no remote URL), and a
// clicked link opens in the desktop's browser. Remote addresses (http and https) load as in any
// browser, with scripts on, except that clicked links also go to the desktop's browser. The
// profile is off the record and refuses downloads, so nothing a page does is written to disk.
// The web engine is loaded with the first page that needs it: until then the start page is a plain
// label, so that the window comes up without the engine's libraries, memory and start-up time.
#include <QUrl>
#include <QWidget>
#include <memory>

class IDesktopOpener;
class IWebEngine;
class QLabel;
class QWebEngineView;

class CWebBrowser2 final : public QWidget
{
    Q_OBJECT
public:
    CWebBrowser2(IDesktopOpener& opener, QWidget* parent = nullptr);
    ~CWebBrowser2() override;

    // The start page of our own.
    void GoHome();
    // The one local file that may be shown: the stored page file.
    void SetPageFile(const QUrl& file) { m_pageFile = file; }
    // The page file or an http/https address; anything else (another local file too) shows a
    // notice instead.
    void Navigate2(const QUrl& url);
    // A short page of our own that says why nothing else is shown.
    void ShowNotice(const QString& text);
    // Silent: no script dialogs and no console messages.
    void SetSilent(bool silent);
    bool IsSilent() const;

    // The engine's view, started now when no page needed it yet; null when the engine cannot be
    // loaded (the label then shows why).
    QWebEngineView* View();
    // Whether the web engine has been started.
    bool HasEngine() const { return m_engine != nullptr; }
    // The address last asked for (the file for a stored page); empty for our own pages.
    QUrl Address() const { return m_address; }

Q_SIGNALS:
    void DownloadBegin();
    void DownloadComplete();

private:
    void ShowOwnPage(const QString& html);
    void ShowOnPlaceholder(const QString& html);
    void StartEngine();

    std::unique_ptr<IWebEngine> m_engine;
    QUrl m_address;
    QUrl m_pageFile;
    IDesktopOpener& m_opener;
    QLabel* m_placeholder = nullptr; // the start page while there is no engine
    QString m_engineError;           // why the engine could not be loaded
    bool m_bSilent = false;
};
