#pragma once
// A clickable label: underlined text with a hand cursor that highlights under the mouse and
// reports a click. Keyboard users reach it with Tab and press it with Space or Enter; screen
// readers see a link with a press action.
#include <QLabel>

class CHyperlinkLabel final : public QLabel
{
    Q_OBJECT
public:
    explicit CHyperlinkLabel(const QString& text, QWidget* parent = nullptr);
    // What a click does (also the accessibility press action).
    void Activate();

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void SetHighlighted(bool on);
};
