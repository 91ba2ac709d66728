#include "app/frmmain.h"
#include "app/phonechoice.h"
#include "core/clock.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simcellphone.h"
#include "phonesim/simphonemonitor.h"

#include <QApplication>
#include <QStandardPaths>
#include <cstdlib>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cellarchive"));

    SystemMonotonicClock clock;
    SystemWallClock wallClock;
    // The phone's image is closed (its journal folded in) before the process ends; Exit ends it
    // at once, without unwinding. CELLARCHIVE_PHONE=gammu... reaches a real phone through
    // libgammu instead; anything else names the simulated phone's image.
    const QString phone = qEnvironmentVariable("CELLARCHIVE_PHONE");
    std::shared_ptr<phonesim::PhoneImage> phoneImage;
    frmMain window(
        clock, wallClock,
        [&clock, &phoneImage, phone](QObject* parent) -> PhoneMonitor* {
            if (phonechoice::isGammu(phone))
                return phonechoice::createGammuMonitor(phone, false, parent);
            phonesim::SimPhoneMonitor* monitor = phonesim::createDefaultMonitor(clock, parent);
            phoneImage = monitor->phone()->sharedImage();
            return monitor;
        },
        QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
            QStringLiteral("/cellarchive"));
    window.setExitHandler([&phoneImage] {
        if (phoneImage)
            phoneImage->close();
        std::_Exit(EXIT_SUCCESS);
    });
    window.show();
    return app.exec();
}
