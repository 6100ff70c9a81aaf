#pragma once
// A one-line label for a text of any length: it shows what fits, cut with "…" at its edge, and
// the whole text in its tooltip. Line breaks show as blanks, so a long or multi-line text never
// makes the label (and the bar it sits in) taller or the window wider.
#include <QLabel>

class CElidedLabel final : public QLabel
{
    Q_OBJECT
public:
    explicit CElidedLabel(QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    const QString& FullText() const { return m_strFull; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();

    QString m_strFull;
    QString m_strLine;
};
