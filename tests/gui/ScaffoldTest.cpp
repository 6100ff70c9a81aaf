#include "GuiFakes.h"
#include "app/AppConnections.h"
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "gui/detail/CWatchMessageView.h"
#include "gui/list/CTarvoView.h"
#include "gui/tree/CLeftView.h"
#include "support/TestStore.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(GuiPanes, EachPaneRegistersOnTheDocumentAndLeavesItWhenDestroyed)
{
    TempDir home;
    setenv("XDG_CONFIG_HOME", (home.path() + "config").c_str(), 1);
    CTarvoApp app;
    std::string error;
    ASSERT_TRUE(app.InitInstance(home.path(), home.path() + "wendar", error)) << error;
    CTarvoDoc doc(app.Db().main, app.m_run, app.m_strAppDir, nullptr);
    RecordingMessageBoxes boxes;
    RecordingOpener opener;
    GuiContext context{app, doc, boxes, opener, nullptr};
    {
        CLeftView tree(context);
        CTarvoView list(context);
        CWatchMessageView detail(context);
        tree.Refill();
        doc.UpdateAllViews(nullptr);
    }
    doc.UpdateAllViews(nullptr); // no pane left to call
}

TEST(GuiImages, AreLinkedIntoTheProgram)
{
    EXPECT_TRUE(QFile::exists(QStringLiteral(":/frame/tray-normal.svg")));
}
