#include "gui/widgets/CAppStyle.h"

#include <QApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QStyleOption>
#include <initializer_list>
#include <vector>

namespace {

// Where Qt's common style keeps its images, each in a few sizes.
constexpr const char* kImageDirectory = ":/qt-project.org/styles/commonstyle/images/";

QPixmap PngImage(const char* name)
{
    QImageReader reader(QLatin1String(kImageDirectory) + QLatin1String(name) + QStringLiteral(".png"), "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon PngIcon(const std::vector<const char*>& names)
{
    QIcon icon;
    for (const char* name : names) {
        if (const QPixmap image = PngImage(name); !image.isNull()) {
            icon.addPixmap(image);
        }
    }
    return icon;
}

// An icon of Qt's common images read when first drawn. The menu bar and every toolbar ask for their
// overflow button's icon as they are made, and the first image read loads the list of Qt's image
// plugins, a few milliseconds of the start, for buttons that show only in a window too narrow for
// its bars.
class CLazyPngIconEngine final : public QIconEngine
{
public:
    explicit CLazyPngIconEngine(std::initializer_list<const char*> names) : m_names(names) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().pixmap(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().availableSizes(mode, state);
    }
    bool isNull() override { return false; }
    QIconEngine* clone() const override { return new CLazyPngIconEngine(*this); }
    QString key() const override { return QStringLiteral("wendar_png"); }

private:
    const QIcon& Icon()
    {
        if (m_icon.isNull()) {
            m_icon = PngIcon(m_names);
        }
        return m_icon;
    }

    std::vector<const char*> m_names; // literals
    QIcon m_icon;
};

QIcon LazyPngIcon(std::initializer_list<const char*> names)
{
    return QIcon(new CLazyPngIconEngine(names));
}

// Whether the icon theme has an image for the clear button; else the style draws the common one.
bool HasClearTheme()
{
    for (const char* name : {"edit-clear", "edit-clear-locationbar-rtl", "edit-clear-locationbar-ltr"}) {
        if (QIcon::hasThemeIcon(QLatin1String(name))) {
            return true;
        }
    }
    return false;
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
                    LazyPngIcon({"toolbar-ext-h-rtl-8", "toolbar-ext-h-rtl-16", "toolbar-ext-h-rtl-32"});
            }
            return m_horizontalExtensionRtl;
        }
        if (m_horizontalExtension.isNull()) {
            m_horizontalExtension = LazyPngIcon({"toolbar-ext-h-8", "toolbar-ext-h-16", "toolbar-ext-h-32"});
        }
        return m_horizontalExtension;
    case SP_ToolBarVerticalExtensionButton:
        if (m_verticalExtension.isNull()) {
            m_verticalExtension = LazyPngIcon({"toolbar-ext-v-5", "toolbar-ext-v-10", "toolbar-ext-v-20"});
        }
        return m_verticalExtension;
    case SP_LineEditClearButton:
        // The search field's, which shows only once something is typed.
        if (!HasClearTheme()) {
            if (m_clearButton.isNull()) {
                m_clearButton = LazyPngIcon({"cleartext-16"});
            }
            return m_clearButton;
        }
        break;
    default:
        break;
    }
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}
