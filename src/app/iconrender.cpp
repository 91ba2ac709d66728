#include "app/iconrender.h"

#include <QPainter>
#include <QSvgRenderer>

QImage renderIcon(const QString& svgFile, int size)
{
    QSvgRenderer renderer(svgFile);
    if (!renderer.isValid())
        return QImage();
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}
