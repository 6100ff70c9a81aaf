#include "gui/list/CMessageListCtrl.h"

#include "gui/list/CMessageListModel.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

CMessageListCtrl::CMessageListCtrl(QWidget* parent) : QTableView(parent) {}

QRect CMessageListCtrl::MarkImageRect(int row) const
{
    if (!model() || row < 0 || row >= model()->rowCount()) {
        return {};
    }
    const QModelIndex index = model()->index(row, CMessageListModel::kMarkColumn);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.index = index;
    option.features |= QStyleOptionViewItem::HasDecoration;
    option.decorationSize = iconSize();
    option.decorationAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    return style()->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, this).intersected(option.rect);
}

void CMessageListCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid() && index.column() == CMessageListModel::kMarkColumn &&
            MarkImageRect(index.row()).contains(event->position().toPoint())) {
            // The toggle is the whole effect of this click: the selection stays as it was.
            Q_EMIT MarkImageClicked(index.row());
            Q_EMIT Clicked();
            event->accept();
            return;
        }
    }
    QTableView::mousePressEvent(event);
    Q_EMIT Clicked();
}

void CMessageListCtrl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        Q_EMIT DeletePressed();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void CMessageListCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    Q_EMIT ContextMenuWanted(event->globalPos());
    event->accept();
}
