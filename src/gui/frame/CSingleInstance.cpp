#include "gui/frame/CSingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <unistd.h>

namespace {
constexpr char kShowRequest[] = "show\n";

QString DefaultRuntimeDirectory()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists()) {
        return runtime;
    }
    return QDir::tempPath();
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
    if (m_server) {
        m_server->close();
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
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(m_socketPath); // ours: we hold the lock
    if (!m_server->listen(m_socketPath)) {
        qWarning("wendar: cannot listen on %s: %s", qPrintable(m_socketPath), qPrintable(m_server->errorString()));
        return true; // still the only one; later starts just will not raise us
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = m_server->nextPendingConnection()) {
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().startsWith("show")) {
                    Q_EMIT ShowRequested();
                }
                client->disconnectFromServer();
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    return true;
}

bool CSingleInstance::AskPrimaryToShow(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    socket.write(kShowRequest, sizeof kShowRequest - 1);
    const bool written = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return written;
}
