#pragma once
// Pixmaps drawn from the SVG images the program carries (":/list/...").
#include <QPixmap>
#include <QString>

QPixmap RenderImage(const QString& resource, int width, int height);
