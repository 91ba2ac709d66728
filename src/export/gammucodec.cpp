#include "export/gammucodec.h"

#include "core/codepage.h"
#include "core/vproperty.h"

#include <gammu.h>

#include <cctype>
#include <cstring>
#include <memory>

namespace gammucodec {

namespace {

// libgammu's writers fill a caller's buffer; an entry never comes near this size.
constexpr size_t kWriterBufferSize = 256 * 1024;

GSM_Debug_Info* debugInfo()
{
    return GSM_GetGlobalDebug();
}

// libgammu's texts: UCS-2, big-endian, ended by a zero character.
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

template <size_t N> QString fromUnicode(const unsigned char (&text)[N])
{
    return fromUnicode(text, N / 2);
}

QDateTime fromGammu(const GSM_DateTime& time, Qt::TimeSpec timeSpec)
{
    const QDate date(time.Year, time.Month, time.Day);
    const QTime clock(time.Hour, time.Minute, time.Second);
    if (!date.isValid() || !clock.isValid())
        return QDateTime();
    return QDateTime(date, clock, timeSpec);
}

// One logical line of a vCard or vCalendar entry: the physical line and its continuation
// lines (a quoted-printable value ending in "=", or a line that starts with a blank).
struct LogicalLine
{
    QString text;
    QString name; // upper case, parameters left out
};

QList<LogicalLine> logicalLines(const QString& entry)
{
    QList<LogicalLine> lines;
    const QStringList physical = entry.split(QStringLiteral("\r\n"));
    for (qsizetype i = 0; i < physical.size(); ++i) {
        QString text = physical.at(i);
        const bool quotedPrintable =
            text.left(text.indexOf(QLatin1Char(':'))).contains(QLatin1String("QUOTED-PRINTABLE"),
                                                               Qt::CaseInsensitive);
        while (i + 1 < physical.size() &&
               ((quotedPrintable && text.endsWith(QLatin1Char('='))) ||
                physical.at(i + 1).startsWith(QLatin1Char(' ')) ||
                physical.at(i + 1).startsWith(QLatin1Char('\t'))))
            text += QStringLiteral("\r\n") + physical.at(++i);
        if (text.isEmpty())
            continue;
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        const QString head = colon < 0 ? text : text.left(colon);
        lines.append({text, head.section(QLatin1Char(';'), 0, 0).trimmed().toUpper()});
    }
    return lines;
}

// What libgammu reads of an entry must fit its fixed fields: a value longer than its field
// would be cut or overrun its buffer, and more properties than an entry has fields would
// overrun the entry. A property that does not fit never reaches libgammu and is kept whole
// aside (an empty result). A value is counted as written, which is never shorter than its text;
// a property is counted as the most fields libgammu makes of it.
class Guard
{
public:
    Guard(int textLimit, int fields, QStringList& leftOut)
        : m_textLimit(textLimit), m_fields(fields), m_leftOut(leftOut)
    {
    }

    QString take(const LogicalLine& line)
    {
        const qsizetype colon = line.text.indexOf(QLatin1Char(':'));
        if (colon < 0 || line.name == QLatin1String("BEGIN") || line.name == QLatin1String("END") ||
            line.name == QLatin1String("VERSION"))
            return line.text;
        const bool compound = line.name == QLatin1String("N") ||
                              line.name == QLatin1String("ADR") ||
                              line.name == QLatin1String("RRULE");
        const int fields = compound ? 6 : 1;
        if (line.text.size() - colon - 1 > m_textLimit || fields > m_fields) {
            m_leftOut.append(line.text);
            return QString();
        }
        m_fields -= fields;
        return line.text;
    }

private:
    int m_textLimit;
    int m_fields;
    QStringList& m_leftOut;
};

// A property line in UTF-8 with CHARSET=UTF-8: libgammu reads 8-bit text and quoted-printable
// bytes without a charset as Latin-1 and drops the characters Windows-1252 puts between 0x80
// and 0x9F (such as "Š").
QByteArray utf8Line(const QString& line)
{
    if (!line.contains(QLatin1Char(':')))
        return codepage::encode(line);
    return vproperty::utf8Line(vproperty::parse(line)).toUtf8();
}

QByteArray bytesFor(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += utf8Line(line) + "\r\n";
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
           type == PBK_Number_Pager || type == PBK_Number_Other ||
           type == PBK_Number_Messaging || type == PBK_Number_Video;
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
bool isUtc(const QList<LogicalLine>& lines, const char* name)
{
    for (const LogicalLine& line : lines) {
        if (line.name == QLatin1String(name))
            return line.text.trimmed().endsWith(QLatin1Char('Z'), Qt::CaseInsensitive);
    }
    return false;
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
        message.error = QStringLiteral("the PDU does not have the stored length %1").arg(length);
        return message;
    }

    auto sms = std::make_unique<GSM_SMSMessage>();
    std::memset(sms.get(), 0, sizeof(GSM_SMSMessage));
    size_t end = 0;
    const GSM_Error error = GSM_DecodePDUFrame(
        debugInfo(), sms.get(), reinterpret_cast<const unsigned char*>(bytes.constData()),
        static_cast<size_t>(bytes.size()), &end, withSmsc ? TRUE : FALSE);
    if (error != ERR_NONE) {
        message.error = QStringLiteral("the PDU cannot be decoded (%1)")
                            .arg(QString::fromUtf8(GSM_ErrorString(error)));
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
        message.text = codepage::decode(
            QByteArray(reinterpret_cast<const char*>(sms->Text), size));
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

Contact decodeContact(const QString& vcard)
{
    Contact contact;
    QStringList guarded;
    Guard guard(GSM_PHONEBOOK_TEXT_LENGTH, GSM_PHONEBOOK_ENTRIES, contact.overlong);
    for (const LogicalLine& line : logicalLines(vcard)) {
        // The phone's record identifier means nothing to another address book.
        if (line.name == QLatin1String("X-IRMC-LUID"))
            continue;
        const QString kept = guard.take(line);
        if (!kept.isEmpty())
            guarded.append(kept);
    }
    QByteArray buffer = bytesFor(guarded);
    auto entry = std::make_unique<GSM_MemoryEntry>();
    std::memset(entry.get(), 0, sizeof(GSM_MemoryEntry));
    size_t pos = 0;
    GSM_Error error = GSM_DecodeVCARD(debugInfo(), buffer.data(), &pos, entry.get(),
                                      Nokia_VCard21);
    if (error != ERR_NONE || entry->EntriesNum == 0) {
        contact.error = error == ERR_NONE ? QStringLiteral("the vCard holds nothing")
                                          : QStringLiteral("the vCard cannot be read (%1)")
                                                .arg(QString::fromUtf8(GSM_ErrorString(error)));
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

    QByteArray out(kWriterBufferSize, '\0');
    size_t length = 0;
    error = GSM_EncodeVCARD(debugInfo(), out.data(), kWriterBufferSize, &length, entry.get(),
                            TRUE, Nokia_VCard21);
    GSM_FreeMemoryEntry(entry.get());
    if (error != ERR_NONE) {
        contact.error = QStringLiteral("the vCard cannot be written (%1)")
                            .arg(QString::fromUtf8(GSM_ErrorString(error)));
        return contact;
    }
    contact.vcard = QString::fromUtf8(out.constData(), static_cast<qsizetype>(length));
    contact.ok = true;
    return contact;
}

namespace {

CalendarItem decodeCalendarBlock(const QList<LogicalLine>& block, bool todo)
{
    CalendarItem item;
    item.todo = todo;
    // libgammu's to-do texts are much shorter than its event texts.
    Guard guard(todo ? GSM_MAX_TODO_TEXT_LENGTH : GSM_MAX_CALENDAR_TEXT_LENGTH,
                todo ? GSM_TODO_ENTRIES : GSM_CALENDAR_ENTRIES, item.overlong);
    QStringList guarded{QStringLiteral("BEGIN:VCALENDAR"), QStringLiteral("VERSION:1.0")};
    for (const LogicalLine& line : block) {
        if (line.name == QLatin1String("X-IRMC-LUID"))
            continue;
        const QString kept = guard.take(line);
        if (!kept.isEmpty())
            guarded.append(kept);
    }
    guarded.append(QStringLiteral("END:VCALENDAR"));
    QByteArray buffer = bytesFor(guarded);

    auto calendar = std::make_unique<GSM_CalendarEntry>();
    auto task = std::make_unique<GSM_ToDoEntry>();
    std::memset(calendar.get(), 0, sizeof(GSM_CalendarEntry));
    std::memset(task.get(), 0, sizeof(GSM_ToDoEntry));
    size_t pos = 0;
    GSM_Error error = GSM_DecodeVCALENDAR_VTODO(debugInfo(), buffer.data(), &pos, calendar.get(),
                                                task.get(), Nokia_VCalendar,
                                                Nokia_VToDo);
    const int entries = todo ? task->EntriesNum : calendar->EntriesNum;
    if (error != ERR_NONE || entries == 0) {
        item.error = error == ERR_NONE
                         ? QStringLiteral("the entry holds nothing")
                         : QStringLiteral("the entry cannot be read (%1)")
                               .arg(QString::fromUtf8(GSM_ErrorString(error)));
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
                                    Mozilla_iCalendar);
    }
    if (error != ERR_NONE) {
        item.error = QStringLiteral("the entry cannot be written (%1)")
                         .arg(QString::fromUtf8(GSM_ErrorString(error)));
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
    QList<LogicalLine> block;
    bool inBlock = false;
    bool todo = false;
    for (const LogicalLine& line : logicalLines(vcalendar)) {
        const QString upper = line.text.trimmed().toUpper();
        if (upper == QLatin1String("BEGIN:VEVENT") || upper == QLatin1String("BEGIN:VTODO")) {
            inBlock = true;
            todo = upper.endsWith(QLatin1String("VTODO"));
            block = {line};
            continue;
        }
        if (!inBlock)
            continue;
        block.append(line);
        if (upper == QLatin1String("END:VEVENT") || upper == QLatin1String("END:VTODO")) {
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
