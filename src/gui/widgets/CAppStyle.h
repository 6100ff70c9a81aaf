#pragma once
// The application's style: the platform's own, except for the few standard icons a window shows as
// it first opens (the tool and menu bars' overflow buttons, the search field's clear button). Qt's
// styles read those PNG resources with format detection on, and detection loads every image format
// plugin (SVG, JPEG, GIF, ICO) with its libraries before the window can show; here they are read as
// the PNGs they are. The images and sizes are the style's own, so nothing looks different.
#include <QIcon>
#include <QProxyStyle>

class CAppStyle final : public QProxyStyle
{
    Q_OBJECT
public:
    // baseKey: the name of the style the application would use without this one.
    explicit CAppStyle(const QString& baseKey);

    QPixmap standardPixmap(StandardPixmap standardPixmap, const QStyleOption* option = nullptr,
                           const QWidget* widget = nullptr) const override;
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

private:
    mutable QIcon m_horizontalExtension;
    mutable QIcon m_horizontalExtensionRtl;
    mutable QIcon m_verticalExtension;
    mutable QIcon m_clearButton;
};
