#include "gui/frame/CDesktopNotifier.h"

#include "gui/frame/CTrayObject.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
constexpr int kExpireMs = 10000;
} // namespace

CDesktopNotifier::CDesktopNotifier(CTrayObject* tray, QObject* parent) : QObject(parent), m_tray(tray)
{
    connect(m_tray, &CTrayObject::MessageClicked, this, [this] {
        if (m_onClick) {
            m_onClick();
        }
    });
}

void CDesktopNotifier::Notify(const QString& title, const QString& body)
{
    if (m_tray && m_tray->ShowMessage(title, body)) {
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    if (!m_bListening) {
        // Qt 6.4's QDBusConnection::connect takes the slot by name only.
        bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                    SLOT(OnActionInvoked(uint, QString)));
        bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                    SLOT(OnClosed(uint, uint)));
        m_bListening = true;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    // The action "default" is the click on the notification itself.
    call << QStringLiteral("Wendar") << uint(0) << QStringLiteral("mail-unread") << title << body
         << QStringList{QStringLiteral("default"), tr("打开主窗口")} << QVariantMap{} << kExpireMs;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        const QDBusPendingReply<uint> reply = *finished;
        if (reply.isValid()) {
            m_shown.insert(reply.value());
        }
        finished->deleteLater();
    });
}

void CDesktopNotifier::OnActionInvoked(uint id, const QString& action)
{
    if (m_shown.contains(id) && action == QStringLiteral("default") && m_onClick) {
        m_onClick();
    }
}

void CDesktopNotifier::OnClosed(uint id, uint)
{
    m_shown.remove(id);
}
