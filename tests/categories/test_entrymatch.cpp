#include "categories/entrymatch.h"
#include "categories/setting_smspdu.h"
#include "qtprint.h"

#include <gtest/gtest.h>

// When an entry of a backup file counts as already on the phone. Texts are as the program
// holds them: each byte of the file or the phone one Windows-1252 character.

namespace {

struct Pair
{
    const char* name;
    const char* file;
    const char* phone;
    bool same;
};

const char* const kCard =
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN:M\xC3\xBCller;Zo\xC3\xAB\r\nTEL;CELL:+4917012\r\nEND:VCARD";

const Pair kPairs[] = {
    {"Itself", kCard, kCard, true},
    {"WhatThePhoneAssignsIsLeftOut", kCard,
     "BEGIN:VCARD\r\nVERSION:2.1\r\nX-GAMMU-LOCATION:3\r\nN:M\xC3\xBCller;Zo\xC3\xAB\r\n"
     "TEL;CELL:+4917012\r\nREV:20240101T000000Z\r\nX-GAMMU-MEMORY:SM\r\nx-irmc-luid:7\r\nEND:VCARD",
     true},
    {"LineEndingsAndFolding", kCard,
     "BEGIN:VCARD\nVERSION:2.1\r\nN:M\xC3\xBCller;\r\n "
     "Zo\xC3\xAB\rTEL;CELL:+4917012\n\nEND:VCARD\r\n",
     true},
    // The phone's UTF-8 bytes arrive as Windows-1252 characters, as the file holds them.
    {"Utf8CharsetAndQuotedPrintable", kCard,
     "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8:M\xC3\x83\xC2\xBCller;Zo\xC3\x83\xC2\xAB\r\n"
     "TEL;ENCODING=QUOTED-PRINTABLE;CELL:+49170=\r\n12\r\nEND:VCARD",
     true},
    {"AnotherNumberIsAnotherContact", kCard,
     "BEGIN:VCARD\r\nVERSION:2.1\r\nN:M\xC3\xBCller;Zo\xC3\xAB\r\nTEL;CELL:+4917013\r\nEND:VCARD",
     false},
    {"AnotherKindOfNumberIsAnotherContact", kCard,
     "BEGIN:VCARD\r\nVERSION:2.1\r\nN:M\xC3\xBCller;Zo\xC3\xAB\r\nTEL;HOME:+4917012\r\nEND:VCARD",
     false},
    // The first entry of a backup carries the calendar's header, later ones a leading break.
    {"CalendarEnvelope",
     "BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\nSUMMARY:Choir\r\nDTSTART:"
     "20270110T190000\r\nEND:VEVENT",
     "\r\nBEGIN:VEVENT\r\nSUMMARY:Choir\r\nX-IRMC-LUID:4\r\nDTSTART:20270110T190000\r\nEND:VEVENT",
     true},
    {"AnEventIsNoToDo", "\r\nBEGIN:VEVENT\r\nSUMMARY:Choir\r\nEND:VEVENT",
     "\r\nBEGIN:VTODO\r\nSUMMARY:Choir\r\nEND:VTODO", false},
    // Bytes that are no UTF-8 (FC and F6) stay apart, plain or quoted-printable.
    {"InvalidUtf8StaysBytes", "N;CHARSET=UTF-8:M\xC3\xBCller", "N;CHARSET=UTF-8:M\xC3\xB6ller",
     false},
    {"InvalidUtf8QuotedPrintable", "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=FCller",
     "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=F6ller", false},
    // The byte E1 is "\xC3\xA1" in Latin-1 and alpha in Greek.
    {"CharsetsTellTheSameBytesApart", "N;CHARSET=ISO-8859-1:\xC3\xA1", "N;CHARSET=ISO-8859-7:\xC3\xA1",
     false},
    {"ALineWithoutAPropertyKeepsItsCase", "NOTE:Call back\r\nsoon", "NOTE:Call back\r\nSOON",
     false},
    {"TheSameTextInTwoEncodings", "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller",
     "N:M\xC3\xBCller", true},
};

void PrintTo(const Pair& pair, std::ostream* out)
{
    *out << pair.name;
}

class EntryMatch : public ::testing::TestWithParam<Pair>
{
};

} // namespace

TEST_P(EntryMatch, TellsTheSameEntryApart)
{
    const Pair& pair = GetParam();
    const QString file = QString::fromUtf8(pair.file);
    const QString phone = QString::fromUtf8(pair.phone);
    EXPECT_EQ(entrymatch::entryKey(file) == entrymatch::entryKey(phone), pair.same)
        << entrymatch::entryKey(file).toStdString() << "\n--\n"
        << entrymatch::entryKey(phone).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Pairs, EntryMatch, ::testing::ValuesIn(kPairs),
                         [](const ::testing::TestParamInfo<Pair>& info) {
                             return info.param.name;
                         });

// Messages: the service centre is the phone's, a sent message's time is the message's.
TEST(MessageKey, TellsMessagesApart)
{
    const SMSRecord ok{QStringLiteral("07919471016700001100"), 2, 2, 3,
                       QStringLiteral("20261201T101500")};
    struct Row
    {
        const char* name;
        SMSRecord other;
        bool same;
    };
    SMSRecord otherCentre = ok;
    otherCentre.PDU = QStringLiteral("001100");
    SMSRecord otherDay = ok;
    otherDay.Time = QStringLiteral("20261202T101500");
    SMSRecord otherStorage = ok;
    otherStorage.Storage = 1;
    SMSRecord unsent = ok;
    unsent.Type = 2;
    const SMSRecord read{QStringLiteral("07919471016700000400"), 2, 2, 1, QString()};
    SMSRecord unread = read;
    unread.Type = 0;
    for (const Row& row : {Row{"ServiceCentre", otherCentre, true}, Row{"AnotherDay", otherDay, false},
                           Row{"SentFromAnotherStorage", otherStorage, true},
                           Row{"UnsentIsNotSent", unsent, false}})
        EXPECT_EQ(entrymatch::messageKey(ok) == entrymatch::messageKey(row.other), row.same)
            << row.name;
    EXPECT_NE(entrymatch::messageKey(read), entrymatch::messageKey(unread));
}
