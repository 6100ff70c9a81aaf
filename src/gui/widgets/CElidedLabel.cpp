#include "gui/widgets/CElidedLabel.h"

#include <QFontMetrics>
#include <QRegularExpression>
#include <QResizeEvent>

CElidedLabel::CElidedLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    // The width is the bar's to give; the text never asks for more.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void CElidedLabel::SetFullText(const QString& text)
{
    m_strFull = text;
    static const QRegularExpression breaks(QStringLiteral("[\\r\\n\\t]+"));
    m_strLine = QString(text).replace(breaks, QStringLiteral(" ")).trimmed();
    setToolTip(m_strFull);
    // A screen reader hears the whole text, not what fits.
    setAccessibleName(m_strLine);
    Elide();
}

QSize CElidedLabel::minimumSizeHint() const
{
    return {0, fontMetrics().height()};
}

QSize CElidedLabel::sizeHint() const
{
    return {fontMetrics().averageCharWidth() * 20, fontMetrics().height()};
}

void CElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    Elide();
}

void CElidedLabel::Elide()
{
    const int room = contentsRect().width();
    setText(fontMetrics().elidedText(m_strLine, Qt::ElideRight, room > 0 ? room : 0));
}
