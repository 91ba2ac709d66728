#include "runrow.h"

#include "irmc/irmcobexservice.h"
#include "irmc/obexserver.h"
#include "phonesim/imageirmcstore.h"
#include "phonesim/simcellphone.h"

#include <QFile>
#include <QJsonArray>

// Backup and restore runs as the user starts them: the dialogs, the status lines they close
// with, the buttons and what reaches the phone.

namespace {

using Box = MainView::Box;
using Button = MainView::Button;
using phonesim::ImageIrmcStore;

QStringList timeSection(int nitz)
{
    return {QStringLiteral("<Settings_Time>"), QStringLiteral("   <Nitz value=%1/>").arg(nitz),
            QStringLiteral("<Settings_Time/>")};
}

int nitzOf(const ProgramHarness& h)
{
    return h.image->settings(QStringLiteral("time")).value(QStringLiteral("timeZoneUpdate")).toInt();
}

qsizetype bookSize(const ProgramHarness& h, const QString& key)
{
    return h.image->category(key).toArray().size();
}

// Puts an OBEX service on the phone that notes every request with the time it was sent.
struct ObexRecorder
{
    explicit ObexRecorder(ProgramHarness& h)
        : store(std::make_shared<ImageIrmcStore>(h.image)), server(*store), start(h.clock.nowMs())
    {
        h.monitor->phone()->setObex(new irmc::IrmcObexService([this, &h](const QByteArray& request) {
            const auto code = static_cast<quint8>(request.at(0));
            const QString what = code == 0x80   ? QStringLiteral("connect")
                                 : code == 0x81 ? QStringLiteral("disconnect")
                                 : request.contains(QByteArray("\0p\0b\0.", 6)) ? QStringLiteral("put pb")
                                                                                : QStringLiteral("put cal");
            calls << QStringLiteral("%1@%2").arg(what).arg(h.clock.nowMs() - start);
            return server.feed(request);
        }));
    }

    std::shared_ptr<ImageIrmcStore> store;
    irmc::ObexServer server;
    qint64 start;
    QStringList calls;
};

// A restore of timeSection(0) with Master reset ticked and lockCode typed.
RunOutcome resetAndRestore(ProgramHarness& h, const QString& lockCode)
{
    h.view.setTicked(Box::MasterReset, true);
    h.ui.nextInput(lockCode);
    return h.restore(h.writeFile(QStringLiteral("t.MS"), timeSection(0)));
}

const RunRow kRows[] = {
    {"NothingTickedAsksForNoFile", phonesim::demoPhone,
     [](ProgramHarness& h) { return h.backup({}, h.path(QStringLiteral("none.MS"))); },
     {QStringLiteral("Known PhoneType!!"),
      QStringLiteral("Nothing to back up: tick at least one category")},
     RunOutcome::Ended,
     [](ProgramHarness& h) {
         EXPECT_FALSE(QFile::exists(h.path(QStringLiteral("none.MS"))));
         EXPECT_TRUE(h.ui.asked.isEmpty());
         EXPECT_EQ(h.view.buttonCaption(Button::Backup), QStringLiteral("Backup"));
     }},
    // The stop asked for while the key lock is read takes effect before the time.
    {"StoppedBackupKeepsTheOldFileAndNamesWhatItDidNotReach", phonesim::demoPhone,
     [](ProgramHarness& h) {
         const QString file = h.writeFile(QStringLiteral("old.MS"), {QStringLiteral("old")});
         editFaults(h, [](phonesim::Faults& f) { f.lateSeconds.insert(51, 2.0); });
         h.clock.callLater(1000, nullptr, [&h] { h.program->requestStop(); });
         return h.backup({Box::Lock, Box::Time, Box::CustomMenu}, file);
     },
     {QStringLiteral("Backup of Locks -> Done"), QStringLiteral("Backup stopped by the user"),
      QStringLiteral("The backup is incomplete -> it is in %DIR%/old.incomplete.MS"),
      QStringLiteral("The previous backup is kept -> %DIR%/old.MS"),
      QStringLiteral("Time: not backed up (the run was stopped)"),
      QStringLiteral("My Shortcuts: not backed up (the run was stopped)")},
     RunOutcome::Ended,
     [](ProgramHarness& h) {
         EXPECT_EQ(ProgramHarness::fileLines(h.path(QStringLiteral("old.MS"))),
                   QStringList{QStringLiteral("old")});
         EXPECT_TRUE(
             h.logLines().contains(QStringLiteral("Stop of the run requested by the user")));
         EXPECT_TRUE(h.logLines().contains(QStringLiteral("Backup stopped by the user")));
         EXPECT_FALSE(h.program->runInProgress());
     }},
    // The stop asked for while the time is written takes effect before the key lock.
    {"StoppedRestoreFinishesTheSectionItIsInAndNamesTheRest", blankPhone,
     [](ProgramHarness& h) {
         editFaults(h, [](phonesim::Faults& f) { f.lateSeconds.insert(346, 2.0); });
         h.clock.callLater(1000, nullptr, [&h] { h.program->requestStop(); });
         return h.restore(h.writeFile(
             QStringLiteral("t.MS"),
             timeSection(0) + QStringList{QStringLiteral("<Settings_Locks>"),
                                          QStringLiteral("   <Keylock_Mode value=2/>"),
                                          QStringLiteral("<Settings_Locks/>")}));
     },
     {QStringLiteral("Restoring time settings"), QStringLiteral("Restore stopped by the user"),
      QStringLiteral("Not written, the run was stopped -> Locks")},
     RunOutcome::Ended,
     [](ProgramHarness& h) {
         EXPECT_EQ(nitzOf(h), 0);
         EXPECT_EQ(h.image->settings(QStringLiteral("keylock")).value(QStringLiteral("mode")).toInt(), 0);
         EXPECT_TRUE(h.logLines().contains(QStringLiteral("Restore stopped by the user")));
         EXPECT_EQ(h.view.buttonCaption(Button::Restore), QStringLiteral("Restore"));
     }},
    {"CategoryThePhoneHasNotGotIsNamedNotDone", phonesim::demoPhone,
     [](ProgramHarness& h) {
         editFaults(h, [](phonesim::Faults& f) { f.unsupported.insert(51); });
         return h.backup({Box::Lock, Box::Time}, h.path(QStringLiteral("u.MS")));
     },
     {QStringLiteral("Saving Time information"), QStringLiteral("Backup of Time -> Done"),
      QStringLiteral("Backup completed"), QStringLiteral("Locks: not supported by this phone")},
     RunOutcome::Incomplete,
     [](ProgramHarness& h) {
         EXPECT_FALSE(h.statusLines().contains(QStringLiteral("Saving Locks information")));
         EXPECT_TRUE(h.logLines().contains(QStringLiteral("Not supported by the phone -> Locks")));
     }},
    {"BackupWithoutPhoneAsksNothing", phonesim::demoPhone,
     [](ProgramHarness& h) {
         h.monitor->unplug();
         h.clock.runDue();
         return h.backup({Box::Time}, h.path(QStringLiteral("x.MS")));
     },
     {QStringLiteral("Lost Conntact to MS->No work was done")}, RunOutcome::Ended,
     [](ProgramHarness& h) { EXPECT_TRUE(h.ui.asked.isEmpty()); }},
    {"CancelledSaveDialogEndsTheBackup", phonesim::demoPhone,
     [](ProgramHarness& h) {
         h.view.setTicked(Box::Time, true);
         return h.program->cmdBackup_Click();
     },
     {QStringLiteral("Backup ended")}, RunOutcome::Ended,
     [](ProgramHarness& h) {
         EXPECT_EQ(h.view.buttonCaption(Button::Backup), QStringLiteral("Backup"));
     }},
    {"ExistingFileIsReplacedOnlyAfterAYes", phonesim::demoPhone,
     [](ProgramHarness& h) {
         const QString file = h.writeFile(QStringLiteral("old.MS"), {QStringLiteral("old")});
         EXPECT_EQ(h.backup({Box::Time}, file, false), RunOutcome::Ended);
         EXPECT_EQ(ProgramHarness::fileLines(file), QStringList{QStringLiteral("old")});
         EXPECT_EQ(h.statusLines().last(), QStringLiteral("Backup ended"));
         EXPECT_EQ(h.ui.asked.last(), QStringLiteral("question:Warning:The file already exist! "
                                                     "(Will be erased if you press Yes)"));
         return h.backup({Box::Time}, file, true);
     },
     {QStringLiteral("Removed old file"), QStringLiteral("Backup completed")}, RunOutcome::Completed,
     [](ProgramHarness& h) {
         EXPECT_EQ(ProgramHarness::fileLines(h.path(QStringLiteral("old.MS"))).first(),
                   QStringLiteral("<Settings_Time>"));
     }},
    {"UnwritableFileEndsTheBackupInOrder", phonesim::demoPhone,
     [](ProgramHarness& h) { return h.backup({Box::Time}, h.path(QStringLiteral("no/b.MS"))); },
     {}, RunOutcome::Failed,
     [](ProgramHarness& h) {
         // Found before the phone is asked for anything.
         EXPECT_EQ(h.statusLines().last(),
                   QStringLiteral("Can not write the backup file -> ") + h.path(QStringLiteral("no/b.MS")));
         EXPECT_EQ(h.statusLines().filter(QStringLiteral("Backup of")), QStringList());
         EXPECT_EQ(h.view.buttonCaption(Button::Backup), QStringLiteral("Backup"));
         EXPECT_TRUE(h.view.buttonEnabled(Button::Backup));
     }},
    {"ButtonsAreDisabledWhileABackupWaits", phonesim::demoPhone,
     [](ProgramHarness& h) {
         editFaults(h, [](phonesim::Faults& f) { f.lateSeconds.insert(36, 2.0); });
         h.clock.callLater(1000, nullptr, [&h] {
             EXPECT_FALSE(h.view.buttonEnabled(Button::Backup));
             EXPECT_FALSE(h.view.buttonEnabled(Button::Restore));
             EXPECT_EQ(h.program->cmdRestore_Click(), RunOutcome::Ended);
             EXPECT_EQ(h.view.buttonCaption(Button::Restore), QStringLiteral("Restore"));
         });
         return h.backup({Box::Time}, h.path(QStringLiteral("w.MS")));
     },
     {QStringLiteral("Backup completed")}, RunOutcome::Completed,
     [](ProgramHarness& h) { EXPECT_TRUE(h.view.buttonEnabled(Button::Backup)); }},
    {"RestoreTakesTheFileWhateverBoxesAreTicked", blankPhone,
     [](ProgramHarness& h) {
         EXPECT_EQ(nitzOf(h), 1);
         return h.restore(h.writeFile(QStringLiteral("t.MS"), timeSection(0)));
     },
     {QStringLiteral("Restore has started"), QStringLiteral("Read the file -> time to decode"),
      QStringLiteral("Checking file"), QStringLiteral("Restoring time settings"),
      QStringLiteral("Restore finished")},
     RunOutcome::Completed,
     [](ProgramHarness& h) {
         EXPECT_EQ(nitzOf(h), 0);
         EXPECT_EQ(h.ui.asked.last(), QStringLiteral("file:open:Select Data file"));
     }},
    {"DuplicatedSectionRestoresNothing", blankPhone,
     [](ProgramHarness& h) {
         return h.restore(h.writeFile(QStringLiteral("d.MS"), timeSection(0) + timeSection(0)));
     },
     {QStringLiteral("Errors in the file - can not continue!!")}, RunOutcome::Failed,
     [](ProgramHarness& h) {
         EXPECT_EQ(nitzOf(h), 1);
         EXPECT_TRUE(h.logLines().contains(QStringLiteral("Failed to decode the file -->iTag<-->9")));
         EXPECT_EQ(h.view.buttonCaption(Button::Restore), QStringLiteral("Restore"));
     }},
    {"CancelledOpenDialogIsOnlyLogged", phonesim::demoPhone,
     [](ProgramHarness& h) { return h.program->cmdRestore_Click(); },
     {QStringLiteral("Restore has started")}, RunOutcome::Ended,
     [](ProgramHarness& h) {
         EXPECT_EQ(h.logLines().last(), QStringLiteral("Error in cmdRestore_Click ->bReadFile"));
     }},
    {"MissingFileAfterTheExtensionWasAdded", phonesim::demoPhone,
     [](ProgramHarness& h) {
         h.writeFile(QStringLiteral("notes.txt"), timeSection(0));
         return h.restore(h.path(QStringLiteral("notes.txt")));
     },
     {QStringLiteral("Errors in the file - can not continue!!")}, RunOutcome::Failed,
     [](ProgramHarness& h) {
         EXPECT_TRUE(h.logLines().contains(QStringLiteral("Missing extension in selected file -> adding")));
         EXPECT_TRUE(h.logLines().contains(QStringLiteral("Error in cmdReatore_Click ->bReadFileToArray")));
     }},
    {"EmptyLockCodeEndsTheRunBeforeAnythingIsSent", blankPhone,
     [](ProgramHarness& h) {
         auto recorder = std::make_shared<ObexRecorder>(h);
         const RunOutcome outcome = resetAndRestore(h, QString());
         EXPECT_TRUE(recorder->calls.isEmpty());
         return outcome;
     },
     {QStringLiteral("Restore has started")}, RunOutcome::Ended,
     [](ProgramHarness& h) {
         EXPECT_EQ(nitzOf(h), 1);
         EXPECT_EQ(h.ui.asked.last(),
                   QStringLiteral("input:Phonelock code:Enter your phonelock code.....:7391"));
         EXPECT_EQ(h.view.buttonCaption(Button::Restore), QStringLiteral("Restore"));
     }},
    // The command is answered at once; each OBEX call of the reset is a second apart, and
    // ObexConnect waits its own second before the puts. The file is read and checked first:
    // a file that cannot be restored never costs a reset.
    {"MasterResetEmptiesTheBooksInOrderThenRestores", phonesim::demoPhone,
     [](ProgramHarness& h) {
         h.image->setSettings(QStringLiteral("time"), QJsonObject{{QStringLiteral("timeFormat"), 1}});
         ObexRecorder recorder(h);
         const RunOutcome outcome = resetAndRestore(h, QStringLiteral("7391"));
         EXPECT_EQ(recorder.calls, (QStringList{QStringLiteral("connect@1000"),
                                                QStringLiteral("put pb@2000"), QStringLiteral("put cal@2000"),
                                                QStringLiteral("disconnect@3000")}));
         return outcome;
     },
     {QStringLiteral("Checking file"), QStringLiteral("Making a Master Reset!!"),
      QStringLiteral("Master Reset->Done"), QStringLiteral("Restoring time settings"),
      QStringLiteral("Restore finished")},
     RunOutcome::Completed,
     [](ProgramHarness& h) {
         EXPECT_EQ(bookSize(h, ImageIrmcStore::PhonebookKey), 0);
         EXPECT_EQ(bookSize(h, ImageIrmcStore::CalendarKey), 0);
         // Factory values, then the file's time settings on top.
         EXPECT_EQ(h.image->settings(QStringLiteral("time")).value(QStringLiteral("timeFormat")).toInt(), 0);
         EXPECT_EQ(nitzOf(h), 0);
     }},
    {"LockCodeBoxOffersTheDefaultThenTheCodeTypedLast", phonesim::demoPhone,
     [](ProgramHarness& h) {
         resetAndRestore(h, QStringLiteral("2468"));
         return resetAndRestore(h, QStringLiteral("7391"));
     },
     {QStringLiteral("Restore finished")}, RunOutcome::Completed,
     [](ProgramHarness& h) {
         EXPECT_EQ(h.ui.asked.filter(QStringLiteral("input:")),
                   (QStringList{QStringLiteral("input:Phonelock code:Enter your phonelock code.....:7391"),
                                QStringLiteral("input:Phonelock code:Enter your phonelock code.....:2468")}));
         EXPECT_EQ(h.program->masterReset().sPhoneLockCode, QStringLiteral("7391"));
     }},
};

class Runs : public ::testing::TestWithParam<RunRow>
{
};

} // namespace

TEST_P(Runs, CloseWithTheirStatusLines)
{
    expectRun(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Runs, Runs, ::testing::ValuesIn(kRows), rowName);
