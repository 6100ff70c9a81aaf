#include "gui/tree/CTreeNodeDelegate.h"

#include "gui/tree/TreeImages.h"

#include <QApplication>
#include <QPainter>

namespace {

constexpr int kMargin = 1;
constexpr int kImageSlot = 9; // the 7 x 7 frame with a pixel either side
constexpr int kTextGap = 3;
constexpr int kItemHeight = 16;

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
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QString shown = opt.fontMetrics.elidedText(text, Qt::ElideRight, layout.text.width());
    painter->drawText(layout.text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown);
    painter->restore();
}

bool CTreeNodeDelegate::editorEvent(QEvent*, QAbstractItemModel*, const QStyleOptionViewItem&, const QModelIndex&)
{
    return false;
}

QSize CTreeNodeDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    const TreeNodeLayout layout = LayoutTreeNode(QRect(0, 0, 1000, kItemHeight));
    const int height = std::max(kItemHeight, option.fontMetrics.height() + 2);
    return QSize(layout.text.left() + option.fontMetrics.horizontalAdvance(text) + kTextGap, height);
}
