#pragma once
// What every window of the program is handed: the application (settings, connections, run state,
// directories), the document, and the services that tests replace. Widgets reach the core only
// through these.
#include <QMessageBox>
#include <QUrl>
#include <memory>

class CMainTick;
class CTarvoApp;
class CTarvoDoc;
class ISoundPlayer;

// Message boxes with the program's fixed texts and captions. The program shows real boxes; tests
// record them and answer as scripted.
class IMessageBoxes
{
public:
    virtual ~IMessageBoxes() = default;
    virtual QMessageBox::StandardButton Show(QWidget* parent, const QString& text, const QString& caption,
                                             QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) = 0;
};

// Opens a file or URL with the desktop's opener (xdg-open). Tests open nothing.
class IDesktopOpener
{
public:
    virtual ~IDesktopOpener() = default;
    virtual bool Open(const QUrl& url) = 0;
};

struct GuiContext
{
    CTarvoApp& app;
    CTarvoDoc& doc;
    IMessageBoxes& boxes;
    IDesktopOpener& opener;
    // Plays a sound file synchronously; the property dialog's sound test runs it off the UI thread.
    std::shared_ptr<ISoundPlayer> soundPlayer;
    // The frame's housekeeping tick, once the frame exists (the list resets its countdown).
    CMainTick* tick = nullptr;
};
