#include "gui/ContentFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Fail(std::string& error, const std::string& what)
{
    error = what + ": " + std::strerror(errno);
    return false;
}

} // namespace

bool WriteContentFile(const std::string& appDir, const std::string& bytes, std::string& path, std::string& error)
{
    const std::string folder = appDir + "data";
    path = appDir + kContentFileName;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return Fail(error, folder);
    }
    // A folder planted as a symlink, or someone else's, is refused rather than written through.
    struct stat info = {};
    if (::lstat(folder.c_str(), &info) != 0) {
        return Fail(error, folder);
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        errno = S_ISDIR(info.st_mode) ? EPERM : ENOTDIR;
        return Fail(error, folder);
    }
    if ((info.st_mode & 0777) != 0700 && ::chmod(folder.c_str(), 0700) != 0) {
        return Fail(error, folder);
    }
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC); // created 0600
    if (fd < 0) {
        return Fail(error, temporary);
    }
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int saved = errno;
            ::close(fd);
            ::unlink(temporary.c_str());
            errno = saved;
            return Fail(error, path);
        }
        written += static_cast<size_t>(n);
    }
    if (::close(fd) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        errno = saved;
        return Fail(error, path);
    }
    return true;
}
