#include "gui/widgets/CAppStyle.h"

#include <QApplication>
#include <QImageReader>
#include <QStyleOption>
#include <initializer_list>

namespace {

// Where Qt's common style keeps its images, each in a few sizes.
constexpr const char* kImageDirectory = ":/qt-project.org/styles/commonstyle/images/";

QIcon PngIcon(std::initializer_list<const char*> names)
{
    QIcon icon;
    for (const char* name : names) {
        QImageReader reader(QLatin1String(kImageDirectory) + QLatin1String(name) + QStringLiteral(".png"), "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (!image.isNull()) {
            icon.addPixmap(QPixmap::fromImage(image));
        }
    }
    return icon;
}

} // namespace

CAppStyle::CAppStyle(const QString& baseKey) : QProxyStyle(baseKey) {}

QIcon CAppStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option, const QWidget* widget) const
{
    // Only Qt's own styles draw these from the common images; an icon theme names its own clear button.
    const QString base = baseStyle()->name();
    if (base != QLatin1String("fusion") && base != QLatin1String("windows")) {
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    }
    const bool rtl = (option ? option->direction : QGuiApplication::layoutDirection()) == Qt::RightToLeft;
    switch (standardIcon) {
    case SP_ToolBarHorizontalExtensionButton:
        return rtl ? PngIcon({"toolbar-ext-h-rtl-8", "toolbar-ext-h-rtl-16", "toolbar-ext-h-rtl-32"})
                   : PngIcon({"toolbar-ext-h-8", "toolbar-ext-h-16", "toolbar-ext-h-32"});
    case SP_ToolBarVerticalExtensionButton:
        return PngIcon({"toolbar-ext-v-5", "toolbar-ext-v-10", "toolbar-ext-v-20"});
    case SP_LineEditClearButton:
        if (QIcon::themeName().isEmpty()) {
            return PngIcon({"cleartext-16"});
        }
        break;
    default:
        break;
    }
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}
