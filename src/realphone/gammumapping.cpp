#include "realphone/gammumapping.h"

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

namespace {

constexpr unsigned char Absent = 255;
constexpr int FrameSize = 1000;

void take(QByteArray& out, const unsigned char* frame, unsigned char at, int count)
{
    if (at != Absent)
        out.append(reinterpret_cast<const char*>(frame + at), count);
}

} // namespace

bool encodePdu(const GSM_SMSMessage& original, EncodedPdu& pdu, QString& error)
{
    GSM_SMSMessage sms = original;
    pdu.type = typeOfState(sms.State);
    const bool received = pdu.type <= 1;
    sms.PDU = received ? SMS_Deliver : SMS_Submit;
    if (!received)
        sms.SMSC.Validity.Format = SMS_Validity_NotAvailable;
    GSM_SMSMessageLayout layout = received ? PHONE_SMSDeliver : PHONE_SMSSubmit;
    unsigned char frame[FrameSize];
    std::memset(frame, 0, sizeof frame);
    int end = 0;
    const GSM_Error result = GSM_EncodeSMSFrame(nullptr, &sms, frame, layout, &end, TRUE);
    if (result != ERR_NONE) {
        error = errorText(result);
        return false;
    }
    // libgammu lays the fields out in a frame of its own; a PDU takes them in 03.40 order.
    QByteArray bytes;
    take(bytes, frame, layout.SMSCNumber, frame[layout.SMSCNumber] + 1);
    const qsizetype serviceCentre = bytes.size();
    take(bytes, frame, layout.firstbyte, 1);
    take(bytes, frame, layout.TPMR, 1);
    take(bytes, frame, layout.Number, (frame[layout.Number] + 1) / 2 + 2);
    take(bytes, frame, layout.TPPID, 1);
    take(bytes, frame, layout.TPDCS, 1);
    take(bytes, frame, layout.DateTime, 7);
    if (!received && (frame[layout.firstbyte] & 0x18) != 0)
        take(bytes, frame, layout.TPVP, 1);
    take(bytes, frame, layout.TPUDL, 1);
    take(bytes, frame, layout.Text, end - layout.Text);
    pdu.hex = QString::fromLatin1(bytes.toHex().toUpper());
    pdu.length = static_cast<qint32>(bytes.size() - serviceCentre);
    // libgammu's encoder cuts a text that does not fit beside its header without a word; a
    // part is kept whole or not at all.
    auto check = std::make_unique<GSM_SMSMessage>();
    if (!decodePdu(pdu.hex, pdu.length, *check, error))
        return false;
    const bool eightBit = original.Coding == SMS_Coding_8bit;
    const qsizetype characters = eightBit ? original.Length : fromUnicode(original.Text).size();
    if ((eightBit ? check->Length : fromUnicode(check->Text).size()) != characters ||
        check->UDH.Length != original.UDH.Length) {
        error = QStringLiteral("the message part of %1 characters does not fit into one PDU")
                    .arg(characters);
        return false;
    }
    return true;
}

bool decodePdu(const QString& hex, qint32 length, GSM_SMSMessage& sms, QString& error)
{
    const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    if (bytes.isEmpty() || bytes.toHex().toUpper() != hex.trimmed().toUpper().toLatin1()) {
        error = QStringLiteral("the PDU is no hexadecimal text");
        return false;
    }
    const qsizetype serviceCentre = static_cast<unsigned char>(bytes.at(0)) + 1;
    if (length != bytes.size() - serviceCentre) {
        error = QStringLiteral("the PDU has %1 TPDU octets, not %2")
                    .arg(bytes.size() - serviceCentre)
                    .arg(length);
        return false;
    }
    std::memset(&sms, 0, sizeof sms);
    size_t end = 0;
    const GSM_Error result = GSM_DecodePDUFrame(
        nullptr, &sms, reinterpret_cast<const unsigned char*>(bytes.constData()),
        static_cast<size_t>(bytes.size()), &end, TRUE);
    if (result != ERR_NONE || (sms.PDU != SMS_Deliver && sms.PDU != SMS_Submit)) {
        error = result != ERR_NONE ? errorText(result)
                                   : QStringLiteral("the PDU is no SMS-DELIVER or SMS-SUBMIT");
        return false;
    }
    return true;
}

} // namespace gammu

namespace gammu {

QString fromUnicode(const unsigned char* text)
{
    QString result;
    for (size_t i = 0; text[i] != 0 || text[i + 1] != 0; i += 2)
        result.append(QChar(static_cast<char16_t>((text[i] << 8) | text[i + 1])));
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
