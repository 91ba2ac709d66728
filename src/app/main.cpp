#include "app/frmmain.h"
#include "core/clock.h"
#include "phonesim/simphonemonitor.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cellarchive"));

    SystemMonotonicClock clock;
    SystemWallClock wallClock;
    frmMain window(
        clock, wallClock,
        [&clock](QObject* parent) { return phonesim::createDefaultMonitor(clock, parent); },
        QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
            QStringLiteral("/cellarchive"));
    window.show();
    return app.exec();
}
