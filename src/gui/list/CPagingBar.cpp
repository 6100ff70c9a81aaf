#include "gui/list/CPagingBar.h"

#include "gui/frame/FrameCommands.h"
#include "gui/widgets/CHyperlinkLabel.h"
#include "gui/widgets/GuiImages.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace {
constexpr const char* kDeleteTip = QT_TRANSLATE_NOOP("CPagingBar", "删除选定的消息");
constexpr const char* kPageCaption = QT_TRANSLATE_NOOP("CPagingBar", "页次:");
constexpr std::pair<int, const char*> kLinks[] = {
    {cmd::kFirstPage, QT_TRANSLATE_NOOP("CPagingBar", "首页")},
    {cmd::kPreviousPage, QT_TRANSLATE_NOOP("CPagingBar", "上页")},
    {cmd::kNextPage, QT_TRANSLATE_NOOP("CPagingBar", "下页")},
    {cmd::kLastPage, QT_TRANSLATE_NOOP("CPagingBar", "尾页")},
};
// Typing pauses this long before the list is searched: one query per word, not per key.
constexpr int kSearchDelayMs = 300;
// Narrow enough that the bar still fits the smallest window; the stretch before it gives it room.
constexpr int kSearchFieldWidth = 96;
} // namespace

QString FilterLabel(int readFilter)
{
    switch (readFilter) {
    case 1:
        return QCoreApplication::translate("CPagingBar", "未读");
    case 2:
        return QCoreApplication::translate("CPagingBar", "已读");
    default:
        return QCoreApplication::translate("CPagingBar", "所有");
    }
}

CPagingBar::CPagingBar(QMenu* filterMenu, QWidget* parent) : QWidget(parent)
{
    setAccessibleName(tr("分页"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(6);

    m_filter = new QToolButton(this);
    m_filter->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_filter->setIcon(FilterButtonIcon());
    m_filter->setMenu(filterMenu);
    m_filter->setPopupMode(QToolButton::MenuButtonPopup);
    m_filter->setAutoRaise(true);
    ShowFilter(0);
    connect(m_filter, &QToolButton::clicked, this, [this] { Q_EMIT Command(cmd::kFilterButton); });
    layout->addWidget(m_filter);

    m_delete = new QToolButton(this);
    m_delete->setIcon(CommandIcon(cmd::kDeleteSelected));
    m_delete->setToolTip(tr(kDeleteTip));
    m_delete->setAccessibleName(tr(kDeleteTip));
    m_delete->setAutoRaise(true);
    connect(m_delete, &QToolButton::clicked, this, [this] { Q_EMIT Command(cmd::kDeleteSelected); });
    layout->addWidget(m_delete);

    auto* caption = new QLabel(tr(kPageCaption), this);
    caption->setAccessibleName(caption->text());
    layout->addWidget(caption);
    m_page = new QLabel(tr("%1/%2页").arg(0).arg(0), this);
    m_page->setAccessibleDescription(tr("页次")); // its name is its text, "1/3页"
    layout->addWidget(m_page);
    m_count = new QLabel(tr("每页:%1/共:%2条").arg(100).arg(0), this);
    m_count->setAccessibleDescription(tr("消息数"));
    layout->addWidget(m_count);

    for (size_t i = 0; i < std::size(kLinks); ++i) {
        m_links[i] = new CHyperlinkLabel(tr(kLinks[i].second), this);
        const int id = kLinks[i].first;
        connect(m_links[i], &CHyperlinkLabel::clicked, this, [this, id] { Q_EMIT Command(id); });
        layout->addWidget(m_links[i]);
    }
    layout->addStretch(1);

    m_search = new QLineEdit(this);
    // The clear button shows only over text, and its icon, the style's, costs the start a search
    // of the icon theme and the image plugins: it comes with the event loop's first turn.
    QTimer::singleShot(0, m_search, [search = m_search] { search->setClearButtonEnabled(true); });
    m_search->setPlaceholderText(tr("搜索 (Ctrl+F)"));
    m_search->setAccessibleName(tr("搜索"));
    m_search->setToolTip(tr("只显示主题、发送人、接受人或内容含有每个词的消息"));
    m_search->setMinimumWidth(kSearchFieldWidth);
    m_search->setMaximumWidth(2 * kSearchFieldWidth);
    layout->addWidget(m_search);
    m_searchDelay = new QTimer(this);
    m_searchDelay->setSingleShot(true);
    m_searchDelay->setInterval(kSearchDelayMs);
    const auto send = [this] {
        m_searchDelay->stop();
        if (m_search->text() != m_strSentSearch) {
            m_strSentSearch = m_search->text();
            Q_EMIT SearchChanged(m_strSentSearch);
        }
    };
    connect(m_searchDelay, &QTimer::timeout, this, send);
    connect(m_search, &QLineEdit::textChanged, m_searchDelay, qOverload<>(&QTimer::start));
    connect(m_search, &QLineEdit::returnPressed, this, send);
    auto* find = new QShortcut(QKeySequence::Find, this);
    find->setContext(Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, [this] {
        m_search->setFocus(Qt::ShortcutFocusReason);
        m_search->selectAll();
    });
    auto* clear = new QShortcut(QKeySequence(Qt::Key_Escape), m_search);
    clear->setContext(Qt::WidgetShortcut);
    connect(clear, &QShortcut::activated, m_search, &QLineEdit::clear);
}

void CPagingBar::ShowIndexing(int percent)
{
    m_search->setPlaceholderText(percent >= 100 ? tr("搜索 (Ctrl+F)") : tr("正在建立搜索索引 %1%").arg(percent));
}

void CPagingBar::ShowFilter(int readFilter)
{
    if (readFilter == m_nShownFilter) {
        return;
    }
    m_nShownFilter = readFilter;
    m_filter->setText(FilterLabel(readFilter));
    m_filter->setAccessibleName(m_filter->text());
    m_filter->setToolTip(tr("读取状态: ") + m_filter->text());
}

void CPagingBar::ShowPage(long page, long pageCount)
{
    // An empty list has no page to be on: "0/0页", not "1/0页".
    m_page->setText(tr("%1/%2页").arg(pageCount > 0 ? page : 0).arg(std::max(pageCount, 0L)));
}

void CPagingBar::ShowCount(int pageSize, long totalCount)
{
    m_count->setText(tr("每页:%1/共:%2条").arg(pageSize).arg(totalCount));
}

CHyperlinkLabel* CPagingBar::Link(int commandId) const
{
    for (size_t i = 0; i < std::size(kLinks); ++i) {
        if (kLinks[i].first == commandId) {
            return m_links[i];
        }
    }
    return nullptr;
}
