#pragma once
// The notification-area icon over QSystemTrayIcon: an icon by resource id and a tip of at most
// 63 bytes, cut on a UTF-8 boundary. The announcements set the tip through ITrayIcon; a call from
// another thread is carried to the icon's thread.
#include "app/ITrayIcon.h"

#include <QObject>
#include <QString>

class QMenu;
class QSystemTrayIcon;

class CTrayObject final : public QObject, public ITrayIcon
{
    Q_OBJECT
public:
    static constexpr int kTipBytes = 63;
    static constexpr int kIconId = 161;

    explicit CTrayObject(QObject* parent = nullptr);
    ~CTrayObject() override;

    // Shows the icon (where the desktop has a tray) with the tip; the menu opens on a right click.
    void TrayCreate(QMenu* menu, const std::string& tip, int iconResource);
    void TrayDelete();
    void TraySetIcon(int iconResource);
    void TraySetTip(const std::string& tip);
    void SetToolTip(const std::string& text) override;

    bool IsCreated() const { return m_bCreated; }
    int IconResource() const { return m_nIconResource; }
    QString Tip() const { return m_strTip; }
    // Shows a balloon message where the tray supports one; false otherwise.
    bool ShowMessage(const QString& title, const QString& text);

Q_SIGNALS:
    // A left click: the owner acts as "打开主窗口".
    void LeftClicked();
    void MessageClicked();

private:
    // Made when first needed, with the state set so far.
    QSystemTrayIcon* Icon();

    QSystemTrayIcon* m_icon = nullptr; // owned through the QObject tree
    QMenu* m_menu = nullptr;
    int m_nIconResource = 0;
    QString m_strTip;
    bool m_bCreated = false;
};
