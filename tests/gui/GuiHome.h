#pragma once
// The pane world with a recording sound player, for tests of the tree and the property dialog.
#include "PaneWorld.h"
#include "app/AppPaths.h"
#include "app/IDocView.h"
#include "store/ExcludeTable.h"
#include "store/LocalDatabase.h"
#include "support/RecordingPlayer.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>

// Counts the updates a pane would get from the document.
class SpyView final : public IDocView
{
public:
    void OnUpdate(CTarvoDoc&, IDocView*, int) override { ++updates; }
    int updates = 0;
};

class GuiHome final : public PaneWorld
{
public:
    GuiHome() : GuiHome(std::make_shared<RecordingPlayer>()) {}
    ~GuiHome() override { doc->WaitForChecks(); }

    const std::string& dir() const { return home.path(); }
    // Stores a new check item in message.dat and returns it with its key.
    MessageTypeInfo AddItem(const std::string& name, int category = kCategoryWebPage, int state = 1)
    {
        MessageTypeInfo item = NewItem(name, category, "http://127.0.0.1/");
        item.state = state;
        item.Save(app.Db().main);
        EXPECT_NE(item.messagetypeid, 0);
        return item;
    }
    std::string Text(const std::string& sql)
    {
        CAdoRecordset rs(app.Db().main);
        std::string value;
        if (rs.Open(sql) && !rs.IsEOF()) {
            rs.GetFieldValue("t", value);
        }
        return value;
    }
    // The stored ranges of an item as "from|to" in the order the table returns them.
    std::vector<std::string> Ranges(int messagetypeid)
    {
        std::vector<std::string> texts;
        for (const auto& range : LoadExcludeRanges(app.Db().main, messagetypeid).value_or(ExcludeRanges{})) {
            texts.push_back(range.excludeFrom + "|" + range.excludeTo);
        }
        return texts;
    }
    // A preset file messagetype.dat beside message.dat with these items and their ranges, in use.
    void WritePresets(const std::vector<std::pair<MessageTypeInfo, std::vector<ExcludeRange>>>& presets)
    {
        std::string error;
        ASSERT_TRUE(EnsureLocalDatabase(app.m_strAppDir + "messagetype.dat", error)) << error;
        CAdoConnection connection;
        ASSERT_TRUE(connection.Open(PresetConnectionString(app.m_strAppDir), true));
        for (auto [item, ranges] : presets) {
            item.messagetypeid = 0;
            item.Save(connection);
            ASSERT_NE(item.messagetypeid, 0);
            ASSERT_TRUE(SaveExcludeRanges(connection, item.messagetypeid, ranges));
        }
        // Start-up takes the data directory's own preset file when it is there; it came later here.
        app.m_strPresetConnection = PresetConnectionString(app.m_strAppDir);
    }

    std::shared_ptr<RecordingPlayer> player;

private:
    using ExcludeRanges = std::vector<ExcludeRange>;
    explicit GuiHome(std::shared_ptr<RecordingPlayer> recording) : PaneWorld(recording), player(std::move(recording)) {}
};
