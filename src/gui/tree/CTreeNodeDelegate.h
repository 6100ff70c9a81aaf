#pragma once
// Draws a check item node as the tree shows it: the state image (off, on, root), the 7 x 7 frame
// of the unread animation (or nothing), then the name with its unread count ("公司新闻 (12)") and
// the mark of a failing or silent item. The hit test of the tree uses the same layout, so a click
// lands on what is drawn there.
#include <QRect>
#include <QStyledItemDelegate>

enum TreeNodeRole : int
{
    kNodeKeyRole = Qt::UserRole + 1, // messagetypeid, or kRootKey for the root
    kStateImageRole,                 // kStateImageOff, kStateImageOn or kStateImageRoot
    kAnimFrameRole,                  // 0 to 7, or -1 for no image
    kDropHighlightRole,              // true while the node is the highlighted command target
    kUnreadCountRole,                // drawn after the name when above 0
    kHealthMarkRole,                 // kHealthMarkNone, kHealthMarkFailing or kHealthMarkSilent
};

inline constexpr int kRootKey = -1;

struct TreeNodeLayout
{
    QRect state;
    QRect image;
    QRect text;
};

// The parts of a node inside the rectangle of its row (the part right of the indentation).
TreeNodeLayout LayoutTreeNode(const QRect& row);

// The name as drawn and read out: "公司新闻 (12)", or the bare name without unread messages.
QString TreeNodeLabel(const QString& name, int unread);

class CTreeNodeDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The on/off state is the node's check state for screen readers only: no click or key toggles it here.
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
};
