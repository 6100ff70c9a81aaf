#include "app/CParallelChecks.h"

#include "monitors/CRunState.h"
#include "monitors/net/CCurlDriver.h"
#include "store/CAdoConnection.h"
#include "util/UiText.h"

#include <algorithm>
#include <deque>
#include <list>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

// One check of the walk: started in list order, ended in any order.
struct Slot
{
    CParallelChecks::Item item;
    std::unique_ptr<CRunState> run;
    int result = 0;
    bool done = false;
};

class Walker final
{
public:
    Walker(CRunState& run, const CParallelChecks::ItemAt& itemAt, const CParallelChecks::Check& check,
           const CParallelChecks::Announce& announce)
        : m_run(run), m_itemAt(itemAt), m_check(check), m_announce(announce)
    {}

    void Work(CAdoConnection& connection)
    {
        CCurlDriver curl; // this thread's: its checks one after the other reuse connections
        for (;;) {
            Slot* slot = Take();
            if (slot == nullptr) {
                return;
            }
            const int result = m_check(*slot->item, *slot->run, curl, connection);
            Finish(*slot, result);
        }
    }

    int Result() const { return m_nResult; }

private:
    // The next item to check, or null when the walk is over for this thread.
    Slot* Take()
    {
        std::lock_guard guard(m_lock);
        for (;;) {
            if (m_run.IsStopRequested()) {
                return nullptr; // the rest of the list is passed over
            }
            CParallelChecks::Item item = m_itemAt(m_nNext);
            if (!item) {
                return nullptr;
            }
            ++m_nNext;
            if (!m_started.insert(item->messagetypeid).second) {
                continue; // checked in this walk already, or being checked
            }
            Slot& slot = m_slots.emplace_back();
            slot.item = std::move(item);
            slot.run = std::make_unique<CRunState>(m_run);
            ++m_nRunning;
            return &slot;
        }
    }

    void Finish(Slot& slot, int result)
    {
        {
            std::lock_guard guard(m_lock);
            slot.result = result;
            slot.done = true;
            m_nResult |= result;
            --m_nRunning;
            // The status names an item still being worked on, not the one that just ended.
            for (const Slot& other : m_slots) {
                if (!other.done && other.run->GetStatusText() != UiText("CRunState", kIdleStatusText)) {
                    m_run.SetStatusText(other.run->GetStatusText());
                    break;
                }
            }
            if (m_bAnnouncing) {
                return; // the thread that announces now takes this one too, in its turn
            }
            m_bAnnouncing = true;
        }
        AnnounceInOrder();
    }

    void AnnounceInOrder()
    {
        for (;;) {
            Slot* next = nullptr;
            {
                std::lock_guard guard(m_lock);
                if (m_nAnnounced < m_slots.size() && m_slots[m_nAnnounced].done) {
                    next = &m_slots[m_nAnnounced++];
                } else {
                    m_bAnnouncing = false;
                    return;
                }
            }
            m_announce(*next->item, next->result);
        }
    }

    CRunState& m_run;
    const CParallelChecks::ItemAt& m_itemAt;
    const CParallelChecks::Check& m_check;
    const CParallelChecks::Announce& m_announce;
    std::mutex m_lock;
    std::size_t m_nNext = 0;
    std::set<int> m_started;
    std::deque<Slot> m_slots; // a deque: slots stay where they are while others are added
    std::size_t m_nAnnounced = 0;
    std::size_t m_nRunning = 0;
    bool m_bAnnouncing = false;
    int m_nResult = 0;
};

} // namespace

CParallelChecks::CParallelChecks(CRunState& run, std::size_t width, CAdoConnection& connection)
    : m_run(run), m_nWidth(std::max<std::size_t>(1, width)), m_connection(connection)
{}

int CParallelChecks::Walk(const ItemAt& itemAt, const Check& check, const Announce& announce)
{
    Walker walker(m_run, itemAt, check, announce);
    if (m_nWidth == 1) {
        walker.Work(m_connection);
        return walker.Result();
    }
    std::vector<std::thread> threads;
    threads.reserve(m_nWidth - 1);
    for (std::size_t i = 1; i < m_nWidth; ++i) {
        threads.emplace_back([this, &walker] {
            // A connection that fails to open makes this thread's checks fail with the database's
            // words in their status texts, as any other failure of the local store does.
            CAdoConnection own(m_connection.GetReporter());
            own.SetShowErrors(false);
            own.Open(m_connection.GetConnectionString(), true);
            walker.Work(own);
        });
    }
    walker.Work(m_connection); // the run's own thread is one of them
    for (std::thread& thread : threads) {
        thread.join();
    }
    return walker.Result();
}
