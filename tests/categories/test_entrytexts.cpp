#include "categories/entrytext.h"
#include "categories/obexmodule.h"
#include "categories/truetext.h"
#include "qtprint.h"

#include <gtest/gtest.h>

// How entries become one line of a backup file and come back, and which texts count as true.

TEST(EntryTexts, AnEntryLosesOnlyItsLastIdentifierLineAndItsLineBreaks)
{
    const struct
    {
        const char* entry;
        const char* line;
    } rows[] = {
        {"BEGIN:VCARD\r\nX-IRMC-LUID:1\r\nNOTE:a\r\nX-IRMC-LUID:2\r\nEND:VCARD",
         "BEGIN:VCARD<br/>X-IRMC-LUID:1<br/>NOTE:a<br/>END:VCARD"},
        // Case matters; without an identifier every line stays, a closing CR goes.
        {"BEGIN:VCARD\r\nx-irmc-luid:1\r\nA\r\nB\r\nC\r\nEND:VCARD\r",
         "BEGIN:VCARD<br/>x-irmc-luid:1<br/>A<br/>B<br/>C<br/>END:VCARD"},
        {"BEGIN:VCARD\r\nN:Zo\u00EB;Ann\r\nX-IRMC-LUID:12\r\nEND:VCARD\r",
         "BEGIN:VCARD<br/>N:Zo\u00EB;Ann<br/>END:VCARD"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ObexModule::encodeEntry(QString::fromUtf8(row.entry)), QString::fromUtf8(row.line));
}

TEST(EntryTexts, ALineGivesBackTheEntryAndACalendarEntryIsSentInsideAnOpenCalendar)
{
    const QString event = QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\n"
                                         "SUMMARY:x\r\nEND:VEVENT");
    const QString todo = QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VTODO\r\nEND:VTODO");
    const struct
    {
        const char* line;
        bool calendar;
        bool found;
        QString sent; // the contact or the calendar object as it goes to the phone
    } rows[] = {
        {"   <Contact Value=BEGIN:VCARD<br/>N:Ann<br/>END:VCARD/>", false, true,
         QStringLiteral("BEGIN:VCARD\r\nN:Ann\r\nEND:VCARD")},
        {"   <Calendar Value=<br/>BEGIN:VEVENT<br/>SUMMARY:x<br/>END:VEVENT/>", true, true, event},
        {"   <Calendar Value=BEGIN:VEVENT<br/>SUMMARY:x<br/>END:VEVENT/>", true, true, event},
        // The first entry of a backup carries the header already and goes unchanged.
        {"   <Calendar Value=BEGIN:VCALENDAR<br/>VERSION:1.0<br/>BEGIN:VTODO<br/>END:VTODO/>", true,
         true, todo},
        // A calendar line may lack "Value=", a contact line may not; no "/>" means no entry.
        {"BEGIN:VTODO<br/>END:VTODO/>", true, true, todo},
        {"BEGIN:VCARD<br/>END:VCARD/>", false, false, QString()},
        {"   <Contact Value=BEGIN:VCARD", false, false, QString()},
    };
    for (const auto& row : rows) {
        QString entry;
        ASSERT_EQ(ObexModule::entryOfLine(QLatin1String(row.line), row.calendar, entry), row.found)
            << row.line;
        if (row.found) {
            EXPECT_EQ(row.calendar ? ObexModule::calendarObjectOf(entry) : entry, row.sent) << row.line;
        }
    }
}

TEST(EntryTexts, TrueTextIsAnyTextContainingTrueInAnyCase)
{
    for (const char* text : {"TRUE", "true", "True", "xtruex"})
        EXPECT_TRUE(IsTrueText(QLatin1String(text))) << text;
    for (const char* text : {"False", "1", "", "-1", "tru e"})
        EXPECT_FALSE(IsTrueText(QLatin1String(text))) << text;
}

TEST(EntryTexts, TextTheLineCannotHoldIsQuotedWhereThePropertyAllowsItElseNamed)
{
    const struct
    {
        const char* entry;
        const char* kept;
        const char* why; // empty when the kept entry can be written
    } rows[] = {
        {"BEGIN:VCARD\r\nNOTE:a\rb=c\r\nEND:VCARD\r",
         "BEGIN:VCARD\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=0Db=3Dc\r\nEND:VCARD\r", ""},
        // Already quoted-printable, also on the line a soft break continues: only the new escapes.
        {"BEGIN:VCARD\r\nNOTE;QUOTED-PRINTABLE:x=3D=\r\n<br/>\ry\r\nEND:VCARD\r",
         "BEGIN:VCARD\r\nNOTE;QUOTED-PRINTABLE:x=3D=\r\n<br=2F>=0Dy\r\nEND:VCARD\r", ""},
        {"BEGIN:VCARD\r\nNOTE:tab<br/>\t\r\nEND:VCARD\r",
         "BEGIN:VCARD\r\nNOTE;ENCODING=QUOTED-PRINTABLE:tab<br=2F>=09\r\nEND:VCARD\r", ""},
        // Another encoding, or the text in the property's name: left as it is, and named.
        {"BEGIN:VCARD\r\nPHOTO;ENCODING=BASE64:AA\rBB\r\nEND:VCARD\r",
         "BEGIN:VCARD\r\nPHOTO;ENCODING=BASE64:AA\rBB\r\nEND:VCARD\r",
         "a carriage return without its line feed"},
        {"\nBEGIN:VEVENT\r\nX<br/>Y:1\r\nEND:VEVENT", "\nBEGIN:VEVENT\r\nX<br/>Y:1\r\nEND:VEVENT",
         "the text <br/>"},
        {"\nBEGIN:VEVENT\r\nDESCRIPTION:a=\r\nend:vtodo\r\nEND:VEVENT",
         "\nBEGIN:VEVENT\r\nDESCRIPTION:a=\r\nend:vtodo\r\nEND:VEVENT",
         "the line END:VTODO before its end"},
    };
    for (const auto& row : rows) {
        const QString kept = entrytext::keepable(QLatin1String(row.entry));
        EXPECT_EQ(kept, QLatin1String(row.kept)) << row.entry;
        const bool calendar = QLatin1String(row.entry).startsWith(QLatin1Char('\n'));
        EXPECT_EQ(entrytext::whyNotKept(kept, calendar ? QStringLiteral("END:VEVENT|END:VTODO")
                                                       : QStringLiteral("END:VCARD")),
                  QLatin1String(row.why))
            << row.entry;
    }
}
