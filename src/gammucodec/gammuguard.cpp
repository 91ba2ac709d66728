#include "gammucodec/gammuguard.h"

#include "core/vproperty.h"

#include <cstring>

namespace gammu {

namespace {

bool isContinuation(const QByteArray& line)
{
    return line.startsWith(' ') || line.startsWith('\t');
}

QByteArray headOf(const QByteArray& text)
{
    const qsizetype colon = text.indexOf(':');
    return colon < 0 ? text : text.left(colon);
}

bool isQuotedPrintable(const QByteArray& head)
{
    return head.toUpper().contains("QUOTED-PRINTABLE");
}

// The most fields libgammu makes of one property: a compound value (a name, an address, a
// repeat rule) becomes several.
int fieldsOf(const QByteArray& name)
{
    if (name == "BEGIN" || name == "END" || name == "VERSION")
        return 0;
    if (name == "N" || name == "ADR" || name == "RRULE")
        return 8;
    return 1;
}

bool isCalendarTime(const QByteArray& name)
{
    return name == "DTSTART" || name == "DTEND" || name == "DUE" || name == "DALARM" ||
           name == "AALARM" || name == "LAST-MODIFIED" || name == "COMPLETED";
}

int textLimit(EntryKind kind, const QByteArray& name)
{
    if (kind != EntryKind::Contact && isCalendarTime(name))
        return limits::TimeTextChars;
    switch (kind) {
    case EntryKind::Contact:
        return limits::ContactTextChars;
    case EntryKind::Event:
        return limits::EventTextChars;
    case EntryKind::Todo:
        return limits::TodoTextChars;
    }
    return 0;
}

int fieldLimit(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Contact:
        return GSM_PHONEBOOK_ENTRIES;
    case EntryKind::Event:
        return GSM_CALENDAR_ENTRIES;
    case EntryKind::Todo:
        return GSM_TODO_ENTRIES;
    }
    return 0;
}

// The line's value with at least as many characters as libgammu makes of it: a byte each, or
// a UTF-16 unit each of well-formed UTF-8 text that says so.
QString valueOf(const QByteArray& line)
{
    const QByteArray head = headOf(line);
    QByteArray value = line.mid(head.size() + 1);
    if (isQuotedPrintable(head))
        value = vproperty::decodeQuotedPrintable(value);
    if (head.toUpper().contains("CHARSET=UTF-8")) {
        const QString text = QString::fromUtf8(value);
        if (text.toUtf8() == value)
            return text;
    }
    return QString::fromLatin1(value);
}

// libgammu's decoders read up to a zero byte; the text is handed over in a buffer of its own.
QByteArray terminated(const QByteArray& text)
{
    QByteArray buffer = text;
    buffer.append('\0');
    return buffer;
}

} // namespace

bool writerFits(const QString& text)
{
    qsizetype written = 1; // the closing zero byte
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit >= 0x800)
            written += 9;
        else if (unit >= 0x80)
            written += 6;
        else
            written += unit >= 0x20 && unit < 0x7F && unit != '=' ? 1 : 3;
    }
    return written <= 8 * text.size();
}

QList<PropertyLine> propertyLines(const QByteArray& entry)
{
    QList<QByteArray> physical = entry.split('\n');
    for (QByteArray& line : physical) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    QList<PropertyLine> lines;
    for (qsizetype i = 0; i < physical.size(); ++i) {
        QByteArray text = physical.at(i);
        const bool quotedPrintable = isQuotedPrintable(headOf(text));
        while (i + 1 < physical.size() &&
               ((quotedPrintable && text.endsWith('=')) || isContinuation(physical.at(i + 1))))
            text += "\r\n" + physical.at(++i);
        if (text.isEmpty())
            continue;
        const QByteArray name = headOf(text).split(';').first().trimmed().toUpper();
        lines.append({text, name});
    }
    return lines;
}

EntryFit::EntryFit(EntryKind kind) : m_kind(kind), m_fieldsLeft(fieldLimit(kind)) {}

bool EntryFit::take(const PropertyLine& line)
{
    const int fields = fieldsOf(line.name);
    if (fields > m_fieldsLeft)
        return false;
    // A photo is read into a buffer of its own size.
    const bool photo = m_kind == EntryKind::Contact && line.name == "PHOTO";
    if (!photo) {
        const int lineLimit =
            m_kind == EntryKind::Contact ? limits::ContactLineBytes : limits::CalendarLineBytes;
        if (line.text.size() > lineLimit)
            return false;
        const QString value = valueOf(line.text);
        if (value.size() > textLimit(m_kind, line.name))
            return false;
        // Each field of a compound value is written on its own.
        for (const QString& field : value.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (!writerFits(field))
                return false;
        }
    }
    m_fieldsLeft -= fields;
    return true;
}

bool entryFits(EntryKind kind, const QByteArray& entry)
{
    EntryFit fit(kind);
    bool inBlock = kind == EntryKind::Contact;
    for (const PropertyLine& line : propertyLines(entry)) {
        const QByteArray upper = line.text.trimmed().toUpper();
        // The decoder reads the first event or to-do only, with the limits of its kind.
        if (kind != EntryKind::Contact && !inBlock &&
            (upper == "BEGIN:VEVENT" || upper == "BEGIN:VTODO")) {
            inBlock = true;
            fit = EntryFit(upper == "BEGIN:VTODO" ? EntryKind::Todo : EntryKind::Event);
        }
        if (!fit.take(line))
            return false;
        if (kind != EntryKind::Contact && inBlock &&
            (upper == "END:VEVENT" || upper == "END:VTODO"))
            break;
    }
    return true;
}

Decoded decodeVCard(const QByteArray& vcard, GSM_MemoryEntry& entry)
{
    std::memset(&entry, 0, sizeof entry);
    if (!entryFits(EntryKind::Contact, vcard))
        return Decoded{false, ERR_NONE};
    QByteArray buffer = terminated(vcard);
    size_t position = 0;
    return Decoded{true, GSM_DecodeVCARD(nullptr, buffer.data(), &position, &entry, Nokia_VCard21)};
}

Decoded decodeVCalendar(const QByteArray& vcalendar, GSM_CalendarEntry& event, GSM_ToDoEntry& todo,
                        bool& isTodo)
{
    std::memset(&event, 0, sizeof event);
    std::memset(&todo, 0, sizeof todo);
    isTodo = false;
    if (!entryFits(EntryKind::Event, vcalendar))
        return Decoded{false, ERR_NONE};
    QByteArray buffer = terminated(vcalendar);
    size_t position = 0;
    const GSM_Error error = GSM_DecodeVCALENDAR_VTODO(nullptr, buffer.data(), &position, &event,
                                                      &todo, Nokia_VCalendar, Nokia_VToDo);
    isTodo = event.EntriesNum == 0 && todo.EntriesNum > 0;
    return Decoded{true, error};
}

QByteArray storeEntryText(bool calendar, const QByteArray& entry)
{
    return calendar ? "BEGIN:VCALENDAR\r\nVERSION:1.0\r\n" + entry + "\r\nEND:VCALENDAR\r\n"
                    : entry + "\r\n";
}

namespace {

// Reads a PDU front to back; every step fails once the octets run out.
class PduReader
{
public:
    explicit PduReader(const QByteArray& octets) : m_octets(octets) {}

    bool octet(int& value)
    {
        if (m_at >= m_octets.size())
            return false;
        value = static_cast<unsigned char>(m_octets.at(m_at++));
        return true;
    }
    bool skip(qsizetype count)
    {
        m_at += count;
        return m_at <= m_octets.size();
    }
    // An address: its length in digits, its type, its semi-octets.
    bool address()
    {
        int digits = 0;
        int type = 0;
        return octet(digits) && digits <= limits::AddressDigits && octet(type) &&
               skip((digits + 1) / 2);
    }
    qsizetype left() const { return m_octets.size() - m_at; }
    int peek() const { return static_cast<unsigned char>(m_octets.at(m_at)); }

private:
    const QByteArray& m_octets;
    qsizetype m_at = 0;
};

// Whether the user data is counted in septets; libgammu reads every coding it does not know
// as 8-bit data.
bool inSeptets(int dcs)
{
    const int group = dcs & 0xF0;
    if (group < 0x40)
        return (dcs & 0x0C) == 0 && (dcs & 0x20) == 0;
    if (group == 0xC0 || group == 0xD0)
        return (dcs & 0x04) == 0;
    if (group == 0xF0)
        return (dcs & 0x0C) == 0;
    return false;
}

// The user data: its length, and exactly the octets that length needs.
bool userDataFits(PduReader& reader, int dcs, bool withHeader)
{
    int length = 0;
    if (!reader.octet(length))
        return false;
    const bool septets = inSeptets(dcs);
    if (length > (septets ? limits::Septets : limits::Octets))
        return false;
    const qsizetype octets = septets ? (length * 7 + 7) / 8 : length;
    if (reader.left() != octets)
        return false;
    if (!withHeader)
        return true;
    // The header's length octet and the header itself lie within the user data.
    if (octets < 1)
        return false;
    const int header = reader.peek() + 1;
    return septets ? (header * 8 + 6) / 7 <= length : header <= length;
}

} // namespace

bool pduFits(const QByteArray& octets, bool withSmsc)
{
    PduReader reader(octets);
    int first = 0;
    if (withSmsc) {
        int smsc = 0;
        if (!reader.octet(smsc) || smsc > limits::AddressDigits / 2 + 1 || !reader.skip(smsc))
            return false;
    }
    if (!reader.octet(first))
        return false;
    const bool withHeader = (first & 0x40) != 0;
    int pid = 0;
    int dcs = 0;
    switch (first & 0x03) {
    case 0: // SMS-DELIVER
        return reader.address() && reader.octet(pid) && reader.octet(dcs) && reader.skip(7) &&
               userDataFits(reader, dcs, withHeader);
    case 1: { // SMS-SUBMIT
        const int validity = (first >> 3) & 0x03;
        return reader.skip(1) && reader.address() && reader.octet(pid) && reader.octet(dcs) &&
               reader.skip(validity == 0   ? 0
                           : validity == 2 ? 1
                                           : 7) &&
               userDataFits(reader, dcs, withHeader);
    }
    case 2: { // SMS-STATUS-REPORT: its user data is optional, announced by a parameter octet.
        if (!reader.skip(1) || !reader.address() || !reader.skip(7 + 7 + 1))
            return false;
        int parameters = 0;
        if (reader.left() == 0)
            return true;
        if (!reader.octet(parameters) || ((parameters & 0x01) && !reader.octet(pid)) ||
            ((parameters & 0x02) && !reader.octet(dcs)))
            return false;
        return (parameters & 0x04) ? userDataFits(reader, dcs, withHeader) : reader.left() == 0;
    }
    default:
        return false;
    }
}

Decoded decodePdu(const QByteArray& octets, bool withSmsc, GSM_SMSMessage& sms)
{
    std::memset(&sms, 0, sizeof sms);
    if (!pduFits(octets, withSmsc))
        return Decoded{false, ERR_NONE};
    // Should libgammu take a coding for another than the one counted above, it reads into
    // zeros of our own rather than past the octets.
    const QByteArray padded = octets + QByteArray(2 * limits::Septets, '\0');
    size_t end = 0;
    return Decoded{true,
                   GSM_DecodePDUFrame(
                       nullptr, &sms, reinterpret_cast<const unsigned char*>(padded.constData()),
                       static_cast<size_t>(octets.size()), &end, withSmsc ? TRUE : FALSE)};
}

} // namespace gammu
