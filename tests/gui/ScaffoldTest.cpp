#include "PaneWorld.h"
#include "gui/detail/CWatchMessageView.h"
#include "gui/list/CTarvoView.h"
#include "gui/tree/CLeftView.h"

TEST(GuiPanes, EachPaneRegistersOnTheDocumentAndLeavesItWhenDestroyed)
{
    PaneWorld world;
    {
        CLeftView tree(world.context());
        CTarvoView list(world.context());
        CWatchMessageView detail(world.context());
        tree.Refill();
        world.doc->UpdateAllViews(nullptr);
    }
    world.doc->UpdateAllViews(nullptr); // no pane left to call
}
