#include "gammucodec/gammuguard.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

QByteArray repeated(char c, int count)
{
    return QByteArray(count, c);
}

QByteArray event(const QByteArray& lines)
{
    return "BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\nDTSTART:20270110T090000Z\r\n" +
           lines + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

QByteArray todo(const QByteArray& lines)
{
    return "BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VTODO\r\n" + lines +
           "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
}

QByteArray card(const QByteArray& lines)
{
    return "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Berg;Zoe\r\n" + lines + "\r\nEND:VCARD\r\n";
}

// The edges of each limit: the last text that fits is read whole by libgammu, the next one
// never reaches it.
TEST(GammuGuard, EntriesFitUpToTheLimitsOfLibgammusBuffers)
{
    const QByteArray utf8E = "\xC3\xA9"; // two bytes, one character
    const struct
    {
        const char* what;
        gammu::EntryKind kind;
        QByteArray entry;
        bool fits;
    } rows[] = {
        {"event text 990", gammu::EntryKind::Event, event("DESCRIPTION:" + repeated('d', 990)),
         true},
        {"event text 991", gammu::EntryKind::Event, event("DESCRIPTION:" + repeated('d', 991)),
         false},
        {"summary 1500", gammu::EntryKind::Event, event("SUMMARY:" + repeated('s', 1500)), false},
        {"UTF-8 counted in characters", gammu::EntryKind::Event,
         event("LOCATION;CHARSET=UTF-8:" + utf8E.repeated(900)), true},
        {"event line 1990 bytes", gammu::EntryKind::Event,
         event("LOCATION;CHARSET=UTF-8:" + utf8E.repeated(983) + "x"), true},
        {"event line 1991 bytes", gammu::EntryKind::Event,
         event("LOCATION;CHARSET=UTF-8:" + utf8E.repeated(984)), false},
        {"malformed UTF-8 counted by bytes", gammu::EntryKind::Event,
         event("LOCATION;CHARSET=UTF-8:" + QByteArray("\xC3").repeated(991)), false},
        {"quoted-printable counted decoded", gammu::EntryKind::Event,
         event("DESCRIPTION;ENCODING=QUOTED-PRINTABLE:" + QByteArray("=41").repeated(600)), true},
        {"time 64", gammu::EntryKind::Event, event("DTEND:" + repeated('1', 64)), true},
        {"time 65", gammu::EntryKind::Event, event("DTEND:" + repeated('1', 65)), false},
        {"16 event fields", gammu::EntryKind::Event,
         event(QByteArray("LOCATION:x\r\n").repeated(14) + "X:y"), true},
        {"17 event fields", gammu::EntryKind::Event,
         event(QByteArray("LOCATION:x\r\n").repeated(15) + "X:y"), false},
        {"to-do text 160", gammu::EntryKind::Event, todo("SUMMARY:" + repeated('s', 160)), true},
        {"to-do text 161", gammu::EntryKind::Event, todo("SUMMARY:" + repeated('s', 161)), false},
        // libgammu's writers: 8 bytes per character, 9 for each from U+0800 on.
        {"six bullets and a letter", gammu::EntryKind::Contact,
         card("NOTE;CHARSET=UTF-8:a" + QByteArray("\xE2\x80\xA2").repeated(6)), true},
        {"seven bullets and a letter", gammu::EntryKind::Contact,
         card("NOTE;CHARSET=UTF-8:a" + QByteArray("\xE2\x80\xA2").repeated(7)), false},
        {"a first name of bullets", gammu::EntryKind::Contact,
         card("N;CHARSET=UTF-8:Berg;\xE2\x80\xA2"), false},
        {"contact text 200", gammu::EntryKind::Contact, card("NOTE:" + repeated('n', 200)), true},
        {"contact name 300", gammu::EntryKind::Contact, card("FN:" + repeated('L', 300)), false},
        {"note 12000", gammu::EntryKind::Contact, card("NOTE:" + repeated('n', 12000)), false},
        {"photo 60000", gammu::EntryKind::Contact,
         card("PHOTO;ENCODING=BASE64;TYPE=JPEG:" + repeated('A', 60000)), true},
        {"folded line joined", gammu::EntryKind::Contact,
         card("NOTE:" + repeated('n', 150) + "\r\n " + repeated('n', 100)), false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(gammu::entryFits(row.kind, row.entry), row.fits) << row.what;
        if (row.kind == gammu::EntryKind::Contact) {
            auto entry = std::make_unique<GSM_MemoryEntry>();
            const gammu::Decoded decoded = gammu::decodeVCard(row.entry, *entry);
            EXPECT_EQ(decoded.fits, row.fits) << row.what;
            EXPECT_TRUE(!row.fits || decoded.error == ERR_NONE) << row.what;
            GSM_FreeMemoryEntry(entry.get());
        } else {
            auto calendar = std::make_unique<GSM_CalendarEntry>();
            auto task = std::make_unique<GSM_ToDoEntry>();
            bool isTodo = false;
            const gammu::Decoded decoded =
                gammu::decodeVCalendar(row.entry, *calendar, *task, isTodo);
            EXPECT_EQ(decoded.fits, row.fits) << row.what;
            EXPECT_TRUE(!row.fits || decoded.error == ERR_NONE) << row.what;
        }
    }
}

// SMSC 07919471016700F0, then the TPDU.
QByteArray pdu(const char* tpdu)
{
    return QByteArray::fromHex(QByteArray("07919471016700F0") + tpdu);
}

TEST(GammuGuard, PdusWhoseLengthsMatchTheirOctets)
{
    const QByteArray deliverHead = "040D91947190897867F6"
                                   "0000"
                                   "62211001510000";
    const QByteArray octets8bitHead = "040D91947190897867F6"
                                      "0004"
                                      "62211001510000";
    const struct
    {
        const char* what;
        QByteArray octets;
        bool fits;
    } rows[] = {
        {"deliver, 2 septets", pdu(deliverHead + "02C834"), true},
        {"one octet short", pdu(deliverHead + "02C8"), false},
        {"one octet over", pdu(deliverHead + "02C83400"), false},
        {"160 septets", pdu(deliverHead + "A0" + QByteArray("C8").repeated(140)), true},
        {"170 septets", pdu(deliverHead + "AA" + QByteArray("C8").repeated(149)), false},
        {"140 octets", pdu(octets8bitHead + "8C" + QByteArray("41").repeated(140)), true},
        {"141 octets", pdu(octets8bitHead + "8D" + QByteArray("41").repeated(141)), false},
        {"header longer than the data",
         pdu("440D91947190897867F6"
             "0004"
             "62211001510000"
             "03"
             "050003"),
         false},
        {"header within the data",
         pdu("440D91947190897867F6"
             "0004"
             "62211001510000"
             "07"
             "0500030A020141"),
         true},
        {"address of 22 digits",
         pdu("0416919471908978679471908978F6"
             "0000"
             "62211001510000"
             "02C834"),
         false},
        {"submit, relative validity",
         pdu("1100"
             "0B911604994483F5"
             "0000"
             "AA"
             "02C834"),
         true},
        {"submit, absolute validity missing",
         pdu("1900"
             "0B911604994483F5"
             "0000"
             "AA"
             "02C834"),
         false},
        {"status report",
         pdu("0600"
             "0B911604994483F5"
             "62211001510000"
             "62211001510000"
             "00"),
         true},
        {"reserved type",
         pdu("0300"
             "0B911604994483F5"
             "0000"
             "02C834"),
         false},
        {"service centre of 12 octets",
         QByteArray::fromHex("0C" + QByteArray("91").repeated(12)) +
             pdu(deliverHead + "02C834").mid(8),
         false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(gammu::pduFits(row.octets, true), row.fits) << row.what;
        auto sms = std::make_unique<GSM_SMSMessage>();
        EXPECT_EQ(gammu::decodePdu(row.octets, true, *sms).fits, row.fits) << row.what;
    }
}

} // namespace
