#include "gui/widgets/CAppStyle.h"

#include <QApplication>
#include <QImageReader>
#include <QStyleOption>
#include <initializer_list>

namespace {

// Where Qt's common style keeps its images, each in a few sizes.
constexpr const char* kImageDirectory = ":/qt-project.org/styles/commonstyle/images/";

QPixmap PngImage(const char* name)
{
    QImageReader reader(QLatin1String(kImageDirectory) + QLatin1String(name) + QStringLiteral(".png"), "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon PngIcon(std::initializer_list<const char*> names)
{
    QIcon icon;
    for (const char* name : names) {
        if (const QPixmap image = PngImage(name); !image.isNull()) {
            icon.addPixmap(image);
        }
    }
    return icon;
}

// Only Qt's own styles draw these from the common images.
bool IsQtStyle(const QStyle* style)
{
    const QString name = style->name();
    return name == QLatin1String("fusion") || name == QLatin1String("windows");
}

} // namespace

CAppStyle::CAppStyle(const QString& baseKey) : QProxyStyle(baseKey) {}

QPixmap CAppStyle::standardPixmap(StandardPixmap standardPixmap, const QStyleOption* option,
                                  const QWidget* widget) const
{
    // The clear button's image when the icon theme has none (the style asks the theme for this name).
    if (standardPixmap == SP_LineEditClearButton && IsQtStyle(baseStyle()) &&
        !QIcon::hasThemeIcon(QStringLiteral("edit-clear"))) {
        return PngImage("cleartext-16");
    }
    return QProxyStyle::standardPixmap(standardPixmap, option, widget);
}

QIcon CAppStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option, const QWidget* widget) const
{
    if (!IsQtStyle(baseStyle())) {
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    }
    const bool rtl = (option ? option->direction : QGuiApplication::layoutDirection()) == Qt::RightToLeft;
    // Read once: the menu bar and every toolbar ask for their overflow button's icon.
    switch (standardIcon) {
    case SP_ToolBarHorizontalExtensionButton:
        if (rtl) {
            if (m_horizontalExtensionRtl.isNull()) {
                m_horizontalExtensionRtl =
                    PngIcon({"toolbar-ext-h-rtl-8", "toolbar-ext-h-rtl-16", "toolbar-ext-h-rtl-32"});
            }
            return m_horizontalExtensionRtl;
        }
        if (m_horizontalExtension.isNull()) {
            m_horizontalExtension = PngIcon({"toolbar-ext-h-8", "toolbar-ext-h-16", "toolbar-ext-h-32"});
        }
        return m_horizontalExtension;
    case SP_ToolBarVerticalExtensionButton:
        if (m_verticalExtension.isNull()) {
            m_verticalExtension = PngIcon({"toolbar-ext-v-5", "toolbar-ext-v-10", "toolbar-ext-v-20"});
        }
        return m_verticalExtension;
    default:
        break;
    }
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}
