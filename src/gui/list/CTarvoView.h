#pragma once
// The message list: one page of message records of the current check item and read filter,
// unread first and newest first. It keeps the document's page values, marks records read or
// unread, deletes them and tells the detail pane which record is selected.
#include "app/IDocView.h"

#include <QWidget>
#include <string>
#include <vector>

class CMessageListCtrl;
class CMessageListModel;
class QMenu;
struct GuiContext;

class CTarvoView final : public QWidget, public IDocView
{
    Q_OBJECT
public:
    // Commands of the context menu that the frame carries out (paging, the item's mark-all).
    enum FrameCommandId : int
    {
        kFirstPage = 1024,
        kPreviousPage = 1025,
        kNextPage = 1026,
        kLastPage = 1027,
        kMarkAllRead = 32819,
        kMarkAllUnread = 32820,
        kShowStoredContent = 32807,
        kShowRemoteContent = 32808,
    };

    CTarvoView(GuiContext& context, QWidget* parent = nullptr);
    ~CTarvoView() override;

    // Shows the page in the list's order (the header's sort, when one was clicked).
    void OnUpdate(CTarvoDoc& doc, IDocView* sender, int hint) override;

    // Commands the frame forwards.
    // Deletes the selected records; the status text tells how many ("已删除 N 条消息").
    void OnDeleteSelected();
    // Brings the last deletion back (CMessageOperations::Undo).
    void OnUndoDelete();
    void OnMarkSelectedRead();
    void OnMarkSelectedUnread();
    // Marks the selected records: 1 read, 0 unread (the frame's auto-mark countdown uses 1).
    void AutoMarkSelected(int mode);

    // Runs the list query and fills one page; a page beyond the last shows the last. False (with
    // "error!cuowu", the rows kept) when the query fails.
    bool ShowPage(long page);
    // Mode 1 read, 0 unread, -1 toggle; refused with its message for records that may not change here.
    void SetReadState(int row, int mode);
    // Sets the sort column and the header images; -1 only takes the image off the last sorted header.
    void SortBy(int column);
    // A click on a header: SortBy, then the whole list is read again in that order from its first page.
    void SortByHeader(int column);
    // The order a former session left: the header shows it and the next fill follows it.
    void RestoreSort(int column, bool descending);
    // Selects the row of the record (the detail pane follows); false when it is not on the page.
    bool SelectMessage(int id);
    // The record the detail pane shows was read: marked so, quietly (one that may not change here
    // keeps its state).
    void MarkShownRead();

    CMessageListCtrl* List() const { return m_list; }
    QMenu* ContextMenu() const { return m_contextMenu; }
    CMessageListModel* Model() const { return m_model; }
    int SortColumn() const { return m_nSortColumn; }
    bool IsSortDescending() const { return m_bDescending; }
    // The rows selected, in row order.
    std::vector<int> SelectedRows() const;

Q_SIGNALS:
    void FrameCommand(int id);

private:
    void OnSelectionChanged();
    void ShowContextMenu(const QPoint& globalPos);
    void BuildContextMenu();
    // SetReadState over rows, in one write; a refusal message for each protected record.
    void MarkRows(const std::vector<int>& rows, int mode);
    // The database's own words for a write it refused, as the store shows them.
    void ShowStoreError(const std::string& error);

    GuiContext& m_context;
    CMessageListModel* m_model = nullptr;
    CMessageListCtrl* m_list = nullptr;
    QMenu* m_contextMenu = nullptr;
    int m_nSortColumn = -1;
    bool m_bDescending = false;
    int m_nLastSelectedRow = -1;
};
