#include "gammucodec/gammumapping.h"

#include "phone/phonestatus.h"

#include <QByteArray>
#include <cstring>
#include <memory>

namespace gammu {

namespace status = phonestatus;

qint32 statusOf(GSM_Error error)
{
    switch (error) {
    case ERR_NONE:
        return status::Ok;
    case ERR_NOTSUPPORTED:
    case ERR_NOTIMPLEMENTED:
    case ERR_DISABLED:
    case ERR_MEMORY_NOT_AVAILABLE:
    case ERR_SOURCENOTAVAILABLE:
        return status::NotSupported;
    case ERR_FULL:
        return status::MemoryFull;
    case ERR_INVALIDLOCATION:
    case ERR_INVALIDDATA:
    case ERR_INVALIDDATETIME:
    case ERR_WRONGFOLDER:
    case ERR_BADFEATURE:
    case ERR_EMPTY:
        return status::InvalidParameter;
    case ERR_SECURITYERROR:
    case ERR_PERMISSION:
        return status::WrongLockCode;
    default:
        return isLinkError(error) ? status::Disconnected : status::StorageFailure;
    }
}

bool isLinkError(GSM_Error error)
{
    switch (error) {
    case ERR_DEVICEOPENERROR:
    case ERR_DEVICENOTEXIST:
    case ERR_DEVICENOPERMISSION:
    case ERR_DEVICENODRIVER:
    case ERR_DEVICENOTWORK:
    case ERR_DEVICEDTRRTSERROR:
    case ERR_DEVICECHANGESPEEDERROR:
    case ERR_DEVICEWRITEERROR:
    case ERR_DEVICEREADERROR:
    case ERR_DEVICEPARITYERROR:
    case ERR_TIMEOUT:
    case ERR_NOTCONNECTED:
    case ERR_PHONEOFF:
        return true;
    default:
        return false;
    }
}

QString errorText(GSM_Error error)
{
    return QString::fromUtf8(GSM_ErrorString(error));
}

qint32 typeOfState(GSM_SMS_State state)
{
    switch (state) {
    case SMS_UnRead:
        return 0;
    case SMS_Read:
        return 1;
    case SMS_UnSent:
        return 2;
    case SMS_Sent:
        return 3;
    }
    return 1;
}

bool stateOfType(qint32 type, GSM_SMS_State& state)
{
    static constexpr GSM_SMS_State kStates[] = {SMS_UnRead, SMS_Read, SMS_UnSent, SMS_Sent};
    if (type < 0 || type > 3)
        return false;
    state = kStates[type];
    return true;
}

qint32 storageOfMemory(GSM_MemoryType memory)
{
    return memory == MEM_SM ? 1 : 2;
}

GSM_MemoryType memoryOfStorage(qint32 storage)
{
    return storage == 1 ? MEM_SM : MEM_ME;
}

} // namespace gammu

namespace gammu {

QString fromUnicode(const unsigned char* text, size_t maxChars)
{
    QString result;
    for (size_t i = 0; i < maxChars; ++i) {
        const char16_t unit = static_cast<char16_t>((text[2 * i] << 8) | text[2 * i + 1]);
        if (unit == 0)
            break;
        result.append(QChar(unit));
    }
    return result;
}

void toUnicode(const QString& text, unsigned char* dest, size_t maxChars)
{
    const size_t count = qMin(static_cast<size_t>(text.size()), maxChars);
    for (size_t i = 0; i < count; ++i) {
        const char16_t unit = text.at(static_cast<qsizetype>(i)).unicode();
        dest[2 * i] = static_cast<unsigned char>(unit >> 8);
        dest[2 * i + 1] = static_cast<unsigned char>(unit & 0xFF);
    }
    dest[2 * count] = 0;
    dest[2 * count + 1] = 0;
}

} // namespace gammu
