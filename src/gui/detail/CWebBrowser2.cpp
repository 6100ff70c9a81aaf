#include "gui/detail/CWebBrowser2.h"

#include "gui/detail/IWebEngine.h"
#include "gui/detail/MessageDetailText.h"
#include "util/Masking.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

namespace {

constexpr const char* kCannotShowAddress = QT_TRANSLATE_NOOP("CWebBrowser2", "这个地址不能在这里显示：");
constexpr const char* kNoEngine = QT_TRANSLATE_NOOP("CWebBrowser2", "网页显示组件不能加载：");

} // namespace

CWebBrowser2::CWebBrowser2(IDesktopOpener& opener, QWidget* parent) : QWidget(parent), m_opener(opener)
{
    m_placeholder = new QLabel(this);
    m_placeholder->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_placeholder->setTextFormat(Qt::RichText);
    m_placeholder->setAutoFillBackground(true);
    m_placeholder->setMargin(8);
    m_placeholder->setAccessibleDescription(tr("消息内容"));
    ShowOnPlaceholder(QString::fromStdString(HomePageHtml()));
    QPalette palette = m_placeholder->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    m_placeholder->setPalette(palette);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_placeholder);
}

QWebEngineView* CWebBrowser2::View()
{
    StartEngine();
    return m_engine ? m_engine->View() : nullptr;
}

void CWebBrowser2::StartEngine()
{
    if (m_engine != nullptr || !m_engineError.isEmpty()) {
        return;
    }
    QString error;
    const MakeWebEngineFunction make = FindWebEngine(error);
    if (make == nullptr) {
        m_engineError = error.isEmpty() ? QStringLiteral("?") : error;
        return;
    }
    m_engine.reset(make(m_opener, this));
    m_engine->SetSilent(m_bSilent);
    QWidget* view = m_engine->Widget();
    view->setAccessibleName(tr("消息内容"));
    delete layout()->replaceWidget(m_placeholder, view); // the placeholder's layout item
    delete m_placeholder;
    m_placeholder = nullptr;
    // By name: this library sees the engine's view only as a widget.
    connect(view, SIGNAL(loadStarted()), this, SIGNAL(DownloadBegin()));
    connect(view, SIGNAL(loadFinished(bool)), this, SIGNAL(DownloadComplete()));
}

CWebBrowser2::~CWebBrowser2() = default;

void CWebBrowser2::GoHome()
{
    if (m_engine == nullptr) {
        m_address = QUrl();
        ShowOnPlaceholder(QString::fromStdString(HomePageHtml()));
        return;
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
    if (m_engine == nullptr) {
        ShowOnPlaceholder(html); // our own pages are simple enough for a label
        return;
    }
    m_engine->Expect(BrowserMode::Own, {});
    m_engine->ShowHtml(html);
}

void CWebBrowser2::ShowOnPlaceholder(const QString& html)
{
    m_placeholder->setText(html);
    // Named by what it shows, as the other labels that show a value: a screen reader reads the page.
    m_placeholder->setAccessibleName(QTextDocumentFragment::fromHtml(html).toPlainText().simplified());
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
    if (m_engine == nullptr) {
        ShowNotice(tr(kNoEngine) + m_engineError);
        return;
    }
    m_address = url;
    m_engine->Expect(mode, url);
    m_engine->Load(url);
}

void CWebBrowser2::SetSilent(bool silent)
{
    m_bSilent = silent;
    if (m_engine != nullptr) {
        m_engine->SetSilent(silent);
    }
}

bool CWebBrowser2::IsSilent() const
{
    return m_bSilent;
}
