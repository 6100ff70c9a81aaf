#include "gui/frame/DesktopServices.h"

#include <QDesktopServices>

QString ApplicationCaption()
{
    return QStringLiteral("Wendar");
}

QMessageBox::StandardButton QtMessageBoxes::Show(QWidget* parent, const QString& text, const QString& caption,
                                                 QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, caption.isEmpty() ? ApplicationCaption() : caption, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton) {
        box.setDefaultButton(defaultButton);
    }
    box.setAccessibleName(box.windowTitle());
    // The program's yes/no questions (deleting an item) destroy something: a stray Enter says no.
    if (buttons.testFlag(QMessageBox::No)) {
        box.setDefaultButton(QMessageBox::No);
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool DesktopOpener::Open(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}
