#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// Builds GSM 03.40 short message PDUs as a phone stores them: the service centre address
// followed by the TPDU, as upper-case hexadecimal text. Texts that fit the GSM default
// alphabet are packed as 7-bit septets, every other text is sent as UCS-2.
namespace phonesim::smspdu {

struct Pdu
{
    QString hex;
    // Octets of the TPDU, the service centre address not counted, as phones report it.
    qint32 length = 0;
};

// Septets of text in the GSM default alphabet; false when a character is not in it.
bool toGsmSeptets(const QString& text, QList<quint8>& septets);
// The character of a septet of the GSM default alphabet; U+FFFD for the extension escape.
QChar fromGsmSeptet(quint8 septet);
// Packs septets seven bits at a time, least significant bit first.
QByteArray packSeptets(const QList<quint8>& septets);
// Digits in swapped nibbles, an odd count padded with F.
QByteArray semiOctets(const QString& digits);
// Address field of an originator or destination: digit count, type of number, digits. A
// leading "+" makes the number international.
QByteArray address(const QString& number);
// Service centre field: octet count, type of number, digits; "00" when number is empty.
QByteArray serviceCentre(const QString& number);
// Service centre time stamp: year to second, then the zone in quarters of an hour.
QByteArray timestamp(const QDateTime& time);

// A received message (SMS-DELIVER).
Pdu deliver(const QString& serviceCentre, const QString& sender, const QDateTime& sent,
            const QString& text);
// A message to send (SMS-SUBMIT) with a relative validity period of four days.
Pdu submit(const QString& recipient, const QString& text);

// True when hex is a whole PDU whose TPDU has length octets and is an SMS-DELIVER or an
// SMS-SUBMIT; what a phone checks before it stores a message.
bool isStorable(const QString& hex, qint32 length);

} // namespace phonesim::smspdu
