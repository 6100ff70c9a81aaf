#pragma once
// The main window: the menu bar, the toolbar, the paging bar with the busy animation, the status
// bar with the date, the three panes in the chosen splitter layout, the tray icon, the one-second
// housekeeping timer and the auto-check timer. Menu and bar commands are routed here and handed
// on to the tree (item commands) or the list (message commands).
#include "app/ITickActions.h"
#include "gui/frame/RunFindings.h"
#include "platform/KeyboardIndicators.h"
#include "platform/ScrollLockLight.h"

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CBusyAnimation;
class CLeftView;
class CMainTick;
class CPagingBar;
class CSearchIndexer;
class CQueuedMainWindow;
class CTarvoView;
class CElidedLabel;
class CTrayObject;
class CWatchMessageView;
class IDesktopNotifier;
struct HealthChange;
class QLabel;
class QMenu;
class QPrinter;
class QSplitter;
class QToolBar;
struct GuiContext;

struct FrameOptions
{
    // Asked at every hide: a tray host may come up after the program (an autostart at login).
    // Where the desktop has none, the window is minimised instead of hidden.
    std::function<bool()> isTrayAvailable = [] { return false; };
    // For the autostart entry; empty leaves the entry alone at close.
    std::string executablePath;
    // Empty: the user's autostart folder.
    std::string autostartDirectory;
    // The data directory --home or WENDAR_HOME named, for the autostart entry; empty: the default.
    std::string autostartHome;
    IDesktopNotifier* notifier = nullptr;
    CQueuedMainWindow* relay = nullptr;
};

class CMainFrame final : public QMainWindow, public ITickActions
{
    Q_OBJECT
public:
    CMainFrame(GuiContext& context, FrameOptions options, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CLeftView* GetTreeView() const { return m_tree; }
    CTarvoView* GetListView() const { return m_list; }
    CWatchMessageView* GetDetailView() const { return m_detail; }

    // Start-up: 800 x 500 centred, shown normally; "/R" keeps it in the tray (or minimised).
    void ShowAtStart(bool autoStarted);
    // "打开主窗口": shown normally and brought forward.
    void OpenMainWindow();
    // A message write that met another program's lock has ended in the background: the panes read
    // the store again, and a write that gave up says why.
    void BackgroundWriteEnded(bool written, const QString& error);

    // Runs a command of the menus, bars or tray menu by its id.
    void Command(int commandId);
    // The command states: check marks, the toolbar's "自动"/"手动", the paging bar, the panes of
    // the status bar.
    void UpdateCommandUi();

    void SetNotifier(IDesktopNotifier* notifier);

    // 打印 and 打印预览 put on the printer the shown message when the detail pane was the last pane
    // in use, else the list's current page as a table with the list's columns.
    void PrintShown(QPrinter& printer);
    bool IsDetailActive() const { return m_bDetailActive; }
    // Adds the items of an items file or urls.yaml and tells in a box what was added and skipped.
    void ImportItemsFile(const QString& path);
    // The item selected in the tree, or every item when the root is; false after a box that says why.
    bool ExportItemsFile(const QString& path, bool withPasswords);

    // UI thread, through CQueuedMainWindow.
    void SetBusyAnimation(bool on);
    void OnRunFindings(const std::vector<RunFinding>& findings);
    // An item became failing or silent, or recovered: one desktop notification (the document
    // queued the item's sound).
    void OnHealthChanged(const HealthChange& change);

    // Closing: the window and the tray icon go at once, the autostart entry is written or removed
    // and a running check is asked to stop. Once every check thread has ended (waited for off the
    // UI thread, however long a monitor takes to see the stop) every connection is closed and
    // Closed is emitted; at once when no check runs. Runs once.
    void Shutdown();
    // After the event loop: Shutdown if it has not run, then waits for the checks and ends it.
    void FinishShutdown();
    bool HasClosed() const { return m_bClosed; }

    // For the tests and the accessibility tree.
    QAction* Action(int commandId) const;
    QAction* ToolbarAction(int commandId) const;
    QAction* TrayAction(int commandId) const;
    QMenu* TrayMenu() const { return m_trayMenu; }
    QMenu* FilterMenu() const { return m_filterMenu; }
    CTrayObject& Tray() const { return *m_tray; }
    CMainTick& Tick() const { return *m_tick; }
    CPagingBar* PagingBar() const { return m_pagingBar; }
    CBusyAnimation* BusyAnimation() const { return m_busy; }
    QToolBar* ToolBar() const { return m_toolbar; }
    QSplitter* OuterSplitter() const { return m_outer; }
    CElidedLabel* StatusTextPane() const { return m_statusText; }
    QLabel* DatePane() const { return m_date; }
    const QTimer& AutoCheckTimer() const { return m_autoCheckTimer; }

    // "下一条未读消息" (N, Space in the tree and the list): the tree, the page and the list move to
    // the next unread message (FindNextUnread); the message left behind was read and is marked so.
    void GoToNextUnread();
    // Position, size, splitters, the list's columns and sort and the bars go into the profile
    // (WindowState); Shutdown does it. Not before the window was first shown.
    void SaveWindowState();

    // Run by the one-second tick: when another program (or another connection) wrote to
    // message.dat since, the counts, list, panes, summary and tray tip show the new state.
    void NoticeOutsideWrites();

    // ITickActions
    bool IsFrameForeground() override;
    void MarkSelectedRead() override;
    void SetTrayIcon(int iconId) override;
    void ToggleScrollLock() override;
    void RefreshViews() override;
    void ArmAutoCheckTimer(int periodMs) override;
    void StopAutoCheckTimer() override;
    void CheckAllItems() override;

Q_SIGNALS:
    // The window closed and the program should end.
    void Closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    void BuildPagingBar();
    void BuildStatusBar();
    void BuildPanes();
    void RestoreWindowState();
    void CentreDefaultSize();
    // Tab goes tree -> list -> detail pane -> paging bar and round; Space, Enter and a double
    // click in the panes.
    void SetUpKeyboard();
    QAction* AddCommandAction(QMenu* menu, int id, const char* text, std::multimap<int, QAction*>& into);
    void ForwardToTree(int id);
    void ForwardToList(int id);
    void MovePage(int id);
    void SetReadFilter(int filter);
    void RunSettingsDialog();
    void ShowAbout();
    void OpenHelp();
    void UpdateDatePane();
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFilePrintSetup();
    void OnImportItems();
    void OnExportItems();
    void ShowMessageDetail(bool shown);
    void UpdateKeyIndicators();
    void CloseConnections();

    GuiContext& m_context;
    FrameOptions m_options;
    CTrayObject* m_tray = nullptr;
    std::unique_ptr<CMainTick> m_tick;
    ScrollLockLight m_scrollLock;
    KeyboardIndicators m_keyLights;
    QTimer m_secondTimer;
    long long m_nDataVersion = -1; // message.dat's data version the panes show; -1 before the first tick
    QTimer m_autoCheckTimer;
    QTimer m_dateTimer;

    std::multimap<int, QAction*> m_menuActions;
    std::multimap<int, QAction*> m_toolbarActions;
    std::multimap<int, QAction*> m_trayActions;
    QMenu* m_trayMenu = nullptr;
    QMenu* m_filterMenu = nullptr;
    QToolBar* m_toolbar = nullptr;
    QToolBar* m_pagingToolbar = nullptr;
    CPagingBar* m_pagingBar = nullptr;
    CBusyAnimation* m_busy = nullptr;
    CSearchIndexer* m_indexer = nullptr;
    CElidedLabel* m_statusText = nullptr;
    QLabel* m_keyIndicators[3] = {};
    QLabel* m_date = nullptr;

    QSplitter* m_outer = nullptr;
    QSplitter* m_inner = nullptr;
    CLeftView* m_tree = nullptr;
    CTarvoView* m_list = nullptr;
    CWatchMessageView* m_detail = nullptr;

    QByteArray m_savedGeometry;
    bool m_bShownOnce = false;
    std::unique_ptr<QPrinter> m_printer; // keeps the chosen printer and page set-up between prints
    bool m_bDetailActive = false;
    bool m_bShutDown = false;
    bool m_bClosed = false;
};
