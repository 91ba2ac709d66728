#include "app/appicon.h"

#include "app/iconrender.h"

#include <QPixmap>

QPixmap cellarchivePixmap(int size)
{
    return QPixmap::fromImage(
        renderIcon(QStringLiteral(":/icons/org.example.Cellarchive.svg"), size));
}

QIcon cellarchiveIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(cellarchivePixmap(size));
    return icon;
}
