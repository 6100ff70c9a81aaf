#include "gui/tree/TreeImages.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

QPixmap TreeImage(const QString& name, int size)
{
    // Drawn once per name and size; only the UI thread draws.
    static QHash<QString, QPixmap> cache;
    const QString key = name + QLatin1Char('@') + QString::number(size);
    if (auto it = cache.constFind(key); it != cache.constEnd()) {
        return *it;
    }
    QPixmap pixmap;
    QSvgRenderer renderer(QStringLiteral(":/tree/%1.svg").arg(name));
    if (renderer.isValid()) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        pixmap = QPixmap::fromImage(image);
    }
    cache.insert(key, pixmap);
    return pixmap;
}

QIcon TreeIcon(const QString& name)
{
    return QIcon(TreeImage(name, 16));
}

QPixmap StateImage(int stateImage)
{
    switch (stateImage) {
    case kStateImageOff:
        return TreeImage(QStringLiteral("state_off"), kStateImageSize);
    case kStateImageOn:
        return TreeImage(QStringLiteral("state_on"), kStateImageSize);
    case kStateImageRoot:
        return TreeImage(QStringLiteral("root"), kStateImageSize);
    default:
        return {};
    }
}

QPixmap AnimationFrame(int frame)
{
    if (frame < 0 || frame >= kAnimationFrames) {
        return {};
    }
    return TreeImage(QStringLiteral("frame%1").arg(frame), kAnimationFrameSize);
}

QPixmap HealthMarkImage(int mark)
{
    switch (mark) {
    case kHealthMarkFailing:
        return TreeImage(QStringLiteral("failing"), kHealthMarkSize);
    case kHealthMarkSilent:
        return TreeImage(QStringLiteral("silent"), kHealthMarkSize);
    default:
        return {};
    }
}
