// The engine of the detail pane's browser (see gui/detail/IWebEngine.h): an off-the-record profile
// that refuses downloads, a guard on every request and a page that decides navigations.
#include "gui/detail/IWebEngine.h"
#include "gui/webengine/CBrowserPage.h"
#include "gui/webengine/CBrowserRequestGuard.h"

#include <QCoreApplication>
#include <QOpenGLContext>
#include <QQuickWindow>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <memory>

// Qt's own modules set the context that the engine shares its textures through; the engine reads
// its format even when it draws without OpenGL.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();

namespace {

void LockDown(QWebEngineSettings* settings)
{
    using S = QWebEngineSettings;
    for (S::WebAttribute off : {S::LocalContentCanAccessFileUrls,
                                S::LocalContentCanAccessRemoteUrls,
                                S::JavascriptEnabled,
                                S::JavascriptCanOpenWindows,
                                S::JavascriptCanAccessClipboard,
                                S::JavascriptCanPaste,
                                S::LocalStorageEnabled,
                                S::PluginsEnabled,
                                S::PdfViewerEnabled,
                                S::FullScreenSupportEnabled,
                                S::ScreenCaptureEnabled,
                                S::WebGLEnabled,
                                S::AutoLoadIconsForPage,
                                S::TouchIconsEnabled,
                                S::HyperlinkAuditingEnabled,
                                S::AllowRunningInsecureContent,
                                S::AllowGeolocationOnInsecureOrigins,
                                S::AllowWindowActivationFromJavaScript,
                                S::DnsPrefetchEnabled,
                                S::NavigateOnDropEnabled,
                                S::FocusOnNavigationEnabled}) {
        settings->setAttribute(off, false);
    }
    settings->setAttribute(S::PlaybackRequiresUserGesture, true);
    settings->setAttribute(S::WebRTCPublicInterfacesOnly, true);
    settings->setUnknownUrlSchemePolicy(S::DisallowUnknownUrlSchemes);
}

// The engine draws through Qt Quick's software renderer: an OpenGL view joining a window shown
// without one makes the window system recreate that window (a new window, without the focus).
void DrawWithoutOpenGL()
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    if (qt_gl_global_share_context() == nullptr) {
        qt_gl_set_global_share_context(new QOpenGLContext(QCoreApplication::instance())); // never created
    }
}

class CWebEngine final : public IWebEngine
{
public:
    CWebEngine(IDesktopOpener& opener, QWidget* parent)
        : m_guard(std::make_unique<CBrowserRequestGuard>()),
          m_profile(std::make_unique<QWebEngineProfile>()) // no storage name: off the record
    {
        m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        m_profile->setSpellCheckEnabled(false);
        m_profile->setUrlRequestInterceptor(m_guard.get());
        QObject::connect(m_profile.get(), &QWebEngineProfile::downloadRequested,
                         [](QWebEngineDownloadRequest* download) { download->cancel(); });
        LockDown(m_profile->settings());
        m_view = new QWebEngineView(parent);
        m_page = new CBrowserPage(m_profile.get(), opener, m_view);
        LockDown(m_page->settings());
        m_view->setPage(m_page);
        m_view->setContextMenuPolicy(Qt::NoContextMenu); // its items save pages and open windows
    }
    ~CWebEngine() override
    {
        // The page (a child of the view) must go before its profile, the profile before the guard.
        delete m_view;
    }
    CWebEngine(const CWebEngine&) = delete;
    CWebEngine& operator=(const CWebEngine&) = delete;

    QWebEngineView* View() override { return m_view; }
    QWidget* Widget() override { return m_view; }
    void Expect(BrowserMode mode, const QUrl& address) override
    {
        m_guard->Expect(mode, address);
        m_page->Expect(mode, address);
    }
    void ShowHtml(const QString& html) override { m_page->setHtml(html); }
    void Load(const QUrl& url) override { m_page->load(url); }
    void SetSilent(bool silent) override { m_page->SetSilent(silent); }

private:
    std::unique_ptr<CBrowserRequestGuard> m_guard; // outlives the profile that calls it
    std::unique_ptr<QWebEngineProfile> m_profile;  // outlives the page
    QWebEngineView* m_view = nullptr;
    CBrowserPage* m_page = nullptr;
};

} // namespace

extern "C" Q_DECL_EXPORT IWebEngine* WendarMakeWebEngine(IDesktopOpener& opener, QWidget* parent)
{
    static const bool prepared = (DrawWithoutOpenGL(), true);
    (void)prepared;
    return new CWebEngine(opener, parent);
}
