// wendar: the desktop program. Start-up: the application directory, one running program per
// user and directory, the main connection, the settings, the document, the main window (hidden in
// the tray when started with "/R"), then the event loop until the window closes or the session
// sends SIGTERM.
#include "app/AppPaths.h"
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "app/Settings.h"
#include "app/UiLanguage.h"
#include "gui/frame/CBoxReporter.h"
#include "gui/frame/CDesktopNotifier.h"
#include "gui/frame/CMainFrame.h"
#include "gui/frame/CQueuedMainWindow.h"
#include "gui/frame/CSignalBridge.h"
#include "gui/frame/CSingleInstance.h"
#include "gui/frame/DesktopServices.h"
#include "gui/frame/GuiContext.h"
#include "gui/widgets/CAppStyle.h"
#include "gui/widgets/GuiImages.h"
#include "platform/DisplayCheck.h"
#include "platform/PulseSoundPlayer.h"
#include "util/UiText.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPainter>
#include <QSplashScreen>
#include <QSvgRenderer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>
#include <curl/curl.h>
#include <memory>

namespace {

constexpr int kSplashMs = 1200;

// Answered before Qt starts, so that they work without a display.
const char* const kUsage = QT_TRANSLATE_NOOP("main", R"(用法: wendar [--home DIR] [/R]
  /R           启动后只显示在通知区域 (自动启动时使用)
  --home DIR   数据目录 (默认 $WENDAR_HOME 或 $XDG_DATA_HOME/wendar)
  --version    显示版本
  --help       显示这个说明
命令行的操作请用 wendar-cli.
)");

// The language of the texts printed before Qt starts, set only when there is one to print: the
// settings are read once the application exists, and a first read before it costs the start ~2 ms.
void SetUpEarlyLanguage()
{
    Settings settings;
    settings.LoadSettings();
    SetUpLanguage(settings.UiLanguage);
}

// --version or --help anywhere on the command line: printed, and the program ends.
bool AnswerInfoOptions(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--version") {
            std::printf("wendar %s\n", WENDAR_VERSION);
            return true;
        }
        if (word == "--help" || word == "-h") {
            SetUpEarlyLanguage();
            std::fputs(UiText("main", kUsage).c_str(), stdout);
            return true;
        }
    }
    return false;
}

struct CommandLine
{
    bool autoStarted = false;
    std::string home;
};

// "/R" counts only at the very start of the command line, as the autostart entry writes it.
CommandLine ParseCommandLine(int argc, char** argv)
{
    CommandLine line;
    std::string raw;
    for (int i = 1; i < argc; ++i) {
        raw += (i > 1 ? " " : "") + std::string(argv[i]);
        if (std::string(argv[i]) == "--home" && i + 1 < argc) {
            line.home = argv[i + 1];
        }
    }
    line.autoStarted = IsAutoStartCommandLine(raw);
    return line;
}

std::unique_ptr<QSplashScreen> ShowSplash()
{
    QSvgRenderer renderer(QStringLiteral(":/frame/splash.svg"));
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pixmap((renderer.defaultSize() * ratio));
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        renderer.render(&painter);
    }
    pixmap.setDevicePixelRatio(ratio);
    auto splash = std::make_unique<QSplashScreen>(pixmap);
    splash->setAccessibleName(QStringLiteral("Wendar"));
    splash->show();
    return splash;
}

} // namespace

int main(int argc, char** argv)
{
    if (AnswerInfoOptions(argc, argv)) {
        return 0;
    }
    if (!MissingDisplayReason().empty()) {
        SetUpEarlyLanguage();
        std::fprintf(stderr, "wendar: %s\n", MissingDisplayReason().c_str()); // in the user's language
        return 1;
    }
    // libcurl opens and sets itself up on its first call (a check or a link), not here.
    const CommandLine commandLine = ParseCommandLine(argc, argv);

    QApplication application(argc, argv);
    QApplication::setStyle(new CAppStyle(QApplication::style()->name()));
    QApplication::setApplicationName(QStringLiteral("wendar"));
    // No display name: Qt would append it to every caption (" — Wendar").
    QApplication::setApplicationVersion(QStringLiteral(WENDAR_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("wendar"));
    QApplication::setWindowIcon(ApplicationIcon());
    // The tray keeps the program alive while its window is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    {
        Settings settings;
        settings.LoadSettings();
        SetUpLanguage(settings.UiLanguage);
    }

    QtMessageBoxes boxes;
    auto reporter = std::make_shared<CBoxReporter>(boxes, &application);

    const std::string executable = ExecutablePath(argv[0]);
    const AppDirectories directories = ResolveAppDirectories(commandLine.home, executable);
    CSingleInstance instance(directories.dataDir);
    if (!instance.TryBecomePrimary()) {
        const bool raised = instance.AskPrimaryToShow();
        const QString running = raised ? QCoreApplication::translate("main", "已经在运行: 窗口已显示")
                                       : QCoreApplication::translate("main", "已经在运行");
        std::fprintf(stderr, "wendar: %s\n", running.toUtf8().constData());
        return 0;
    }

    CTarvoApp tarvo;
    tarvo.SetReporter(reporter);
    std::string error;
    if (!tarvo.InitInstance(commandLine.home, executable, error)) {
        std::fprintf(stderr, "wendar: %s\n", error.c_str());
        boxes.Show(nullptr, QString::fromStdString(error), QString(), QMessageBox::Critical, QMessageBox::Ok);
        return 1;
    }

    CQueuedMainWindow relay; // outlives the document and its worker
    auto player = std::make_shared<PulseSoundPlayer>();
    std::unique_ptr<CTarvoDoc> doc = tarvo.MakeDocument(player);
    tarvo.PrefetchItems(*doc); // the tree takes them once the frame is built
    doc->SetMainWindow(&relay);
    doc->SetHealthChangedListener([&relay](const HealthChange& change) { relay.HealthChanged(change); });

    DesktopOpener opener;
    GuiContext context{tarvo, *doc, boxes, opener, player};
    FrameOptions options;
    options.isTrayAvailable = &QSystemTrayIcon::isSystemTrayAvailable;
    options.executablePath = executable;
    if (directories.fromHomeOption) {
        // Started at login, the program is to find the same directory without the option.
        options.autostartHome = directories.dataDir;
        if (options.autostartHome.size() > 1 && options.autostartHome.back() == '/') {
            options.autostartHome.pop_back();
        }
    }
    options.relay = &relay;
    auto frame = std::make_unique<CMainFrame>(context, options);
    // The window never waits for another program's write lock; a write that met one ends later.
    tarvo.UseBackgroundWrites([target = frame.get()](bool written, const std::string& words) {
        QMetaObject::invokeMethod(
            target,
            [target, written, text = QString::fromStdString(words)] { target->BackgroundWriteEnded(written, text); },
            Qt::QueuedConnection);
    });
    CDesktopNotifier notifier(&frame->Tray());
    frame->SetNotifier(&notifier);

    CSignalBridge terminationSignals;
    QObject::connect(&terminationSignals, &CSignalBridge::TerminationRequested, frame.get(), &CMainFrame::close);
    QObject::connect(&instance, &CSingleInstance::ShowRequested, frame.get(), &CMainFrame::OpenMainWindow);
    QObject::connect(frame.get(), &CMainFrame::Closed, &application, &QApplication::quit, Qt::QueuedConnection);

    frame->ShowAtStart(commandLine.autoStarted);
    // What start-up has to say (an old message.dat moved or left behind) comes once the window exists.
    for (const std::string& notice : tarvo.m_notices) {
        boxes.Show(frame.get(), QString::fromStdString(notice), QString(), QMessageBox::Information, QMessageBox::Ok);
    }
    // Start-up takes a blink: the splash comes over the shown window once it is up, for a moment,
    // instead of holding up the start.
    std::unique_ptr<QSplashScreen> splash;
    if (!commandLine.autoStarted) {
        QTimer::singleShot(0, frame.get(), [&splash, &frame] {
            splash = ShowSplash();
            QTimer::singleShot(kSplashMs, splash.get(), [&splash, &frame] { splash->finish(frame.get()); });
        });
    }

    application.exec();
    splash.reset();
    // The loop ends once the close has waited for the checks and closed every connection.
    frame->FinishShutdown();
    frame.reset();
    doc.reset();
    tarvo.SetReporter(std::make_shared<StderrMessageReporter>()); // no box once the windows are gone
    curl_global_cleanup();                                        // only when libcurl was opened
    return 0;
}
