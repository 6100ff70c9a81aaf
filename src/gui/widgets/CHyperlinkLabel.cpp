#include "gui/widgets/CHyperlinkLabel.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// The label as assistive technology sees it: a link that can be pressed.
class HyperlinkAccessible final : public QAccessibleWidget
{
public:
    explicit HyperlinkAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Link) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name) {
            return static_cast<QLabel*>(widget())->text();
        }
        return QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override
    {
        if (action == pressAction()) {
            static_cast<CHyperlinkLabel*>(widget())->Activate();
        }
    }
};

QAccessibleInterface* HyperlinkFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("CHyperlinkLabel") && object && object->isWidgetType()) {
        return new HyperlinkAccessible(static_cast<QWidget*>(object));
    }
    return nullptr;
}

} // namespace

CHyperlinkLabel::CHyperlinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&HyperlinkFactory);
        return true;
    }();
    (void)factoryInstalled;
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
        Activate();
    }
    QLabel::mouseReleaseEvent(event);
}

void CHyperlinkLabel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Activate();
        return;
    }
    QLabel::keyPressEvent(event);
}

void CHyperlinkLabel::Activate()
{
    Q_EMIT clicked();
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
