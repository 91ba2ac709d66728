// Reads, checks and decodes a backup file of 100,000 lines (mostly lines no reader knows and
// element lines, with a key lock and a time section) through the whole program on a simulated
// phone that answers at once, on real clocks. Prints lines per second for each pass and the
// peak resident memory of the process.

#include "statuslog/mainview.h"
#include "shell/program.h"
#include "core/clock.h"
#include "core/codepage.h"
#include "core/userinterface.h"
#include "phonesim/demophone.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simphonemonitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <functional>

namespace {

constexpr int kLines = 100000;

class NoUserInterface final : public UserInterface
{
public:
    bool chooseFile(bool, const QString&, const QString&, const QString&, const QString&,
                    QString&) override
    {
        return false;
    }
    bool askQuestion(const QString&, const QString&) override { return false; }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
};

bool writeLargeFile(const QString& path)
{
    QByteArray bytes;
    int lines = 0;
    const auto add = [&](const QString& line) {
        bytes += codepage::encode(line + QStringLiteral("\r\n"));
        ++lines;
    };
    while (lines < kLines / 2)
        add(lines % 2 ? QStringLiteral("   <Element value=%1/>").arg(lines)
                      : QStringLiteral("free text %1").arg(lines));
    add(QStringLiteral("<Settings_Locks>"));
    while (lines < kLines / 2 + 1000)
        add(QStringLiteral("   <Unknown_Key value=%1/>").arg(lines));
    add(QStringLiteral("   <Keylock_Mode value=1/>"));
    add(QStringLiteral("<Settings_Locks/>"));
    while (lines < kLines - 3)
        add(QStringLiteral("   <Element value=%1/>").arg(lines));
    add(QStringLiteral("<Settings_Time>"));
    add(QStringLiteral("   <Nitz value=1/>"));
    add(QStringLiteral("<Settings_Time/>"));
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

double timed(const char* name, const std::function<bool()>& pass)
{
    QElapsedTimer timer;
    timer.start();
    const bool ok = pass();
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    std::printf("%-18s %s %8.3f s %12.0f lines/s\n", name, ok ? "ok  " : "FAIL", seconds,
                kLines / seconds);
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    SystemMonotonicClock clock;
    SystemWallClock wallClock;
    NoUserInterface ui;
    PlainMainView view;
    auto image = phonesim::PhoneImage::inMemory(phonesim::demoPhone());
    image->setLatencyMs(0);
    Program program(ProgramEnvironment{clock, wallClock, ui, view,
                                       [&](QObject* parent) {
                                           phonesim::SimPhoneOptions options;
                                           options.connectedAtCreation = true;
                                           return new phonesim::SimPhoneMonitor(image, clock,
                                                                                options, parent);
                                       },
                                       folder.path(), QString()});
    program.Form_Load();
    if (!program.link().bPhoneConnected) {
        std::fprintf(stderr, "the simulated phone did not connect\n");
        return 1;
    }

    BackupFile& file = program.file();
    file.sBackUpFIleName = QDir(folder.path()).filePath(QStringLiteral("large.MS"));
    if (!writeLargeFile(file.sBackUpFIleName)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.sBackUpFIleName));
        return 1;
    }
    std::printf("%d lines, %lld bytes\n", kLines,
                static_cast<long long>(QFile(file.sBackUpFIleName).size()));

    double total = 0;
    total += timed("bReadFileToArray", [&] { return file.bReadFileToArray(); });
    total += timed("bCheckFile", [&] { return file.bCheckFile(); });
    total += timed("bDecodeFile", [&] { return file.bDecodeFile(); });
    std::printf("%-18s      %8.3f s %12.0f lines/s\n", "all three", total, kLines / total);

    const bool restored =
        image->settings(QStringLiteral("time")).value(QStringLiteral("timeZoneUpdate")).toInt() ==
            1 &&
        image->settings(QStringLiteral("keylock")).value(QStringLiteral("mode")).toInt() == 1;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("phone reached: %s; peak memory (ru_maxrss): %ld KiB\n", restored ? "yes" : "no",
                usage.ru_maxrss);
    return restored ? 0 : 1;
}
