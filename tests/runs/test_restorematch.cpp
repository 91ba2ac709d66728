#include "runrow.h"

#include "irmc/irmcobexservice.h"
#include "irmc/obexserver.h"
#include "phonesim/imageirmcstore.h"
#include "phonesim/simcellphone.h"
#include "phonesim/smsstore.h"

#include <QJsonArray>

// A restore gives back the phone the file holds: it writes only what the phone lacks, counts
// alike entries, checks its work at the end and stops when the phone goes.

namespace {

using Box = MainView::Box;
using phonesim::ImageIrmcStore;

const QList<Box> kLists{Box::Pb, Box::Cal, Box::SMS};

// The phone's lists as its image holds them.
QJsonObject listsOf(const ProgramHarness& h)
{
    return QJsonObject{
        {ImageIrmcStore::PhonebookKey, h.image->category(ImageIrmcStore::PhonebookKey)},
        {ImageIrmcStore::CalendarKey, h.image->category(ImageIrmcStore::CalendarKey)},
        {phonesim::SmsStore::Key, h.image->category(phonesim::SmsStore::Key)}};
}

qsizetype bookSize(const ProgramHarness& h, const QString& key)
{
    return h.image->category(key).toArray().size();
}

// A second restore of the same file, which must leave the phone as the first one did.
RunOutcome restoreAgain(ProgramHarness& h, const QString& file)
{
    const QJsonObject before = listsOf(h);
    const RunOutcome outcome = h.restore(file);
    EXPECT_EQ(listsOf(h), before);
    return outcome;
}

const QString kTwin =
    QStringLiteral("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Twin;Tom\r\nTEL;CELL:+4670111\r\n");

// The closing lines of a restore that found every entry of the file on the phone already.
QStringList nothingWritten(int contacts)
{
    return {QStringLiteral("Phonebook: %1 in the file, %1 already on the phone, 0 written").arg(contacts),
            QStringLiteral("Restore verified: %1 contacts, 0 calendar entries, 0 messages on the phone")
                .arg(contacts)};
}

const QStringList kDemoAgain{
    QStringLiteral("Phonebook: 13 in the file, 13 already on the phone, 0 written"),
    QStringLiteral("Calendar: 7 in the file, 7 already on the phone, 0 written"),
    QStringLiteral("SMS Messages: 5 in the file, 5 already on the phone, 0 written"),
    QStringLiteral("Restore verified: 13 contacts, 7 calendar entries, 5 messages on the phone")};

const RunRow kRows[] = {
    {"RestoringTwiceWritesNothingTheSecondTime", blankPhone,
     [](ProgramHarness& h) {
         const QString file = demoBackup(h, kLists, QStringLiteral("l.MS"));
         EXPECT_EQ(h.restore(file), RunOutcome::Completed);
         EXPECT_EQ(h.statusLines().last(),
                   QStringLiteral("Restore verified: 13 contacts, 7 "
                                  "calendar entries, 5 messages on the phone"));
         return restoreAgain(h, file);
     },
     kDemoAgain, RunOutcome::Completed,
     [](ProgramHarness& h) {
         EXPECT_EQ(bookSize(h, ImageIrmcStore::PhonebookKey), 13);
         EXPECT_EQ(h.statusLines().filter(QStringLiteral("Added a contact")).size(), 13);
     }},
    {"TheBackupGoesBackIntoThePhoneItCameFromUnchanged", phonesim::demoPhone,
     [](ProgramHarness& h) {
         const QString file = h.path(QStringLiteral("own.MS"));
         EXPECT_EQ(h.backup(kLists, file), RunOutcome::Completed);
         return restoreAgain(h, file);
     },
     kDemoAgain, RunOutcome::Completed,
     [](ProgramHarness& h) {
         EXPECT_EQ(listsOf(h).value(ImageIrmcStore::PhonebookKey),
                   phonesim::demoPhone().value(ImageIrmcStore::PhonebookKey));
     }},
    // The phone holds Tom once, with the revision it stamped on him; the file holds him twice,
    // once quoted-printable with the identifier of another phone.
    {"TwoIdenticalContactsGiveTwo",
     [] {
         QJsonObject phone = blankPhone();
         phone.insert(ImageIrmcStore::PhonebookKey,
                      QJsonArray{QJsonObject{
                          {QStringLiteral("luid"), QStringLiteral("7")},
                          {QStringLiteral("data"),
                           kTwin + QStringLiteral("REV:20240101T000000Z\r\nEND:VCARD")}}});
         return phone;
     },
     [](ProgramHarness& h) {
         const QString file = h.writeFile(
             QStringLiteral("twins.MS"),
             {QStringLiteral("<Contacts>"),
              QStringLiteral("   <Contact Value=BEGIN:VCARD<br/>VERSION:2.1<br/>N:Twin;Tom<br/>"
                             "TEL;CELL:+4670111<br/>END:VCARD/>"),
              QStringLiteral("   <Contact Value=BEGIN:VCARD<br/>VERSION:2.1<br/>"
                             "N;ENCODING=QUOTED-PRINTABLE:Twin;T=6Fm<br/>TEL;CELL:+4670111<br/>"
                             "X-IRMC-LUID:12<br/>END:VCARD/>"),
              QStringLiteral("<Contacts/>")});
         EXPECT_EQ(h.restore(file), RunOutcome::Completed);
         EXPECT_TRUE(h.statusLines().contains(
             QStringLiteral("Phonebook: 2 in the file, 1 already on the phone, 1 written")));
         EXPECT_TRUE(h.logLines().contains(
             QStringLiteral("Already on the phone -> contact on line 2 of the file (Twin;Tom)")));
         return restoreAgain(h, file);
     },
     nothingWritten(2), RunOutcome::Completed,
     [](ProgramHarness& h) { EXPECT_EQ(bookSize(h, ImageIrmcStore::PhonebookKey), 2); }},
    // The file holds a message unread that the phone holds read: it is there, but not as the
    // file has it, and the run says so.
    {"AnUnreadMessageReadOnThePhoneIsNamed", phonesim::demoPhone,
     [](ProgramHarness& h) {
         QStringList lines =
             ProgramHarness::fileLines(demoBackup(h, {Box::SMS}, QStringLiteral("r.MS")));
         const qsizetype read = lines.indexOf(QStringLiteral("      <Type value=1/>"));
         EXPECT_GE(read, 0);
         lines[read] = QStringLiteral("      <Type value=0/>");
         return h.restore(h.writeFile(QStringLiteral("unread.MS"), lines));
     },
     {QStringLiteral("SMS Messages: 1 stored as read by the phone -> see the log"),
      QStringLiteral("Log -> %LOG%"),
      QStringLiteral("Restore verified: 0 contacts, 0 calendar entries, 5 messages on the phone; "
                     "kept in part: 1 message")},
     RunOutcome::Incomplete,
     [](ProgramHarness& h) {
         EXPECT_TRUE(h.statusLines().contains(
             QStringLiteral("SMS Messages: 5 in the file, 5 already on the phone, 0 written")));
     }},
    // The file has the demo phone's messages with their storages swapped: a sent message is the
    // same in either storage, a received one is not.
    {"SentMessageIsFoundInEitherStorage",
     phonesim::demoPhone,
     [](ProgramHarness& h) {
         QStringList lines =
             ProgramHarness::fileLines(demoBackup(h, {Box::SMS}, QStringLiteral("s.MS")));
         for (QString& line : lines) {
             if (line.contains(QLatin1String("<Storage value=")))
                 line = line.contains(QLatin1String("value=1/"))
                            ? QStringLiteral("      <Storage value=2/>")
                            : QStringLiteral("      <Storage value=1/>");
         }
         return h.restore(h.writeFile(QStringLiteral("swapped.MS"), lines));
     },
     {QStringLiteral("SMS Messages: 5 in the file, 1 already on the phone, 4 written"),
      QStringLiteral("Restore verified: 0 contacts, 0 calendar entries, 5 messages on the phone")},
     RunOutcome::Completed,
     [](ProgramHarness& h) {
         const phonesim::SmsStore store(*h.image);
         EXPECT_EQ(store.messages(1).size(), 3 + 1);
         EXPECT_EQ(store.messages(2).size(), 2 + 3);
     }},
    {"APhoneThatLosesAnEntryIsCaughtByTheCheck",
     blankPhone,
     [](ProgramHarness& h) {
         const QString file = demoBackup(h, {Box::Pb}, QStringLiteral("p.MS"));
         editFaults(h, [](phonesim::Faults& f) { f.obex.losePutMatching = "Lindqvist"; });
         return h.restore(file);
     },
     {QStringLiteral("Phonebook: 13 in the file, 0 already on the phone, 13 written"),
      QStringLiteral("Phonebook: 1 missing after the restore -> see the log"),
      QStringLiteral("Log -> %LOG%")},
     RunOutcome::Incomplete,
     [](ProgramHarness& h) {
         EXPECT_EQ(bookSize(h, ImageIrmcStore::PhonebookKey), 12);
         EXPECT_EQ(
             h.logLines().filter(QStringLiteral("Missing after the restore")),
             QStringList{QStringLiteral(
                 "Missing after the restore -> contact on line 4 of the file (Lindqvist;Zoë)")});
     }},
    // The phone goes away right after it stored the fifth contact and comes straight back: the
    // run sends it nothing more.
    {"ThePhoneLostMidRestoreGetsNothingMore",
     blankPhone,
     [](ProgramHarness& h) {
         const QString file =
             demoBackup(h, {Box::Pb, Box::Cal, Box::SMS, Box::Time}, QStringLiteral("a.MS"));
         auto store = std::make_shared<ImageIrmcStore>(h.image);
         auto server = std::make_shared<irmc::ObexServer>(*store);
         auto puts = std::make_shared<int>(0);
         h.monitor->phone()->setObex(
             new irmc::IrmcObexService([&h, store, server, puts](const QByteArray& request) {
                 const QByteArray answer = server->feed(request);
                 if (static_cast<quint8>(request.at(0)) == 0x82 && ++*puts == 5) {
                     h.monitor->unplug();
                     h.monitor->plug();
                 }
                 return answer;
             }));
         return h.restore(file);
     },
     {QStringLiteral("Restore stopped -> the phone went away, nothing more was sent"),
      QStringLiteral("Phonebook: 13 in the file, 0 already on the phone, 5 written, 8 not written"),
      QStringLiteral("Not written, the phone went away -> Calendar, SMS Messages, Time")},
     RunOutcome::Ended,
     [](ProgramHarness& h) {
         EXPECT_EQ(bookSize(h, ImageIrmcStore::PhonebookKey), 5);
         EXPECT_EQ(bookSize(h, ImageIrmcStore::CalendarKey), 0);
         EXPECT_TRUE(h.statusLines().contains(QStringLiteral("Lost connection to phone")));
         EXPECT_EQ(h.image->settings(QStringLiteral("time")), blankPhone()
                                                                  .value(QStringLiteral("settings"))
                                                                  .toObject()
                                                                  .value(QStringLiteral("time"))
                                                                  .toObject());
     }},
};

class RestoreMatch : public ::testing::TestWithParam<RunRow>
{
};

} // namespace

TEST_P(RestoreMatch, GivesBackThePhoneTheFileHolds)
{
    expectRun(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Restores, RestoreMatch, ::testing::ValuesIn(kRows), rowName);
