#include "gui/frame/CTrayObject.h"

#include "gui/widgets/GuiImages.h"
#include "util/TextEncoding.h"

#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>

CTrayObject::CTrayObject(QObject* parent) : QObject(parent) {}

CTrayObject::~CTrayObject()
{
    TrayDelete();
}

void CTrayObject::TrayCreate(QMenu* menu, const std::string& tip, int iconResource)
{
    m_menu = menu;
    TraySetTip(tip);
    if (iconResource != 0) {
        TraySetIcon(iconResource);
    }
    m_bCreated = true;
    if (m_icon != nullptr) {
        m_icon->show();
        return;
    }
    // The first icon and its session-bus or X tray set-up come with the event loop's first turn,
    // after the window was shown: the window does not wait for them.
    QTimer::singleShot(0, this, [this] {
        if (m_bCreated) {
            Icon()->show();
        }
    });
}

void CTrayObject::TrayDelete()
{
    if (m_bCreated) {
        if (m_icon != nullptr) {
            m_icon->hide();
        }
        m_bCreated = false;
    }
}

QSystemTrayIcon* CTrayObject::Icon()
{
    if (m_icon == nullptr) {
        m_icon = new QSystemTrayIcon(this);
        connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            // The context menu opens by itself on a right click; a double click is two left clicks.
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                Q_EMIT LeftClicked();
            }
        });
        connect(m_icon, &QSystemTrayIcon::messageClicked, this, &CTrayObject::MessageClicked);
        m_icon->setContextMenu(m_menu);
        m_icon->setToolTip(m_strTip);
        if (m_nIconResource != 0) {
            m_icon->setIcon(TrayIcon(m_nIconResource));
        }
    }
    return m_icon;
}

void CTrayObject::TraySetIcon(int iconResource)
{
    if (iconResource == m_nIconResource) {
        return;
    }
    m_nIconResource = iconResource;
    if (m_icon != nullptr) {
        m_icon->setIcon(TrayIcon(iconResource));
    }
}

void CTrayObject::TraySetTip(const std::string& tip)
{
    m_strTip = QString::fromStdString(CutUtf8(tip, kTipBytes));
    if (m_icon != nullptr) {
        m_icon->setToolTip(m_strTip);
    }
}

void CTrayObject::SetToolTip(const std::string& text)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, text] { TraySetTip(text); }, Qt::QueuedConnection);
        return;
    }
    TraySetTip(text);
}

bool CTrayObject::ShowMessage(const QString& title, const QString& text)
{
    if (!m_bCreated || !QSystemTrayIcon::isSystemTrayAvailable() || !QSystemTrayIcon::supportsMessages()) {
        return false;
    }
    QSystemTrayIcon* icon = Icon();
    if (!icon->isVisible()) {
        icon->show(); // asked for before the event loop's first turn
    }
    icon->showMessage(title, text, icon->icon());
    return true;
}
