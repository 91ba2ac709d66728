#pragma once

#include <QObject>
#include <QString>

class QFileSystemWatcher;

namespace phonesim {

class SimPhoneMonitor;

// The simulated phone's cable, for a user who wants to see the program cope with a phone that
// goes away: a marker file beside the image ("<image>.unplugged") means the cable is pulled.
// `cellarchive-cli phone unplug IMAGE` creates it, `phone plug IMAGE` removes it, and a running
// program follows at once.
QString unplugMarkerPath(const QString& imagePath);
bool isUnpluggedByUser(const QString& imagePath);
bool setUnpluggedByUser(const QString& imagePath, bool unplugged, QString& error);

// Unplugs and plugs the monitor's phone as the marker comes and goes.
class CableWatcher : public QObject
{
    Q_OBJECT
public:
    CableWatcher(SimPhoneMonitor& monitor, const QString& imagePath);

private:
    void follow();

    SimPhoneMonitor& m_monitor;
    QString m_imagePath;
    QFileSystemWatcher* m_watcher;
    bool m_unplugged = false;
};

} // namespace phonesim
