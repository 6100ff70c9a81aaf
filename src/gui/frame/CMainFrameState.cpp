// The main window remembers itself: what WindowState keeps, taken from and given to the widgets.
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "app/WindowState.h"
#include "gui/frame/CMainFrame.h"
#include "gui/frame/FrameCommands.h"
#include "gui/frame/GuiContext.h"
#include "gui/list/CMessageListCtrl.h"
#include "gui/list/CTarvoView.h"

#include <QAction>
#include <QHeaderView>
#include <QSplitter>

namespace {

// SplitterWindowType as BuildPanes reads it: 1, or any other value for the other layout.
int LayoutOf(const Settings& settings)
{
    return settings.SplitterWindowType == 1 ? 1 : 0;
}

bool Fits(const QList<int>& sizes)
{
    return sizes.size() == 2 && (sizes[0] > 0 || sizes[1] > 0);
}

} // namespace

void CMainFrame::RestoreWindowState()
{
    WindowState state;
    state.Load();
    m_savedGeometry = state.geometry;
    if (state.splitterLayout == LayoutOf(m_context.app.m_settings)) {
        if (Fits(state.outerSizes)) {
            m_outer->setSizes(state.outerSizes);
        }
        if (Fits(state.innerSizes)) {
            m_inner->setSizes(state.innerSizes);
        }
    }
    QHeaderView* header = m_list->List()->horizontalHeader();
    if (!state.listColumns.isEmpty()) {
        header->restoreState(state.listColumns);
    }
    header->setStretchLastSection(true); // whatever an older profile said
    if (state.sortColumn >= 0) {
        m_list->RestoreSort(state.sortColumn, state.sortDescending);
    }
    Action(cmd::kViewToolbar)->setChecked(state.toolbarVisible);
    Action(cmd::kViewStatusBar)->setChecked(state.statusBarVisible);
}

void CMainFrame::SaveWindowState()
{
    if (!m_bShownOnce) {
        return; // started in the tray and never opened: what was stored still holds
    }
    WindowState state;
    state.geometry = saveGeometry();
    state.splitterLayout = LayoutOf(m_context.app.m_settings);
    state.outerSizes = m_outer->sizes();
    state.innerSizes = m_inner->sizes();
    state.listColumns = m_list->List()->horizontalHeader()->saveState();
    state.sortColumn = m_list->SortColumn();
    state.sortDescending = m_list->IsSortDescending();
    state.toolbarVisible = Action(cmd::kViewToolbar)->isChecked();
    state.statusBarVisible = Action(cmd::kViewStatusBar)->isChecked();
    state.Save();
}
