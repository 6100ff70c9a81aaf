#pragma once
// The program's core on a temporary home (settings under XDG_CONFIG_HOME inside it), a document on
// it, recording message boxes, opener and sound player, and helpers that store and read check items,
// their ranges, presets and message records. It brings the panes and widgets the tests drive.
#include "GuiFakes.h"
#include "WidgetHelpers.h"
#include "app/AppConnections.h"
#include "app/AppPaths.h"
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "app/IDocView.h"
#include "app/ITickActions.h"
#include "app/ItemStore.h" // NewItem
#include "app/TestFiles.h" // ReadFile
#include "gui/detail/CWatchMessageView.h"
#include "gui/list/CMessageListCtrl.h"
#include "gui/list/CMessageListModel.h"
#include "gui/list/CTarvoView.h"
#include "gui/tree/CLeftView.h"
#include "monitors/CheckContext.h"
#include "store/CAdoRecordset.h"
#include "store/ExcludeTable.h"
#include "store/LocalDatabase.h"
#include "store/MessageTypeInfo.h"
#include "store/SqlText.h"
#include "support/RecordingPlayer.h"
#include "support/TestStore.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>

struct StoredMessage
{
    int status = 0;
    int bCanChangeState = 1;
    std::string typeName = "item";
    std::string receiveDate = "2024-01-02 03:04:00";
    std::string fromName = "sender";
    std::string fromId;
    std::string info = "subject";
    std::string toName = "receiver";
    std::string link;
    std::string content = "content";
    std::string sourceDate = "2024/01/02-03:04";
    int category = kCategoryDatabase;
};

// Records the updates the document sends to its panes: how many, the last sender, and the current
// message at each.
class UpdateCounter final : public IDocView
{
public:
    explicit UpdateCounter(CTarvoDoc& doc) : m_doc(doc) { m_doc.AddView(this); }
    ~UpdateCounter() override { m_doc.RemoveView(this); }
    void OnUpdate(CTarvoDoc& doc, IDocView* from, int) override
    {
        ++updates;
        sender = from;
        messageIds.push_back(doc.m_nCurMessageId);
    }
    int updates = 0;
    IDocView* sender = nullptr;
    std::vector<int> messageIds;

private:
    CTarvoDoc& m_doc;
};

// A gate a check's monitor waits at (ten seconds at the most) until the test opens it; open, it
// lets every later check through.
class Gate
{
public:
    void Pass()
    {
        m_arrived = true;
        m_open.wait_for(std::chrono::seconds(10));
    }
    bool Arrived() const { return m_arrived; }
    void Open() { m_opener.set_value(); }

private:
    std::atomic<bool> m_arrived{false};
    std::promise<void> m_opener;
    std::shared_future<void> m_open = m_opener.get_future().share();
};

class PaneWorld
{
public:
    PaneWorld()
    {
        setenv("XDG_CONFIG_HOME", (home.path() + "config").c_str(), 1);
        // QSettings reads XDG_CONFIG_HOME once per process; every world gets its own profile.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(home.path() + "config"));
        std::string error;
        EXPECT_TRUE(app.InitInstance(home.path(), home.path() + "wendar", error)) << error;
        doc = std::make_unique<CTarvoDoc>(app.Db().main, app.m_run, app.m_strAppDir, nullptr);
        doc->ApplySettings(app.m_settings);
        m_context = std::make_unique<GuiContext>(GuiContext{app, *doc, boxes, opener, player});
    }
    virtual ~PaneWorld()
    {
        if (doc) {
            doc->WaitForChecks();
        }
        m_context.reset();
        doc.reset();
    }

    GuiContext& context() { return *m_context; }
    const std::string& dir() const { return home.path(); }
    // The texts of the message boxes shown so far.
    QStringList Shown() const
    {
        QStringList texts;
        for (const auto& box : boxes.shown) {
            texts << box.text;
        }
        return texts;
    }

    // Stores a check item (on or off) and reloads the document's items; its key.
    int AddItem(const std::string& name, int category = kCategoryDatabase, int displayType = 0,
                const std::string& address = "", int state = 1)
    {
        MessageTypeInfo item = NewItem(name, category, address);
        item.DisplayType = displayType;
        item.state = state;
        EXPECT_NE(item.Save(app.Db().main), 0);
        doc->LoadItems();
        return item.messagetypeid;
    }

    // Stores one message record of an item; returns its ID.
    int AddMessage(int itemId, const StoredMessage& m)
    {
        const auto q = &SqlQuoted;
        const std::string sql =
            "insert into userdata (status,UserID,UserName,MessageTypeID,MessageCategory,bCanChangeState,"
            "MessageTypeName,SourceDate,SourceFromID,SourceFromName,SourceInfo,SourceToName,SourceContent,SourceLink,"
            "RecieveDate) values (" +
            std::to_string(m.status) + ",88,'morvaten'," + std::to_string(itemId) + "," + std::to_string(m.category) +
            "," + std::to_string(m.bCanChangeState) + "," + q(m.typeName) + "," + q(m.sourceDate) + "," + q(m.fromId) +
            "," + q(m.fromName) + "," + q(m.info) + "," + q(m.toName) + "," + q(m.content) + "," + q(m.link) + "," +
            q(m.receiveDate) + ")";
        EXPECT_TRUE(app.Db().main.Execute(sql)) << sql;
        return static_cast<int>(Number("select max(ID) as n from userdata"));
    }

    // Makes a message the current one, as a click in the list does, and tells the panes.
    void ShowMessage(int id)
    {
        doc->m_nCurMessageId = id;
        doc->UpdateAllViews(nullptr);
    }

    // The read state of a stored message.
    long long Status(int messageId)
    {
        return Number("select status as n from userdata where ID=" + std::to_string(messageId));
    }

    // The first row's value of the column t (Text) or n (Number) of a query; a failure when there is none.
    std::string Text(const std::string& sql, std::string_view column = "t")
    {
        CAdoRecordset rs(app.Db().main);
        std::string value;
        const bool found = rs.Open(sql) && !rs.IsEOF();
        EXPECT_TRUE(found) << sql;
        if (found) {
            rs.GetFieldValue(column, value);
        }
        return value;
    }
    long long Number(const std::string& sql)
    {
        const std::string text = Text(sql, "n");
        return text.empty() ? 0 : std::stoll(text);
    }
    // A field of a stored check item as text.
    std::string ItemField(int id, const std::string& column)
    {
        return Text("select " + column + " as t from usermessagetype where messagetypeid=" + std::to_string(id));
    }
    // How many rows a table has (where ... may follow its name).
    long long Count(const std::string& from) { return Number("select count(*) as n from " + from); }

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
    void WritePresets(const std::vector<std::pair<MessageTypeInfo, ExcludeRanges>>& presets)
    {
        std::string error;
        ASSERT_TRUE(EnsureLocalDatabase(app.m_strAppDir + "messagetype.dat", error)) << error;
        CAdoConnection connection;
        ASSERT_TRUE(connection.Open(PresetConnectionString(app.m_strAppDir), true));
        for (auto [item, ranges] : presets) {
            item.messagetypeid = 0;
            ASSERT_NE(item.Save(connection), 0);
            ASSERT_TRUE(SaveExcludeRanges(connection, item.messagetypeid, ranges));
        }
        // Start-up takes the data directory's own preset file when it is there; it came later here.
        app.m_strPresetConnection = PresetConnectionString(app.m_strAppDir);
    }

    TempDir home;
    CTarvoApp app;
    std::shared_ptr<RecordingPlayer> player = std::make_shared<RecordingPlayer>();
    std::unique_ptr<CTarvoDoc> doc;
    RecordingMessageBoxes boxes;
    RecordingOpener opener;

private:
    std::unique_ptr<GuiContext> m_context;
};

// A frame stand-in for the tick: always in front, its auto-mark goes to the list.
class ListTickActions final : public ITickActions
{
public:
    explicit ListTickActions(CTarvoView& list) : m_list(list) {}
    bool IsFrameForeground() override { return true; }
    void MarkSelectedRead() override { m_list.AutoMarkSelected(1); }
    void SetTrayIcon(int) override {}
    void ToggleScrollLock() override {}
    void RefreshViews() override {}
    void ArmAutoCheckTimer(int) override {}
    void StopAutoCheckTimer() override {}
    void CheckAllItems() override {}

private:
    CTarvoView& m_list;
};
