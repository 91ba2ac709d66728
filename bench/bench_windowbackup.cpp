// A phonebook backup in the main window, as the user starts it: the phonebook box ticked,
// "Backup" clicked, the file named by the (scripted) save dialog. Run it on the offscreen
// platform beside `cellarchive-cli backup IMAGE FILE --categories phonebook` to see what the
// window adds to the same run:
//
//   QT_QPA_PLATFORM=offscreen bench_windowbackup IMAGE FILE LOGFOLDER

#include "app/frmmain.h"
#include "shell/program.h"
#include "cli/cliuserinterface.h"
#include "core/clock.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simphonemonitor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: bench_windowbackup IMAGE FILE LOGFOLDER\n");
        return 2;
    }
    QString error;
    auto image = phonesim::PhoneImage::load(args.at(0), error);
    if (!image) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    SystemMonotonicClock clock;
    SystemWallClock wallClock;
    CliUserInterface ui(args.at(1), true, QString());
    frmMain window;
    Program program(ProgramEnvironment{
        clock, wallClock, ui, window,
        [&](QObject* parent) {
            return new phonesim::SimPhoneMonitor(image, clock, phonesim::SimPhoneOptions{true, 0},
                                                 parent);
        },
        args.at(2), QString()});
    window.attach(program);
    window.show();
    window.setTicked(MainView::Box::Pb, true);

    QElapsedTimer timer;
    timer.start();
    window.findChild<QPushButton*>(QStringLiteral("cmdBackup"))->click();
    QCoreApplication::processEvents();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const int lines =
        window.findChild<QPlainTextEdit*>(QStringLiteral("txtStatus"))->document()->blockCount() - 1;
    std::printf("window backup: %.3f s, %d lines in the status box, peak %.1f MB\n", seconds, lines,
                double(usage.ru_maxrss) / 1024.0);
    return window.program().log().statusText().contains(QStringLiteral("Backup completed")) ? 0 : 1;
}
