#include "gui/detail/IWebEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <cstdio>
#include <dlfcn.h>

namespace {

constexpr const char* kEngineFile = "libwendar-webengine.so";

QtMessageHandler g_previousHandler = nullptr;

// Loaded after the application object exists, the engine advises setting up OpenGL before it: the
// advice does not apply to an engine that draws without OpenGL, so it is not printed.
void WithoutPluginAdvice(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("Qt WebEngine seems to be initialized from a plugin"))) {
        return;
    }
    if (g_previousHandler != nullptr) {
        g_previousHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

} // namespace

MakeWebEngineFunction FindWebEngine(QString& error)
{
    if (void* linked = dlsym(RTLD_DEFAULT, kMakeWebEngineSymbol)) {
        return reinterpret_cast<MakeWebEngineFunction>(linked);
    }
    const QString dir = QCoreApplication::applicationDirPath();
    const QStringList candidates{
        dir + QLatin1Char('/') + QLatin1String(kEngineFile),
        QDir::cleanPath(dir + QStringLiteral("/" WENDAR_ENGINE_RELATIVE_DIR "/") + QLatin1String(kEngineFile))};
    g_previousHandler = qInstallMessageHandler(WithoutPluginAdvice);
    MakeWebEngineFunction make = nullptr;
    for (const QString& path : candidates) {
        QLibrary library(path); // never unloaded: the engine stays to the end of the program
        make = reinterpret_cast<MakeWebEngineFunction>(library.resolve(kMakeWebEngineSymbol));
        if (make != nullptr) {
            break;
        }
        error = library.errorString();
    }
    qInstallMessageHandler(g_previousHandler);
    return make;
}
