#include "runrow.h"

#include "phonesim/cable.h"
#include "phonesim/imageirmcstore.h"
#include "phonesim/simcellphone.h"
#include "phonesim/smsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <gtest/gtest.h>

// The faults a real phone brings, one row each: the run either stores the data or names what
// it did not store, and never ends with exit status 0 when it lost something.

namespace {

using Box = MainView::Box;
using phonesim::ImageIrmcStore;

qsizetype bookSize(const ProgramHarness& harness, const QString& key)
{
    return harness.image->category(key).toArray().size();
}

const QString kNoteWithEnd = QStringLiteral(
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Tag;Ann\r\nNOTE:closing tags look like /> in XML\r\n"
    "END:VCARD");

const RunRow kRows[] = {
    {"LateAnswerIsIgnoredAndItsValueLeftOut",
     phonesim::demoPhone,
     [](ProgramHarness& h) {
         h.image->setLatencyMs(300);
         h.image->setSettings(QStringLiteral("time"),
                              QJsonObject{{QStringLiteral("timeFormat"), 1},
                                          {QStringLiteral("daylightSaving"), 1},
                                          {QStringLiteral("timeZoneUpdate"), 0}});
         editFaults(h, [](phonesim::Faults& f) { f.lateSeconds.insert(344, 15.1); });
         return h.backup({Box::Time}, h.path(QStringLiteral("t.MS")));
     },
     {QStringLiteral("Backup of Time -> Incomplete"), QStringLiteral("Backup completed"),
      QStringLiteral("Time: 1 not read -> see the log"), QStringLiteral("Log -> %LOG%")},
     RunOutcome::Incomplete,
     [](ProgramHarness& h) {
         EXPECT_EQ(sectionOf(ProgramHarness::fileLines(h.path(QStringLiteral("t.MS"))),
                             QStringLiteral("Settings_Time")),
                   (QStringList{QStringLiteral("<Settings_Time>"),
                                QStringLiteral("   <DateFormat value=1/>"),
                                QStringLiteral("   <Nitz value=0/>"),
                                QStringLiteral("   <TimeFormat value=1/>"),
                                QStringLiteral("<Settings_Time/>")}));
         EXPECT_EQ(h.logLines().filter(QStringLiteral("Ignored late answer -> transaction")).size(),
                   1);
     }},
    {"RefusedWritesAreCounted",
     blankPhone,
     [](ProgramHarness& h) {
         const QString file = demoBackup(h, {Box::SMS}, QStringLiteral("s.MS"));
         phonesim::SmsFaults sms;
         sms.refusedWrites = static_cast<qint32>(0x88880010u);
         editFaults(h, [&](phonesim::Faults& f) { f.sms = sms; });
         return h.restore(file);
     },
     {QStringLiteral("Restore finished"), QStringLiteral("Reading the phone's lists back"),
      QStringLiteral(
          "SMS Messages: 5 in the file, 0 already on the phone, 0 written, 5 not written"),
      QStringLiteral("SMS Messages: 5 not written -> see the log"), QStringLiteral("Log -> %LOG%"),
      QStringLiteral("SMS Messages: 5 missing after the restore -> see the log")},
     RunOutcome::Incomplete,
     [](ProgramHarness& h) {
         EXPECT_EQ(phonesim::SmsStore(*h.image).messages(1).size() +
                       phonesim::SmsStore(*h.image).messages(2).size(),
                   0);
         EXPECT_TRUE(h.logLines().contains(
             QStringLiteral("Not written -> SMS Message 5 (status 0x88880010)")));
     }},
    {"RefusedActivationTouchesNoOtherProfile",
     phonesim::demoPhone,
     [](ProgramHarness& h) {
         QStringList lines = ProgramHarness::fileLines(
             demoBackup(h, {Box::WAP}, QStringLiteral("w.MS")));
         // A sixth profile for a phone with five slots.
         lines.insert(lines.size() - 1,
                      QStringLiteral("   <Profile>\n      <Number value=6/>\n"
                                     "      <Name value=Sixth/>\n"
                                     "      <HomePage_URL value=http://six.example//>\n"
                                     "      <Gateway value=6.6.6.6/>\n   <Profile/>"));
         return h.restore(h.writeFile(QStringLiteral("w6.MS"),
                                      lines.join(QLatin1Char('\n')).split(QLatin1Char('\n'))));
     },
     {QStringLiteral("Restore finished"),
      QStringLiteral("WAP Settings: 2 not written -> see the log"), QStringLiteral("Log -> %LOG%")},
     RunOutcome::Incomplete,
     [](ProgramHarness& h) {
         const QJsonArray profiles = h.image->category(QStringLiteral("wapProfiles"))
                                         .toObject()
                                         .value(QStringLiteral("profiles"))
                                         .toArray();
         ASSERT_EQ(profiles.size(), 5);
         const QJsonObject fifth = phonesim::demoPhone()
                                       .value(QStringLiteral("wapProfiles"))
                                       .toObject()
                                       .value(QStringLiteral("profiles"))
                                       .toArray()
                                       .at(4)
                                       .toObject();
         EXPECT_EQ(profiles.at(4).toObject(), fifth);
     }},
    {"LostPhoneMidWalkKeepsThePreviousBackup",
     phonesim::demoPhone,
     [](ProgramHarness& h) {
         h.writeFile(QStringLiteral("w.MS"), {QStringLiteral("previous backup")});
         // Gone after the first read of profile 2.
         editFaults(h, [](phonesim::Faults& f) { f.unplugAfterCommands = 11; });
         return h.backup({Box::WAP, Box::Time}, h.path(QStringLiteral("w.MS")));
     },
     {QStringLiteral("Backup of WAP Settings -> Incomplete"),
      QStringLiteral("Lost Conntact to MS->No work was done"),
      QStringLiteral("The backup is incomplete -> it is in %DIR%/w.incomplete.MS"),
      QStringLiteral("The previous backup is kept -> %DIR%/w.MS"),
      QStringLiteral("WAP Settings: 7 not read -> see the log"), QStringLiteral("Log -> %LOG%"),
      QStringLiteral("Time: not backed up (the phone was lost)")},
     RunOutcome::Ended,
     [](ProgramHarness& h) {
         EXPECT_EQ(ProgramHarness::fileLines(h.path(QStringLiteral("w.MS"))),
                   QStringList{QStringLiteral("previous backup")});
         const QString partial = h.path(QStringLiteral("w.incomplete.MS"));
         const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup |
                                           QFile::ReadOther | QFile::WriteOther;
         EXPECT_EQ(QFile::permissions(partial) & others, QFile::Permissions());
         const QStringList wap =
             sectionOf(ProgramHarness::fileLines(partial), QStringLiteral("Settings_WAP"));
         // Profile 1 whole, profile 2 as far as it was read, the others named only.
         EXPECT_EQ(wap.filter(QStringLiteral("<Connection_Timeout")).size(), 2);
         EXPECT_EQ(wap.filter(QStringLiteral("<HomePage_URL")).size(), 1);
         EXPECT_EQ(wap.filter(QStringLiteral("<Name")).size(), 5);
         EXPECT_EQ(QDir(h.path(QString())).entryList({QStringLiteral("*.partial")}), QStringList());
     }},
    {"WrongLockCodeErasesNothing",
     phonesim::demoPhone,
     [](ProgramHarness& h) {
         h.view.setTicked(Box::MasterReset, true);
         h.ui.nextInput(QStringLiteral("1234"));
         return h.restore(demoBackup(h, {Box::Time}, QStringLiteral("t.MS")));
     },
     {QStringLiteral("Making a Master Reset!!"), QStringLiteral("Failed to make a Master Reset"),
      QStringLiteral("Incorrect phonelock code???"),
      QStringLiteral("Restore stopped -> the phone was not reset, nothing was erased or written")},
     RunOutcome::Failed,
     [](ProgramHarness& h) {
         EXPECT_EQ(bookSize(h, ImageIrmcStore::PhonebookKey), 13);
         EXPECT_EQ(bookSize(h, ImageIrmcStore::CalendarKey), 7);
     }},
    {"FailedObexConnectNamesTheSkippedEntries",
     blankPhone,
     [](ProgramHarness& h) {
         const QString file = demoBackup(h, {Box::Pb, Box::Cal, Box::Time}, QStringLiteral("a.MS"));
         editFaults(h, [](phonesim::Faults& f) { f.obex.refuseConnect = true; });
         return h.restore(file);
     },
     {QStringLiteral("Restoring time settings"), QStringLiteral("Restore finished"),
      QStringLiteral("Reading the phone's lists back"),
      QStringLiteral("Failed to make a Obex Connect - Restart your phone and the program"),
      QStringLiteral("Phonebook: 13 in the file, 0 written, 13 not written"),
      QStringLiteral("Calendar: 7 in the file, 0 written, 7 not written"),
      QStringLiteral("Phonebook: 13 not written -> see the log"), QStringLiteral("Log -> %LOG%"),
      QStringLiteral("Calendar: 7 not written -> see the log"),
      QStringLiteral("Phonebook: not verified, the phone's list could not be read -> see the log"),
      QStringLiteral("Calendar: not verified, the phone's list could not be read -> see the log")},
     RunOutcome::Incomplete,
     [](ProgramHarness& h) { EXPECT_EQ(bookSize(h, ImageIrmcStore::PhonebookKey), 0); }},
    {"EntryHoldingTheEndMarkIsRestoredWhole",
     [] {
         QJsonObject phone = phonesim::demoPhone();
         QJsonArray book = phone.value(ImageIrmcStore::PhonebookKey).toArray();
         book.append(QJsonObject{{QStringLiteral("luid"), QStringLiteral("99")},
                                 {QStringLiteral("data"), kNoteWithEnd}});
         phone.insert(ImageIrmcStore::PhonebookKey, book);
         return phone;
     },
     [](ProgramHarness& h) {
         const QString file = h.path(QStringLiteral("p.MS"));
         EXPECT_EQ(h.backup({Box::Pb, Box::Time}, file), RunOutcome::Completed);
         h.image->setCategory(ImageIrmcStore::PhonebookKey, QJsonArray());
         return h.restore(file);
     },
     {QStringLiteral("All contacts has been added"), QStringLiteral("Restoring time settings"),
      QStringLiteral("Restore finished"), QStringLiteral("Reading the phone's lists back"),
      QStringLiteral("Phonebook: 14 in the file, 0 already on the phone, 14 written"),
      QStringLiteral("Restore verified: 14 contacts, 0 calendar entries, 0 messages on the phone")},
     RunOutcome::Completed,
     [](ProgramHarness& h) {
         const QJsonArray book = h.image->category(ImageIrmcStore::PhonebookKey).toArray();
         ASSERT_EQ(book.size(), 14);
         EXPECT_TRUE(book.last().toObject().value(QStringLiteral("data")).toString().startsWith(
             kNoteWithEnd));
     }},
    {"UnpluggedMarkerEndsTheRun",
     phonesim::demoPhone,
     [](ProgramHarness& h) {
         const QString image = h.path(QStringLiteral("phone.json"));
         new phonesim::CableWatcher(*h.monitor, image);
         h.image->setLatencyMs(100);
         // The cable is pulled while the messages are read; the watcher sees the marker.
         h.clock.callLater(250, nullptr, [&h, image] {
             QFile(phonesim::unplugMarkerPath(image)).open(QIODevice::WriteOnly);
             QElapsedTimer waited;
             waited.start();
             while (h.monitor->phone()->IsConnected() && waited.elapsed() < 5000)
                 QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
         });
         return h.backup({Box::SMS, Box::Time}, h.path(QStringLiteral("u.MS")));
     },
     {QStringLiteral("Lost Conntact to MS->No work was done"),
      QStringLiteral("The backup is incomplete -> it is in %DIR%/u.MS"),
      QStringLiteral("SMS Messages: failed -> see the log"), QStringLiteral("Log -> %LOG%"),
      QStringLiteral("Time: not backed up (the phone was lost)")},
     RunOutcome::Ended,
     [](ProgramHarness& h) {
         const QStringList lines = ProgramHarness::fileLines(h.path(QStringLiteral("u.MS")));
         EXPECT_LT(sectionOf(lines, QStringLiteral("SMS_Messages")).size(), 5 * 7);
         EXPECT_FALSE(lines.contains(QStringLiteral("<Settings_Time>")));
     }},
};

class FaultMatrix : public ::testing::TestWithParam<RunRow>
{
};

} // namespace

TEST_P(FaultMatrix, TellsExactlyWhatWasNotStored)
{
    expectRun(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(kRows), rowName);
