#include "gui/frame/CMainFrame.h"

#include "app/CMainTick.h"
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "gui/detail/CWatchMessageView.h"
#include "gui/frame/CQueuedMainWindow.h"
#include "gui/frame/CTrayObject.h"
#include "gui/frame/FrameCommands.h"
#include "gui/frame/FrameMenus.h"
#include "gui/frame/GuiContext.h"
#include "gui/frame/IDesktopNotifier.h"
#include "gui/list/CPagingBar.h"
#include "gui/list/CSearchIndexer.h"
#include "gui/list/CTarvoView.h"
#include "gui/tree/CLeftView.h"
#include "gui/widgets/CBusyAnimation.h"
#include "gui/widgets/CElidedLabel.h"
#include "gui/widgets/GuiImages.h"
#include "util/LocalTime.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <ctime>
#include <memory>
#include <utility>

namespace {
constexpr const char* kWindowTitle = "Wendar";
constexpr const char* kInitialTip = QT_TRANSLATE_NOOP("CMainFrame", "自动检查软件");
constexpr int kSecondMs = 1000;
constexpr int kDateRefreshMs = 60000;
constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 500;

// Commands with no handler: shown, but disabled.
bool HasNoHandler(int id)
{
    using namespace cmd;
    return id == kEvery15Minutes || id == kEvery30Minutes;
}

QList<QKeySequence> ShortcutsOf(int id)
{
    switch (id) {
    case cmd::kAddItem:
        return {QKeySequence(Qt::CTRL | Qt::Key_N)};
    case cmd::kModifyItem:
        return {QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)};
    case cmd::kCheckItem:
        return {QKeySequence(Qt::Key_F5)};
    case cmd::kCheckAll:
        return {QKeySequence(Qt::SHIFT | Qt::Key_F5)};
    case cmd::kNextUnread:
        return {QKeySequence(Qt::Key_N)};
    case cmd::kDeleteSelected:
        return {QKeySequence(Qt::Key_Delete)};
    default:
        return {};
    }
}

QKeySequence ShortcutOf(int id)
{
    switch (id) {
    case cmd::kEnableItem:
        return QKeySequence(Qt::CTRL | Qt::Key_E);
    case cmd::kImportItems:
        return QKeySequence(Qt::CTRL | Qt::Key_O);
    case cmd::kExportItems:
        return QKeySequence(Qt::CTRL | Qt::Key_S);
    case cmd::kFilePrint:
        return QKeySequence(Qt::CTRL | Qt::Key_P);
    case cmd::kUndoDelete:
        return QKeySequence(Qt::CTRL | Qt::Key_Z);
    default:
        return {};
    }
}

// The accessible name of a menu item: its text without the mnemonic marks and the shortcut column.
QString PlainText(const QString& text)
{
    QString plain = text.section(QLatin1Char('\t'), 0, 0).trimmed();
    // Compiled once: the menus name some sixty items as the window is built.
    static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)"));
    plain.remove(mnemonic);
    plain.remove(QLatin1Char('&'));
    return plain;
}
// The icons of a menu's commands: the menus of the window get theirs when they first open rather
// than before the window shows (each icon reads its SVG file only when drawn).
void GiveCommandIcons(QMenu* menu)
{
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            action->setIcon(CommandIcon(action->data().toInt()));
        }
    }
}

void GiveCommandIconsWhenShown(QMenu* menu)
{
    auto given = std::make_shared<bool>(false);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, given] {
        if (!std::exchange(*given, true)) {
            GiveCommandIcons(menu);
        }
    });
}

// The overflow button a toolbar shows when the window is too narrow for it has no name of its own.
void NameOverflowButton(QToolBar* bar)
{
    for (auto* button : bar->findChildren<QAbstractButton*>(QStringLiteral("qt_toolbar_ext_button"))) {
        button->setAccessibleName(QCoreApplication::translate("CMainFrame", "更多按钮"));
    }
}

} // namespace

CMainFrame::CMainFrame(GuiContext& context, FrameOptions options, QWidget* parent)
    : QMainWindow(parent), m_context(context), m_options(std::move(options)), m_tray(new CTrayObject(this))
{
    setWindowTitle(QString::fromUtf8(kWindowTitle));
    setAccessibleName(windowTitle());
    setWindowIcon(ApplicationIcon());
    m_tick = std::make_unique<CMainTick>(m_context.doc, m_context.app.m_settings, *this);
    m_context.tick = m_tick.get();

    BuildMenus();
    BuildToolBar();
    BuildPagingBar();
    BuildStatusBar();
    BuildPanes();
    RestoreWindowState();
    SetUpKeyboard();

    m_tray->TrayCreate(m_trayMenu, tr(kInitialTip).toStdString(), kIconNormal);
    connect(m_tray, &CTrayObject::LeftClicked, this, [this] { Command(cmd::kOpenMainWindow); });
    connect(m_tray, &CTrayObject::MessageClicked, this, &CMainFrame::OpenMainWindow);
    m_context.doc.SetTrayIcon(m_tray);
    SetNotifier(m_options.notifier);

    m_secondTimer.setInterval(kSecondMs);
    connect(&m_secondTimer, &QTimer::timeout, this, [this] {
        NoticeOutsideWrites();
        m_tick->OnSecond();
        UpdateCommandUi();
    });
    m_secondTimer.start();
    m_autoCheckTimer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_autoCheckTimer, &QTimer::timeout, this, [this] { m_tick->OnAutoCheckTimer(); });
    m_dateTimer.setInterval(kDateRefreshMs);
    connect(&m_dateTimer, &QTimer::timeout, this, &CMainFrame::UpdateDatePane);
    m_dateTimer.start();

    // The stored choice holds across starts (unchecking "每隔" in the settings is not undone).
    m_tick->ApplyAutoCheckSetting();
    if (m_options.relay) {
        m_options.relay->Attach(this, &m_context.app.Messages());
    }
    m_tree->Refill();
    m_context.doc.UpdateAllViews(nullptr);
    m_context.doc.UpdateStatusSummary();
    UpdateCommandUi();
}

CMainFrame::~CMainFrame()
{
    if (m_options.relay) {
        m_options.relay->Detach();
    }
    m_context.doc.SetTrayIcon(nullptr);
    m_context.tick = nullptr;
    // The panes leave the document in their own destructors, before the tick they may call goes.
    delete m_outer;
    m_outer = nullptr;
}

void CMainFrame::BuildMenus()
{
    for (const MenuPopupText& popup : MainMenuTable()) {
        QMenu* menu = menuBar()->addMenu(QCoreApplication::translate("FrameMenus", popup.title));
        menu->setAccessibleName(PlainText(menu->title()));
        for (const MenuItemText& item : popup.items) {
            AddCommandAction(menu, item.id, item.text, m_menuActions);
        }
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);
        GiveCommandIconsWhenShown(menu);
    }
    Action(cmd::kToggleAutoCheck)->setCheckable(true);
    // The bar toggles hold the bars' state themselves: on at start, changed only by the user.
    for (int id : {cmd::kViewToolbar, cmd::kViewStatusBar, cmd::kMessageDetail}) {
        Action(id)->setCheckable(true);
        Action(id)->setChecked(true);
    }

    m_trayMenu = new QMenu(QCoreApplication::translate("FrameMenus", kTrayMenuTitle), this);
    m_trayMenu->setAccessibleName(m_trayMenu->title());
    for (const MenuItemText& item : TrayMenuTable()) {
        AddCommandAction(m_trayMenu, item.id, item.text, m_trayActions);
    }
    // A tray host may read the menu without opening it.
    GiveCommandIcons(m_trayMenu);
    for (int id : {cmd::kTrayEnableAutoCheck, cmd::kTrayDisableAutoCheck, cmd::kToggleSound}) {
        TrayAction(id)->setCheckable(true);
    }
    connect(m_trayMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);

    m_filterMenu = new QMenu(tr("读取状态"), this);
    m_filterMenu->setAccessibleName(m_filterMenu->title());
    for (const MenuItemText& item : FilterMenuTable()) {
        AddCommandAction(m_filterMenu, item.id, item.text, m_menuActions)->setCheckable(true);
    }
    connect(m_filterMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);
    GiveCommandIconsWhenShown(m_filterMenu);
}

QAction* CMainFrame::AddCommandAction(QMenu* menu, int id, const char* text, std::multimap<int, QAction*>& into)
{
    if (id == cmd::kSeparator) {
        menu->addSeparator();
        return nullptr;
    }
    QAction* action = menu->addAction(QCoreApplication::translate("FrameMenus", text));
    action->setData(id);
    // The text carries its own shortcut column; the key sequence makes the key work.
    action->setShortcut(ShortcutOf(id));
    if (&into == &m_menuActions && ShortcutOf(id).isEmpty()) {
        // Shown in the menu beside the text. Delete acts on the pane that has the focus (a message
        // in the list, an item in the tree): in the menu it only shows the key.
        action->setShortcuts(ShortcutsOf(id));
        if (id == cmd::kDeleteSelected) {
            action->setShortcutContext(Qt::WidgetShortcut);
        }
    }
    action->setShortcutVisibleInContextMenu(false);
    action->setEnabled(!HasNoHandler(id));
    connect(action, &QAction::triggered, this, [this, id] { Command(id); });
    into.emplace(id, action);
    return action;
}

void CMainFrame::BuildToolBar()
{
    m_toolbar = addToolBar(tr("工具栏"));
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setAccessibleName(m_toolbar->windowTitle());
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(16, 16));
    m_toolbar->setMovable(false);
    const std::pair<int, const char*> buttons[] = {
        {cmd::kAddItem, QT_TRANSLATE_NOOP("CMainFrame", "增加")},
        {cmd::kModifyItem, QT_TRANSLATE_NOOP("CMainFrame", "属性")},
        {cmd::kCheckItem, QT_TRANSLATE_NOOP("CMainFrame", "检查")},
        {cmd::kToggleAutoCheck, QT_TRANSLATE_NOOP("CMainFrame", "自动")},
        {cmd::kExit, QT_TRANSLATE_NOOP("CMainFrame", "退出")},
    };
    for (const auto& [id, text] : buttons) {
        QAction* action = m_toolbar->addAction(CommandIcon(id), tr(text));
        action->setData(id);
        action->setToolTip(action->text());
        if (id != cmd::kToggleAutoCheck) {
            connect(action, &QAction::triggered, this, [this, id = id] { Command(id); });
        }
        m_toolbarActions.emplace(id, action);
    }
    QAction* autoCheck = ToolbarAction(cmd::kToggleAutoCheck);
    autoCheck->setCheckable(true);
    // 自动 switches on its checked state, not on a trigger: a screen reader's toggle action changes
    // the state without triggering. The refresh that follows the setting then changes nothing.
    connect(autoCheck, &QAction::toggled, this, [this](bool on) {
        if (on != (m_context.app.m_settings.enableAutoCheck != 0)) {
            Command(cmd::kToggleAutoCheck);
        }
    });
    if (auto* button = qobject_cast<QAbstractButton*>(m_toolbar->widgetForAction(autoCheck))) {
        connect(button, &QAbstractButton::toggled, autoCheck, &QAction::setChecked);
    }
    NameOverflowButton(m_toolbar);
    connect(Action(cmd::kViewToolbar), &QAction::toggled, m_toolbar, &QToolBar::setVisible);
}

void CMainFrame::BuildPagingBar()
{
    m_pagingToolbar = addToolBar(tr("分页"));
    m_pagingToolbar->setObjectName(QStringLiteral("paging"));
    m_pagingToolbar->setAccessibleName(m_pagingToolbar->windowTitle());
    m_pagingToolbar->setMovable(false);
    m_pagingBar = new CPagingBar(m_filterMenu, m_pagingToolbar);
    m_pagingToolbar->addWidget(m_pagingBar);
    connect(m_pagingBar, &CPagingBar::Command, this, &CMainFrame::Command);
    connect(m_pagingBar, &CPagingBar::SearchChanged, this, [this](const QString& text) {
        CTarvoDoc& doc = m_context.doc;
        doc.m_strSearch = text.toStdString();
        doc.m_nCurPage = 1;
        doc.m_nCurMessageId = 0;
        doc.m_bReload = true;
        doc.UpdateAllViews(m_tree);
        UpdateCommandUi();
    });
    m_indexer = new CSearchIndexer(m_context.app, this);
    connect(m_indexer, &CSearchIndexer::Progress, m_pagingBar, &CPagingBar::ShowIndexing);
    // Its first look at the store comes after the window is shown; until then the field shows
    // the search hint, as it does once the index is complete.
    QTimer::singleShot(0, m_indexer, &CSearchIndexer::Start);
    m_busy = new CBusyAnimation(m_pagingToolbar);
    m_pagingToolbar->addWidget(m_busy);
    NameOverflowButton(m_pagingToolbar);
    connect(Action(cmd::kViewToolbar), &QAction::toggled, m_pagingToolbar, &QToolBar::setVisible);
}

void CMainFrame::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setAccessibleName(tr("状态栏"));
    // Pane 0 is the bar's message area (menu prompts); the status text stretches after it.
    // One line at any length: a long failure never makes the bar grow or the window jump.
    m_statusText = new CElidedLabel(bar);
    m_statusText->setAccessibleDescription(tr("当前状态")); // its name is the status text
    m_statusText->setMinimumWidth(200);
    bar->addWidget(m_statusText, 1);
    const char* indicators[] = {"CAPS", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        m_keyIndicators[i] = new QLabel(QString::fromLatin1(indicators[i]), bar);
        m_keyIndicators[i]->setAccessibleName(m_keyIndicators[i]->text());
        bar->addPermanentWidget(m_keyIndicators[i]);
    }
    m_date = new QLabel(bar);
    m_date->setAccessibleDescription(tr("日期"));
    bar->addPermanentWidget(m_date);
    connect(Action(cmd::kViewStatusBar), &QAction::toggled, bar, &QStatusBar::setVisible);
    UpdateDatePane();
}

void CMainFrame::BuildPanes()
{
    const bool leftOneRightTwo = m_context.app.m_settings.SplitterWindowType == 1;
    m_outer = new QSplitter(leftOneRightTwo ? Qt::Horizontal : Qt::Vertical, this);
    m_outer->setAccessibleName(tr("主窗口"));
    m_outer->setChildrenCollapsible(false);
    m_inner = new QSplitter(leftOneRightTwo ? Qt::Vertical : Qt::Horizontal);
    m_inner->setChildrenCollapsible(false);
    m_tree = new CLeftView(m_context);
    m_list = new CTarvoView(m_context);
    m_detail = new CWatchMessageView(m_context);
    // The list's context menu pages and marks through the frame's commands; the detail pane's
    // download shows on the frame's busy animation.
    connect(m_list, &CTarvoView::FrameCommand, this, &CMainFrame::Command);
    connect(m_detail, &CWatchMessageView::BusyAnimation, this, &CMainFrame::SetBusyAnimation);
    for (QWidget* pane : {static_cast<QWidget*>(m_tree), static_cast<QWidget*>(m_list)}) {
        pane->setMinimumSize(50, 50);
    }
    if (leftOneRightTwo) {
        // Left one, right two: the tree beside the list over the detail pane.
        m_outer->addWidget(m_tree);
        m_outer->addWidget(m_inner);
        m_inner->addWidget(m_list);
        m_inner->addWidget(m_detail);
        m_outer->setSizes({140, 640});
        m_inner->setSizes({200, 200}); // the list at least half: a page of rows shows at 800 x 500
    } else {
        // Top two, bottom one: the tree beside the list, the detail pane below both.
        m_outer->addWidget(m_inner);
        m_outer->addWidget(m_detail);
        m_inner->addWidget(m_tree);
        m_inner->addWidget(m_list);
        m_outer->setSizes({208, 208}); // the tree and the list at least half: a page of rows shows at 800 x 500
        m_inner->setSizes({140, 600});
    }
    m_inner->setAccessibleName(tr("窗格"));
    setCentralWidget(m_outer);
    // 打印 follows the pane the user worked in last: the detail pane or the list.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && m_detail->isAncestorOf(now)) {
            m_bDetailActive = true;
        } else if (now && (now == m_list || m_list->isAncestorOf(now))) {
            m_bDetailActive = false;
        }
    });
}

void CMainFrame::ShowAtStart(bool autoStarted)
{
    // Where the user left it; the first time 800 x 500, centred.
    if (m_savedGeometry.isEmpty() || !restoreGeometry(m_savedGeometry)) {
        CentreDefaultSize();
    }
    if (!autoStarted) {
        m_bShownOnce = true;
        showNormal();
        m_tree->setFocus(); // the keyboard starts where the panes do
    } else if (m_options.isTrayAvailable()) {
        hide(); // in the tray only
    } else {
        // Without a tray a hidden window could never be reached again.
        showMinimized();
    }
}

void CMainFrame::CentreDefaultSize()
{
    resize(kWindowWidth, kWindowHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area(QPoint(0, 0), size());
        area.moveCenter(screen->availableGeometry().center());
        move(area.topLeft());
    }
}

void CMainFrame::BackgroundWriteEnded(bool written, const QString& error)
{
    m_context.doc.m_bReload = true;
    if (!written) {
        m_context.boxes.Show(this, error, tr("注意"), QMessageBox::Warning, QMessageBox::Ok);
    }
}

void CMainFrame::OpenMainWindow()
{
    if (m_bShutDown) {
        return; // closing: the window does not come back
    }
    m_bShownOnce = true;
    showNormal();
    raise();
    activateWindow();
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && m_options.isTrayAvailable()) {
        QTimer::singleShot(0, this, [this] {
            if (isMinimized()) {
                hide();
            }
        });
    }
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    Shutdown(); // Closed follows once the checks have ended
    event->accept();
}

void CMainFrame::SetNotifier(IDesktopNotifier* notifier)
{
    m_options.notifier = notifier;
    if (notifier) {
        notifier->SetClickHandler([this] { OpenMainWindow(); });
    }
}

void CMainFrame::SetBusyAnimation(bool on)
{
    m_busy->Play(on);
}

void CMainFrame::OnRunFindings(const std::vector<RunFinding>& findings)
{
    m_indexer->Start(); // the run left the search index of its findings to the indexing steps
    if (m_context.app.m_settings.EnableDesktopNotify == 0 || !m_options.notifier) {
        return;
    }
    const QString title = FindingsTitle(findings);
    if (!title.isEmpty()) {
        m_options.notifier->Notify(title, FindingsBody(findings));
    }
}

void CMainFrame::OnHealthChanged(const HealthChange& change)
{
    m_tree->RefreshHealth(); // the mark changes with the notification
    if (m_context.app.m_settings.EnableDesktopNotify == 0 || !m_options.notifier) {
        return;
    }
    m_options.notifier->Notify(QString::fromStdString(change.itemName), QString::fromStdString(change.text));
}

QAction* CMainFrame::Action(int commandId) const
{
    const auto it = m_menuActions.find(commandId);
    return it == m_menuActions.end() ? nullptr : it->second;
}

QAction* CMainFrame::ToolbarAction(int commandId) const
{
    const auto it = m_toolbarActions.find(commandId);
    return it == m_toolbarActions.end() ? nullptr : it->second;
}

QAction* CMainFrame::TrayAction(int commandId) const
{
    const auto it = m_trayActions.find(commandId);
    return it == m_trayActions.end() ? nullptr : it->second;
}

bool CMainFrame::IsFrameForeground()
{
    return isVisible() && !isMinimized() && isActiveWindow();
}

void CMainFrame::MarkSelectedRead()
{
    m_list->AutoMarkSelected(1);
}

void CMainFrame::SetTrayIcon(int iconId)
{
    m_tray->TraySetIcon(iconId);
}

void CMainFrame::ToggleScrollLock()
{
    if (m_scrollLock.IsAvailable()) {
        m_scrollLock.Set(!m_scrollLock.IsOn());
    }
}

void CMainFrame::NoticeOutsideWrites()
{
    std::string error;
    const auto version = m_context.app.Messages().DataVersion(error);
    if (!version || *version == m_nDataVersion) {
        return;
    }
    const bool first = m_nDataVersion < 0;
    m_nDataVersion = *version;
    if (!first) {
        m_context.doc.ShowStoreChange();
    }
}

void CMainFrame::RefreshViews()
{
    m_context.doc.UpdateAllViews(m_tree);
    m_context.doc.RefreshTrayTip();
}

void CMainFrame::ArmAutoCheckTimer(int periodMs)
{
    m_autoCheckTimer.start(periodMs);
}

void CMainFrame::StopAutoCheckTimer()
{
    m_autoCheckTimer.stop();
}

void CMainFrame::CheckAllItems()
{
    m_context.doc.RefreshTrayTip(tr("现在正在检查").toStdString());
    m_context.doc.CheckAll(true);
}

void CMainFrame::UpdateDatePane()
{
    // "%x": the date as the user's locale writes it.
    char text[128];
    const size_t length = FormatTime(text, sizeof text, "%x", LocalTimeNow());
    m_date->setText(QString::fromLocal8Bit(text, static_cast<qsizetype>(length)));
}
