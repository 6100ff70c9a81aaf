// A check-all run of real web items against loopback servers that count the connections they see
// at once: the per-host limit holds, idle connections included, while other servers' items go on;
// a stop ends a long run by ending its transfers.
#include "DocTest.h"
#include "ItemStore.h"
#include "monitors/StandardMonitors.h"
#include "support/CountingHttpServer.h"

namespace {

class HostLimit : public DocTest
{
protected:
    HostLimit() { doc.SetMonitors(StandardMonitors()); }
    ~HostLimit() override
    {
        doc.RequestStop(); // the servers go before the document: no transfer may be left
        doc.WaitForChecks();
    }

    // A run with `parallel` checks at once, four a host, of `count` items on servers at 127.0.0.1, .2, ...,
    // handed out to them in turn or in blocks of `block`.
    void StartRun(int serverCount, int count, int block, int parallel)
    {
        for (int i = 1; i <= serverCount; ++i) {
            servers.push_back(std::make_unique<CountingHttpServer>("127.0.0." + std::to_string(i)));
        }
        for (int i = 0; i < count; ++i) {
            const auto& server = servers[static_cast<size_t>(i / block) % servers.size()];
            const auto item =
                NewItem("网页" + std::to_string(i), kCategoryWebPage, server->Url("/p" + std::to_string(i)));
            doc.AddItem(std::make_shared<MessageTypeInfo>(store.AddItem(item)));
        }
        doc.SetParallelChecks(parallel);
        doc.SetPerHostChecks(4);
        doc.CheckAll();
    }
    int HeldTogether() const
    {
        int held = 0;
        for (const auto& server : servers) {
            held += server->Held();
        }
        return held;
    }

    std::vector<std::unique_ptr<CountingHttpServer>> servers;
};

} // namespace

TEST_F(HostLimit, AServerNeverSeesMoreConnectionsThanTheLimitAndOthersGoOnMeanwhile)
{
    StartRun(2, 24, 12, 16); // all of the first server's items come first in the list
    // The second server's items started although the first's waited in front of them.
    ASSERT_TRUE(WaitUntil([&] { return servers[0]->Held() == 4 && servers[1]->Held() == 4; }));
    for (const auto& server : servers) {
        server->Release();
    }
    doc.WaitForChecks();
    for (const auto& server : servers) {
        EXPECT_EQ(server->Requests(), 12);
        // Kept connections were reused, not opened beside the ones in use.
        EXPECT_EQ(server->PeakConnections(), 4);
    }
    EXPECT_EQ(std::tuple(run.ErrorCount(), store.QueryNumber("select count(*) from userdata")), std::tuple(0, 24));
}

TEST_F(HostLimit, AStopEndsARunOfFiveHundredItemsByEndingItsTransfers)
{
    StartRun(10, 500, 1, 32);
    ASSERT_TRUE(WaitUntil([&] { return HeldTogether() == 32; }));
    doc.RequestStop();
    doc.WaitForChecks();
    // No server ever answered: the transfers ended because of the stop, not by their own time limits
    // (which would have told failures), and nothing after them started.
    EXPECT_EQ(run.ErrorCount(), 0);
    int requests = 0;
    for (const auto& server : servers) {
        requests += server->Requests();
        EXPECT_LE(server->PeakConnections(), 4);
    }
    EXPECT_EQ(requests, 32);
    EXPECT_EQ(store.QueryNumber("select count(*) from userdata"), 0);
    EXPECT_TRUE(WaitUntil([&] { return HeldTogether() == 0; })); // every connection was closed
}
