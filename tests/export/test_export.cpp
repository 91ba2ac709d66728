#include "cli/clicommands.h"
#include "core/codepage.h"
#include "backupfile/sectiontable.h"
#include "core/vproperty.h"
#include "export/cards.h"
#include "export/backupcontents.h"
#include "export/exportrun.h"
#include "export/exporttext.h"
#include "export/messages.h"
#include "export/showlisting.h"
#include "fakeclock.h"
#include "golden.h"
#include "qtprint.h"
#include "statuslog/statuslog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace backupexport;

namespace {

QString dataPath(const QString& name)
{
    return testDataPath(QStringLiteral("export/") + name);
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

bool ownerOnly(const QString& path)
{
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QFileDevice::Permissions permissions = QFile::permissions(path);
    return !(permissions & others) && permissions.testFlags(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void expectGolden(const QString& name, const QByteArray& actual)
{
    expectGoldenFile(actual, QStringLiteral("export/") + name);
}

class ExportTest : public ::testing::Test
{
protected:
    ExportTest() : log(wallClock) {}

    BackupContents read(const QString& path)
    {
        BackupContents contents;
        QString error;
        EXPECT_TRUE(readBackup(path, log, clock, contents, error)) << error.toStdString();
        return contents;
    }

    FakeWallClock wallClock;
    FakeClock clock;
    StatusLog log;
    QTemporaryDir dir;
};

} // namespace

// The golden backup holds accented names (one of them outside Latin-1), a quoted-printable
// address over two lines, a photo, an escaped ";", a Chinese name, a name too long for
// libgammu, a UCS-2 message, a message in two parts, sent messages with and without a time,
// a UTC and a floating event, two identical events, a date-only event, control characters,
// a medium and a high to-do.
TEST_F(ExportTest, GoldenBackupIsListedAndExportedWhole)
{
    BackupContents contents = read(dataPath(QStringLiteral("golden.MS")));
    contents.modified = QDateTime(QDate(2025, 7, 12), QTime(9, 30), Qt::UTC);
    const Listing listing = showListing(contents, -1, false);
    EXPECT_EQ(listing.problems, 0);
    expectGolden(QStringLiteral("show.txt"), (listing.lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());

    ExportOptions options;
    options.folder = QDir(dir.path()).filePath(QStringLiteral("out"));
    options.now = QDateTime(QDate(2024, 4, 1), QTime(12, 0), Qt::UTC);
    options.zone = QTimeZone(3600); // a fixed offset: no time zone database needed
    ExportReport report = exportBackup(contents, options);
    ASSERT_FALSE(report.failed) << report.error.toStdString();
    EXPECT_TRUE(report.problems.isEmpty());
    EXPECT_EQ(report.written.at(2), QStringLiteral("Exported 4 messages -> %1/messages.xml (1 message had no "
                                                   "time: given the backup's time)")
                                        .arg(options.folder));
    const QStringList names{QStringLiteral("contacts.vcf"), QStringLiteral("calendar.ics"),
                            QStringLiteral("messages.xml"), QStringLiteral("messages.txt")};
    for (const QString& name : names) {
        const QString path = QDir(options.folder).filePath(name);
        expectGolden(name, fileBytes(path));
        EXPECT_TRUE(ownerOnly(path)) << name.toStdString();
    }

    // A second export keeps every file as it is, unless told to overwrite.
    const QString contacts = QDir(options.folder).filePath(QStringLiteral("contacts.vcf"));
    writeBytes(QDir(options.folder).filePath(QStringLiteral("messages.txt")), "mine");
    report = exportBackup(contents, options);
    EXPECT_TRUE(report.failed);
    EXPECT_TRUE(report.error.contains(QLatin1String("contacts.vcf, calendar.ics, messages.xml, messages.txt exists")))
        << report.error.toStdString();
    EXPECT_EQ(fileBytes(QDir(options.folder).filePath(QStringLiteral("messages.txt"))), QByteArray("mine"));
    QFile::setPermissions(contacts, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    options.overwrite = true;
    EXPECT_FALSE(exportBackup(contents, options).failed);
    EXPECT_NE(fileBytes(QDir(options.folder).filePath(QStringLiteral("messages.txt"))), QByteArray("mine"));
    EXPECT_TRUE(ownerOnly(contacts));

    // The old phones' vCard 2.1, and the phone's times in a named zone.
    options.vcard = VcardVersion::V21;
    options.calendarZone = QTimeZone("Europe/Berlin");
    ASSERT_TRUE(options.calendarZone.isValid());
    EXPECT_FALSE(exportBackup(contents, options).failed);
    expectGolden(QStringLiteral("contacts-2.1.vcf"), fileBytes(QDir(options.folder).filePath(QStringLiteral("contacts.vcf"))));
    expectGolden(QStringLiteral("calendar-berlin.ics"), fileBytes(QDir(options.folder).filePath(QStringLiteral("calendar.ics"))));
}

// Broken files: what the listing reports, and the exit status of show and export.
TEST_F(ExportTest, BrokenFilesAreReportedWithLineAndReason)
{
    const struct
    {
        const char* text;
        const char* listing;
        int showExit;
        int exportExit;
    } cases[] = {
        {"hello\r\nworld\r\n", "! not a backup file: no section opens in it\n! line 1: 2 lines outside any section\n", 1, 1},
        {"<Settings_Locks>\r\n   <Keylock_Mode value=2/>\r\n",
         "Settings_Locks (1)\n  Keylock_Mode:  2\n  ! line 1: the section Settings_Locks has no closing line\n", 3, 1},
        {"<SMS_Messages>\r\n   <SMS>\r\n      <Number value=1/>\r\n      <Storage value=1/>\r\n"
         "      <Type value=1/>\r\n      <PDU value=00ZZ/>\r\n      <Length value=2/>\r\n   <SMS/>\r\n"
         "   <SMS>\r\n      <Number value=2/>\r\n      <Storage value=2/>\r\n      <Type value=2/>\r\n"
         "      <PDU value=0011000A8170103254760000AA0141/>\r\n      <Length value=14/>\r\n   <SMS/>\r\n"
         "   <SMS broken\r\n<SMS_Messages/>\r\n",
         "SMS_Messages (1)\n  phone  unsent  0701234567  A\n  ! line 6: the PDU is not hexadecimal\n"
         "  ! line 16: not an element line\n", 3, 3},
        {"<Contacts>\r\n   <Contact Value=BEGIN:VCARD<br/>END:VCARD/>\r\n<Contacts/>\r\n<Settings_Time>\r\n<Settings_Time/>\r\n",
         "Contacts (0)\n  ! line 2: the vCard cannot be read (Empty entry.)\n\nSettings_Time (0)\n", 3, 3},
    };
    const QString out = QDir(dir.path()).filePath(QStringLiteral("out"));
    QString shown;
    const auto runCli = [&shown](const QStringList& arguments) {
        QString err;
        shown.clear();
        QTextStream outStream(&shown), errStream(&err);
        const int status = cli::run(arguments, outStream, errStream);
        outStream.flush();
        return status;
    };
    for (const auto& c : cases) {
        const QString path = QDir(dir.path()).filePath(QStringLiteral("case.MS"));
        writeBytes(path, codepage::encode(QString::fromUtf8(c.text)));
        const Listing listing = showListing(read(path), -1, false);
        EXPECT_EQ(listing.lines.join(QLatin1Char('\n')) + QLatin1Char('\n'), QString::fromUtf8(c.listing)) << c.text;

        EXPECT_EQ(runCli({QStringLiteral("show"), path}), c.showExit) << c.text;
        QDir(out).removeRecursively();
        EXPECT_EQ(runCli({QStringLiteral("export"), path, QStringLiteral("--to"), out}), c.exportExit) << c.text;
    }
    const QString golden = dataPath(QStringLiteral("golden.MS"));
    const QString section = QStringLiteral("--section");
    EXPECT_EQ(runCli({QStringLiteral("show"), QDir(dir.path()).filePath(QStringLiteral("none.MS"))}), 1);
    EXPECT_EQ(runCli({QStringLiteral("show"), golden, section, QStringLiteral("weather")}), 2);
    EXPECT_EQ(runCli({QStringLiteral("export"), golden}), 2);
    EXPECT_EQ(runCli({QStringLiteral("show"), golden, section, QStringLiteral("time")}), 1);
    EXPECT_EQ(runCli({QStringLiteral("show"), golden, section, QStringLiteral("dataaccounts"),
                      QStringLiteral("--show-passwords")}),
              0);
    EXPECT_TRUE(shown.startsWith(QLatin1String("Settings_DataAccount (1)\n"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QLatin1String("Password:  s3cret\n"))) << shown.toStdString();
}

TEST(ExportText, XmlAttributesAndTimeStamps)
{
    EXPECT_EQ(xmlEscape(QStringLiteral("a&b <c> \"d\" 'e'\r\nf\tg")),
              QStringLiteral("a&amp;b &lt;c&gt; &quot;d&quot; &apos;e&apos;&#13;&#10;f&#9;g"));
    // XML 1.0 cannot carry control characters or a lone surrogate; a pair is one character.
    EXPECT_EQ(xmlEscape(QStringLiteral("x") + QChar(0x01) + QChar(0xD800) + QStringLiteral("y\U0001F600")),
              QStringLiteral("xy\U0001F600"));

    const struct
    {
        QDateTime time;
        qint64 ms;
        const char* readable; // at UTC+01:00
        const char* listing;
    } times[] = {
        {QDateTime(QDate(2024, 3, 11), QTime(19, 45), Qt::OffsetFromUTC, 3600), 1710182700000,
         "11 Mar 2024 19:45:00", "2024-03-11 19:45 +01:00"},
        {QDateTime(QDate(2024, 7, 1), QTime(23, 30), Qt::OffsetFromUTC, -5 * 3600 - 1800),
         1719896400000, "2 Jul 2024 06:00:00", "2024-07-01 23:30 -05:30"},
        {QDateTime(QDate(1970, 1, 1), QTime(0, 0, 1), Qt::UTC), 1000, "1 Jan 1970 01:00:01",
         "1970-01-01 00:00 UTC"},
        {QDateTime(), 0, "", ""},
    };
    const QTimeZone plusOne(3600);
    for (const auto& t : times) {
        EXPECT_EQ(epochMs(t.time), t.ms) << t.listing;
        EXPECT_EQ(readableDate(t.time, plusOne), QString::fromUtf8(t.readable));
        EXPECT_EQ(listingTime(t.time), QString::fromUtf8(t.listing));
    }
    EXPECT_EQ(listingTime(QDateTime(QDate(2024, 4, 2), QTime(0, 0), Qt::LocalTime)),
              QStringLiteral("2024-04-02 00:00"));
}

// Property values from a phone: quoted-printable in Windows-1252 over two lines, or named
// UTF-8, or folded; written back as UTF-8, quoted-printable only for a line break.
TEST(ExportText, PropertyValuesAreDecodedAndWrittenAsUtf8)
{
    const struct
    {
        const char* line;
        const char* name;
        QStringList params;
        const char* text;
        const char* utf8Line;
    } cases[] = {
        {"ADR;HOME;ENCODING=QUOTED-PRINTABLE:a=0D=0A=\r\nL=E4 =8a=3", "ADR", {QStringLiteral("HOME")},
         "a\r\nLä Š=3", "ADR;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:a=0D=0AL=C3=A4 =C5=A0=3D3"},
        {"n;CHARSET=UTF-8;QUOTED-PRINTABLE:=C3=A9", "N", {}, "é", "N;CHARSET=UTF-8:é"},
        {"NOTE:long\r\n folded", "NOTE", {}, "longfolded", "NOTE:longfolded"},
    };
    for (const auto& c : cases) {
        const vproperty::Property property = vproperty::parse(QString::fromUtf8(c.line));
        EXPECT_EQ(property.name, QString::fromUtf8(c.name));
        EXPECT_EQ(property.params, c.params);
        EXPECT_EQ(property.text, QString::fromUtf8(c.text));
        EXPECT_EQ(vproperty::utf8Line(property), QString::fromUtf8(c.utf8Line));
    }
}

TEST(ExportMessages, PartsJoinOnlyWhenAllAreThere)
{
    auto part = [](const char* number, int reference, int index, int parts, const char* text) {
        Message message;
        message.type = 1;
        message.sms.ok = true;
        message.sms.kind = gammucodec::SmsMessage::Kind::Deliver;
        message.sms.number = QString::fromUtf8(number);
        message.sms.reference = reference;
        message.sms.part = index;
        message.sms.parts = parts;
        message.sms.text = QString::fromUtf8(text);
        return message;
    };
    // Parts stored out of order join in part order; a message lacking its second or its last
    // part, and a part of another sender with the same reference, stay as they are.
    const QList<Message> messages{part("+1", 7, 2, 2, "world"), part("+2", 7, 1, 3, "lonely"),
                                  part("+1", 7, 1, 2, "hello "), part("+2", 7, 3, 3, "end"),
                                  part("+3", -1, 0, 0, "plain"),  part("+4", 9, 1, 3, "first "),
                                  part("+4", 9, 2, 3, "second")};
    QStringList texts;
    for (const Conversation& conversation : joinParts(messages))
        texts << conversation.text;
    EXPECT_EQ(texts, (QStringList{QStringLiteral("hello world"), QStringLiteral("lonely"),
                                  QStringLiteral("end"), QStringLiteral("plain"),
                                  QStringLiteral("first "), QStringLiteral("second")}));

    const QList<NamedNumber> book{{QStringLiteral("Märta"), QStringLiteral("+46 70-123 45 67")},
                                  {QStringLiteral("Short"), QStringLiteral("112")}};
    EXPECT_EQ(contactName(book, QStringLiteral("0701234567")), QStringLiteral("Märta"));
    EXPECT_EQ(contactName(book, QStringLiteral("+46701234567")), QStringLiteral("Märta"));
    EXPECT_EQ(contactName(book, QStringLiteral("+46701234568")), QString());
    EXPECT_EQ(contactName(book, QStringLiteral("112")), QStringLiteral("Short"));
    EXPECT_EQ(contactName(book, QStringLiteral("9112")), QString());
}

namespace {

// The lines of an exported file between its first line and END, as one text.
QString propertiesOf(const QByteArray& file, const char* begin)
{
    QStringList lines = QString::fromUtf8(file).split(QStringLiteral("\r\n"));
    const qsizetype first = lines.indexOf(QString::fromLatin1(begin));
    QStringList kept;
    for (qsizetype i = first + 1; first >= 0 && i < lines.size(); ++i) {
        if (lines.at(i).startsWith(QLatin1String("END:")))
            break;
        if (!lines.at(i).startsWith(QLatin1String("UID:")) && !lines.at(i).startsWith(QLatin1String("DTSTAMP:")))
            kept.append(lines.at(i));
    }
    return kept.join(QLatin1Char('\n'));
}

Section oneEntry(qint16 iTag, const char* text)
{
    Section section;
    section.iTag = iTag;
    section.entries.append({1, codepage::decode(QByteArray(text))});
    return section;
}

} // namespace

// vCard 2.1 properties as vCard 3.0 writes them: types in one list, escapes kept, values
// decoded, control characters dropped, links not escaped.
TEST(ExportCards, PropertiesOfVcard21BecomeVcard30)
{
    const struct
    {
        const char* line;
        const char* exported;
    } cases[] = {
        {"TEL;HOME;VOICE:+1", "TEL;TYPE=HOME,VOICE:+1"},
        {"EMAIL;PREF;TYPE=INTERNET:x@example.org", "EMAIL;TYPE=PREF,INTERNET:x@example.org"},
        {"ORG:Acme\\, Inc;Sales", "ORG:Acme\\, Inc;Sales"},
        {"NOTE:a;b,c\\d", "NOTE:a\\;b\\,c\\\\d"},
        {"NOTE;ENCODING=QUOTED-PRINTABLE:one=0D=0Atwo =E4", "NOTE:one\\ntwo ä"},
        {"NOTE;CHARSET=UTF-8:\xc3\xbc\x01", "NOTE:ü"},
        {"URL:http://example.org/a,b", "URL:http://example.org/a,b"},
        {"PHOTO;JPEG;BASE64:QUJD\r\n REVG", "PHOTO;ENCODING=b;TYPE=JPEG:QUJDREVG"},
    };
    for (const auto& c : cases) {
        const QByteArray entry = QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Doe;Jo\r\n") + c.line +
                                 "\r\nEND:VCARD";
        QList<Problem> problems;
        int written = 0;
        const QByteArray vcf = contactsVcf(oneEntry(sections::Contacts, entry.constData()),
                                           VcardVersion::V30, problems, written);
        EXPECT_EQ(propertiesOf(vcf, "BEGIN:VCARD"),
                  QStringLiteral("VERSION:3.0\nFN:Jo Doe\nN:Doe;Jo\n") + QString::fromUtf8(c.exported))
            << c.line;
    }
}

// A vCalendar to-do's or event's times and priority as calendar.ics writes them.
TEST(ExportCards, TimesAndPrioritiesOfVcalendar)
{
    const struct
    {
        const char* lines;
        const char* zone;
        const char* exported;
    } cases[] = {
        {"BEGIN:VTODO\r\nSUMMARY:t\r\nPRIORITY:1\r\nDUE:20250710T120000\r\nEND:VTODO", "",
         "SUMMARY:t\nPRIORITY:1\nDUE:20250710T120000"},
        {"BEGIN:VTODO\r\nSUMMARY:t\r\nPRIORITY:2\r\nDUE:20250710T120000Z\r\nEND:VTODO", "",
         "SUMMARY:t\nPRIORITY:5\nDUE:20250710T120000Z"},
        {"BEGIN:VTODO\r\nSUMMARY:t\r\nPRIORITY:3\r\nDUE:20250710\r\nEND:VTODO", "",
         "SUMMARY:t\nPRIORITY:9\nDUE;VALUE=DATE:20250710"},
        {"BEGIN:VTODO\r\nSUMMARY:t\r\nPRIORITY:0\r\nEND:VTODO", "", "SUMMARY:t"},
        {"BEGIN:VEVENT\r\nSUMMARY:e\r\nDTSTART:20250710T120000\r\nDTEND:20250710T130000\r\nEND:VEVENT",
         "America/New_York",
         "SUMMARY:e\nDTSTART;TZID=America/New_York:20250710T120000\n"
         "DTEND;TZID=America/New_York:20250710T130000\nSTATUS:CONFIRMED"},
        {"BEGIN:VEVENT\r\nSUMMARY:e\r\nDTSTART:20250710\r\nDTEND:20250711\r\nCATEGORIES:A;B,C\r\nEND:VEVENT",
         "", "SUMMARY:e\nCATEGORIES:A,B,C\nDTSTART;VALUE=DATE:20250710\nDTEND;VALUE=DATE:20250711\n"
             "STATUS:CONFIRMED"},
    };
    for (const auto& c : cases) {
        QList<Problem> problems;
        int written = 0;
        const QByteArray ics = calendarIcs(oneEntry(sections::Calendar, c.lines), QDateTime(),
                                           *c.zone ? QTimeZone(QByteArray(c.zone)) : QTimeZone(), problems, written);
        EXPECT_EQ(propertiesOf(ics, c.lines[7] == 'T' ? "BEGIN:VTODO" : "BEGIN:VEVENT"),
                  QString::fromUtf8(c.exported))
            << c.lines;
    }
}

TEST(ExportText, ColumnsAlignByDisplayWidth)
{
    // A Chinese character takes two columns, a combining accent none.
    EXPECT_EQ(alignRows({{QStringLiteral("王小明"), QStringLiteral("x")},
                         {QStringLiteral("Zoe\u0308 Lind"), QStringLiteral("y")},
                         {QStringLiteral("ab"), QStringLiteral("z")}},
                        QStringLiteral("  ")),
              (QStringList{QStringLiteral("  王小明    x"), QStringLiteral("  Zoe\u0308 Lind  y"),
                           QStringLiteral("  ab        z")}));
}

// Entries whose texts do not fit libgammu's fields: what libgammu cannot take is listed and
// exported whole by our own code, also when nothing of the entry is left for libgammu.
TEST(ExportCodec, TextsTooLongForLibgammuAreKeptWhole)
{
    const QString fn300(300, QLatin1Char('L'));
    const QString summary1500(1500, QLatin1Char('s'));
    const QString todo161(161, QLatin1Char('t'));

    const gammucodec::Contact onlyName = gammucodec::decodeContact(
        QStringLiteral("BEGIN:VCARD\r\nVERSION:2.1\r\nN:%1;Tove\r\nEND:VCARD").arg(fn300));
    ASSERT_TRUE(onlyName.ok) << qPrintable(onlyName.error);
    EXPECT_EQ(onlyName.name, QStringLiteral("Tove ") + fn300);
    QList<Problem> problems;
    int written = 0;
    const QByteArray card = QStringLiteral("BEGIN:VCARD\r\nVERSION:2.1\r\nN:%1;Tove\r\nEND:VCARD")
                                .arg(fn300)
                                .toLatin1();
    // vCard 3.0 folds long lines; unfolded, the name is there whole.
    EXPECT_TRUE(QString::fromUtf8(contactsVcf(oneEntry(sections::Contacts, card.constData()),
                                              VcardVersion::V30, problems, written))
                    .remove(QStringLiteral("\r\n "))
                    .contains(QStringLiteral("N:%1;Tove\r\n").arg(fn300)));

    const struct
    {
        const char* what;
        QString block;
        QString summary;
    } rows[] = {
        {"event without a time", QStringLiteral("BEGIN:VEVENT\r\nSUMMARY:%1\r\nEND:VEVENT").arg(summary1500),
         summary1500},
        {"event", QStringLiteral("BEGIN:VEVENT\r\nSUMMARY:%1\r\nDTSTART:20270110T090000Z\r\nEND:VEVENT")
                      .arg(summary1500),
         summary1500},
        {"to-do", QStringLiteral("BEGIN:VTODO\r\nSUMMARY:%1\r\nEND:VTODO").arg(todo161), todo161},
    };
    for (const auto& row : rows) {
        const QList<gammucodec::CalendarItem> items = gammucodec::decodeCalendar(row.block);
        ASSERT_EQ(items.size(), 1) << row.what;
        ASSERT_TRUE(items.first().ok) << row.what << qPrintable(items.first().error);
        EXPECT_EQ(calendarText(items.first(), QStringLiteral("SUMMARY")), row.summary) << row.what;
        // iCalendar folds long lines; unfolded, the text is there whole.
        const QByteArray block = row.block.toLatin1();
        const QString exported =
            QString::fromUtf8(calendarIcs(oneEntry(sections::Calendar, block.constData()),
                                          QDateTime(), QTimeZone(), problems, written))
                .remove(QStringLiteral("\r\n "));
        EXPECT_TRUE(exported.contains(QStringLiteral("SUMMARY:") + row.summary + QStringLiteral("\r\n")))
            << row.what;
    }
}
