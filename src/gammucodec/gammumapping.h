#pragma once

// How libgammu's values map onto what the phone monitor components report: statuses, the
// GSM 07.05 message status (Type), storage numbers and texts. Only src/realphone includes this header: it carries libgammu's types.

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

} // namespace gammu

namespace gammu {

// libgammu's texts are UCS-2, big-endian, ended by two zero bytes; at most maxChars are read,
// so a text that fills its field to the end is not read past it.
QString fromUnicode(const unsigned char* text, size_t maxChars);
template <size_t N> QString fromUnicode(const unsigned char (&text)[N])
{
    return fromUnicode(text, N / 2);
}
// Writes text into dest, cut to maxChars characters, with its two zero bytes.
void toUnicode(const QString& text, unsigned char* dest, size_t maxChars);

} // namespace gammu
