#include "gui/list/CPagingBar.h"

#include "gui/frame/FrameCommands.h"
#include "gui/widgets/CHyperlinkLabel.h"
#include "gui/widgets/GuiImages.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
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
