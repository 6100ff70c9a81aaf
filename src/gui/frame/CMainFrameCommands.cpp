// The main window's command routing, paging, read filters, command states and closing.
#include "app/CMainTick.h"
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "gui/detail/CWatchMessageView.h"
#include "gui/dialogs/CAboutBox.h"
#include "gui/dialogs/CSystemSettingsDlg.h"
#include "gui/frame/CMainFrame.h"
#include "gui/frame/CTrayObject.h"
#include "gui/frame/FrameCommands.h"
#include "gui/frame/GuiContext.h"
#include "gui/list/CPagingBar.h"
#include "gui/list/CTarvoView.h"
#include "gui/tree/CLeftView.h"
#include "gui/widgets/CBusyAnimation.h"
#include "gui/widgets/CElidedLabel.h"
#include "platform/AutostartEntry.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <cstdio>

namespace {
constexpr const char* kCheckingTip = QT_TRANSLATE_NOOP("CMainFrameCommands", "现在正在检查");
constexpr const char* kHelpPage = "help/help.htm";
} // namespace

void CMainFrame::Command(int id)
{
    using namespace cmd;
    switch (id) {
    case kAddItem:
    case kModifyItem:
    case kDeleteItem:
    case kEnableItem:
    case kDisableItem:
    case kCheckItem:
    case kStopCheck:
    case kMarkAllRead:
    case kMarkAllUnread:
        ForwardToTree(id);
        break;
    case kCheckAll:
        m_context.doc.RefreshTrayTip(tr(kCheckingTip).toStdString());
        m_tree->OnCheckAll();
        break;
    case kDeleteSelected:
    case kUndoDelete:
    case kMarkSelectedRead:
    case kMarkSelectedUnread:
        ForwardToList(id);
        break;
    case kNextUnread:
        GoToNextUnread();
        break;
    case kOpenMessage:
        m_detail->OpenInDesktopBrowser();
        break;
    case kFirstPage:
    case kPreviousPage:
    case kNextPage:
    case kLastPage:
        MovePage(id);
        break;
    case kShowAll:
        SetReadFilter(0);
        break;
    case kShowUnread:
        SetReadFilter(1);
        break;
    case kShowRead:
        SetReadFilter(2);
        break;
    case kFilterButton:
        SetReadFilter((m_context.doc.m_nReadFilter + 1) % 3);
        break;
    case kTrayEnableAutoCheck:
        m_tick->EnableAutoCheck();
        break;
    case kTrayDisableAutoCheck:
        m_tick->DisableAutoCheck();
        break;
    case kToggleAutoCheck:
        m_tick->ToggleAutoCheck();
        break;
    case kToggleSound: {
        int& sound = m_context.app.m_settings.EnableSoundNotify;
        sound = sound != 0 ? 0 : 1;
        m_context.doc.ApplySettings(m_context.app.m_settings);
        break;
    }
    case kOpenMainWindow:
        OpenMainWindow();
        break;
    case kExit:
        close();
        break;
    case kSystemSettings:
        RunSettingsDialog();
        break;
    case kAppAbout:
        ShowAbout();
        break;
    case kHelp:
        OpenHelp();
        break;
    case kImportItems:
        OnImportItems();
        break;
    case kExportItems:
        OnExportItems();
        break;
    case kFilePrint:
        OnFilePrint();
        break;
    case kFilePrintPreview:
        OnFilePrintPreview();
        break;
    case kFilePrintSetup:
        OnFilePrintSetup();
        break;
    case kMessageDetail:
        ShowMessageDetail(m_detail->isHidden());
        break;
    case kShowStoredContent:
        m_detail->ShowContent(m_context.doc.m_nCurMessageId, CWatchMessageView::kStoredContent);
        break;
    case kShowRemoteContent:
        m_detail->ShowContent(m_context.doc.m_nCurMessageId, CWatchMessageView::kRemoteAddress);
        break;
    default:
        break; // the disabled items, and the bar toggles that act through their check state
    }
    UpdateCommandUi();
}

void CMainFrame::ForwardToTree(int id)
{
    using namespace cmd;
    switch (id) {
    case kAddItem:
        m_tree->OnAddItem();
        break;
    case kModifyItem:
        m_tree->OnModifyItem();
        break;
    case kDeleteItem:
        m_tree->OnDeleteItem();
        break;
    case kEnableItem:
        m_tree->OnEnableItem();
        break;
    case kDisableItem:
        m_tree->OnDisableItem();
        break;
    case kCheckItem:
        m_tree->OnCheckItem();
        break;
    case kStopCheck:
        m_tree->OnStopCheck();
        break;
    case kMarkAllRead:
        m_tree->OnMarkAllRead();
        break;
    case kMarkAllUnread:
        m_tree->OnMarkAllUnread();
        break;
    default:
        break;
    }
}

void CMainFrame::ForwardToList(int id)
{
    if (id == cmd::kDeleteSelected) {
        m_list->OnDeleteSelected();
    } else if (id == cmd::kUndoDelete) {
        m_list->OnUndoDelete();
    } else if (id == cmd::kMarkSelectedRead) {
        m_list->OnMarkSelectedRead();
    } else if (id == cmd::kMarkSelectedUnread) {
        m_list->OnMarkSelectedUnread();
    }
}

void CMainFrame::MovePage(int id)
{
    CTarvoDoc& doc = m_context.doc;
    const long page = doc.m_nCurPage;
    long target = page;
    if (page < 1) {
        return; // before the first listing there is no page to move from
    }
    if ((id == cmd::kFirstPage || id == cmd::kPreviousPage) && page > 1) {
        target = id == cmd::kFirstPage ? 1 : page - 1;
    } else if ((id == cmd::kNextPage || id == cmd::kLastPage) && page < doc.m_nPageCount) {
        target = id == cmd::kLastPage ? doc.m_nPageCount : page + 1;
    }
    if (target == page) {
        return; // nothing to move to: no refresh either
    }
    doc.m_nCurPage = target;
    doc.m_nCurMessageId = 0;
    doc.m_bReload = false;
    doc.UpdateAllViews(m_tree);
}

void CMainFrame::SetReadFilter(int filter)
{
    CTarvoDoc& doc = m_context.doc;
    doc.m_nReadFilter = filter;
    doc.m_nCurMessageId = 0;
    doc.m_bReload = true;
    doc.UpdateAllViews(m_tree);
}

void CMainFrame::UpdateCommandUi()
{
    using namespace cmd;
    const Settings& settings = m_context.app.m_settings;
    const CTarvoDoc& doc = m_context.doc;
    const bool autoCheck = settings.enableAutoCheck != 0;
    Action(kToggleAutoCheck)->setChecked(autoCheck);
    QAction* autoButton = ToolbarAction(kToggleAutoCheck);
    autoButton->setChecked(autoCheck);
    autoButton->setText(autoCheck ? tr("自动") : tr("手动"));
    autoButton->setToolTip(autoButton->text());
    TrayAction(kTrayEnableAutoCheck)->setChecked(autoCheck);
    TrayAction(kTrayDisableAutoCheck)->setChecked(!autoCheck);
    TrayAction(kToggleSound)->setChecked(settings.EnableSoundNotify != 0);
    Action(kShowAll)->setChecked(doc.m_nReadFilter == 0);
    Action(kShowUnread)->setChecked(doc.m_nReadFilter == 1);
    Action(kShowRead)->setChecked(doc.m_nReadFilter == 2);

    m_pagingBar->ShowFilter(doc.m_nReadFilter);
    m_pagingBar->ShowPage(doc.m_nCurPage, doc.m_nPageCount);
    m_pagingBar->ShowCount(settings.pagesize, doc.m_nTotalCount);
    const QString status = QString::fromStdString(m_context.app.m_run.GetStatusText());
    if (m_statusText->FullText() != status) {
        m_statusText->SetFullText(status); // also its accessible name; "当前状态" is its description
    }
    UpdateKeyIndicators();
}

void CMainFrame::UpdateKeyIndicators()
{
    // Dim while the light is off, as the indicator panes of a status bar are.
    const KeyboardIndicators::State lights = m_keyLights.Read();
    m_keyIndicators[0]->setEnabled(lights.caps);
    m_keyIndicators[1]->setEnabled(lights.num);
    m_keyIndicators[2]->setEnabled(lights.scroll);
}

void CMainFrame::RunSettingsDialog()
{
    CSystemSettingsDlg dialog(m_context.app.m_settings, m_context.boxes, this);
    dialog.SetApplyHandler([this] {
        m_context.doc.ApplySettings(m_context.app.m_settings);
        m_tick->ApplyAutoCheckSetting();
    });
    dialog.exec();
}

void CMainFrame::ShowAbout()
{
    CAboutBox about(this);
    about.exec();
}

void CMainFrame::OpenHelp()
{
    m_context.opener.Open(QUrl::fromLocalFile(QString::fromStdString(m_context.app.ProgramFile(kHelpPage))));
}

void CMainFrame::Shutdown()
{
    if (m_bShutDown) {
        return;
    }
    m_bShutDown = true;
    m_secondTimer.stop();
    m_autoCheckTimer.stop();
    SaveWindowState();
    hide();

    m_tray->TrayDelete();
    if (!m_options.executablePath.empty()) {
        const AutostartEntry entry =
            m_options.autostartDirectory.empty() ? AutostartEntry() : AutostartEntry(m_options.autostartDirectory);
        std::string error;
        const bool done = m_context.app.m_settings.enableAutoRun != 0
                              ? entry.Write(m_options.executablePath, m_options.autostartHome, error)
                              : entry.Remove(error);
        if (!done) {
            std::fprintf(stderr, "wendar: %s\n", error.c_str());
        }
    }

    CTarvoDoc& doc = m_context.doc;
    if (!doc.HasRunningChecks()) {
        CloseConnections();
        return;
    }
    // The event loop goes on while the run winds down; the window is gone already.
    doc.RequestStop();
    doc.WhenChecksEnded([this] {
        QMetaObject::invokeMethod(
            this, [this] { CloseConnections(); }, Qt::QueuedConnection);
    });
}

void CMainFrame::FinishShutdown()
{
    Shutdown();
    m_context.doc.WaitForChecks();
    CloseConnections();
}

void CMainFrame::CloseConnections()
{
    if (m_bClosed) {
        return;
    }
    m_bClosed = true;
    m_context.app.CloseConnections();
    Q_EMIT Closed();
}
