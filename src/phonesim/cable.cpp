#include "phonesim/cable.h"

#include "phonesim/simphonemonitor.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>

namespace phonesim {

QString unplugMarkerPath(const QString& imagePath)
{
    return imagePath + QStringLiteral(".unplugged");
}

bool isUnpluggedByUser(const QString& imagePath)
{
    return QFileInfo::exists(unplugMarkerPath(imagePath));
}

bool setUnpluggedByUser(const QString& imagePath, bool unplugged, QString& error)
{
    const QString marker = unplugMarkerPath(imagePath);
    if (!QFileInfo::exists(imagePath)) {
        error = QStringLiteral("Phone image %1 does not exist").arg(imagePath);
        return false;
    }
    if (!unplugged) {
        if (QFileInfo::exists(marker) && !QFile::remove(marker)) {
            error = QStringLiteral("Can not remove %1").arg(marker);
            return false;
        }
        return true;
    }
    QFile file(marker);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("Can not create %1: %2").arg(marker, file.errorString());
        return false;
    }
    return true;
}

CableWatcher::CableWatcher(SimPhoneMonitor& monitor, const QString& imagePath)
    : QObject(&monitor), m_monitor(monitor), m_imagePath(imagePath),
      m_watcher(new QFileSystemWatcher(this))
{
    m_watcher->addPath(QFileInfo(imagePath).absolutePath());
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &CableWatcher::follow);
    // A cable pulled before the program started: the phone never connects.
    m_unplugged = isUnpluggedByUser(m_imagePath);
    if (m_unplugged)
        m_monitor.unplug();
}

void CableWatcher::follow()
{
    // The folder also changes with every save of the image: only the marker counts.
    const bool unplugged = isUnpluggedByUser(m_imagePath);
    if (unplugged == m_unplugged)
        return;
    m_unplugged = unplugged;
    if (unplugged)
        m_monitor.unplug();
    else
        m_monitor.plug();
}

} // namespace phonesim
