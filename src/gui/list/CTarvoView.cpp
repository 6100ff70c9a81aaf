#include "gui/list/CTarvoView.h"

#include "app/CMainTick.h"
#include "app/CMessageOperations.h"
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "gui/frame/GuiContext.h"
#include "gui/list/CMessageListCtrl.h"
#include "gui/list/CMessageListModel.h"
#include "store/MessageListInfo.h"
#include "util/UiText.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

namespace {

constexpr const char* kQueryFailedText = "error!cuowu";
constexpr const char* kQueryFailedCaption = "dd";
constexpr const char* kCannotChangeCaption = QT_TRANSLATE_NOOP("CTarvoView", "注意");
constexpr const char* kSelectToDeleteText = QT_TRANSLATE_NOOP("CTarvoView", "请首先选择您所要删除的消息");
constexpr const char* kSelectToMarkText = QT_TRANSLATE_NOOP("CTarvoView", "请首先选择您所要处理的消息");
constexpr const char* kConfirmCaption = QT_TRANSLATE_NOOP("CTarvoView", "请确认");
constexpr const char* kDeletedFront = QT_TRANSLATE_NOOP("CTarvoView", "已删除 ");
constexpr const char* kRestoredFront = QT_TRANSLATE_NOOP("CTarvoView", "已恢复 ");
constexpr const char* kDeletedBack = QT_TRANSLATE_NOOP("CTarvoView", " 条消息");
constexpr const char* kNothingToUndoText = QT_TRANSLATE_NOOP("CTarvoView", "没有可以撤销的删除");

constexpr std::array<int, CMessageListModel::kColumnCount> kColumnWidths = {24, 88, 110, 126, 25, 170, 0, 50, 0};
constexpr size_t kDateColumn = 2;
constexpr std::array<int, 2> kEmptyColumns = {6, 8};
constexpr const char* kWidestDate = "2000年00月00日-00:00";

enum ListCommandId : int
{
    kDeleteSelected = 32803,
    kMarkSelectedRead = 32804,
    kMarkSelectedUnread = 32805,
    kUndoDelete = 32825,
};

// Shown for as long as a fill runs.
class WaitCursor final
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString Utf8(const char* text)
{
    return QCoreApplication::translate("CTarvoView", text);
}

} // namespace

CTarvoView::CTarvoView(GuiContext& context, QWidget* parent) : QWidget(parent), m_context(context)
{
    setAccessibleName(tr("消息列表"));
    m_model = new CMessageListModel(m_context.doc.m_pageItems, this);
    m_list = new CMessageListCtrl(this);
    m_list->setAccessibleName(tr("消息列表"));
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(true);
    m_list->setWordWrap(false);
    m_list->setSortingEnabled(false);
    m_list->setIconSize(QSize(16, 14));
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
    QHeaderView* header = m_list->horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setSortIndicatorShown(false);
    header->setMinimumSectionSize(0);
    for (int column = 0; column < CMessageListModel::kColumnCount; ++column) {
        header->resizeSection(column, kColumnWidths[static_cast<size_t>(column)]);
    }
    // The two columns that never show anything are hidden, so the last one that does stretches
    // to the right edge.
    for (const int empty : kEmptyColumns) {
        header->setSectionHidden(empty, true);
    }
    header->setStretchLastSection(true);
    // The date column is at least as wide as a date in the font in use, so it shows whole.
    const int dateWidth = m_list->fontMetrics().horizontalAdvance(QString::fromUtf8(kWidestDate)) + 12;
    header->resizeSection(kDateColumn, std::max(kColumnWidths[kDateColumn], dateWidth));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);

    connect(header, &QHeaderView::sectionClicked, this, &CTarvoView::SortByHeader);
    connect(m_list, &CMessageListCtrl::Clicked, this, [this] { m_context.doc.ResetNewCounts(); });
    connect(m_list, &CMessageListCtrl::MarkImageClicked, this, [this](int row) { SetReadState(row, -1); });
    connect(m_list, &CMessageListCtrl::DeletePressed, this, &CTarvoView::OnDeleteSelected);
    connect(m_list, &CMessageListCtrl::ContextMenuWanted, this, &CTarvoView::ShowContextMenu);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CTarvoView::OnSelectionChanged);
    BuildContextMenu();
    m_context.doc.AddView(this);
}

CTarvoView::~CTarvoView()
{
    m_context.doc.RemoveView(this);
}

void CTarvoView::OnUpdate(CTarvoDoc& doc, IDocView*, int)
{
    ShowPage(doc.m_nCurPage);
}

bool CTarvoView::ShowPage(long page)
{
    WaitCursor wait;
    CTarvoDoc& doc = m_context.doc;
    std::string error;
    auto rows = m_context.app.Messages().Page(doc.PageQuery(page), error);
    if (!rows) {
        m_context.boxes.Show(this, Utf8(kQueryFailedText), Utf8(kQueryFailedCaption), QMessageBox::Warning,
                             QMessageBox::Ok);
        return false;
    }
    // The document's page array changes between the model's begin and end of the reset, before
    // control returns to the event loop, so no paint sees the two apart.
    m_list->setUpdatesEnabled(false);
    m_model->BeginRefill();
    doc.TakePage(std::move(*rows));
    m_model->EndRefill();
    m_nLastSelectedRow = -1;
    m_list->setUpdatesEnabled(true);
    return true;
}

void CTarvoView::SetReadState(int row, int mode)
{
    if (row >= 0 && row < m_model->rowCount()) {
        MarkRows({row}, mode);
    }
}

void CTarvoView::MarkRows(const std::vector<int>& rows, int mode)
{
    std::vector<MessageListInfo*> records;
    for (int row : rows) {
        records.push_back(&m_model->RecordAt(row));
    }
    std::string error;
    const auto change = m_context.app.Messages().SetReadState(records, mode, error);
    if (!change) {
        ShowStoreError(error); // the rows stay as they were
        return;
    }
    for (size_t i = 0; i < change->refused.size(); ++i) {
        m_context.boxes.Show(this, QString::fromStdString(UiText("CTarvoDoc", kCannotChangeStateText)),
                             Utf8(kCannotChangeCaption), QMessageBox::Warning, QMessageBox::Ok);
    }
    for (size_t i = 0; i < records.size(); ++i) {
        if (std::ranges::find(change->changed, records[i]) != change->changed.end()) {
            m_context.doc.CountReadChange(*records[i]);
            m_model->RowChanged(rows[i]);
        }
    }
}

void CTarvoView::ShowStoreError(const std::string& error)
{
    m_context.boxes.Show(this, QString::fromStdString(error), QString(), QMessageBox::Information, QMessageBox::Ok);
}

void CTarvoView::SortBy(int column)
{
    if (m_nSortColumn != -1 && m_nSortColumn != column) {
        const int unsorted = m_nSortColumn == CMessageListModel::kStatusColumn ? CMessageListModel::kStatusUnsorted
                             : m_nSortColumn == CMessageListModel::kMarkColumn ? CMessageListModel::kMarkUnsorted
                                                                               : CMessageListModel::kNoImage;
        m_model->SetHeaderImage(m_nSortColumn, unsorted);
    }
    if (column < 0 || column >= CMessageListModel::kColumnCount) {
        return;
    }
    m_bDescending = column == m_nSortColumn ? !m_bDescending : false;
    int image = m_bDescending ? CMessageListModel::kDescending : CMessageListModel::kAscending;
    if (column == CMessageListModel::kStatusColumn) {
        image = m_bDescending ? CMessageListModel::kStatusDescending : CMessageListModel::kStatusAscending;
    } else if (column == CMessageListModel::kMarkColumn) {
        image = m_bDescending ? CMessageListModel::kMarkDescending : CMessageListModel::kMarkAscending;
    }
    m_nSortColumn = column;
    m_model->SetHeaderImage(column, image);
}

void CTarvoView::SortByHeader(int column)
{
    SortBy(column);
    // The whole list is sorted, not the page: its first page in the new order is shown.
    m_context.doc.m_sortOrder = ListOrder{m_nSortColumn, m_bDescending};
    ShowPage(1);
}

void CTarvoView::RestoreSort(int column, bool descending)
{
    if (column < 0 || column >= CMessageListModel::kColumnCount) {
        return;
    }
    SortBy(column); // ascending first, as a first click on the header
    if (descending) {
        SortBy(column);
    }
    m_context.doc.m_sortOrder = ListOrder{m_nSortColumn, m_bDescending};
}

bool CTarvoView::SelectMessage(int id)
{
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->RecordAt(row).ID == id) {
            const QModelIndex index = m_model->index(row, 5);
            m_list->selectionModel()->setCurrentIndex(index,
                                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            m_list->scrollTo(index);
            return true;
        }
    }
    return false;
}

void CTarvoView::MarkShownRead()
{
    const int id = m_context.doc.m_nCurMessageId;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const MessageListInfo& record = m_model->RecordAt(row);
        if (record.ID == id && record.status < 1 && record.bCanChangeState != 0) {
            MarkRows({row}, 1);
            return;
        }
    }
}

std::vector<int> CTarvoView::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CTarvoView::AutoMarkSelected(int mode)
{
    if (const std::vector<int> rows = SelectedRows(); !rows.empty()) {
        MarkRows(rows, mode != 0 ? 1 : 0);
    }
}

void CTarvoView::OnMarkSelectedRead()
{
    if (SelectedRows().empty()) {
        m_context.boxes.Show(this, Utf8(kSelectToMarkText), Utf8(kConfirmCaption), QMessageBox::Information,
                             QMessageBox::Ok);
        return;
    }
    AutoMarkSelected(1);
}

void CTarvoView::OnMarkSelectedUnread()
{
    if (SelectedRows().empty()) {
        m_context.boxes.Show(this, Utf8(kSelectToMarkText), Utf8(kConfirmCaption), QMessageBox::Information,
                             QMessageBox::Ok);
        return;
    }
    AutoMarkSelected(0);
}

void CTarvoView::OnDeleteSelected()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        m_context.boxes.Show(this, Utf8(kSelectToDeleteText), Utf8(kConfirmCaption), QMessageBox::Information,
                             QMessageBox::Ok);
        return;
    }
    std::vector<int> ids;
    for (int row : rows) {
        ids.push_back(m_model->RecordAt(row).ID);
    }
    std::string error;
    if (!m_context.app.Messages().Delete(ids, error)) {
        ShowStoreError(error); // nothing was deleted; the refill below shows the rows again
        m_context.doc.ShowStoreChange();
        return;
    }
    m_context.doc.m_nCurMessageId = 0;
    m_context.doc.ShowStoreChange(Utf8(kDeletedFront).toStdString() + std::to_string(ids.size()) +
                                  Utf8(kDeletedBack).toStdString());
}

void CTarvoView::OnUndoDelete()
{
    std::vector<int> restored;
    std::string error;
    if (!m_context.app.Messages().Undo(restored, error)) {
        ShowStoreError(error);
        return;
    }
    m_context.doc.ShowStoreChange(restored.empty()
                                      ? Utf8(kNothingToUndoText).toStdString()
                                      : Utf8(kRestoredFront).toStdString() + std::to_string(restored.size()) +
                                            Utf8(kDeletedBack).toStdString());
}

void CTarvoView::OnSelectionChanged()
{
    const QItemSelectionModel* selection = m_list->selectionModel();
    int row = -1;
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row())) {
        row = current.row();
    } else if (const auto rows = SelectedRows(); !rows.empty()) {
        row = rows.front();
    }
    if (row < 0) {
        return;
    }
    if (m_context.tick) {
        m_context.tick->ResetAutoMarkCountdown();
    }
    CTarvoDoc& doc = m_context.doc;
    const int id = m_model->RecordAt(row).ID;
    if (id != doc.m_nCurMessageId) {
        m_nLastSelectedRow = row;
        doc.m_nCurMessageId = id;
        doc.UpdateAllViews(this);
    }
}

void CTarvoView::BuildContextMenu()
{
    m_contextMenu = new QMenu(tr("消息"), this);
    // Every item carries its command id, so the frame's forwarding and the menu agree.
    const auto item = [this](const char* text, int id) {
        QAction* action = m_contextMenu->addAction(Utf8(text));
        action->setData(id);
        return action;
    };
    const auto frameItem = [this, &item](const char* text, int id) {
        connect(item(text, id), &QAction::triggered, this, [this, id] { Q_EMIT FrameCommand(id); });
    };
    frameItem(QT_TRANSLATE_NOOP("CTarvoView", "移动到首页"), kFirstPage);
    frameItem(QT_TRANSLATE_NOOP("CTarvoView", "移动到前一页"), kPreviousPage);
    frameItem(QT_TRANSLATE_NOOP("CTarvoView", "移动到后一页"), kNextPage);
    frameItem(QT_TRANSLATE_NOOP("CTarvoView", "移动到尾页"), kLastPage);
    m_contextMenu->addSeparator();
    connect(item(QT_TRANSLATE_NOOP("CTarvoView", "删除已选消息      "), kDeleteSelected), &QAction::triggered, this,
            &CTarvoView::OnDeleteSelected);
    connect(item(QT_TRANSLATE_NOOP("CTarvoView", "撤销删除"), kUndoDelete), &QAction::triggered, this,
            &CTarvoView::OnUndoDelete);
    m_contextMenu->addSeparator();
    connect(item(QT_TRANSLATE_NOOP("CTarvoView", "标记选中的为已读"), kMarkSelectedRead), &QAction::triggered, this,
            &CTarvoView::OnMarkSelectedRead);
    connect(item(QT_TRANSLATE_NOOP("CTarvoView", "标记选中的为未读"), kMarkSelectedUnread), &QAction::triggered, this,
            &CTarvoView::OnMarkSelectedUnread);
    frameItem(QT_TRANSLATE_NOOP("CTarvoView", "标记所有的为已读"), kMarkAllRead);
    frameItem(QT_TRANSLATE_NOOP("CTarvoView", "标记所有的为未读"), kMarkAllUnread);
    m_contextMenu->addSeparator();
    // The detail pane's two buttons, through the frame that holds the pane.
    frameItem(QT_TRANSLATE_NOOP("CTarvoView", "显示本机存储的内容"), kShowStoredContent);
    frameItem(QT_TRANSLATE_NOOP("CTarvoView", "显示链接的远程信息"), kShowRemoteContent);
}

void CTarvoView::ShowContextMenu(const QPoint& globalPos)
{
    m_contextMenu->popup(globalPos);
}
