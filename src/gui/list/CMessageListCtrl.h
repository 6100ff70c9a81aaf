#pragma once
// The table of the message list. A left click on the read-state image of column 4 toggles that
// row instead of selecting it; every click, the Delete key and the context menu are passed on.
#include <QTableView>

class CMessageListCtrl final : public QTableView
{
    Q_OBJECT
public:
    explicit CMessageListCtrl(QWidget* parent = nullptr);

    // Where the image of column 4 lies in a row, in viewport coordinates (empty for no such row).
    QRect MarkImageRect(int row) const;

Q_SIGNALS:
    void MarkImageClicked(int row);
    void Clicked();
    void DeletePressed();
    void ContextMenuWanted(const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};
