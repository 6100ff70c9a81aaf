// A run of the document next to another program on the same message.dat: an item that program is
// checking is passed over with a status text, and every run reads the items as they are stored now.
#include "DocTest.h"
#include "ItemStore.h"
#include "app/CItemCheckLock.h"
#include "store/LocalDatabase.h"

namespace {

class TwoProgramRun : public DocTest
{
protected:
    // A web item stored by another program: not yet in the document's list.
    int Add(const std::string& name) { return store.AddItem(NewItem(name)).messagetypeid; }
    // Another program's connection to the same file.
    void OtherProgram(const std::string& sql)
    {
        CAdoConnection other;
        ASSERT_TRUE(other.Open(store.connection().GetConnectionString()));
        ASSERT_TRUE(other.Execute(sql)) << sql;
    }
};

} // namespace

TEST_F(TwoProgramRun, AnItemAnotherProgramChecksIsPassedOverWithAStatusTextNotAFailure)
{
    const int id = Add("公告");
    ASSERT_TRUE(doc.LoadItems());
    {
        CItemCheckLock elsewhere(LocalLockFilePath(store.appDir() + "message.dat"), id);
        ASSERT_EQ(elsewhere.GetState(), CItemCheckLock::State::Held);
        doc.CheckOne(doc.FindItem(id));
        doc.WaitForChecks();
        EXPECT_EQ(CallsOf(id), 0);
        EXPECT_EQ(run.GetStatusText(), "公告 正在由另一个程序检查，这次跳过");
        // The lock is on this item alone.
        EXPECT_EQ(CItemCheckLock(LocalLockFilePath(store.appDir() + "message.dat"), id + 1).GetState(),
                  CItemCheckLock::State::Held);
    }
    doc.CheckOne(doc.FindItem(id)); // released with its holder
    doc.WaitForChecks();
    EXPECT_EQ(CallsOf(id), 1);
    // The log tells both: passed over, then checked; the pass counts as no failure.
    std::string error;
    const auto log = CHealthOperations(store.connection(), nullptr).Log(id, 10, error);
    ASSERT_TRUE(log) << error;
    ASSERT_EQ(log->size(), 2u);
    EXPECT_EQ(std::tuple(log->front().result, log->back().result, log->back().text),
              std::tuple(CheckResult::NothingNew, CheckResult::Skipped, "公告 正在由另一个程序检查，这次跳过"));
    EXPECT_EQ(CHealthOperations(store.connection(), nullptr).Health(id, error)->consecutiveFailures, 0);
}

TEST_F(TwoProgramRun, EveryRunReadsTheItemsAsAnotherProgramLeftThem)
{
    const int deleted = Add("deleted");
    const int off = Add("off");
    const int kept = Add("kept");
    ASSERT_TRUE(doc.LoadItems());
    const ItemPtr keptRecord = doc.FindItem(kept);
    keptRecord->m_nNewCount = 4;
    const int version = doc.m_nItemsVersion;

    OtherProgram("delete from usermessagetype where messagetypeid=" + std::to_string(deleted));
    OtherProgram("update usermessagetype set state=0 where messagetypeid=" + std::to_string(off));
    const int added = Add("added");
    RunAllAndWait();
    EXPECT_EQ(Calls(), (std::vector<int>{kept, added}));
    EXPECT_GT(doc.m_nItemsVersion, version);
    EXPECT_EQ(doc.FindItem(deleted), nullptr);
    EXPECT_EQ(doc.FindItem(off)->state, 0);
    EXPECT_EQ(doc.FindItem(kept), keptRecord); // an unchanged item keeps its record and counters

    // A check of a single item that was deleted meanwhile does nothing.
    OtherProgram("delete from usermessagetype where messagetypeid=" + std::to_string(kept));
    doc.CheckOne(keptRecord);
    doc.WaitForChecks();
    EXPECT_EQ(Calls().size(), 2u);
}

TEST_F(TwoProgramRun, ItemsReadAheadOnASecondConnectionAreLoadedOnceAndAFailedReadIsDoneAgain)
{
    const int first = Add("first");
    const int second = Add("second");
    CAdoConnection idle;
    ASSERT_TRUE(idle.Open(store.connection().GetConnectionString()));
    doc.PrefetchItems(idle);
    ASSERT_TRUE(doc.LoadItems());
    ASSERT_EQ(doc.Items().size(), 2u);
    EXPECT_EQ(std::tuple(doc.Items()[0]->messagetypeid, doc.Items()[1]->MessageTypeName, doc.FindItem(second)),
              std::tuple(first, "second", doc.Items()[1]));

    // Later loads read afresh.
    const int third = Add("third");
    ASSERT_TRUE(doc.LoadItems());
    EXPECT_NE(doc.FindItem(third), nullptr);

    // A read ahead that fails (its connection is not open) is done on the document's own.
    CAdoConnection closed;
    doc.PrefetchItems(closed);
    Add("fourth");
    ASSERT_TRUE(doc.LoadItems());
    EXPECT_EQ(doc.Items().size(), 4u);
}
