#pragma once
// The web engine behind the detail pane's browser. It lives in a library of its own
// (libwendar-webengine.so) that the program loads when the first page needs it, so the window comes
// up without the engine's libraries, their OpenGL context and their memory. The engine draws without
// OpenGL: joining a shown window then never makes the window system recreate that window.
#include "gui/detail/BrowserLinks.h"

#include <QString>
#include <QUrl>

class IDesktopOpener;
class QWebEngineView;
class QWidget;

class IWebEngine
{
public:
    virtual ~IWebEngine() = default;
    // The engine's view, a child of the widget it was made for; it signals loadStarted() and
    // loadFinished(bool).
    virtual QWebEngineView* View() = 0;
    virtual QWidget* Widget() = 0;
    // Before every load: what is shown and the one address the load is for.
    virtual void Expect(BrowserMode mode, const QUrl& address) = 0;
    virtual void ShowHtml(const QString& html) = 0;
    virtual void Load(const QUrl& url) = 0;
    // Silent: no script dialogs and no console messages.
    virtual void SetSilent(bool silent) = 0;
};

// The library's one entry point, looked up by name.
using MakeWebEngineFunction = IWebEngine* (*)(IDesktopOpener& opener, QWidget* parent);
inline constexpr const char* kMakeWebEngineSymbol = "WendarMakeWebEngine";

// The entry point: already in the process (the tests link the library), else from the library
// beside the program (the build tree) or in its library folder (installed). Null, with the loader's
// words in error, when there is none.
MakeWebEngineFunction FindWebEngine(QString& error);
