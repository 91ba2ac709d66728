#pragma once

#include "statuslog/mainview.h"
#include "shell/program.h"
#include "fakeclock.h"
#include "phonesim/demophone.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simphonemonitor.h"
#include "qtprint.h"
#include "scriptedui.h"

#include <QJsonObject>
#include <QTemporaryDir>
#include <memory>

// The whole program on a simulated phone held in memory, with a fake clock, a scripted user,
// plain controls and a log in a temporary folder. Each test builds its own.
class ProgramHarness
{
public:
    // The phone is connected from the start unless connected is false (it then connects with
    // the worker's event shortly after start-up).
    explicit ProgramHarness(const QJsonObject& phone = phonesim::demoPhone(), bool connected = true);
    ~ProgramHarness();

    // A path in the test's temporary folder.
    QString path(const QString& name) const;

    // Ticks exactly the given boxes, answers the save dialog with file (and the replacement
    // question with replace) and runs the backup.
    RunOutcome backup(const QList<MainView::Box>& boxes, const QString& file, bool replace = true);
    // Answers the open dialog with file and runs the restore.
    RunOutcome restore(const QString& file);

    // The third field of every log line so far, in order.
    QStringList logLines() const;
    // The text of every status line so far, oldest first, without the time.
    QStringList statusLines() const;
    // The lines of a backup file, split at CR LF (the last, empty element dropped).
    static QStringList fileLines(const QString& file);
    // Writes lines with CR LF each into a file of the temporary folder; returns its path.
    QString writeFile(const QString& name, const QStringList& lines) const;

    FakeClock clock;
    FakeWallClock wallClock;
    ScriptedUi ui;
    PlainMainView view;
    QTemporaryDir dir;
    std::shared_ptr<phonesim::PhoneImage> image;
    phonesim::SimPhoneMonitor* monitor = nullptr;
    std::unique_ptr<Program> program;
};

// The section called name in a file's lines, its tags included; empty unless both tags are
// there in order.
inline QStringList sectionOf(const QStringList& lines, const QString& name)
{
    const qsizetype from = lines.indexOf(QLatin1Char('<') + name + QLatin1Char('>'));
    const qsizetype to = lines.indexOf(QLatin1Char('<') + name + QStringLiteral("/>"));
    return from < 0 || to < from ? QStringList() : lines.mid(from, to - from + 1);
}

// Changes the faults of the harness's phone; those set before stay unless edit clears them.
template <typename Edit> void editFaults(ProgramHarness& harness, Edit edit)
{
    phonesim::Faults faults = harness.image->faults();
    edit(faults);
    harness.image->setFaults(faults);
}
