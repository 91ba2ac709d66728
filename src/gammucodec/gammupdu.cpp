#include "gammucodec/gammupdu.h"

#include "gammucodec/gammuguard.h"
#include "gammucodec/gammumapping.h"

#include <QByteArray>
#include <cstring>
#include <memory>

namespace gammu {

namespace {

constexpr unsigned char Absent = 255;
constexpr int FrameSize = 1000;

void take(QByteArray& out, const unsigned char* frame, unsigned char at, int count)
{
    if (at != Absent)
        out.append(reinterpret_cast<const char*>(frame + at), count);
}

// A time zone in seconds as the time stamp's last octet: quarters of an hour in swapped BCD,
// 0x08 for a zone west of Greenwich.
unsigned char zoneOctet(int seconds)
{
    const int quarters = qMin(qAbs(seconds) / 900, 79);
    unsigned char octet = static_cast<unsigned char>(((quarters % 10) << 4) | (quarters / 10));
    if (seconds < 0)
        octet |= 0x08;
    return octet;
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
    // The encoder writes an empty service centre as "01 81"; a phone's PDU holds "00".
    if (sms.SMSC.Number[0] == 0 && sms.SMSC.Number[1] == 0)
        bytes.append('\0');
    else
        take(bytes, frame, layout.SMSCNumber, frame[layout.SMSCNumber] + 1);
    const qsizetype serviceCentre = bytes.size();
    take(bytes, frame, layout.firstbyte, 1);
    take(bytes, frame, layout.TPMR, 1);
    take(bytes, frame, layout.Number, (frame[layout.Number] + 1) / 2 + 2);
    take(bytes, frame, layout.TPPID, 1);
    take(bytes, frame, layout.TPDCS, 1);
    take(bytes, frame, layout.DateTime, 7);
    // The encoder writes the time zone octet as zero whatever the message's zone was.
    if (received && layout.DateTime != Absent)
        bytes[bytes.size() - 1] = static_cast<char>(zoneOctet(sms.DateTime.Timezone));
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
    const Decoded decoded = decodePdu(bytes, true, sms);
    if (!decoded.fits) {
        error = QStringLiteral("not a valid SMS");
        return false;
    }
    if (decoded.error != ERR_NONE || (sms.PDU != SMS_Deliver && sms.PDU != SMS_Submit)) {
        error = decoded.error != ERR_NONE
                    ? errorText(decoded.error)
                    : QStringLiteral("the PDU is no SMS-DELIVER or SMS-SUBMIT");
        return false;
    }
    return true;
}

} // namespace gammu
