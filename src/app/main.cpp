#include "app/frmmain.h"
#include "app/phonechoice.h"
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
    // CELLARCHIVE_PHONE=gammu... reaches a real phone through libgammu; anything else names
    // the simulated phone's image.
    const QString phone = qEnvironmentVariable("CELLARCHIVE_PHONE");
    frmMain window(
        clock, wallClock,
        [&clock, phone](QObject* parent) -> PhoneMonitor* {
            if (phonechoice::isGammu(phone))
                return phonechoice::createGammuMonitor(phone, false, parent);
            return phonesim::createDefaultMonitor(clock, parent);
        },
        QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
            QStringLiteral("/cellarchive"));
    window.show();
    return app.exec();
}
