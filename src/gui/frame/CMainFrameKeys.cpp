// The main window from the keyboard: the Tab order of the panes, Space and Enter in the panes, and
// "下一条未读消息".
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "app/NextUnread.h"
#include "gui/detail/CWatchMessageView.h"
#include "gui/detail/CWebBrowser2.h"
#include "gui/frame/CMainFrame.h"
#include "gui/frame/FrameCommands.h"
#include "gui/frame/GuiContext.h"
#include "gui/list/CMessageListCtrl.h"
#include "gui/list/CPagingBar.h"
#include "gui/list/CTarvoView.h"
#include "gui/tree/CLeftView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QToolBar>

namespace {

// The widgets under root that Tab stops at, in their focus chain's order.
QList<QWidget*> TabStops(QWidget* root)
{
    QList<QWidget*> stops;
    for (QWidget* w = root->nextInFocusChain(); w && w != root && stops.size() < 100; w = w->nextInFocusChain()) {
        if (root->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() && !stops.contains(w)) {
            stops << w;
        }
    }
    return stops;
}

bool IsPlainKey(const QKeyEvent* key, int code)
{
    return key->key() == code && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

void CMainFrame::SetUpKeyboard()
{
    // Tab leaves the list instead of walking its cells.
    m_list->List()->setTabKeyNavigation(false);

    // The page in the browser would keep Tab for its links for ever: Tab leaves it. Its widget
    // that takes the keys comes with the first page, so it is watched once it has the focus.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && m_detail->Browser()->isAncestorOf(now)) {
            now->installEventFilter(this);
        }
    });
    m_tree->installEventFilter(this);
    m_list->List()->installEventFilter(this);
    connect(m_list->List(), &QAbstractItemView::doubleClicked, this, [this] { Command(cmd::kOpenMessage); });
    connect(m_detail, &CWatchMessageView::AddItemWanted, this, [this] { Command(cmd::kAddItem); });
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        const bool tab = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
        if ((tab || key->key() == Qt::Key_Backtab) && widget && m_detail->Browser()->isAncestorOf(widget)) {
            focusNextPrevChild(tab);
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && (watched == m_tree || watched == m_list->List())) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (IsPlainKey(key, Qt::Key_Space)) {
            Command(cmd::kNextUnread);
            return true;
        }
        if (watched == m_list->List() && (IsPlainKey(key, Qt::Key_Return) || IsPlainKey(key, Qt::Key_Enter))) {
            Command(cmd::kOpenMessage);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// The panes in a fixed round, whatever order their widgets were made in (the browser makes its own
// late): tree, list, the detail pane's controls and page, the paging bar's controls.
bool CMainFrame::focusNextPrevChild(bool next)
{
    QList<QWidget*> stops = {m_tree, m_list->List()};
    stops << TabStops(m_detail) << TabStops(m_pagingToolbar);
    stops.removeIf([](const QWidget* w) { return !w->isVisible() || !w->isEnabled(); });
    const QWidget* focus = QApplication::focusWidget();
    const auto at = std::ranges::find_if(stops, [focus](QWidget* w) { return w == focus || w->isAncestorOf(focus); });
    if (!focus || at == stops.end()) {
        return QMainWindow::focusNextPrevChild(next); // the toolbar, a bar's own control
    }
    const qsizetype count = stops.size();
    const qsizetype index = ((at - stops.begin()) + (next ? 1 : count - 1)) % count;
    stops[index]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void CMainFrame::GoToNextUnread()
{
    CTarvoDoc& doc = m_context.doc;
    std::vector<int> order;
    for (const ItemPtr& item : doc.Items()) {
        order.push_back(item->messagetypeid);
    }
    std::string error;
    const auto place = FindNextUnread(m_context.app.Messages(), doc.PageQuery(std::max(doc.m_nCurPage, 1L)),
                                      doc.m_nCurMessageId, order, error);
    m_list->MarkShownRead();
    if (!place) {
        const QString text = error.empty() ? tr("没有未读消息") : QString::fromStdString(error);
        m_context.app.m_run.SetStatusText(text.toStdString());
        UpdateCommandUi();
        return;
    }
    const int shownItem = doc.m_pCurItem ? doc.m_pCurItem->messagetypeid : 0;
    if (place->itemId != shownItem) {
        QTreeWidgetItem* node = place->itemId == 0 ? m_tree->RootNode() : m_tree->NodeOf(place->itemId);
        if (node) {
            m_tree->setCurrentItem(node); // lists the item
        }
    }
    doc.m_nReadFilter = place->readFilter;
    // The mark above may have moved the record by a row: the pages beside the one found too.
    for (const long page : {place->page, place->page - 1, place->page + 1}) {
        if (page < 1) {
            continue;
        }
        doc.m_nCurPage = page;
        doc.m_nCurMessageId = 0;
        doc.m_bReload = false;
        doc.UpdateAllViews(m_tree);
        if (m_list->SelectMessage(place->messageId)) {
            break;
        }
    }
    UpdateCommandUi();
}
