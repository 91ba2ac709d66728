#include "app/appicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QPixmap cellarchivePixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 64 x 64 grid and scaled, so every size shows the same picture.
    p.scale(size / 64.0, size / 64.0);

    // The archive box, behind and to the right.
    const QColor boxEdge(110, 72, 30);
    p.setPen(QPen(boxEdge, 2));
    p.setBrush(QColor(214, 160, 90));
    p.drawRect(QRectF(26, 30, 34, 28));
    p.setBrush(QColor(232, 184, 112));
    p.drawRect(QRectF(23, 24, 40, 9));
    p.setBrush(QColor(250, 240, 220));
    p.drawRoundedRect(QRectF(37, 38, 12, 6), 2, 2);

    // The phone, in front and to the left.
    p.setPen(QPen(QColor(20, 30, 50), 2));
    p.setBrush(QColor(52, 78, 120));
    p.drawRoundedRect(QRectF(6, 6, 26, 52), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 220, 240));
    p.drawRect(QRectF(10, 12, 18, 16));
    p.setBrush(QColor(220, 226, 236));
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            p.drawEllipse(QRectF(10.5 + column * 6.5, 33 + row * 7, 4, 4));
    }

    // The arrow from phone to box tells what the program does.
    p.setPen(QPen(QColor(30, 140, 60), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(30, 16), QPointF(46, 16));
    QPainterPath head;
    head.moveTo(50, 16);
    head.lineTo(43, 10);
    head.lineTo(43, 22);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 140, 60));
    p.drawPath(head);
    return pixmap;
}

QIcon cellarchiveIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(cellarchivePixmap(size));
    return icon;
}
