// The images drawn our own way at start look exactly as Qt's own would: the style's overflow and
// clear button icons, and the program's SVG icons at the sizes, modes and pixel ratios the
// window, the menus and the tray ask for.
#include "gui/widgets/CAppStyle.h"
#include "gui/widgets/CSvgIconEngine.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QStyleFactory>
#include <gtest/gtest.h>
#include <memory>

namespace {

bool SamePixels(const QIcon& expected, const QIcon& actual, const QSize& size, QIcon::Mode mode, qreal ratio = 1.0)
{
    return expected.pixmap(size, ratio, mode).toImage() == actual.pixmap(size, ratio, mode).toImage();
}

} // namespace

TEST(Images, TheStylesStartIconsAreTheBaseStylesOwn)
{
    for (const QString& key : {QStringLiteral("fusion"), QStringLiteral("windows")}) {
        const std::unique_ptr<QStyle> base(QStyleFactory::create(key));
        CAppStyle style(key);
        for (const auto which : {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton,
                                 QStyle::SP_LineEditClearButton}) {
            const QIcon expected = base->standardIcon(which), actual = style.standardIcon(which);
            EXPECT_EQ(actual.availableSizes(), expected.availableSizes()) << key.toStdString() << " " << which;
            for (const int size : {8, 16, 32}) {
                for (const qreal ratio : {1.0, 2.0}) {
                    EXPECT_TRUE(SamePixels(expected, actual, QSize(size, size), QIcon::Disabled, ratio))
                        << which << " " << size << " " << ratio;
                }
            }
            EXPECT_EQ(style.standardPixmap(which).toImage(), base->standardPixmap(which).toImage()) << which;
        }
    }
}

TEST(Images, OurSvgIconsDrawAsQtsSvgIcons)
{
    const QString folder = qEnvironmentVariable("WENDAR_SOURCE_DIR") + QStringLiteral("/src/gui/images/frame/");
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.svg")});
    ASSERT_FALSE(files.isEmpty()) << folder.toStdString();
    for (const QString& file : files) {
        const QIcon expected(folder + file), actual(new CSvgIconEngine(folder + file));
        EXPECT_EQ(actual.availableSizes(), expected.availableSizes());
        for (const int size : {16, 24, 128}) {
            for (const auto mode : {QIcon::Normal, QIcon::Disabled, QIcon::Selected}) {
                EXPECT_TRUE(SamePixels(expected, actual, QSize(size, size), mode)) << file.toStdString() << size;
            }
            EXPECT_TRUE(SamePixels(expected, actual, QSize(size, size / 2), QIcon::Normal, 2.0)) << file.toStdString();
        }
        // Painted into a rectangle of another shape, as a toolbar button paints it.
        QImage drawnByQt(40, 30, QImage::Format_ARGB32_Premultiplied), drawnByUs = drawnByQt;
        drawnByQt.fill(0);
        drawnByUs.fill(0);
        expected.paint(std::make_unique<QPainter>(&drawnByQt).get(), QRect(3, 2, 20, 16));
        actual.paint(std::make_unique<QPainter>(&drawnByUs).get(), QRect(3, 2, 20, 16));
        EXPECT_EQ(drawnByUs, drawnByQt) << file.toStdString();
    }
}
