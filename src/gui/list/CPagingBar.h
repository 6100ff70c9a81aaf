#pragma once
// The paging bar: the read-filter button with its drop-down menu, the delete button, "页次:",
// the page and count labels and the four page links. Every control reports its command id.
#include <QWidget>

class CHyperlinkLabel;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class QToolButton;

class CPagingBar final : public QWidget
{
    Q_OBJECT
public:
    // filterMenu: the drop-down of the filter button (menu 189), owned by the caller.
    CPagingBar(QMenu* filterMenu, QWidget* parent = nullptr);

    // The filter button's label follows the read filter; rewritten only when it changes.
    void ShowFilter(int readFilter);
    void ShowPage(long page, long pageCount);
    void ShowCount(int pageSize, long totalCount);

    QToolButton* FilterButton() const { return m_filter; }
    QToolButton* DeleteButton() const { return m_delete; }
    QLabel* PageLabel() const { return m_page; }
    QLabel* CountLabel() const { return m_count; }
    CHyperlinkLabel* Link(int commandId) const;
    // The search field: Ctrl+F anywhere in the window focuses it, Escape empties it.
    QLineEdit* SearchField() const { return m_search; }
    // While an older file's records are being indexed, the field says how far (100 = done).
    void ShowIndexing(int percent);

Q_SIGNALS:
    void Command(int commandId);
    // The search text, a moment after typing stops (at once on Enter).
    void SearchChanged(const QString& text);

private:
    QToolButton* m_filter = nullptr;
    QToolButton* m_delete = nullptr;
    QLabel* m_page = nullptr;
    QLabel* m_count = nullptr;
    CHyperlinkLabel* m_links[4] = {};
    QLineEdit* m_search = nullptr;
    QTimer* m_searchDelay = nullptr;
    QString m_strSentSearch;
    int m_nShownFilter = -1; // none shown yet
};

// "所有", "未读" or "已读".
QString FilterLabel(int readFilter);
