#pragma once
// The real message boxes and the desktop's opener (xdg-open through QDesktopServices).
#include "gui/frame/GuiContext.h"

class QtMessageBoxes final : public IMessageBoxes
{
public:
    // caption empty: the application's title.
    QMessageBox::StandardButton Show(QWidget* parent, const QString& text, const QString& caption,
                                     QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) override;
};

class DesktopOpener final : public IDesktopOpener
{
public:
    bool Open(const QUrl& url) override;
};

// The application's title, the caption of boxes that name none.
QString ApplicationCaption();
