#include "app/frmmain.h"
#include "shell/phonechoice.h"
#include "shell/program.h"
#include "core/clock.h"
#include "core/programfolder.h"
#include "phonesim/demophone.h"
#include "phonesim/phoneimage.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <cstdlib>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cellarchive"));
    QApplication::setApplicationVersion(QLatin1String(CELLARCHIVE_VERSION));
    // Ties the window to its desktop entry, so launchers show the entry's icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Cellarchive"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Backs a mobile phone up into one file and restores it."));
    parser.addHelpOption();
    const QCommandLineOption phoneOption(
        QStringLiteral("phone"),
        QStringLiteral("The phone to use: gammu, gammu:N, gammu:PATH, gammu:PATH:N (section N of a "
                       "gammu configuration) or the path of a phone image. Default: "
                       "$CELLARCHIVE_PHONE, else section 0 of the gammu configuration, else "
                       "the demo phone."),
        QStringLiteral("PHONE"));
    parser.addOption(phoneOption);
    const QCommandLineOption versionOption(QStringLiteral("version"),
                                           QStringLiteral("Prints the name and the version."));
    parser.addOption(versionOption);
    if (!parser.parse(QApplication::arguments()) || !parser.positionalArguments().isEmpty()) {
        const QString problem = parser.errorText().isEmpty()
                                    ? QStringLiteral("unexpected argument ") +
                                          parser.positionalArguments().join(QLatin1Char(' '))
                                    : parser.errorText();
        std::fprintf(stderr, "cellarchive: %s\n%s", qPrintable(problem),
                     qPrintable(parser.helpText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(versionOption)) {
        std::printf("cellarchive %s\n", CELLARCHIVE_VERSION);
        return 0;
    }

    const QString dataFolder = programDataFolder();
    const phonechoice::PhoneInUse phone =
        phonechoice::choose(parser.value(phoneOption), qEnvironmentVariable("CELLARCHIVE_PHONE"),
                            phonesim::demoImagePath());

    SystemMonotonicClock clock;
    SystemWallClock wallClock;
    // The phone's image is closed (its journal folded in) before the process ends; Exit ends it
    // at once, without unwinding.
    std::shared_ptr<phonesim::PhoneImage> phoneImage;
    frmMain window;
    Program program(ProgramEnvironment{
        clock, wallClock, window.dialogs(), window,
        [&clock, &phoneImage, phone](QObject* parent) {
            phonechoice::MonitorOptions options;
            options.createMissingImage = true;
            options.image = &phoneImage;
            return phonechoice::createMonitor(phone, clock, parent, options);
        },
        programLogFolder(), dataFolder});
    window.attach(program);
    window.setExitHandler([&phoneImage] {
        if (phoneImage)
            phoneImage->close();
        std::_Exit(EXIT_SUCCESS);
    });
    window.show();
    return app.exec();
}
