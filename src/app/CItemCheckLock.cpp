#include "app/CItemCheckLock.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

CItemCheckLock::CItemCheckLock(const std::string& lockFile, int messagetypeid)
{
    if (lockFile.empty() || messagetypeid < 0) {
        return;
    }
    m_fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0) {
        return;
    }
    struct flock lock
    {
    };
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(messagetypeid);
    lock.l_len = 1;
    if (::fcntl(m_fd, F_OFD_SETLK, &lock) == 0) {
        m_state = State::Held;
        return;
    }
    m_state = (errno == EAGAIN || errno == EACCES) ? State::HeldElsewhere : State::Unavailable;
    ::close(m_fd);
    m_fd = -1;
}

CItemCheckLock::~CItemCheckLock()
{
    if (m_fd >= 0) {
        ::close(m_fd); // closing the last descriptor of the open file releases its lock
    }
}
