#pragma once
// Which writers wait for the write lock of a local database, across every program that opens it: a
// connection that waits holds a read lock on one byte of the lock file beside the database, far
// above the bytes the checks lock (CItemCheckLock). A writer that just committed leaves the lock
// free for a moment only when somebody is there to take it, instead of after every commit.
// The locks belong to the open file (OFD locks): every connection has its own, and the kernel drops
// them when a program ends, however it ends.
#include <string>

class WriteWaitMark final
{
public:
    // The lock file of databasePath when it has one (it is never created here: an installed preset
    // file has none); without it nobody can be told apart, and OthersWaiting says yes.
    explicit WriteWaitMark(const std::string& databasePath);
    ~WriteWaitMark();
    WriteWaitMark(const WriteWaitMark&) = delete;
    WriteWaitMark& operator=(const WriteWaitMark&) = delete;

    // This connection waits, until Unmark. Cheap when it is marked already.
    void Mark();
    // Cheap when it is not marked.
    void Unmark();
    // Whether a connection other than this one waits, or that cannot be told.
    bool OthersWaiting() const;

private:
    int m_fd = -1;
    bool m_bMarked = false;
};
