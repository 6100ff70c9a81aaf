#pragma once
// The walk of a check-all run over the item list, with up to `width` items read from their sources
// at once. Each item is checked whole on one thread (its monitor stores its findings in its own
// order); every thread of the walk writes the local store on a connection of its own, opened at
// the thread's start and closed at its end (the calling thread uses the one it is handed), so no
// thread waits on another's connection. What follows a check (sound, listener) runs in list
// order, one item after the other, as in a run of one item at a time. A width of 1 is exactly that
// run, on the calling thread.
//
// At most `perHost` checks talk to one server at once (TransferHost; items without one are not
// limited per host): an item whose server is busy waits while later items of other servers start.
// The transfer drivers (and the connections they keep) belong to a server, not to a thread: a
// check takes one of its server's, so a server never sees more connections than the limit, idle
// ones included, and the next check of that server reuses them.
//
// An item is checked at most once per walk, also when the list is reloaded meanwhile and an item
// turns up at a later position: two checks of one item never overlap. Once the stop is requested
// no further item starts; the walk ends when the checks under way have ended.
#include "store/MessageTypeInfo.h"

#include <cstddef>
#include <functional>
#include <memory>

class CAdoConnection;
class CCurlDriver;
class CRunState;

class CParallelChecks final
{
public:
    using Item = std::shared_ptr<MessageTypeInfo>;
    // The entry at a position of the list, read afresh each time; null past the end.
    using ItemAt = std::function<Item(std::size_t)>;
    // Checks one item with a run state of its own (stop request and status texts of the run), the
    // transfer driver and the local connection of its thread; returns the monitor's result.
    using Check = std::function<int(MessageTypeInfo&, CRunState&, CCurlDriver&, CAdoConnection&)>;
    // After a check, in list order.
    using Announce = std::function<void(MessageTypeInfo&, int result)>;

    // connection: the calling thread's; the other threads open theirs on the same file.
    CParallelChecks(CRunState& run, std::size_t width, CAdoConnection& connection);

    // Checks of one server at once; 0 leaves them unlimited.
    void SetPerHostLimit(std::size_t perHost) { m_nPerHost = perHost; }

    // Returns the OR of all results.
    int Walk(const ItemAt& itemAt, const Check& check, const Announce& announce);

private:
    CRunState& m_run;
    std::size_t m_nWidth;
    std::size_t m_nPerHost = 0;
    CAdoConnection& m_connection;
};
