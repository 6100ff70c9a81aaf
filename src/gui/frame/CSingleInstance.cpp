#include "gui/frame/CSingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
constexpr char kShowRequest[] = "show\n";
constexpr int kBacklog = 8;
constexpr size_t kRequestBytes = 64;

QString DefaultRuntimeDirectory()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists()) {
        return runtime;
    }
    return QDir::tempPath();
}

// The socket's address; false when the path does not fit one.
bool AddressOf(const QString& path, sockaddr_un& address)
{
    const QByteArray bytes = QFile::encodeName(path);
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (bytes.size() >= static_cast<qsizetype>(sizeof address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, bytes.constData(), static_cast<size_t>(bytes.size()));
    return true;
}

// Waits for fd to become ready for events; false on time-out or failure.
bool WaitReady(int fd, short events, int timeoutMs)
{
    pollfd entry{fd, events, 0};
    int ready = 0;
    do {
        ready = ::poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready == 1 && (entry.revents & events) != 0;
}
} // namespace

CSingleInstance::CSingleInstance(const std::string& appDir, QString runtimeDirectory, QObject* parent) : QObject(parent)
{
    if (runtimeDirectory.isEmpty()) {
        runtimeDirectory = DefaultRuntimeDirectory();
    }
    // The user's id and the directory's hash: another user or another directory is another program.
    const QByteArray key =
        QCryptographicHash::hash(QByteArray::fromStdString(appDir), QCryptographicHash::Sha1).toHex().left(16);
    const QString base = runtimeDirectory + QStringLiteral("/wendar-%1-%2").arg(getuid()).arg(QString::fromLatin1(key));
    m_lockPath = base + QStringLiteral(".lock");
    m_socketPath = base + QStringLiteral(".sock");
}

CSingleInstance::~CSingleInstance()
{
    if (m_listenFd >= 0) {
        delete m_listening;
        ::close(m_listenFd);
        ::unlink(QFile::encodeName(m_socketPath).constData());
    }
}

bool CSingleInstance::TryBecomePrimary()
{
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // A lock left by a process that has ended is taken over; a live one is never stale.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    sockaddr_un address{};
    const QByteArray path = QFile::encodeName(m_socketPath);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    bool listening = fd >= 0 && AddressOf(m_socketPath, address);
    if (listening) {
        ::unlink(path.constData()); // ours: we hold the lock
        // Only the user may connect: the socket file is made without access for others.
        const mode_t previous = ::umask(S_IRWXG | S_IRWXO);
        listening = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        ::umask(previous);
        listening = listening && ::listen(fd, kBacklog) == 0;
    }
    if (!listening) {
        qWarning("wendar: cannot listen on %s: %s", path.constData(), std::strerror(errno));
        if (fd >= 0) {
            ::close(fd);
        }
        return true; // still the only one; later starts just will not raise us
    }
    m_listenFd = fd;
    m_listening = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_listening, &QSocketNotifier::activated, this, &CSingleInstance::AcceptClients);
    return true;
}

void CSingleInstance::AcceptClients()
{
    int client = -1;
    while ((client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0) {
        // The request follows the connection; the client is closed once it came (or the peer left).
        auto* readable = new QSocketNotifier(client, QSocketNotifier::Read, this);
        connect(readable, &QSocketNotifier::activated, this, [this, readable, client] {
            char request[kRequestBytes];
            const ssize_t got = ::recv(client, request, sizeof request, 0);
            if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
                return;
            }
            readable->setEnabled(false);
            readable->deleteLater();
            ::close(client);
            if (got >= 4 && std::memcmp(request, kShowRequest, 4) == 0) {
                Q_EMIT ShowRequested();
            }
        });
    }
}

bool CSingleInstance::AskPrimaryToShow(int timeoutMs)
{
    sockaddr_un address{};
    if (!AddressOf(m_socketPath, address)) {
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return false;
    }
    bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!connected && (errno == EAGAIN || errno == EINPROGRESS) && WaitReady(fd, POLLOUT, timeoutMs)) {
        int error = 0;
        socklen_t length = sizeof error;
        connected = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    bool written = false;
    if (connected && WaitReady(fd, POLLOUT, timeoutMs)) {
        const ssize_t sent = ::send(fd, kShowRequest, sizeof kShowRequest - 1, MSG_NOSIGNAL);
        written = sent == static_cast<ssize_t>(sizeof kShowRequest - 1);
    }
    ::close(fd);
    return written;
}
