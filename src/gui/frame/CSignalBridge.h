#pragma once
// SIGTERM and SIGINT (a desktop session ends its programs with SIGTERM) become a Qt signal on the
// UI thread: the handler only writes a byte into a socket pair, a notifier reads it.
#include <QObject>

class QSocketNotifier;

class CSignalBridge final : public QObject
{
    Q_OBJECT
public:
    explicit CSignalBridge(QObject* parent = nullptr);
    ~CSignalBridge() override;

Q_SIGNALS:
    void TerminationRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
};
