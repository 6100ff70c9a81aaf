#include "app/CParallelChecks.h"

#include "app/TransferHost.h"
#include "monitors/CRunState.h"
#include "monitors/net/CCurlDriver.h"
#include "store/CAdoConnection.h"
#include "util/UiText.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <malloc.h>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

// A stop request does not notify: a thread that waits for a server to be free looks at it this often.
constexpr auto kStopLook = std::chrono::milliseconds(50);
// How far past the first unstarted item a thread looks for one whose server is free.
constexpr std::size_t kLookAheadPerThread = 8;
constexpr std::size_t kMinLookAhead = 64;

// One item of the walk, in list order: started in any order once its server is free, ended in any order.
struct Slot
{
    CParallelChecks::Item item;
    std::string host;
    std::unique_ptr<CRunState> run; // from its start until it is announced
    CCurlDriver* driver = nullptr;  // its server's, while it runs
    int result = 0;
    bool started = false;
    bool done = false;
};

// The transfer drivers of one server: how many are in use, and those kept for the next check.
struct Host
{
    std::size_t running = 0;
    std::vector<std::unique_ptr<CCurlDriver>> idle;
};

class Walker final
{
public:
    Walker(CRunState& run, const CParallelChecks::ItemAt& itemAt, const CParallelChecks::Check& check,
           const CParallelChecks::Announce& announce, std::size_t width, std::size_t perHost)
        : m_run(run), m_itemAt(itemAt), m_check(check), m_announce(announce), m_nWidth(width), m_nPerHost(perHost),
          m_nLookAhead(std::max(kMinLookAhead, width * kLookAheadPerThread)),
          m_nIdleCap(std::max<std::size_t>(8, 2 * width))
    {}

    // Checks items until none is left to start. spawn starts one more thread that works the same
    // walk; it is called when an item could start now and no thread is free to take it.
    void Work(CAdoConnection& connection, const std::function<void()>& spawn)
    {
        for (;;) {
            bool another = false;
            Slot* slot = Take(another);
            if (slot == nullptr) {
                return;
            }
            if (another) {
                spawn();
            }
            const int result = m_check(*slot->item, *slot->run, *slot->driver, connection);
            Finish(*slot, result);
        }
    }

    int Result() const { return m_nResult; }

private:
    // The next item to check, or null when the walk is over for this thread. another: an item
    // more could start at once and no other thread is waiting for one (the caller spawns a thread).
    Slot* Take(bool& another)
    {
        std::unique_lock lock(m_lock);
        for (;;) {
            if (m_run.IsStopRequested()) {
                return nullptr; // the rest of the list is passed over
            }
            if (Slot* slot = NextStartable()) {
                Start(*slot);
                // Read on only when another thread could take the item: the list is read as late as it can be.
                if ((m_nWaiting > 0 || m_nThreads < m_nWidth) && NextStartable() != nullptr) {
                    if (m_nWaiting > 0) {
                        m_changed.notify_one();
                    } else if (m_nThreads < m_nWidth) {
                        ++m_nThreads;
                        another = true;
                    }
                }
                return slot;
            }
            if (m_bListEnd && m_nFirstPending == m_slots.size()) {
                return nullptr; // every item has started
            }
            // Every item in reach waits for its server: a check that ends frees one.
            ++m_nWaiting;
            m_changed.wait_for(lock, kStopLook);
            --m_nWaiting;
        }
    }

    // Under the lock: the first unstarted item in reach whose server is free, reading the list on.
    Slot* NextStartable()
    {
        while (m_nFirstPending < m_slots.size() && m_slots[m_nFirstPending].started) {
            ++m_nFirstPending;
        }
        for (std::size_t i = m_nFirstPending; i < m_nFirstPending + m_nLookAhead; ++i) {
            if (i == m_slots.size() && !ReadNext()) {
                return nullptr;
            }
            Slot& slot = m_slots[i];
            if (!slot.started && (m_nPerHost == 0 || slot.host.empty() || m_hosts[slot.host].running < m_nPerHost)) {
                return &slot;
            }
        }
        return nullptr;
    }

    // Under the lock: appends the next item of the list not met before; false at the list's end.
    bool ReadNext()
    {
        while (!m_bListEnd) {
            CParallelChecks::Item item = m_itemAt(m_nNext);
            if (!item) {
                m_bListEnd = true;
                break;
            }
            ++m_nNext;
            if (!m_seen.insert(item->messagetypeid).second) {
                continue; // checked in this walk already, or being checked
            }
            Slot& slot = m_slots.emplace_back();
            slot.host = TransferHost(*item);
            slot.item = std::move(item);
            return true;
        }
        return false;
    }

    void Start(Slot& slot)
    {
        slot.started = true;
        slot.run = std::make_unique<CRunState>(m_run);
        Host& host = m_hosts[slot.host];
        ++host.running;
        if (host.idle.empty()) {
            m_drivers.push_back(std::make_unique<CCurlDriver>());
            slot.driver = m_drivers.back().get();
        } else {
            slot.driver = host.idle.back().release();
            host.idle.pop_back();
            --m_nIdle;
            m_drivers.emplace_back(slot.driver);
        }
    }

    void Finish(Slot& slot, int result)
    {
        std::unique_ptr<CCurlDriver> dropped;
        {
            std::lock_guard guard(m_lock);
            slot.result = result;
            slot.done = true;
            m_nResult |= result;
            dropped = KeepDriver(slot);
            m_changed.notify_all();
            // The status names an item still being worked on, not the one that just ended.
            for (std::size_t i = m_nAnnounced; i < m_slots.size(); ++i) {
                const Slot& other = m_slots[i];
                if (other.started && !other.done &&
                    other.run->GetStatusText() != UiText("CRunState", kIdleStatusText)) {
                    m_run.SetStatusText(other.run->GetStatusText());
                    break;
                }
            }
            if (m_bAnnouncing) {
                return; // the thread that announces now takes this one too, in its turn
            }
            m_bAnnouncing = true;
        }
        dropped.reset(); // closes the connections of a driver no server keeps any more
        AnnounceInOrder();
    }

    // Under the lock: the driver goes back to its server for the next check there; when too many
    // are idle, the one kept longest is handed back to be closed.
    std::unique_ptr<CCurlDriver> KeepDriver(Slot& slot)
    {
        auto owned = std::find_if(m_drivers.begin(), m_drivers.end(),
                                  [&](const std::unique_ptr<CCurlDriver>& d) { return d.get() == slot.driver; });
        Host& host = m_hosts[slot.host];
        --host.running;
        host.idle.push_back(std::move(*owned));
        m_drivers.erase(owned);
        slot.driver = nullptr;
        ++m_nIdle;
        m_idleOrder.push_back(slot.host);
        while (m_nIdle > m_nIdleCap && !m_idleOrder.empty()) {
            Host& oldest = m_hosts[m_idleOrder.front()];
            m_idleOrder.pop_front();
            if (!oldest.idle.empty()) {
                std::unique_ptr<CCurlDriver> dropped = std::move(oldest.idle.front());
                oldest.idle.erase(oldest.idle.begin());
                --m_nIdle;
                return dropped;
            }
        }
        return nullptr;
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
            next->run.reset();
        }
    }

    CRunState& m_run;
    const CParallelChecks::ItemAt& m_itemAt;
    const CParallelChecks::Check& m_check;
    const CParallelChecks::Announce& m_announce;
    const std::size_t m_nWidth;
    const std::size_t m_nPerHost;
    const std::size_t m_nLookAhead;
    const std::size_t m_nIdleCap;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::size_t m_nNext = 0; // list position read next
    bool m_bListEnd = false;
    std::set<int> m_seen;
    std::deque<Slot> m_slots; // a deque: slots stay where they are while others are added
    std::size_t m_nFirstPending = 0;
    std::size_t m_nAnnounced = 0;
    std::size_t m_nThreads = 1; // the caller's
    std::size_t m_nWaiting = 0;
    std::map<std::string, Host> m_hosts;
    std::vector<std::unique_ptr<CCurlDriver>> m_drivers; // in use
    std::deque<std::string> m_idleOrder;                 // servers in the order they were handed drivers back
    std::size_t m_nIdle = 0;
    bool m_bAnnouncing = false;
    int m_nResult = 0;
};

} // namespace

CParallelChecks::CParallelChecks(CRunState& run, std::size_t width, CAdoConnection& connection)
    : m_run(run), m_nWidth(std::max<std::size_t>(1, width)), m_connection(connection)
{}

int CParallelChecks::Walk(const ItemAt& itemAt, const Check& check, const Announce& announce)
{
    Walker walker(m_run, itemAt, check, announce, m_nWidth, m_nPerHost);
    std::mutex threadsLock;
    std::vector<std::thread> threads;
    // Threads start as the items allow, up to the width: a short list opens no idle connections.
    std::function<void()> spawn = [&] {
        std::lock_guard guard(threadsLock);
        threads.emplace_back([this, &walker, &spawn] {
            // A connection that fails to open makes this thread's checks fail with the database's
            // words in their status texts, as any other failure of the local store does.
            CAdoConnection own(m_connection.GetReporter());
            own.SetShowErrors(false);
            own.Open(m_connection.GetConnectionString(), true);
            walker.Work(own, spawn);
        });
    };
    walker.Work(m_connection, spawn); // the run's own thread is one of them
    for (;;) {
        std::thread thread;
        {
            std::lock_guard guard(threadsLock);
            if (threads.empty()) {
                break;
            }
            thread = std::move(threads.back());
            threads.pop_back();
        }
        thread.join();
    }
    // What the threads' heaps kept goes back to the system: a program that runs for weeks (a
    // watch, the window) keeps the size of one run, not of the most threads' leftovers.
    malloc_trim(0);
    return walker.Result();
}
