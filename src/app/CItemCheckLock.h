#pragma once
// One check of an item at a time, across every program that works on the same message.dat: a
// write lock on the byte at the item's key in the lock file beside the database. The lock belongs
// to the open file, not to the process, so two checks in one process exclude each other as well,
// and the kernel drops it when its holder ends, however it ends.
#include <string>

class CItemCheckLock final
{
public:
    enum class State
    {
        Held,          // this check owns the item until the lock is destroyed
        HeldElsewhere, // another check (mostly another program) is on it now
        Unavailable,   // no lock file could be opened; the check goes on unguarded
    };

    // Never waits.
    CItemCheckLock(const std::string& lockFile, int messagetypeid);
    ~CItemCheckLock();
    CItemCheckLock(const CItemCheckLock&) = delete;
    CItemCheckLock& operator=(const CItemCheckLock&) = delete;

    State GetState() const { return m_state; }

private:
    int m_fd = -1;
    State m_state = State::Unavailable;
};
