#include "gui/detail/CWebBrowser2.h"

#include "gui/detail/CBrowserPage.h"
#include "gui/detail/CBrowserRequestGuard.h"
#include "gui/detail/MessageDetailText.h"
#include "util/Masking.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QOpenGLWidget>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

constexpr const char* kCannotShowAddress = QT_TRANSLATE_NOOP("CWebBrowser2", "这个地址不能在这里显示：");

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

} // namespace

CWebBrowser2::CWebBrowser2(IDesktopOpener& opener, QWidget* parent)
    : QWidget(parent), m_guard(std::make_unique<CBrowserRequestGuard>()), m_opener(opener)
{
    m_placeholder = new QLabel(this);
    m_placeholder->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_placeholder->setTextFormat(Qt::RichText);
    m_placeholder->setAutoFillBackground(true);
    m_placeholder->setMargin(8);
    m_placeholder->setAccessibleName(tr("消息内容"));
    m_placeholder->setText(QString::fromStdString(HomePageHtml()));
    QPalette palette = m_placeholder->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    m_placeholder->setPalette(palette);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_placeholder);
    // The engine draws through OpenGL. A window that is first shown without such a child is
    // recreated by the window system when the engine joins it later: a new window, which loses the
    // input focus (and with it the auto-mark countdown) and may move. This hidden, never-drawn GL
    // widget makes the window OpenGL-capable from its creation, without starting the engine. (The
    // offscreen platform of the tests has no OpenGL: the engine draws without it there.)
    if (QGuiApplication::platformName() != QStringLiteral("offscreen")) {
        auto* glMarker = new QOpenGLWidget(this);
        glMarker->setFixedSize(0, 0);
        glMarker->hide();
    }
}

QWebEngineView* CWebBrowser2::View()
{
    StartEngine();
    return m_view;
}

void CWebBrowser2::StartEngine()
{
    if (m_view != nullptr) {
        return;
    }
    m_profile = std::make_unique<QWebEngineProfile>(); // no storage name: off the record
    m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    m_profile->setSpellCheckEnabled(false);
    m_profile->setUrlRequestInterceptor(m_guard.get());
    connect(m_profile.get(), &QWebEngineProfile::downloadRequested, this,
            [](QWebEngineDownloadRequest* download) { download->cancel(); });
    LockDown(m_profile->settings());

    m_view = new QWebEngineView(this);
    m_page = new CBrowserPage(m_profile.get(), m_opener, m_view);
    LockDown(m_page->settings());
    m_page->SetSilent(m_bSilent);
    m_view->setPage(m_page);
    m_view->setAccessibleName(tr("消息内容"));
    m_view->setContextMenuPolicy(Qt::NoContextMenu); // its items save pages and open windows
    layout()->replaceWidget(m_placeholder, m_view);
    delete m_placeholder;
    m_placeholder = nullptr;
    connect(m_view, &QWebEngineView::loadStarted, this, &CWebBrowser2::DownloadBegin);
    connect(m_view, &QWebEngineView::loadFinished, this, &CWebBrowser2::DownloadComplete);
}

CWebBrowser2::~CWebBrowser2()
{
    // The page (a child of the view) must go before its profile, the profile before the guard.
    delete m_view;
    m_view = nullptr;
}

void CWebBrowser2::GoHome()
{
    if (m_view == nullptr) {
        m_address = QUrl();
        return; // the placeholder is the start page
    }
    ShowOwnPage(QString::fromStdString(HomePageHtml()));
}

void CWebBrowser2::ShowNotice(const QString& text)
{
    ShowOwnPage(QString::fromStdString(NoticeHtml(text.toStdString())));
}

void CWebBrowser2::ShowOwnPage(const QString& html)
{
    StartEngine();
    m_address = QUrl();
    m_guard->Expect(BrowserMode::Own, {});
    m_page->Expect(BrowserMode::Own, {});
    m_page->setHtml(html);
}

void CWebBrowser2::Navigate2(const QUrl& url)
{
    BrowserMode mode = BrowserMode::Own;
    if (url.isLocalFile() && url == m_pageFile) {
        mode = BrowserMode::Stored;
    } else if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) {
        mode = BrowserMode::Remote;
    } else {
        // A database item's address is its connection string: never shown with its password.
        ShowNotice(tr(kCannotShowAddress) + QString::fromStdString(MaskedAddress(url.toString().toStdString(), false)));
        return;
    }
    StartEngine();
    m_address = url;
    m_guard->Expect(mode, url);
    m_page->Expect(mode, url);
    m_page->load(url);
}

void CWebBrowser2::SetSilent(bool silent)
{
    m_bSilent = silent;
    if (m_page != nullptr) {
        m_page->SetSilent(silent);
    }
}

bool CWebBrowser2::IsSilent() const
{
    return m_bSilent;
}
