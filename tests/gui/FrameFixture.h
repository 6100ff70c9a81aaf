#pragma once
// A real main window on a fresh application directory (its own profile and autostart folder),
// offscreen, with recording message boxes, opener and notifier.
#include "PaneWorld.h"
#include "app/CMainTick.h"
#include "gui/frame/CMainFrame.h"
#include "gui/frame/CQueuedMainWindow.h"
#include "gui/frame/CTrayObject.h"
#include "gui/frame/FrameCommands.h"
#include "gui/frame/IDesktopNotifier.h"
#include "gui/list/CPagingBar.h"
#include "gui/widgets/CElidedLabel.h"
#include "gui/widgets/CHyperlinkLabel.h"

#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

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

struct FrameFixture : PaneWorld
{
    // adjust: changes the settings after they are loaded and before the window is built.
    explicit FrameFixture(bool trayAvailable = false, const std::function<void(Settings&)>& adjust = {})
    {
        if (adjust) {
            adjust(app.m_settings);
            doc->ApplySettings(app.m_settings);
        }
        doc->SetMainWindow(&relay);
        options.isTrayAvailable = [trayAvailable] { return trayAvailable; };
        options.executablePath = home.path() + "bin/wendar";
        options.autostartDirectory = AutostartDirectory();
        options.notifier = &notifier;
        options.relay = &relay;
        frame = std::make_unique<CMainFrame>(context(), options);
    }
    ~FrameFixture() override
    {
        frame.reset();
        doc.reset(); // before the relay it reports to
    }
    std::string AutostartDirectory() const { return home.path() + "autostart"; }
    std::string AutostartFile() const { return AutostartDirectory() + "/wendar.desktop"; }
    // The next start: a new window on the same profile and store.
    void Restart()
    {
        frame.reset();
        frame = std::make_unique<CMainFrame>(context(), options);
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
    // A web item "新闻" on a closed port, stored switched on and known to the document.
    std::shared_ptr<MessageTypeInfo> AddWebItem()
    {
        MessageTypeInfo item = NewItem("新闻", kCategoryWebPage, "http://127.0.0.1:1/");
        EXPECT_NE(item.Save(app.Db().main, 1), 0); // a run checks the items as stored
        auto shared = std::make_shared<MessageTypeInfo>(item);
        doc->AddItem(shared);
        return shared;
    }

    CQueuedMainWindow relay;
    RecordingNotifier notifier;
    FrameOptions options;
    std::unique_ptr<CMainFrame> frame;
};

// The window with the default settings, for TEST_F.
class FrameTest : public ::testing::Test, public FrameFixture
{
};
