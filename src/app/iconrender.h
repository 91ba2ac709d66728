#pragma once

#include <QImage>
#include <QString>

// The program's icon drawing (an SVG file or resource) rendered as a square image of size
// pixels; a null image when the drawing cannot be read.
QImage renderIcon(const QString& svgFile, int size);
