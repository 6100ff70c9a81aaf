// A check whose store refuses its findings must end its run by itself and leave the program free
// to close, whatever the message reporter does: the reporter here blocks every call that does not
// come from the test's own thread, the way a box waiting for its user would.
#include "ItemStore.h"
#include "app/CTarvoDoc.h"
#include "monitors/StandardMonitors.h"
#include "store/MessageReporter.h"
#include "support/RecordingPlayer.h"
#include "support/RemoteDatabase.h"
#include "support/WaitUntil.h"

#include <chrono>
#include <condition_variable>
#include <future>
#include <gmock/gmock.h>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {

class WaitingBoxes final : public IMessageReporter
{
public:
    void ShowMessage(const std::string& text, const std::string&, MessageIcon) override
    {
        std::unique_lock lock(m_lock);
        m_texts.push_back(text);
        if (std::this_thread::get_id() != m_owner) {
            ++m_nWaiting;
            // Bounded, so that a fault fails the test instead of hanging it.
            m_released.wait_for(lock, 60s, [this] { return m_bReleased; });
        }
    }
    void Release()
    {
        std::lock_guard guard(m_lock);
        m_bReleased = true;
        m_released.notify_all();
    }
    std::vector<std::string> Texts()
    {
        std::lock_guard guard(m_lock);
        return m_texts;
    }
    int WaitingCalls()
    {
        std::lock_guard guard(m_lock);
        return m_nWaiting;
    }

private:
    const std::thread::id m_owner = std::this_thread::get_id();
    std::mutex m_lock;
    std::condition_variable m_released;
    std::vector<std::string> m_texts;
    int m_nWaiting = 0;
    bool m_bReleased = false;
};

} // namespace

TEST(StoreFailure, EndsTheItemsCheckWithTheDatabaseErrorAndTheDocumentClosesWhileABoxWouldWait)
{
    TestStore store;
    auto boxes = std::make_shared<WaitingBoxes>();
    store.connection().SetReporter(boxes);

    // A remote view of three notices, read through the SQLite ODBC driver by a real database check.
    TempDir remoteDir;
    const RemoteDatabase remote = MakeRemote("SQLite", remoteDir.path());
    remote.Run(kCreateNotices + InsertRows(1, 3));
    MessageTypeInfo item = NewItem("通知", kCategoryDatabase, remote.connection);
    item.ViewName = "v_notice";
    item.CheckNumber = 0;
    item.bNotify = -1;
    const int id = store.AddItem(item).messagetypeid;
    // The local database takes the first finding and refuses every further one, in its own words.
    ASSERT_TRUE(store.connection().Execute("create trigger refuse before insert on userdata "
                                           "when (select count(*) from userdata) > 0 "
                                           "begin select raise(abort, 'disk quota exceeded'); end"));

    CRunState run;
    auto doc =
        std::make_unique<CTarvoDoc>(store.connection(), run, store.appDir(), std::make_shared<RecordingPlayer>());
    doc->SetMonitors(StandardMonitors());
    ASSERT_TRUE(doc->LoadItems());
    std::atomic<int> result{-1};
    doc->SetItemCheckedListener([&result](MessageTypeInfo&, int r) { result = r; });
    doc->CheckOne(doc->FindItem(id));

    const bool runEnded = WaitUntil([&] { return !doc->HasRunningChecks(); });
    EXPECT_TRUE(runEnded) << "the run is waiting for a message box";
    if (runEnded) {
        EXPECT_THAT(run.GetStatusText(), testing::HasSubstr("本地数据库读写失败: disk quota exceeded"));
        // The finding that was stored is the run's result and is counted as unread.
        EXPECT_EQ(std::tuple(run.IsRunActive(), result.load(), doc->m_nUnreadCount.load(),
                             store.QueryNumber("select count(*) from userdata")),
                  std::tuple(false, 1, 1, 1));
    }

    auto closing = std::async(std::launch::async, [&doc] { doc.reset(); });
    const bool closed = closing.wait_for(kGenerousWait) == std::future_status::ready;
    boxes->Release(); // a worker that did wait may go on now, so the test ends either way
    closing.wait();
    EXPECT_TRUE(closed) << "closing waited for the check thread";
    EXPECT_EQ(boxes->WaitingCalls(), 0);

    // The user's own commands still get their messages.
    EXPECT_FALSE(store.connection().Execute("insert into userdata (nosuchcolumn) values (1)"));
    EXPECT_EQ(boxes->Texts().size(), 1u);
}
