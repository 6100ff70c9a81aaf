#pragma once
// A real main window on a fresh application directory (its own profile and autostart folder),
// offscreen, with recording message boxes, opener and notifier.
#include "GuiFakes.h"
#include "app/AppConnections.h"
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "app/IDocView.h"
#include "gui/frame/CMainFrame.h"
#include "gui/frame/CQueuedMainWindow.h"
#include "gui/frame/IDesktopNotifier.h"
#include "gui/tree/CLeftView.h"
#include "store/MessageTypeInfo.h"
#include "support/TestStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QThread>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// Runs the event loop until the condition holds or the time is up; the condition's last value.
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 60000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

class RecordingNotifier final : public IDesktopNotifier
{
public:
    void Notify(const QString& title, const QString& body) override { shown.push_back({title, body}); }
    void Click()
    {
        if (m_onClick) {
            m_onClick();
        }
    }
    std::vector<std::pair<QString, QString>> shown;
};

// Counts the updates the document sends and who sent them.
class UpdateCounter final : public IDocView
{
public:
    explicit UpdateCounter(CTarvoDoc& doc) : m_doc(doc) { m_doc.AddView(this); }
    ~UpdateCounter() override { m_doc.RemoveView(this); }
    void OnUpdate(CTarvoDoc&, IDocView* from, int) override
    {
        ++updates;
        sender = from;
    }
    int updates = 0;
    IDocView* sender = nullptr;

private:
    CTarvoDoc& m_doc;
};

struct FrameFixture
{
    // adjust: changes the settings after they are loaded and before the window is built.
    explicit FrameFixture(bool trayAvailable = false, const std::function<void(Settings&)>& adjust = {})
    {
        setenv("XDG_CONFIG_HOME", (home.path() + "config").c_str(), 1);
        // QSettings reads XDG_CONFIG_HOME once per process; every fixture gets its own profile.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(home.path() + "config"));
        std::string error;
        EXPECT_TRUE(app.InitInstance(home.path(), home.path() + "wendar", error)) << error;
        if (adjust) {
            adjust(app.m_settings);
        }
        doc = std::make_unique<CTarvoDoc>(app.Db().main, app.m_run, app.m_strAppDir, nullptr);
        doc->ApplySettings(app.m_settings);
        doc->SetMainWindow(&relay);
        context = std::make_unique<GuiContext>(GuiContext{app, *doc, boxes, opener, nullptr});
        options.isTrayAvailable = [trayAvailable] { return trayAvailable; };
        options.executablePath = home.path() + "bin/wendar";
        options.autostartDirectory = AutostartDirectory();
        options.notifier = &notifier;
        options.relay = &relay;
        frame = std::make_unique<CMainFrame>(*context, options);
    }
    ~FrameFixture()
    {
        frame.reset();
        doc.reset();
    }
    std::string AutostartDirectory() const { return home.path() + "autostart"; }
    // The next start: a new window on the same profile and store.
    void Restart()
    {
        frame.reset();
        frame = std::make_unique<CMainFrame>(*context, options);
    }
    // Stores count unread messages ("m1" ... newest last) of a new item, and lets the panes show
    // them; the item's key.
    int StoreMessages(int count, const std::string& name = "paging")
    {
        MessageTypeInfo item;
        item.MessageTypeName = name;
        EXPECT_NE(item.Save(app.Db().main), 0);
        EXPECT_TRUE(app.Db().main.Execute(
            "with recursive n(i) as (select 1 union all select i+1 from n where i<" + std::to_string(count) +
            ") insert into userdata (status,UserID,UserName,MessageTypeID,MessageCategory,bCanChangeState,"
            "MessageTypeName,SourceInfo) select 0,88,'morvaten'," +
            std::to_string(item.messagetypeid) + ",1,1,'" + name + "','m'||i from n"));
        doc->LoadItems();
        frame->GetTreeView()->Refill();
        doc->RecountUnread();
        doc->m_bReload = true;
        doc->UpdateAllViews(nullptr);
        return item.messagetypeid;
    }
    std::string AutostartFile() const { return AutostartDirectory() + "/wendar.desktop"; }

    TempDir home;
    CTarvoApp app;
    CQueuedMainWindow relay;
    std::unique_ptr<CTarvoDoc> doc;
    RecordingMessageBoxes boxes;
    RecordingOpener opener;
    RecordingNotifier notifier;
    std::unique_ptr<GuiContext> context;
    FrameOptions options;
    std::unique_ptr<CMainFrame> frame;
};
