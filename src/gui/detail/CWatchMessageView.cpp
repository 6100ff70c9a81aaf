#include "gui/detail/CWatchMessageView.h"

#include "app/CMessageOperations.h"
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "gui/detail/BrowserLinks.h"
#include "gui/detail/CWebBrowser2.h"
#include "gui/detail/ContentFile.h"
#include "gui/detail/MessageDetailText.h"
#include "gui/frame/GuiContext.h"
#include "gui/list/ListImages.h"
#include "util/SearchWords.h"
#include "util/TextEncoding.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr const char* kHeaderButtonTip = QT_TRANSLATE_NOOP("CWatchMessageView", "切换是否显示消息的详细信息");
constexpr const char* kStoredButtonTip = QT_TRANSLATE_NOOP("CWatchMessageView", "显示这条消息存储的本地信息");
constexpr const char* kRemoteButtonTip = QT_TRANSLATE_NOOP("CWatchMessageView", "显示这条消息的链接的远程");
constexpr const char* kSubjectCaption = QT_TRANSLATE_NOOP("CWatchMessageView", "主题：");
constexpr const char* kDownloadingText = QT_TRANSLATE_NOOP("CWatchMessageView", "---正在下载您所要浏览的项目......");
constexpr const char* kCannotWriteText = QT_TRANSLATE_NOOP("CWatchMessageView", "无法写入消息内容的文件：");
// The page file starts with a byte order mark: it outranks whatever charset the stored page
// declares, so its Chinese text shows right.
constexpr const char* kUtf8Bom = "\xEF\xBB\xBF";

constexpr int kHeaderHeight = 33;  // two rows of labels; the separator lies right under them
constexpr int kBrowserTop = 35;    // with the header shown
constexpr int kBelowSeparator = 2; // the browser's top, counted from the separator's
constexpr int kButtonSize = 18;
constexpr int kWebCategory = 2;

QString Utf8(const std::string& text)
{
    return QString::fromStdString(text);
}

QToolButton* ImageButton(QWidget* parent, const char* image, const char* tip)
{
    auto* button = new QToolButton(parent);
    button->setIcon(QIcon(RenderImage(QString::fromLatin1(image), 16, 16)));
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setToolTip(QCoreApplication::translate("CWatchMessageView", tip));
    button->setAccessibleName(QCoreApplication::translate("CWatchMessageView", tip));
    button->setFixedSize(kButtonSize, kButtonSize);
    return button;
}

QLabel* HeaderLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

} // namespace

CWatchMessageView::CWatchMessageView(GuiContext& context, QWidget* parent) : QWidget(parent), m_context(context)
{
    setAccessibleName(tr("消息内容"));
    m_header = new QWidget(this);
    m_itemName = HeaderLabel(m_header);
    m_receiveDate = HeaderLabel(m_header);
    m_sourceDate = HeaderLabel(m_header);
    m_receiver = HeaderLabel(m_header);
    m_subjectCaption = new QLabel(tr(kSubjectCaption), m_header);
    m_subject = HeaderLabel(m_header);
    m_subject->setTextFormat(Qt::RichText);
    m_subject->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    m_subject->setCursor(Qt::PointingHandCursor);
    m_sender = HeaderLabel(m_header);
    // The dates show whole: the other labels give way first.
    for (QLabel* date : {m_receiveDate, m_sourceDate}) {
        date->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    }
    m_category = HeaderLabel(this);
    m_category->hide();
    m_storedButton = ImageButton(m_header, ":/list/detail-local.svg", kStoredButtonTip);
    m_remoteButton = ImageButton(m_header, ":/list/detail-remote.svg", kRemoteButtonTip);

    auto* grid = new QGridLayout(m_header);
    grid->setContentsMargins(0, 1, 2, 1);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(0);
    grid->addWidget(m_itemName, 0, 0, 1, 2);
    grid->addWidget(m_receiveDate, 0, 2);
    grid->addWidget(m_sourceDate, 0, 3);
    grid->addWidget(m_receiver, 0, 4, 1, 3);
    grid->addWidget(m_subjectCaption, 1, 0);
    grid->addWidget(m_subject, 1, 1, 1, 2);
    grid->addWidget(m_sender, 1, 3, 1, 2);
    grid->addWidget(m_storedButton, 1, 5);
    grid->addWidget(m_remoteButton, 1, 6);
    m_changesButton = new QToolButton(m_header);
    m_changesButton->setText(tr("变化"));
    m_changesButton->setToolTip(tr("显示网页和上一份副本相比的变化"));
    m_changesButton->setAccessibleName(m_changesButton->text());
    m_changesButton->setAutoRaise(true);
    m_changesButton->setFixedHeight(kButtonSize);
    m_changesButton->hide();
    grid->addWidget(m_changesButton, 1, 7);
    for (int column : {1, 2, 3, 4}) {
        grid->setColumnStretch(column, 1);
    }

    m_separator = new QFrame(this);
    m_separator->setFrameShape(QFrame::HLine);
    m_separator->setFrameShadow(QFrame::Plain);
    m_separator->setForegroundRole(QPalette::Mid);

    m_browser = new CWebBrowser2(m_context.opener, this);
    m_browser->SetPageFile(QUrl::fromLocalFile(Utf8(m_context.app.m_strAppDir + kContentFileName)));
    m_headerButton = ImageButton(this, ":/list/detail-header.svg", kHeaderButtonTip);
    m_headerButton->raise(); // stays visible above the browser when the strip is hidden
    BuildHint();

    connect(m_headerButton, &QToolButton::clicked, this, [this] { ShowHeaderStrip(!m_bHeaderShown); });
    connect(m_storedButton, &QToolButton::clicked, this,
            [this] { ShowContent(m_context.doc.m_nCurMessageId, kStoredContent); });
    connect(m_remoteButton, &QToolButton::clicked, this,
            [this] { ShowContent(m_context.doc.m_nCurMessageId, kRemoteAddress); });
    connect(m_changesButton, &QToolButton::clicked, this,
            [this] { ShowContent(m_context.doc.m_nCurMessageId, kChanges); });
    connect(m_subject, &QLabel::linkActivated, this, [this] { OpenSubjectLink(); });
    connect(m_browser, &CWebBrowser2::DownloadBegin, this, &CWatchMessageView::OnDownloadBegin);
    connect(m_browser, &CWebBrowser2::DownloadComplete, this, &CWatchMessageView::OnDownloadComplete);

    // Scripts of a page must never stop the program with a dialog.
    m_browser->SetSilent(true);
    ShowHeader(0);
    ShowContent(0, kAsItemPrefers);
    PlaceChildren();
    m_context.doc.AddView(this);
}

CWatchMessageView::~CWatchMessageView()
{
    m_context.doc.RemoveView(this);
}

void CWatchMessageView::OnUpdate(CTarvoDoc& doc, IDocView*, int)
{
    int id = doc.m_nCurMessageId;
    if (id >= 1) {
        std::string error;
        // A record that can no longer be read shows as none rather than as the last one.
        if (auto record = m_context.app.Messages().Message(id, error)) {
            m_record = std::move(*record);
        } else {
            id = 0;
        }
    } else {
        id = 0;
    }
    ShowHeader(id);
    ShowContent(id, kAsItemPrefers);
    m_hint->setVisible(id < 1 && doc.Items().empty());
}

void CWatchMessageView::BuildHint()
{
    m_hint = new QWidget(this);
    m_hint->setAutoFillBackground(true);
    m_hint->setAccessibleName(tr("第一个检查项目"));
    auto* text = new QLabel(tr("点击 增加 添加第一个检查项目…"), m_hint);
    text->setWordWrap(true);
    text->setAccessibleName(text->text());
    auto* add = new QPushButton(tr("增加"), m_hint);
    add->setAccessibleName(add->text());
    auto* layout = new QVBoxLayout(m_hint);
    layout->addStretch(1);
    layout->addWidget(text, 0, Qt::AlignHCenter);
    layout->addWidget(add, 0, Qt::AlignHCenter);
    layout->addStretch(2);
    connect(add, &QPushButton::clicked, this, &CWatchMessageView::AddItemWanted);
    m_hint->hide();
}

void CWatchMessageView::ShowHeader(int id)
{
    const MessageHeaderTexts texts = BuildHeaderTexts(id > 0 ? &m_record : nullptr, m_context.app.m_settings.UserType);
    m_strLink = texts.link;
    m_itemName->setText(Utf8(texts.itemName));
    m_receiveDate->setText(Utf8(texts.receiveDate));
    m_category->setText(Utf8(texts.category));
    m_sourceDate->setText(Utf8(texts.sourceDate));
    m_sender->setText(Utf8(texts.sender));
    m_receiver->setText(Utf8(texts.receiver));
    const QString subject = Utf8(texts.subject);
    m_subject->setText(texts.link.empty() || subject.isEmpty()
                           ? subject.toHtmlEscaped()
                           : QStringLiteral("<a href=\"#subject\">%1</a>").arg(subject.toHtmlEscaped()));
    m_subject->setToolTip(Utf8(texts.link));
    m_subject->setAccessibleName(subject);
    for (QLabel* label : {m_itemName, m_receiveDate, m_sourceDate, m_sender, m_receiver, m_category}) {
        label->setAccessibleName(label->text());
    }
    m_changesButton->setVisible(id > 0 && m_record.MessageCategory == kWebCategory);
    update();
}

void CWatchMessageView::OpenSubjectLink()
{
    const QUrl url = LinkUrl(Utf8(m_strLink));
    // A subject from a mail or a remote table may name anything; only web and mail addresses go
    // to the desktop's opener, never a local file or program.
    if (IsOpenableLink(url)) {
        m_context.opener.Open(url);
    }
}

void CWatchMessageView::OpenInDesktopBrowser()
{
    if (m_context.doc.m_nCurMessageId < 1 || m_record.ID != m_context.doc.m_nCurMessageId) {
        return;
    }
    const QUrl link(Utf8(m_strLink).trimmed());
    if (!m_strLink.empty()) {
        if (IsOpenableLink(link)) {
            m_context.opener.Open(link);
        }
        return;
    }
    std::string path;
    std::string error;
    if (!WriteContentFile(m_context.app.m_strAppDir, kUtf8Bom + BuildStoredContentHtml(m_record), path, error)) {
        m_browser->ShowNotice(tr(kCannotWriteText) + Utf8(error));
        return;
    }
    m_context.opener.Open(QUrl::fromLocalFile(Utf8(path)));
}

void CWatchMessageView::ShowContent(int id, int mode)
{
    if (id < 1) {
        m_browser->GoHome();
        return;
    }
    if (mode == kRemoteAddress || (mode == kAsItemPrefers && m_record.DisplayType == 1)) {
        m_browser->Navigate2(LinkUrl(Utf8(RemoteAddress(m_record))));
        return;
    }
    if (mode == kChanges) {
        std::string error;
        const auto view = m_context.app.Messages().Changes(id, error);
        if (!view) {
            m_browser->ShowNotice(tr("不能比较这条消息: ") + Utf8(error));
            return;
        }
        ShowPageFile(ChangeViewHtml(*view));
        return;
    }
    ShowPageFile(BuildStoredContentHtml(m_record));
}

void CWatchMessageView::ShowPageFile(const std::string& html)
{
    const std::vector<std::string> words = SearchWords(m_context.doc.m_strSearch);
    std::string path;
    std::string error;
    if (!WriteContentFile(m_context.app.m_strAppDir, kUtf8Bom + (words.empty() ? html : HighlightWords(html, words)),
                          path, error)) {
        m_browser->ShowNotice(tr(kCannotWriteText) + Utf8(error));
        return;
    }
    m_browser->Navigate2(QUrl::fromLocalFile(Utf8(path)));
}

void CWatchMessageView::ShowHeaderStrip(bool shown)
{
    m_bHeaderShown = shown;
    m_header->setVisible(shown);
    m_separator->setVisible(shown);
    m_headerButton->show();
    m_browser->show();
    PlaceChildren();
    m_headerButton->raise();
}

void CWatchMessageView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceChildren();
}

void CWatchMessageView::PlaceChildren()
{
    const int left = kButtonSize + 3;
    m_headerButton->move(1, 1);
    m_header->setGeometry(left, 0, std::max(0, width() - left), kHeaderHeight);
    m_separator->setGeometry(0, kHeaderHeight, width(), 1);
    if (m_bHeaderShown) {
        const int top = std::max(kBrowserTop, m_separator->y() + kBelowSeparator);
        m_browser->setGeometry(0, top, width(), std::max(0, height() - top));
    } else {
        m_browser->setGeometry(0, 0, width(), height());
    }
    m_hint->setGeometry(m_browser->geometry());
    m_hint->raise();
}

void CWatchMessageView::OnDownloadBegin()
{
    CRunState& run = m_context.app.m_run;
    // One saved text per download: a second begin before the end must not save our own text.
    if (!m_bDownloading) {
        m_strSavedStatus = run.GetStatusText();
    }
    m_bDownloading = true;
    if (!run.IsRunActive()) {
        Q_EMIT BusyAnimation(true);
        run.SetStatusText(m_strSavedStatus + tr(kDownloadingText).toStdString());
    }
}

void CWatchMessageView::OnDownloadComplete()
{
    CRunState& run = m_context.app.m_run;
    m_bDownloading = false;
    if (!run.IsRunActive()) {
        Q_EMIT BusyAnimation(false);
        // Only our own text gives way: a newer one (a deletion's, the summary after it) stays.
        if (run.GetStatusText() == m_strSavedStatus + tr(kDownloadingText).toStdString()) {
            run.SetStatusText(m_strSavedStatus);
        }
    }
}
