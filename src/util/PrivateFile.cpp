#include "util/PrivateFile.h"

#include "util/UiText.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileDescriptor final
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

bool Fail(std::string& error, const std::string& what)
{
    error = what + ": " + std::strerror(errno);
    return false;
}

bool WriteAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        content.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

} // namespace

bool WritePrivateFile(const std::string& folder, const std::string& name, std::string_view content, std::string& error)
{
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return Fail(error, UiText("PrivateFile", "不能创建目录 ") + folder);
    }
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (dir.get() < 0) {
        return Fail(error, UiText("PrivateFile", "不能打开目录 ") + folder);
    }
    struct stat st
    {
    };
    if (::fstat(dir.get(), &st) != 0) {
        return Fail(error, UiText("PrivateFile", "不能读取目录 ") + folder);
    }
    if (st.st_uid != ::geteuid()) {
        error = UiText("PrivateFile", "目录 ") + folder + UiText("PrivateFile", " 不属于当前用户");
        return false;
    }
    if ((st.st_mode & 07777) != 0700 && ::fchmod(dir.get(), 0700) != 0) {
        return Fail(error, UiText("PrivateFile", "不能设置目录权限 ") + folder);
    }

    std::random_device random;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = "." + name + "." + std::to_string(random()) + ".tmp";
        fd = ::openat(dir.get(), temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        return Fail(error, UiText("PrivateFile", "不能创建文件 ") + folder + "/" + name);
    }
    FileDescriptor file(fd);
    const bool written = ::fchmod(file.get(), 0600) == 0 && WriteAll(file.get(), content);
    const int saved = errno;
    if (::close(file.release()) != 0 || !written) {
        errno = written ? errno : saved;
        ::unlinkat(dir.get(), temporary.c_str(), 0);
        return Fail(error, UiText("PrivateFile", "不能写入文件 ") + folder + "/" + name);
    }
    // The rename replaces whatever lies under the name, a symlink included, without following it.
    if (::renameat(dir.get(), temporary.c_str(), dir.get(), name.c_str()) != 0) {
        const bool failed = Fail(error, UiText("PrivateFile", "不能写入文件 ") + folder + "/" + name);
        ::unlinkat(dir.get(), temporary.c_str(), 0);
        return failed;
    }
    return true;
}
