#include "gammucodec/gammucodec.h"

#include "core/codepage.h"
#include "core/vproperty.h"
#include "gammucodec/gammuguard.h"
#include "gammucodec/gammumapping.h"
#include "gammucodec/gammupdu.h"

#include <gammu.h>

#include <QRegularExpression>

#include <cctype>
#include <cstring>
#include <memory>
#include <vector>

namespace gammucodec {

namespace {

// libgammu's writers fill a caller's buffer; an entry never comes near this size.
constexpr size_t kWriterBufferSize = 256 * 1024;

const QString kNotValidSms = QStringLiteral("not a valid SMS");

QDateTime fromGammu(const GSM_DateTime& time, Qt::TimeSpec timeSpec)
{
    const QDate date(time.Year, time.Month, time.Day);
    const QTime clock(time.Hour, time.Minute, time.Second);
    if (!date.isValid() || !clock.isValid())
        return QDateTime();
    return QDateTime(date, clock, timeSpec);
}

// A property line in UTF-8 with CHARSET=UTF-8: libgammu reads 8-bit text and quoted-printable
// bytes without a charset as Latin-1 and drops the characters Windows-1252 puts between 0x80
// and 0x9F (such as "Š").
QByteArray utf8Line(const QString& line)
{
    if (!line.contains(QLatin1Char(':')))
        return codepage::encode(line);
    return vproperty::utf8Line(vproperty::parse(line)).toUtf8();
}

using gammu::fromUnicode;
using gammu::PropertyLine;

// The entry's property lines; the file's text is Windows-1252, byte for character.
QList<PropertyLine> propertyLines(const QString& entry)
{
    return gammu::propertyLines(codepage::encode(entry));
}

QString textOf(const PropertyLine& line)
{
    return codepage::decode(line.text);
}

// The lines libgammu can take whole, in UTF-8 as it reads them best; the others are kept
// aside whole in leftOut, and the export and the listing handle them without libgammu.
QByteArray fittingLines(const QList<PropertyLine>& lines, gammu::EntryKind kind,
                        QStringList& leftOut)
{
    gammu::EntryFit fit(kind);
    QByteArray bytes;
    for (const PropertyLine& line : lines) {
        // The phone's record identifier means nothing to another address book.
        if (line.name == "X-IRMC-LUID")
            continue;
        const QByteArray handed = utf8Line(textOf(line));
        if (!fit.take(PropertyLine{handed, line.name})) {
            leftOut.append(textOf(line));
            continue;
        }
        bytes += handed + "\r\n";
    }
    return bytes;
}

QString phoneKind(const GSM_SubMemoryEntry& entry)
{
    switch (entry.EntryType) {
    case PBK_Number_Mobile:
        return QStringLiteral("mobile");
    case PBK_Number_Fax:
        return QStringLiteral("fax");
    case PBK_Number_Pager:
        return QStringLiteral("pager");
    case PBK_Number_Other:
    case PBK_Number_Messaging:
    case PBK_Number_Video:
        return QStringLiteral("other");
    default:
        break;
    }
    if (entry.Location == PBK_Location_Home)
        return QStringLiteral("home");
    if (entry.Location == PBK_Location_Work)
        return QStringLiteral("work");
    return QString();
}

bool isNumber(GSM_EntryType type)
{
    return type == PBK_Number_General || type == PBK_Number_Mobile || type == PBK_Number_Fax ||
           type == PBK_Number_Pager || type == PBK_Number_Other || type == PBK_Number_Messaging ||
           type == PBK_Number_Video;
}

QString joined(const QStringList& parts)
{
    QStringList present;
    for (const QString& part : parts) {
        if (!part.trimmed().isEmpty())
            present.append(part.trimmed());
    }
    return present.join(QLatin1Char(' '));
}

// Whether the entry's time property holds a UTC time ("...Z"); libgammu reads both kinds
// into the same fields.
bool isUtc(const QList<PropertyLine>& lines, const char* name)
{
    for (const PropertyLine& line : lines) {
        if (line.name == name)
            return line.text.trimmed().toUpper().endsWith('Z');
    }
    return false;
}

// The name of a contact whose name properties did not fit libgammu's fields.
QString nameOfOverlong(const QStringList& overlong)
{
    for (const char* name : {"N", "FN", "ORG"}) {
        for (const QString& line : overlong) {
            const vproperty::Property property = vproperty::parse(line);
            if (property.name != QLatin1String(name))
                continue;
            const QStringList parts = property.text.split(QLatin1Char(';'));
            // N holds the last name first.
            return property.name == QLatin1String("N") && parts.size() > 1
                       ? joined({parts.at(1), parts.at(0)})
                       : joined(parts);
        }
    }
    return QString();
}

} // namespace

SmsMessage decodeSms(const QString& hex, qint32 length)
{
    SmsMessage message;
    const QByteArray ascii = hex.trimmed().toLatin1();
    for (char c : ascii) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            message.error = QStringLiteral("the PDU is not hexadecimal");
            return message;
        }
    }
    const QByteArray bytes = QByteArray::fromHex(ascii);
    if (ascii.size() % 2 != 0 || bytes.isEmpty()) {
        message.error = QStringLiteral("the PDU is incomplete");
        return message;
    }
    // The stored Length counts the octets after the service centre field: it tells whether
    // the PDU starts with that field.
    bool withSmsc = true;
    if (length == bytes.size())
        withSmsc = false;
    else if (length > 0 && static_cast<quint8>(bytes.at(0)) + 1 + length != bytes.size()) {
        message.error = kNotValidSms;
        return message;
    }

    auto sms = std::make_unique<GSM_SMSMessage>();
    const gammu::Decoded decoded = gammu::decodePdu(bytes, withSmsc, *sms);
    if (!decoded.fits) {
        message.error = kNotValidSms;
        return message;
    }
    if (decoded.error != ERR_NONE) {
        message.error =
            QStringLiteral("the PDU cannot be decoded (%1)").arg(gammu::errorText(decoded.error));
        return message;
    }
    message.ok = true;
    message.kind = sms->PDU == SMS_Deliver  ? SmsMessage::Kind::Deliver
                   : sms->PDU == SMS_Submit ? SmsMessage::Kind::Submit
                                            : SmsMessage::Kind::Other;
    message.number = fromUnicode(sms->Number);
    message.smsc = fromUnicode(sms->SMSC.Number);
    if (sms->PDU == SMS_Deliver) {
        QDateTime time = fromGammu(sms->DateTime, Qt::OffsetFromUTC);
        if (time.isValid())
            time.setOffsetFromUtc(sms->DateTime.Timezone);
        message.time = time;
    }
    switch (sms->Coding) {
    case SMS_Coding_8bit: {
        message.coding = SmsMessage::Coding::EightBit;
        const int size = qBound(0, sms->Length, static_cast<int>(sizeof(sms->Text)));
        message.text = codepage::decode(QByteArray(reinterpret_cast<const char*>(sms->Text), size));
        break;
    }
    case SMS_Coding_Unicode_No_Compression:
    case SMS_Coding_Unicode_Compression:
        message.coding = SmsMessage::Coding::Ucs2;
        message.text = fromUnicode(sms->Text);
        break;
    default:
        message.coding = SmsMessage::Coding::Gsm7;
        message.text = fromUnicode(sms->Text);
        break;
    }
    const GSM_UDHHeader& udh = sms->UDH;
    if (udh.Type != UDH_NoUDH && udh.AllParts > 1 && udh.PartNumber >= 1) {
        message.reference = udh.ID16bit >= 0 ? udh.ID16bit : udh.ID8bit;
        message.part = udh.PartNumber;
        message.parts = udh.AllParts;
    }
    return message;
}

namespace {

void toGammu(const QDateTime& time, GSM_DateTime& out)
{
    out.Year = time.date().year();
    out.Month = time.date().month();
    out.Day = time.date().day();
    out.Hour = time.time().hour();
    out.Minute = time.time().minute();
    out.Second = time.time().second();
    out.Timezone = time.offsetFromUtc();
}

// The parts of message with libgammu's splitter, in UCS-2 or the default alphabet; libgammu
// cuts a text beyond its last part without a word, which the caller checks.
bool encodeParts(const MessageText& message, GSM_SMS_State state, bool unicode,
                 QList<StoredPdu>& pdus, bool& allParts, QString& error)
{
    std::vector<unsigned char> text(static_cast<size_t>(message.text.size()) * 2 + 2);
    gammu::toUnicode(message.text, text.data(), static_cast<size_t>(message.text.size()));
    GSM_MultiPartSMSInfo info;
    GSM_ClearMultiPartSMSInfo(&info);
    info.EntriesNum = 1;
    info.UnicodeCoding = unicode ? TRUE : FALSE;
    info.Class = -1;
    info.Entries[0].ID = SMS_ConcatenatedTextLong;
    info.Entries[0].Buffer = text.data();
    auto multi = std::make_unique<GSM_MultiSMSMessage>();
    std::memset(multi.get(), 0, sizeof *multi);
    const GSM_Error result = GSM_EncodeMultiPartSMS(nullptr, &info, multi.get());
    if (result != ERR_NONE) {
        error = gammu::errorText(result);
        return false;
    }
    allParts = multi->Number >= GSM_MAX_MULTI_SMS;
    for (int i = 0; i < multi->Number; ++i) {
        GSM_SMSMessage& sms = multi->SMS[i];
        // libgammu takes the reference from the clock; the same file makes the same backup.
        if (sms.UDH.Type != UDH_NoUDH && sms.UDH.Length >= 6 && sms.UDH.Text[1] == 0x00) {
            sms.UDH.Text[3] = static_cast<unsigned char>(message.reference & 0xFF);
            sms.UDH.ID8bit = message.reference & 0xFF;
        }
        sms.State = state;
        sms.PDU = message.type <= 1 ? SMS_Deliver : SMS_Submit;
        gammu::toUnicode(message.number, sms.Number, GSM_MAX_NUMBER_LENGTH);
        if (message.type <= 1) {
            gammu::toUnicode(message.smsc, sms.SMSC.Number, GSM_MAX_NUMBER_LENGTH);
            toGammu(message.time, sms.DateTime);
        }
        gammu::EncodedPdu pdu;
        if (!gammu::encodePdu(sms, pdu, error))
            return false;
        pdus.append({pdu.hex, pdu.length});
    }
    return true;
}

} // namespace

bool encodeMessage(const MessageText& message, QList<StoredPdu>& pdus, QString& error)
{
    GSM_SMS_State state;
    if (!gammu::stateOfType(message.type, state)) {
        error = QStringLiteral("the message's type %1 is unknown").arg(message.type);
        return false;
    }
    if (message.type <= 1 && !message.time.isValid()) {
        error = QStringLiteral("a received message needs its time");
        return false;
    }
    bool allParts = false;
    for (const bool unicode : {false, true}) {
        QList<StoredPdu> encoded;
        if (!encodeParts(message, state, unicode, encoded, allParts, error))
            return false;
        QString text;
        QString number;
        for (const StoredPdu& pdu : std::as_const(encoded)) {
            const SmsMessage decoded = decodeSms(pdu.hex, pdu.length);
            if (!decoded.ok) {
                error = decoded.error;
                return false;
            }
            text += decoded.text;
            number = decoded.number;
        }
        if (number != message.number) {
            error = QStringLiteral("the number \"%1\" does not fit a message").arg(message.number);
            return false;
        }
        if (text == message.text) {
            pdus = encoded;
            return true;
        }
    }
    error = allParts ? QStringLiteral("the text of %1 characters does not fit into the %2 parts "
                                      "of a long message")
                           .arg(message.text.size())
                           .arg(GSM_MAX_MULTI_SMS)
                     : QStringLiteral("the text cannot be written into a message");
    return false;
}

Contact decodeContact(const QString& vcard)
{
    Contact contact;
    const QByteArray fitting =
        fittingLines(propertyLines(vcard), gammu::EntryKind::Contact, contact.overlong);
    auto entry = std::make_unique<GSM_MemoryEntry>();
    GSM_Error error = gammu::decodeVCard(fitting, *entry).error;
    if (entry->EntriesNum == 0 && !contact.overlong.isEmpty()) {
        // Nothing fitted libgammu's fields: the entry is what was kept aside.
        GSM_FreeMemoryEntry(entry.get());
        contact.name = nameOfOverlong(contact.overlong);
        contact.vcard = QStringLiteral("BEGIN:VCARD\r\nVERSION:2.1\r\nEND:VCARD\r\n");
        contact.ok = true;
        return contact;
    }
    if (error != ERR_NONE || entry->EntriesNum == 0) {
        contact.error =
            error == ERR_NONE
                ? QStringLiteral("the vCard holds nothing")
                : QStringLiteral("the vCard cannot be read (%1)").arg(gammu::errorText(error));
        GSM_FreeMemoryEntry(entry.get());
        return contact;
    }

    QString first, last, full, company;
    for (int i = 0; i < entry->EntriesNum; ++i) {
        const GSM_SubMemoryEntry& sub = entry->Entries[i];
        const QString text = fromUnicode(sub.Text);
        if (isNumber(sub.EntryType))
            contact.numbers.append({phoneKind(sub), text});
        else if (sub.EntryType == PBK_Text_Email || sub.EntryType == PBK_Text_Email2)
            contact.emails.append(text);
        else if (sub.EntryType == PBK_Text_FirstName)
            first = text;
        else if (sub.EntryType == PBK_Text_LastName)
            last = text;
        else if (sub.EntryType == PBK_Text_Name || sub.EntryType == PBK_Text_FormalName)
            full = text;
        else if (sub.EntryType == PBK_Text_Company)
            company = text;
    }
    contact.name = joined({first, last});
    if (contact.name.isEmpty())
        contact.name = full.isEmpty() ? company : full;
    if (contact.name.isEmpty())
        contact.name = nameOfOverlong(contact.overlong);

    QByteArray out(kWriterBufferSize, '\0');
    size_t length = 0;
    error = GSM_EncodeVCARD(nullptr, out.data(), kWriterBufferSize, &length, entry.get(), TRUE,
                            Nokia_VCard21);
    GSM_FreeMemoryEntry(entry.get());
    if (error != ERR_NONE) {
        contact.error =
            QStringLiteral("the vCard cannot be written (%1)").arg(gammu::errorText(error));
        return contact;
    }
    contact.vcard = QString::fromUtf8(out.constData(), static_cast<qsizetype>(length));
    contact.ok = true;
    return contact;
}

namespace {

// libgammu's vCalendar writer writes "Z" after every time whose zone it holds as 0, a floating
// time of the entry too, and a to-do's priority the wrong way round (High as 3): both go back
// to what the entry said.
QString asTheEntrySaid(const QString& written, const QList<PropertyLine>& block,
                       const GSM_ToDoEntry* todo)
{
    static const QRegularExpression utcTime(QStringLiteral("(\\d{8}T\\d{6})Z"));
    static const QStringList times{QStringLiteral("DTSTART"), QStringLiteral("DTEND"),
                                   QStringLiteral("DUE"), QStringLiteral("COMPLETED")};
    QStringList lines = written.split(QStringLiteral("\r\n"));
    for (QString& line : lines) {
        const QString name = line.section(QLatin1Char(':'), 0, 0).section(QLatin1Char(';'), 0, 0);
        if (times.contains(name) && !isUtc(block, name.toLatin1().constData()))
            line.replace(utcTime, QStringLiteral("\\1"));
        else if (todo && name == QLatin1String("PRIORITY"))
            line = QStringLiteral("PRIORITY:%1").arg(todo->Priority == GSM_Priority_High     ? 1
                                                     : todo->Priority == GSM_Priority_Medium ? 2
                                                     : todo->Priority == GSM_Priority_Low    ? 3
                                                                                             : 0);
    }
    return lines.join(QStringLiteral("\r\n"));
}

CalendarItem decodeCalendarBlock(const QList<PropertyLine>& block, bool todo)
{
    CalendarItem item;
    item.todo = todo;
    const QByteArray fitting =
        "BEGIN:VCALENDAR\r\nVERSION:1.0\r\n" +
        fittingLines(block, todo ? gammu::EntryKind::Todo : gammu::EntryKind::Event,
                     item.overlong) +
        "END:VCALENDAR\r\n";
    auto calendar = std::make_unique<GSM_CalendarEntry>();
    auto task = std::make_unique<GSM_ToDoEntry>();
    bool isTodo = false;
    GSM_Error error = gammu::decodeVCalendar(fitting, *calendar, *task, isTodo).error;
    const int entries = todo ? task->EntriesNum : calendar->EntriesNum;
    if (entries == 0 && !item.overlong.isEmpty()) {
        // Nothing libgammu could read fitted: the entry is what was kept aside.
        const QString kind = todo ? QStringLiteral("VTODO") : QStringLiteral("VEVENT");
        item.icalendar = QStringLiteral("BEGIN:VCALENDAR\r\nBEGIN:%1\r\nEND:%1\r\n"
                                        "END:VCALENDAR\r\n")
                             .arg(kind);
        item.ok = true;
        return item;
    }
    if (error != ERR_NONE || entries == 0) {
        item.error =
            error == ERR_NONE
                ? QStringLiteral("the entry holds nothing")
                : QStringLiteral("the entry cannot be read (%1)").arg(gammu::errorText(error));
        return item;
    }

    QByteArray out(kWriterBufferSize, '\0');
    size_t length = 0;
    if (todo) {
        const Qt::TimeSpec due = isUtc(block, "DUE") ? Qt::UTC : Qt::LocalTime;
        for (int i = 0; i < task->EntriesNum; ++i) {
            const GSM_SubToDoEntry& sub = task->Entries[i];
            if (sub.EntryType == TODO_TEXT)
                item.summary = fromUnicode(sub.Text);
            else if (sub.EntryType == TODO_DESCRIPTION)
                item.description = fromUnicode(sub.Text);
            else if (sub.EntryType == TODO_LOCATION)
                item.location = fromUnicode(sub.Text);
            else if (sub.EntryType == TODO_END_DATETIME)
                item.end = fromGammu(sub.Date, due);
            else if (sub.EntryType == TODO_COMPLETED)
                item.completed = sub.Number != 0;
        }
        item.priority = task->Priority == GSM_Priority_High     ? 1
                        : task->Priority == GSM_Priority_Medium ? 2
                        : task->Priority == GSM_Priority_Low    ? 3
                                                                : 0;
        error = GSM_EncodeVTODO(out.data(), kWriterBufferSize, &length, task.get(), TRUE,
                                Nokia_VToDo);
        if (error == ERR_NONE)
            item.vcalendar = asTheEntrySaid(
                QString::fromUtf8(out.constData(), static_cast<qsizetype>(length)), block, task.get());
        length = 0;
        error = GSM_EncodeVTODO(out.data(), kWriterBufferSize, &length, task.get(), TRUE,
                                Mozilla_VToDo);
    } else {
        const Qt::TimeSpec start = isUtc(block, "DTSTART") ? Qt::UTC : Qt::LocalTime;
        const Qt::TimeSpec end = isUtc(block, "DTEND") ? Qt::UTC : Qt::LocalTime;
        for (int i = 0; i < calendar->EntriesNum; ++i) {
            const GSM_SubCalendarEntry& sub = calendar->Entries[i];
            if (sub.EntryType == CAL_TEXT)
                item.summary = fromUnicode(sub.Text);
            else if (sub.EntryType == CAL_DESCRIPTION)
                item.description = fromUnicode(sub.Text);
            else if (sub.EntryType == CAL_LOCATION)
                item.location = fromUnicode(sub.Text);
            else if (sub.EntryType == CAL_START_DATETIME)
                item.start = fromGammu(sub.Date, start);
            else if (sub.EntryType == CAL_END_DATETIME)
                item.end = fromGammu(sub.Date, end);
        }
        error = GSM_EncodeVCALENDAR(out.data(), kWriterBufferSize, &length, calendar.get(), TRUE,
                                    Nokia_VCalendar);
        if (error == ERR_NONE)
            item.vcalendar = asTheEntrySaid(
                QString::fromUtf8(out.constData(), static_cast<qsizetype>(length)), block, nullptr);
        length = 0;
        error = GSM_EncodeVCALENDAR(out.data(), kWriterBufferSize, &length, calendar.get(), TRUE,
                                    Mozilla_iCalendar);
    }
    if (error != ERR_NONE) {
        item.error =
            QStringLiteral("the entry cannot be written (%1)").arg(gammu::errorText(error));
        return item;
    }
    item.icalendar = QString::fromUtf8(out.constData(), static_cast<qsizetype>(length));
    item.ok = true;
    return item;
}

} // namespace

QList<CalendarItem> decodeCalendar(const QString& vcalendar)
{
    // Each event and to-do is read on its own, so that one that libgammu cannot read costs
    // only itself.
    QList<CalendarItem> items;
    QList<PropertyLine> block;
    bool inBlock = false;
    bool todo = false;
    for (const PropertyLine& line : propertyLines(vcalendar)) {
        const QByteArray upper = line.text.trimmed().toUpper();
        if (upper == "BEGIN:VEVENT" || upper == "BEGIN:VTODO") {
            inBlock = true;
            todo = upper.endsWith("VTODO");
            block = {line};
            continue;
        }
        if (!inBlock)
            continue;
        block.append(line);
        if (upper == "END:VEVENT" || upper == "END:VTODO") {
            items.append(decodeCalendarBlock(block, todo));
            inBlock = false;
        }
    }
    if (inBlock) {
        CalendarItem cut;
        cut.todo = todo;
        cut.error = QStringLiteral("the entry has no END line");
        items.append(cut);
    }
    return items;
}

} // namespace gammucodec
