#pragma once

// The one door through which text from a file or a phone reaches libgammu's vCard, vCalendar
// and PDU decoders. libgammu 1.42 decodes into fixed buffers and fields: a text longer than
// they are is cut, or overruns them. What does not fit is turned away here, never handed on.
// Only src/realphone and the export's codec include this header: it carries libgammu's types.

#include <gammu.h>

#include <QByteArray>
#include <QList>

namespace gammu {

// The limits of libgammu 1.42's decoders, found in its headers and confirmed by feeding it
// growing texts under AddressSanitizer and a stack protector.
namespace limits {
// A calendar line is read into a 2,000-byte buffer (continuation lines joined).
constexpr int CalendarLineBytes = 1990;
// An event's text is decoded as UCS-2 into a 2,000-byte buffer; 1,004 characters overrun it.
constexpr int EventTextChars = 990;
constexpr int TodoTextChars = GSM_MAX_TODO_TEXT_LENGTH;
// A calendar time (DTSTART, DUE, an alarm...) is decoded into a 200-byte buffer; 100
// characters overrun it. A real one has 16.
constexpr int TimeTextChars = 64;
// A contact's text is copied into a field of GSM_PHONEBOOK_TEXT_LENGTH characters; a longer
// one is cut or, past 10,000 characters, overruns the decoder's buffer.
constexpr int ContactTextChars = GSM_PHONEBOOK_TEXT_LENGTH;
constexpr int ContactLineBytes = CalendarLineBytes;
// A PDU's user data: 160 septets or 140 octets.
constexpr int Septets = 160;
constexpr int Octets = 140;
// An address (the other party, the service centre) holds at most 20 digits.
constexpr int AddressDigits = 20;
} // namespace limits

enum class EntryKind { Contact, Event, Todo };

// libgammu's vCard and vCalendar writers write a text as quoted-printable UTF-8 into a buffer
// of 8 bytes per character: a text of characters from U+0800 on ("…", "€", most scripts of
// Asia) needs 9 and overruns it. Whether text is written within the buffer.
bool writerFits(const QString& text);

// One property line as libgammu's decoder reads it: the first physical line and its
// continuation lines (a quoted-printable value ending in "=", a line starting with a blank),
// joined with CR LF.
struct PropertyLine
{
    QByteArray text;
    QByteArray name; // upper case, without parameters
};
QList<PropertyLine> propertyLines(const QByteArray& entry);

// Counts an entry's lines against the decoder's limits: a line's length, its value's length
// and the fields libgammu makes of the entry's properties; and what the decoder reads must be
// written back by libgammu's writers too.
class EntryFit
{
public:
    explicit EntryFit(EntryKind kind);
    // True when line fits into what is left of the entry; it then takes its fields.
    bool take(const PropertyLine& line);

private:
    EntryKind m_kind;
    int m_fieldsLeft;
};

// Whether the whole entry fits: a vCard, or the first event or to-do of a vCalendar text.
bool entryFits(EntryKind kind, const QByteArray& entry);

// What the door did with a text.
struct Decoded
{
    bool fits = false;          // false: turned away, libgammu never saw it
    GSM_Error error = ERR_NONE; // libgammu's answer when it fits
    bool ok() const { return fits && error == ERR_NONE; }
};

Decoded decodeVCard(const QByteArray& vcard, GSM_MemoryEntry& entry);
// A vCalendar text with its VCALENDAR header; its first event or to-do is read, and isTodo
// tells which one it was.
Decoded decodeVCalendar(const QByteArray& vcalendar, GSM_CalendarEntry& event, GSM_ToDoEntry& todo,
                        bool& isTodo);

// The text the libgammu store hands the decoder for an entry the OBEX server received: a
// vCard as it came, a calendar entry inside a VCALENDAR of its own.
QByteArray storeEntryText(bool calendar, const QByteArray& entry);

// Whether octets are one whole SMS-DELIVER, SMS-SUBMIT or SMS-STATUS-REPORT PDU whose lengths
// match its octets and whose user data stays within 160 septets or 140 octets. withSmsc: the
// PDU starts with the service centre address.
bool pduFits(const QByteArray& octets, bool withSmsc);
Decoded decodePdu(const QByteArray& octets, bool withSmsc, GSM_SMSMessage& sms);

} // namespace gammu
