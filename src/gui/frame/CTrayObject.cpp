#include "gui/frame/CTrayObject.h"

#include "gui/widgets/GuiImages.h"
#include "util/TextEncoding.h"

#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QThread>

CTrayObject::CTrayObject(QObject* parent) : QObject(parent), m_icon(new QSystemTrayIcon(this))
{
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // The context menu opens by itself on a right click; a double click is two left clicks.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
            Q_EMIT LeftClicked();
        }
    });
    connect(m_icon, &QSystemTrayIcon::messageClicked, this, &CTrayObject::MessageClicked);
}

CTrayObject::~CTrayObject()
{
    TrayDelete();
}

void CTrayObject::TrayCreate(QMenu* menu, const std::string& tip, int iconResource)
{
    m_icon->setContextMenu(menu);
    TraySetTip(tip);
    if (iconResource != 0) {
        TraySetIcon(iconResource);
    }
    m_bCreated = true;
    m_icon->show();
}

void CTrayObject::TrayDelete()
{
    if (m_bCreated) {
        m_icon->hide();
        m_bCreated = false;
    }
}

void CTrayObject::TraySetIcon(int iconResource)
{
    if (iconResource == m_nIconResource) {
        return;
    }
    m_nIconResource = iconResource;
    m_icon->setIcon(TrayIcon(iconResource));
}

void CTrayObject::TraySetTip(const std::string& tip)
{
    m_strTip = QString::fromStdString(CutUtf8(tip, kTipBytes));
    m_icon->setToolTip(m_strTip);
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
    m_icon->showMessage(title, text, m_icon->icon());
    return true;
}
