#include "gui/CHyperlinkLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>

CHyperlinkLabel::CHyperlinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(text);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    SetHighlighted(false);
}

void CHyperlinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Q_EMIT clicked();
    }
    QLabel::mouseReleaseEvent(event);
}

void CHyperlinkLabel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Q_EMIT clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

void CHyperlinkLabel::enterEvent(QEnterEvent* event)
{
    SetHighlighted(true);
    QLabel::enterEvent(event);
}

void CHyperlinkLabel::leaveEvent(QEvent* event)
{
    SetHighlighted(false);
    QLabel::leaveEvent(event);
}

void CHyperlinkLabel::SetHighlighted(bool on)
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, on ? QColor(0xd0, 0x30, 0x30) : palette().color(QPalette::Link));
    setPalette(colours);
}
