#include "phonesim/phonecategories.h"

#include <QJsonObject>
#include <QStringList>

namespace phonesim {

namespace {

// One entry of the image: its LUID and its lines, joined as the phone keeps them (CR LF
// between lines, no X-IRMC-LUID line, no final line break).
QJsonObject entry(int luid, const QStringList& lines)
{
    return QJsonObject{{QStringLiteral("luid"), QString::number(luid)},
                       {QStringLiteral("data"), lines.join(QStringLiteral("\r\n"))}};
}

QJsonObject card(int luid, const QStringList& fields)
{
    return entry(luid, QStringList{QStringLiteral("BEGIN:VCARD"), QStringLiteral("VERSION:2.1")} +
                           fields + QStringList{QStringLiteral("END:VCARD")});
}

// A note long enough that its contact alone needs more than one packet.
QString longNote()
{
    const QString sentence = QStringLiteral(
        "Met at the spring trade fair; interested in the autumn catalogue, prefers calls "
        "after ten in the morning and e-mail for anything with prices. ");
    return QStringLiteral("NOTE:") + sentence.repeated(10).trimmed();
}

} // namespace

QJsonArray demoPhonebook()
{
    return QJsonArray{
        card(1, {QStringLiteral("N:Berg;Anna"), QStringLiteral("TEL;CELL:+46701234567"),
                 QStringLiteral("TEL;HOME:+4684456721"),
                 QStringLiteral("EMAIL;INTERNET:anna.berg@example.com")}),
        card(2, {QStringLiteral("N:Álvarez;José"), QStringLiteral("TEL;CELL:+34612345678")}),
        card(3, {QStringLiteral("N:Lindqvist;Zoë"), QStringLiteral("TEL;CELL:+46739876543"),
                 QStringLiteral("TEL;WORK:+4631778800")}),
        card(4, {QStringLiteral("N:Dupré;François"), QStringLiteral("TEL;WORK:+33145678901"),
                 QStringLiteral("TEL;FAX:+33145678902"), QStringLiteral("ORG:Atelier Dupré")}),
        card(5, {QStringLiteral("N:Weiß;Jürgen"), QStringLiteral("TEL;CELL:+491701234567")}),
        card(6,
             {QStringLiteral("N:Harbour Dental Clinic"), QStringLiteral("TEL;WORK:+4640123456")}),
        card(7, {QStringLiteral("N:Holm;Mikael"), QStringLiteral("TEL;CELL:+46705550123"),
                 QStringLiteral("ADR;HOME;ENCODING=QUOTED-PRINTABLE:;;Storgatan 12=0D=0A="),
                 QStringLiteral("L=E4genhet 1102;Malm=F6;;211 34;Sweden")}),
        card(8, {QStringLiteral("N:Rossi;Sofia;;Dr."), QStringLiteral("TEL;CELL:+393471234567"),
                 QStringLiteral("TEL;WORK:+39021234567"), QStringLiteral("TEL;HOME:+39029876543"),
                 QStringLiteral("TEL;PREF;CELL:+393489998877")}),
        card(9, {QStringLiteral("N:Evans;Tom"), QStringLiteral("TEL;CELL:+447700900123")}),
        card(10, {QStringLiteral("N:Meyer;Lucas"), QStringLiteral("TEL;HOME:+41445551234"),
                  QStringLiteral("EMAIL;INTERNET:lucas.meyer@example.org")}),
        card(11, {QStringLiteral("N:Pizza Napoli"), QStringLiteral("TEL;WORK:+4687654321")}),
        card(12, {QStringLiteral("N:Sørensen;Øyvind"), QStringLiteral("TEL;CELL:+4791234567")}),
        card(13,
             {QStringLiteral("N:Olsen;Peter"), QStringLiteral("TEL;WORK:+4533123456"), longNote()}),
    };
}

QJsonArray demoCalendar()
{
    return QJsonArray{
        entry(1,
              {QStringLiteral("BEGIN:VEVENT"), QStringLiteral("SUMMARY:Dentist"),
               QStringLiteral("LOCATION:Harbour Dental Clinic"),
               QStringLiteral("DTSTART:20240312T083000Z"), QStringLiteral("DTEND:20240312T091500Z"),
               QStringLiteral("AALARM:20240312T080000Z"), QStringLiteral("CATEGORIES:PERSONAL"),
               QStringLiteral("END:VEVENT")}),
        entry(2, {QStringLiteral("BEGIN:VEVENT"), QStringLiteral("SUMMARY:Team meeting"),
                  QStringLiteral("LOCATION:Room 4"), QStringLiteral("DTSTART:20240314T120000Z"),
                  QStringLiteral("DTEND:20240314T130000Z"), QStringLiteral("RRULE:W1 TH #0"),
                  QStringLiteral("CATEGORIES:BUSINESS"), QStringLiteral("END:VEVENT")}),
        entry(3, {QStringLiteral("BEGIN:VEVENT"), QStringLiteral("SUMMARY:Zoë's birthday"),
                  QStringLiteral("DTSTART:20240402T000000"),
                  QStringLiteral("DTEND:20240402T235900"), QStringLiteral("RRULE:YM1 4 #0"),
                  QStringLiteral("CATEGORIES:SPECIAL OCCASION"), QStringLiteral("END:VEVENT")}),
        entry(4, {QStringLiteral("BEGIN:VTODO"), QStringLiteral("SUMMARY:Renew passport"),
                  QStringLiteral("DUE:20240430T000000"), QStringLiteral("PRIORITY:1"),
                  QStringLiteral("STATUS:NEEDS ACTION"), QStringLiteral("END:VTODO")}),
        entry(5, {QStringLiteral("BEGIN:VEVENT"), QStringLiteral("SUMMARY:Flight to Milan"),
                  QStringLiteral("LOCATION:Terminal 5"), QStringLiteral("DTSTART:20240508T061000Z"),
                  QStringLiteral("DTEND:20240508T083500Z"),
                  QStringLiteral("DESCRIPTION:Booking ref KX7Q2M, seat 14C"),
                  QStringLiteral("END:VEVENT")}),
        entry(6, {QStringLiteral("BEGIN:VTODO"), QStringLiteral("SUMMARY:Buy a birthday present"),
                  QStringLiteral("DUE:20240330T000000"), QStringLiteral("PRIORITY:2"),
                  QStringLiteral("STATUS:NEEDS ACTION"), QStringLiteral("END:VTODO")}),
        entry(7, {QStringLiteral("BEGIN:VTODO"), QStringLiteral("SUMMARY:Call the landlord"),
                  QStringLiteral("PRIORITY:3"), QStringLiteral("STATUS:COMPLETED"),
                  QStringLiteral("END:VTODO")}),
    };
}

} // namespace phonesim
