#include "categorytesting.h"

#include "categories/obexmodule.h"
#include "core/codepage.h"
#include "phonesim/imageirmcstore.h"

#include <QFile>
#include <QJsonArray>
#include <gtest/gtest.h>

namespace {

using Box = MainView::Box;
using phonesim::ImageIrmcStore;

QStringList entriesOf(const ProgramHarness& harness, const QString& key)
{
    QStringList data;
    for (const QJsonValue& entry : harness.image->category(key).toArray())
        data << entry.toObject().value(QStringLiteral("data")).toString();
    return data;
}

QStringList luidsOf(const ProgramHarness& harness, const QString& key)
{
    QStringList luids;
    for (const QJsonValue& entry : harness.image->category(key).toArray())
        luids << entry.toObject().value(QStringLiteral("luid")).toString();
    return luids;
}

void setObexFaults(ProgramHarness& harness, const irmc::ObexFaults& obex)
{
    editFaults(harness, [&](phonesim::Faults& faults) { faults.obex = obex; });
}

} // namespace

TEST(ObexModule, FiveLineContactIsOneLineAndComesBackAsFour)
{
    ProgramHarness harness(phonesim::blankPhone(QStringLiteral("BVT610")));
    harness.program->file().sBackUpFIleName = harness.path(QStringLiteral("c.MS"));
    ObexModule& module = harness.program->categories().obex;
    EXPECT_TRUE(module.bSaveContact("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Zo\xEB;Ann\r\n"
                                    "X-IRMC-LUID:12\r\nEND:VCARD\r"));
    const QString line = QStringLiteral("   <Contact Value=BEGIN:VCARD<br/>VERSION:2.1<br/>"
                                        "N:Zo\u00EB;Ann<br/>END:VCARD/>");
    EXPECT_EQ(ProgramHarness::fileLines(harness.path(QStringLiteral("c.MS"))), QStringList{line});
    EXPECT_EQ(harness.statusLines().last(), QStringLiteral("Saved a Contact"));

    QString entry;
    ASSERT_TRUE(ObexModule::entryOfLine(line, false, entry));
    EXPECT_EQ(entry, QStringLiteral("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Zo\u00EB;Ann\r\nEND:VCARD"));

    // One entry in a section: sent, and the index of its line comes back.
    const QString file =
        harness.writeFile(QStringLiteral("r.MS"),
                          {QStringLiteral("<Contacts>"), line, QStringLiteral("<Contacts/>")});
    harness.program->file().sBackUpFIleName = file;
    ASSERT_TRUE(harness.program->file().bReadFileToArray());
    EXPECT_EQ(module.bDecodeContacts(0), 1);
    EXPECT_EQ(
        entriesOf(harness, ImageIrmcStore::PhonebookKey),
        QStringList{QStringLiteral("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Zo\u00EB;Ann\r\nEND:VCARD")});
    EXPECT_EQ(harness.statusLines().mid(harness.statusLines().size() - 2),
              (QStringList{QStringLiteral("Added a contact to the MS"),
                           QStringLiteral("All contacts has been added")}));
}

TEST(ObexModule, OnlyTheLastIdentifierLineIsLeftOut)
{
    EXPECT_EQ(ObexModule::encodeEntry(QStringLiteral("BEGIN:VCARD\r\nX-IRMC-LUID:1\r\nNOTE:a\r\n"
                                                     "X-IRMC-LUID:2\r\nEND:VCARD")),
              QStringLiteral("BEGIN:VCARD<br/>X-IRMC-LUID:1<br/>NOTE:a<br/>END:VCARD"));
    // Case matters; without an identifier every line stays.
    EXPECT_EQ(ObexModule::encodeEntry(QStringLiteral("BEGIN:VCARD\r\nx-irmc-luid:1\r\nA\r\nB\r\n"
                                                     "C\r\nEND:VCARD\r")),
              QStringLiteral("BEGIN:VCARD<br/>x-irmc-luid:1<br/>A<br/>B<br/>C<br/>END:VCARD"));
}

TEST(ObexModule, CalendarValuesAreSentInsideAnOpenCalendar)
{
    const QString expected = QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\n"
                                            "SUMMARY:x\r\nEND:VEVENT");
    QString entry;
    ASSERT_TRUE(ObexModule::entryOfLine(
        QStringLiteral("   <Calendar Value=<br/>BEGIN:VEVENT<br/>SUMMARY:x<br/>END:VEVENT/>"), true,
        entry));
    EXPECT_EQ(ObexModule::calendarObjectOf(entry), expected);
    ASSERT_TRUE(ObexModule::entryOfLine(
        QStringLiteral("   <Calendar Value=BEGIN:VEVENT<br/>SUMMARY:x<br/>END:VEVENT/>"), true,
        entry));
    EXPECT_EQ(ObexModule::calendarObjectOf(entry), expected);
    // The first entry of a backup carries the header already and goes unchanged.
    const QString first =
        QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VTODO\r\nEND:VTODO");
    EXPECT_EQ(ObexModule::calendarObjectOf(first), first);
    // A calendar line may lack "Value=", a contact line may not; no "/>" means no entry.
    EXPECT_TRUE(
        ObexModule::entryOfLine(QStringLiteral("BEGIN:VTODO<br/>END:VTODO/>"), true, entry));
    EXPECT_FALSE(
        ObexModule::entryOfLine(QStringLiteral("BEGIN:VCARD<br/>END:VCARD/>"), false, entry));
    EXPECT_FALSE(
        ObexModule::entryOfLine(QStringLiteral("   <Contact Value=BEGIN:VCARD"), false, entry));
}

TEST(ObexModule, DemoPhoneBackupWritesBothSectionsEntryByEntry)
{
    ProgramHarness harness;
    const QString file = harness.path(QStringLiteral("a.MS"));
    ASSERT_EQ(harness.backup({Box::Pb, Box::Cal}, file), RunOutcome::Completed);
    const QStringList lines = ProgramHarness::fileLines(file);
    ASSERT_EQ(lines.size(), 2 + 13 + 2 + 7);
    EXPECT_EQ(lines.at(0), QStringLiteral("<Contacts>"));
    EXPECT_EQ(lines.at(14), QStringLiteral("<Contacts/>"));
    EXPECT_EQ(lines.at(15), QStringLiteral("<Calendar>"));
    EXPECT_EQ(lines.last(), QStringLiteral("<Calendar/>"));
    EXPECT_EQ(linesStartingWith(lines, QStringLiteral("   <Contact Value=BEGIN:VCARD<br/>")).size(),
              13);
    EXPECT_TRUE(lines.at(16).startsWith(QStringLiteral(
        "   <Calendar Value=BEGIN:VCALENDAR<br/>VERSION:1.0<br/>BEGIN:VEVENT<br/>")));
    EXPECT_EQ(linesStartingWith(lines, QStringLiteral("   <Calendar Value=<br/>BEGIN:V")).size(),
              6);
    EXPECT_FALSE(lines.join(QString()).contains(QLatin1String("X-IRMC-LUID")));
    EXPECT_FALSE(lines.join(QString()).contains(QLatin1String("END:VCALENDAR")));
    // Bytes stay bytes: the accented letter is one Windows-1252 byte in the file.
    QFile raw(file);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_TRUE(raw.readAll().contains("N:Lindqvist;Zo\xEB<br/>"));
    const QStringList log = harness.logLines();
    EXPECT_TRUE(log.contains(QStringLiteral("Got pb.vcf")));
    EXPECT_TRUE(log.contains(QStringLiteral("Backup of Cal -> Done")));
    EXPECT_EQ(harness.statusLines().count(QStringLiteral("Saved an Appointment/Task")), 7);
}

TEST(ObexModule, FailedPhonebookGetEndsTheRunWithAnOpenSection)
{
    ProgramHarness harness;
    irmc::ObexFaults obex;
    obex.failGetAfterPackets = 1;
    setObexFaults(harness, obex);
    const QString file = harness.path(QStringLiteral("a.MS"));
    EXPECT_EQ(harness.backup({Box::Pb, Box::Cal, Box::Time}, file), RunOutcome::Failed);
    const QStringList lines = ProgramHarness::fileLines(file);
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.first(), QStringLiteral("<Contacts>"));
    EXPECT_FALSE(lines.contains(QStringLiteral("<Contacts/>")));
    EXPECT_FALSE(lines.contains(QStringLiteral("<Calendar>")));
    EXPECT_TRUE(harness.logLines().contains(QStringLiteral("Failed Getting pb.vcf")));
    EXPECT_TRUE(harness.logLines().contains(
        QStringLiteral("Error when backing up the PB->cmdBackup_click")));
    EXPECT_TRUE(harness.statusLines().contains(
        QStringLiteral("The backup file is incomplete -> the Contacts section has no end")));
    EXPECT_EQ(harness.view.buttonCaption(MainView::Button::Backup), QStringLiteral("Backup"));
}

TEST(ObexModule, FailedCalendarGetGoesOnAndItsRestoreStopsAtTheNextSection)
{
    ProgramHarness harness;
    irmc::ObexFaults obex;
    obex.failGetAfterPackets = 0;
    const QString file = harness.path(QStringLiteral("a.MS"));
    // The phonebook first, whole; then a calendar that fails at its first packet.
    harness.backup({Box::Pb}, file);
    setObexFaults(harness, obex);
    harness.view.setTicked(Box::Pb, false);
    EXPECT_EQ(harness.backup({Box::Cal, Box::Time}, file), RunOutcome::Incomplete);
    const QStringList status = harness.statusLines();
    EXPECT_EQ(status.last(), QStringLiteral("Calendar: failed -> see the log"));
    const qsizetype failed = status.indexOf(QStringLiteral("Failed when backing up calendar"));
    ASSERT_GE(failed, 0);
    EXPECT_EQ(status.at(failed + 1), QStringLiteral("Backup of Calendar -> Done"));
    const QStringList lines = ProgramHarness::fileLines(file);
    EXPECT_EQ(lines.first(), QStringLiteral("<Calendar>"));
    EXPECT_EQ(lines.at(1), QStringLiteral("<Settings_Time>"));

    // The open calendar section sends nothing, and the time settings after it are restored.
    ProgramHarness blank(phonesim::blankPhone(QStringLiteral("BVT610")));
    EXPECT_EQ(blank.restore(file), RunOutcome::Completed);
    EXPECT_TRUE(entriesOf(blank, ImageIrmcStore::CalendarKey).isEmpty());
    EXPECT_TRUE(blank.logLines().contains(QStringLiteral("Missing end of section -> <Calendar/>")));
    EXPECT_TRUE(blank.statusLines().contains(QStringLiteral("Restoring time settings")));
}

TEST(ObexModule, RefusedConnectWritesNothing)
{
    ProgramHarness harness;
    irmc::ObexFaults obex;
    obex.refuseConnect = true;
    setObexFaults(harness, obex);
    const QString file = harness.path(QStringLiteral("a.MS"));
    EXPECT_EQ(harness.backup({Box::Pb}, file), RunOutcome::Failed);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(
        harness.logLines().contains(QStringLiteral("Error when making connect in bBackUpPB")));
    EXPECT_EQ(harness.statusLines().last(), QStringLiteral("Phonebook: failed -> see the log"));
}

TEST(ObexModule, EmptyContactsSectionSendsNothing)
{
    ProgramHarness harness(phonesim::blankPhone(QStringLiteral("BVT610")));
    const QString file = harness.writeFile(
        QStringLiteral("e.MS"), {QStringLiteral("<Contacts>"), QStringLiteral("<Contacts/>")});
    EXPECT_EQ(harness.restore(file), RunOutcome::Completed);
    EXPECT_FALSE(harness.logLines().contains(QStringLiteral("Made a ObexConnect")));
    EXPECT_TRUE(harness.logLines().contains(QStringLiteral("Unknown Line -><Contacts/")));
}

TEST(ObexModule, RefusedPutIsNamedAndCountedAndTheRestoreGoesOn)
{
    ProgramHarness demo;
    const QString file = demo.path(QStringLiteral("a.MS"));
    demo.backup({Box::Pb, Box::Cal}, file);

    ProgramHarness blank(phonesim::blankPhone(QStringLiteral("BVT610")));
    irmc::ObexFaults obex;
    obex.refusePutNumber = 2;
    setObexFaults(blank, obex);
    EXPECT_EQ(blank.restore(file), RunOutcome::Incomplete);
    EXPECT_TRUE(blank.logLines().contains(
        QStringLiteral("Not written -> contact on line 3 of the file (\u00C1lvarez;Jos\u00E9) -> "
                       "Failed during obex put")));
    EXPECT_EQ(blank.statusLines().last(), QStringLiteral("Phonebook: 1 not written -> see the log"));
    EXPECT_EQ(entriesOf(blank, ImageIrmcStore::PhonebookKey).size(),
              entriesOf(demo, ImageIrmcStore::PhonebookKey).size() - 1);
    EXPECT_EQ(entriesOf(blank, ImageIrmcStore::CalendarKey).size(),
              entriesOf(demo, ImageIrmcStore::CalendarKey).size());
}

TEST(ObexModule, RoundTripThroughAMasterResetGivesTheSameEntriesWithNewLuids)
{
    ProgramHarness harness;
    const QStringList contacts = entriesOf(harness, ImageIrmcStore::PhonebookKey);
    const QStringList calendar = entriesOf(harness, ImageIrmcStore::CalendarKey);
    const QStringList oldLuids = luidsOf(harness, ImageIrmcStore::PhonebookKey);
    const QString first = harness.path(QStringLiteral("a.MS"));
    ASSERT_EQ(harness.backup({Box::Pb, Box::Cal}, first), RunOutcome::Completed);

    harness.view.setTicked(Box::MasterReset, true);
    harness.ui.nextInput(QStringLiteral("7391"));
    ASSERT_EQ(harness.restore(first), RunOutcome::Completed);
    EXPECT_EQ(entriesOf(harness, ImageIrmcStore::PhonebookKey), contacts);
    EXPECT_EQ(entriesOf(harness, ImageIrmcStore::CalendarKey), calendar);
    for (const QString& luid : luidsOf(harness, ImageIrmcStore::PhonebookKey))
        EXPECT_FALSE(oldLuids.contains(luid)) << luid.toStdString();

    harness.view.setTicked(Box::MasterReset, false);
    const QString second = harness.path(QStringLiteral("b.MS"));
    ASSERT_EQ(harness.backup({Box::Pb, Box::Cal}, second), RunOutcome::Completed);
    EXPECT_EQ(ProgramHarness::fileLines(second), ProgramHarness::fileLines(first));
}
