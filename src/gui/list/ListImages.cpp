#include "gui/list/ListImages.h"

#include <QPainter>
#include <QSvgRenderer>

QPixmap RenderImage(const QString& resource, int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}
