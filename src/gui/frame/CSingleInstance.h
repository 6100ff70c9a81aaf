#pragma once
// One running program per user and application directory: the first start holds a lock file and
// listens on a local socket beside it; a second start finds the lock taken, asks the first one
// over the socket to bring its window forward, and ends. The socket is a plain Unix socket under a
// QSocketNotifier: Qt's local sockets would bring the network module and its libraries (Kerberos,
// proxy discovery) into every start.
#include <QObject>
#include <QString>
#include <memory>
#include <string>

class QLockFile;
class QSocketNotifier;

class CSingleInstance final : public QObject
{
    Q_OBJECT
public:
    // runtimeDirectory empty: $XDG_RUNTIME_DIR, else the temporary folder.
    explicit CSingleInstance(const std::string& appDir, QString runtimeDirectory = {}, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // True when this process is now the only one; it then listens for later starts.
    bool TryBecomePrimary();
    // A later start: asks the running one to show its window. False when nobody answered.
    bool AskPrimaryToShow(int timeoutMs = 2000);

    const QString& LockPath() const { return m_lockPath; }
    const QString& SocketPath() const { return m_socketPath; }

Q_SIGNALS:
    void ShowRequested();

private:
    void AcceptClients();

    QString m_lockPath;
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    int m_listenFd = -1;
    QSocketNotifier* m_listening = nullptr;
};
