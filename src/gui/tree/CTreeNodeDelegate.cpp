#include "gui/tree/CTreeNodeDelegate.h"

#include "gui/tree/TreeImages.h"

#include <QApplication>
#include <QPainter>

namespace {

constexpr int kMargin = 1;
constexpr int kImageSlot = 9; // the 7 x 7 frame with a pixel either side
constexpr int kTextGap = 3;
constexpr int kItemHeight = 16;
constexpr int kMarkGap = 4;

QString CountSuffix(int unread)
{
    return unread > 0 ? QStringLiteral(" (%1)").arg(unread) : QString();
}

QRect CenteredSquare(int left, const QRect& row, int size)
{
    return QRect(left, row.top() + (row.height() - size) / 2, size, size);
}

} // namespace

TreeNodeLayout LayoutTreeNode(const QRect& row)
{
    TreeNodeLayout layout;
    layout.state = CenteredSquare(row.left() + kMargin, row, kStateImageSize);
    const int imageLeft = layout.state.right() + 1 + 1;
    layout.image = CenteredSquare(imageLeft + 1, row, kAnimationFrameSize);
    const int textLeft = imageLeft + kImageSlot + kTextGap;
    layout.text = QRect(textLeft, row.top(), std::max(0, row.right() - textLeft + 1), row.height());
    return layout;
}

QString TreeNodeLabel(const QString& name, int unread)
{
    return name + CountSuffix(unread);
}

void CTreeNodeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    opt.icon = QIcon();
    opt.features &= ~(QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::HasCheckIndicator);
    const bool dropHighlight = index.data(kDropHighlightRole).toBool();
    if (dropHighlight) {
        opt.state |= QStyle::State_Selected;
    }
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const TreeNodeLayout layout = LayoutTreeNode(option.rect);
    const QPixmap state = StateImage(index.data(kStateImageRole).toInt());
    if (!state.isNull()) {
        painter->drawPixmap(layout.state, state);
    }
    const QPixmap frame =
        AnimationFrame(index.data(kAnimFrameRole).isValid() ? index.data(kAnimFrameRole).toInt() : -1);
    if (!frame.isNull()) {
        painter->drawPixmap(layout.image, frame);
    }
    const bool selected = opt.state.testFlag(QStyle::State_Selected);
    // The count and the mark stay in sight: a long name gives way to them.
    const QString count = CountSuffix(index.data(kUnreadCountRole).toInt());
    const QPixmap mark = HealthMarkImage(index.data(kHealthMarkRole).toInt());
    QFont bold = opt.font;
    bold.setBold(true);
    const int countWidth = QFontMetrics(bold).horizontalAdvance(count);
    const int markWidth = mark.isNull() ? 0 : kMarkGap + kHealthMarkSize;
    const int nameRoom = std::max(0, layout.text.width() - countWidth - markWidth);
    const QString shown = opt.fontMetrics.elidedText(text, Qt::ElideRight, nameRoom);
    const int nameWidth = opt.fontMetrics.horizontalAdvance(shown);
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(layout.text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown);
    if (!count.isEmpty()) {
        painter->setFont(bold);
        const QRect countRect = layout.text.adjusted(nameWidth, 0, 0, 0);
        painter->drawText(countRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, count);
        painter->setFont(opt.font);
    }
    if (!mark.isNull()) {
        const int left =
            std::min(layout.text.left() + nameWidth + countWidth + kMarkGap, layout.text.right() + 1 - kHealthMarkSize);
        painter->drawPixmap(CenteredSquare(left, layout.text, kHealthMarkSize), mark);
    }
    painter->restore();
}

bool CTreeNodeDelegate::editorEvent(QEvent*, QAbstractItemModel*, const QStyleOptionViewItem&, const QModelIndex&)
{
    return false;
}

QSize CTreeNodeDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString text = TreeNodeLabel(index.data(Qt::DisplayRole).toString(), index.data(kUnreadCountRole).toInt());
    const int mark = index.data(kHealthMarkRole).toInt() != kHealthMarkNone ? kMarkGap + kHealthMarkSize : 0;
    const TreeNodeLayout layout = LayoutTreeNode(QRect(0, 0, 1000, kItemHeight));
    const int height = std::max(kItemHeight, option.fontMetrics.height() + 2);
    // The count is drawn bold: a little room to spare.
    QFont bold = option.font;
    bold.setBold(true);
    const int textWidth = QFontMetrics(bold).horizontalAdvance(text);
    return QSize(layout.text.left() + textWidth + mark + kTextGap, height);
}
