#pragma once

// How libgammu's values map onto what the phone monitor components report: statuses, the
// GSM 07.05 message status (Type), storage numbers, and one stored message as a GSM 03.40
// PDU. Only src/realphone includes this header: it carries libgammu's types.

#include <gammu.h>

#include <QString>

namespace gammu {

// The component status for a libgammu result: 0 for ERR_NONE, else one of the statuses the
// program knows (not supported, memory full, invalid parameter, disconnected, or a storage
// failure for any other refusal).
qint32 statusOf(GSM_Error error);
// True for the errors that mean the phone or its device is gone: timeouts, device errors.
bool isLinkError(GSM_Error error);
// libgammu's own text for error.
QString errorText(GSM_Error error);

// GSM 07.05 message status: 0 received unread, 1 received read, 2 stored unsent, 3 stored sent.
qint32 typeOfState(GSM_SMS_State state);
// False for a Type outside 0 to 3.
bool stateOfType(qint32 type, GSM_SMS_State& state);
// Storage 1 is the SIM, 2 the phone memory.
qint32 storageOfMemory(GSM_MemoryType memory);
GSM_MemoryType memoryOfStorage(qint32 storage);

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

namespace gammu {

// libgammu's texts are UCS-2, big-endian, ended by two zero bytes.
QString fromUnicode(const unsigned char* text);
// Writes text into dest, cut to maxChars characters, with its two zero bytes.
void toUnicode(const QString& text, unsigned char* dest, size_t maxChars);

} // namespace gammu
