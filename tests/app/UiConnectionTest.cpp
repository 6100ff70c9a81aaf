// The window's own connection: it reads while a check holds its write transaction, and a write
// that meets another connection's write lock returns at once and lands in the background, in the
// order the writes were made.
#include "ItemStore.h"
#include "app/AppConnections.h"
#include "app/CBackgroundWrites.h"
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "monitors/CheckContext.h"
#include "store/CAdoRecordset.h"
#include "store/MessageList.h"
#include "support/RecordingPlayer.h"
#include "support/WaitUntil.h"

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <vector>

namespace {

// The outcomes of the writes handed over, in the order they ended.
class Outcomes final
{
public:
    CBackgroundWrites::Done Record(std::string name)
    {
        return [this, name](bool written, const std::string& error) {
            std::lock_guard guard(m_lock);
            m_ended.push_back(name + (written ? " written" : " failed: " + error));
        };
    }
    std::vector<std::string> WaitFor(size_t count)
    {
        WaitUntil([&] {
            std::lock_guard guard(m_lock);
            return m_ended.size() >= count;
        });
        std::lock_guard guard(m_lock);
        return m_ended;
    }

private:
    std::mutex m_lock;
    std::vector<std::string> m_ended;
};

CBackgroundWrites::Write Insert(const std::string& info)
{
    return [info](CAdoConnection& connection, std::string& error) {
        return connection.Execute("insert into userdata (MessageTypeID, SourceInfo) values (1, '" + info + "')", error);
    };
}

// The subjects of item 1's records, oldest first, as one text.
std::string Infos(TestStore& store)
{
    std::string infos;
    for (const MessageInfo& message : store.Messages(1)) {
        infos += message.SourceInfo;
    }
    return infos;
}

} // namespace

TEST(UiConnection, ReadsWhileTheCheckHoldsItsWriteTransactionAndALockedWriteLandsAfterIt)
{
    TempDir home;
    CTarvoApp app;
    std::string error;
    ASSERT_TRUE(app.InitInstance(home.path(), "/nowhere/wendar", error)) << error;
    Outcomes outcomes;
    app.UseBackgroundWrites(outcomes.Record("mark all"));
    CTarvoDoc doc(app.Db().ui, app.m_run, app.m_strAppDir, std::make_shared<RecordingPlayer>());
    MessageTypeInfo item = NewItem("慢");
    ASSERT_NE(item.Save(app.Db().ui, 1), 0);

    std::promise<void> inside, windowDone;
    auto windowDoneLater = windowDone.get_future().share();
    std::atomic<bool> ownConnection{false}, committed{false};
    doc.SetMonitor(kCategoryWebPage, [&](CheckContext& context, MessageTypeInfo& checked) {
        ownConnection = &context.mainConnection != &app.Db().ui && &context.mainConnection != &app.Db().main;
        CAdoTransaction write(context.mainConnection);
        if (!write.Begin() ||
            !context.mainConnection.Execute("insert into userdata (status, MessageTypeID, SourceInfo) values (0, " +
                                            std::to_string(checked.messagetypeid) + ", 'new')")) {
            return 0;
        }
        inside.set_value();
        windowDoneLater.wait_for(kGenerousWait); // the transaction stays open until the window has read and written
        committed = write.Commit();
        return 1;
    });
    ASSERT_TRUE(doc.LoadItems());
    doc.CheckOne(doc.FindItem(item.messagetypeid));
    ASSERT_EQ(inside.get_future().wait_for(kGenerousWait), std::future_status::ready);

    MessagePage page;
    EXPECT_TRUE(LoadMessagePage(app.Db().ui, 0, nullptr, 1, 100, page));
    EXPECT_EQ(page.totalCount, 0) << "the open transaction's row is not seen yet";
    EXPECT_TRUE(app.Messages().SetAllRead(0, true, error)) << error;
    EXPECT_EQ(app.Db().uiWrites.Pending(), 1U) << "handed to the background, not waited for";
    EXPECT_FALSE(committed) << "the read and the hand-over came while the check was inside its transaction";
    windowDone.set_value();

    EXPECT_EQ(outcomes.WaitFor(1), std::vector<std::string>{"mark all written"});
    doc.WaitForChecks();
    EXPECT_EQ(std::pair(ownConnection.load(), committed.load()), std::pair(true, true));
    CAdoRecordset rs(app.Db().ui);
    ASSERT_TRUE(rs.Open("select status from userdata"));
    int status = 0;
    rs.GetFieldValue("status", status);
    EXPECT_EQ(status, 1) << "the mark landed after the check's row";
    app.CloseConnections();
    EXPECT_EQ(std::pair(app.Db().ui.IsOpen(), app.Db().main.IsOpen()), std::pair(false, false));
}

TEST(BackgroundWrites, LockedWritesReturnAtOnceAndLandInOrderOnceTheLockGoes)
{
    TestStore store;
    CAdoConnection window;
    window.SetWritePriority(true);
    window.SetBusyTimeout(std::chrono::milliseconds(20));
    ASSERT_TRUE(window.Open(store.connection().GetConnectionString()));
    CAdoConnection other; // another program
    ASSERT_TRUE(other.Open(store.connection().GetConnectionString()));
    CBackgroundWrites writes(window, {std::chrono::milliseconds(200), 500});
    Outcomes outcomes;
    std::string error;

    EXPECT_EQ(writes.Run(Insert("a"), outcomes.Record("a"), error), CBackgroundWrites::Outcome::Written);
    EXPECT_EQ(writes.Run(Insert("'"), outcomes.Record("bad"), error), CBackgroundWrites::Outcome::Failed);
    EXPECT_FALSE(error.empty()) << "a refusal other than a lock comes back at once with its words";

    ASSERT_TRUE(other.Execute("begin immediate"));
    EXPECT_EQ(writes.Run(Insert("b"), outcomes.Record("b"), error), CBackgroundWrites::Outcome::Deferred);
    EXPECT_EQ(writes.Run(Insert("c"), outcomes.Record("c"), error), CBackgroundWrites::Outcome::Deferred)
        << "queued behind the earlier write";
    EXPECT_EQ(writes.Pending(), 2U);
    EXPECT_EQ(Infos(store), "a");
    ASSERT_TRUE(other.Execute("commit"));
    EXPECT_EQ(outcomes.WaitFor(2), (std::vector<std::string>{"b written", "c written"}));
    EXPECT_EQ(Infos(store), "abc");

    // Closing gives a write still waiting one more attempt, then reports it.
    ASSERT_TRUE(other.Execute("begin immediate"));
    EXPECT_EQ(writes.Run(Insert("d"), outcomes.Record("d"), error), CBackgroundWrites::Outcome::Deferred);
    writes.Close();
    const auto ended = outcomes.WaitFor(3);
    ASSERT_EQ(ended.size(), 3U);
    EXPECT_EQ(ended[2].rfind("d failed: ", 0), 0U) << ended[2];
    ASSERT_TRUE(other.Execute("commit"));
    EXPECT_EQ(Infos(store), "abc");
}
