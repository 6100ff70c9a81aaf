#pragma once
// Desktop notifications: the tray's balloon where the tray shows them, otherwise the desktop's
// notification service (org.freedesktop.Notifications on the session bus). Nothing is shown
// when neither exists. Calls never wait for the service.
#include "gui/frame/IDesktopNotifier.h"

#include <QObject>
#include <QSet>

class CTrayObject;

class CDesktopNotifier final : public QObject, public IDesktopNotifier
{
    Q_OBJECT
public:
    explicit CDesktopNotifier(CTrayObject* tray, QObject* parent = nullptr);
    void Notify(const QString& title, const QString& body) override;

private Q_SLOTS:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    CTrayObject* m_tray;
    QSet<uint> m_shown; // ids of our notifications still open
    bool m_bListening = false;
};
