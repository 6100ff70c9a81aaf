#include "gui/widgets/CSvgIconEngine.h"

#include <QApplication>
#include <QPainter>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

CSvgIconEngine::CSvgIconEngine(QString path) : m_path(std::move(path)) {}

CSvgIconEngine::~CSvgIconEngine() = default;

void CSvgIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state)
{
    QSize size = rect.size();
    if (painter->device()) {
        size *= painter->device()->devicePixelRatio();
    }
    painter->drawPixmap(rect, pixmap(size, mode, state));
}

QSize CSvgIconEngine::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    const QPixmap drawn = pixmap(size, mode, state);
    return drawn.isNull() ? QSize() : drawn.size();
}

QPixmap CSvgIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    const QString cacheKey = QStringLiteral("wendar_svg_%1_%2_%3_%4_%5")
                                 .arg(m_path)
                                 .arg(size.width())
                                 .arg(size.height())
                                 .arg(static_cast<int>(mode))
                                 .arg(static_cast<int>(state));
    QPixmap drawn;
    if (QPixmapCache::find(cacheKey, &drawn)) {
        return drawn;
    }
    QSvgRenderer& renderer = Renderer();
    if (!renderer.isValid()) {
        return drawn;
    }
    // The image keeps its proportions inside the asked size, as in Qt's own SVG icons.
    QSize fitted = renderer.defaultSize();
    if (!fitted.isNull()) {
        fitted.scale(size, Qt::KeepAspectRatio);
    }
    if (fitted.isEmpty()) {
        return drawn;
    }
    QImage image(fitted, QImage::Format_ARGB32_Premultiplied);
    image.fill(0);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    drawn = QPixmap::fromImage(image);
    if (mode != QIcon::Normal && qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QStyleOption option(0);
        option.palette = QGuiApplication::palette();
        if (const QPixmap generated = QApplication::style()->generatedIconPixmap(mode, drawn, &option);
            !generated.isNull()) {
            drawn = generated;
        }
    }
    QPixmapCache::insert(cacheKey, drawn);
    return drawn;
}

QIconEngine* CSvgIconEngine::clone() const
{
    return new CSvgIconEngine(*this);
}

QString CSvgIconEngine::key() const
{
    return QStringLiteral("svg");
}

QSvgRenderer& CSvgIconEngine::Renderer()
{
    if (!m_renderer) {
        m_renderer = std::make_shared<QSvgRenderer>(m_path);
    }
    return *m_renderer;
}
