#pragma once

// One stored message as a GSM 03.40 PDU, through libgammu's encoder and decoder. Only
// src/realphone includes this header: it carries libgammu's types.

#include <gammu.h>

#include <QString>

namespace gammu {

// One stored message as the SMS object hands it out.
struct EncodedPdu
{
    // The service centre address and the TPDU, upper-case hexadecimal.
    QString hex;
    // Octets of the TPDU, the service centre address not counted.
    qint32 length = 0;
    qint32 type = 0;
};

// Encodes sms with libgammu's encoder: an SMS-DELIVER when its state says it was received,
// an SMS-SUBMIT otherwise. False with a reason when libgammu cannot encode it.
bool encodePdu(const GSM_SMSMessage& sms, EncodedPdu& pdu, QString& error);
// Decodes hex (service centre address first) with libgammu into sms. False with a reason when
// it is no whole DELIVER or SUBMIT PDU, or its TPDU does not have length octets.
bool decodePdu(const QString& hex, qint32 length, GSM_SMSMessage& sms, QString& error);

} // namespace gammu
