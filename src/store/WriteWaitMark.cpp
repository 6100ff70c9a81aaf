#include "store/WriteWaitMark.h"

#include "store/LocalDatabase.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

// Beyond every item key (an int) that CItemCheckLock may lock.
constexpr off_t kWaitingByte = off_t{1} << 40;

bool LockWaitingByte(int fd, short type, int command, struct flock& lock)
{
    lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = kWaitingByte;
    lock.l_len = 1;
    return ::fcntl(fd, command, &lock) == 0;
}

} // namespace

WriteWaitMark::WriteWaitMark(const std::string& databasePath)
{
    const std::string lockFile = LocalLockFilePath(databasePath);
    if (!lockFile.empty()) {
        m_fd = ::open(lockFile.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    }
}

WriteWaitMark::~WriteWaitMark()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void WriteWaitMark::Mark()
{
    struct flock lock;
    if (!m_bMarked && m_fd >= 0 && LockWaitingByte(m_fd, F_RDLCK, F_OFD_SETLK, lock)) {
        m_bMarked = true;
    }
}

void WriteWaitMark::Unmark()
{
    struct flock lock;
    if (m_bMarked) {
        LockWaitingByte(m_fd, F_UNLCK, F_OFD_SETLK, lock);
        m_bMarked = false;
    }
}

bool WriteWaitMark::OthersWaiting() const
{
    struct flock lock;
    // A write lock would conflict with any other open file's read lock; this one's own never does.
    return m_fd < 0 || !LockWaitingByte(m_fd, F_WRLCK, F_OFD_GETLK, lock) || lock.l_type != F_UNLCK;
}
