#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// libgammu's readers and writers of short message PDUs, vCards and vCalendar entries, behind
// plain types: nothing of libgammu shows here. Texts come in as the backup file holds them
// (Windows-1252 already turned into characters, CR LF between lines).
namespace gammucodec {

// One stored short message, decoded.
struct SmsMessage
{
    enum class Kind { Deliver, Submit, Other };
    enum class Coding { Gsm7, EightBit, Ucs2 };

    bool ok = false;
    QString error; // why the PDU could not be decoded
    Kind kind = Kind::Other;
    Coding coding = Coding::Gsm7;
    QString number; // the other party: the sender of a received message, else the recipient
    QString smsc;   // the service centre the PDU names; empty when it names none
    // The service centre's time stamp with its zone offset (received messages); invalid when
    // the PDU carries none.
    QDateTime time;
    QString text; // 8-bit data is read as Windows-1252 text
    // Concatenation from the user data header; reference -1 when the message stands alone.
    int reference = -1;
    int part = 0;
    int parts = 0;
};

// hex is the PDU as stored, with or without the service centre field in front; length is the
// octet count of the message without that field, as the phone reported it.
SmsMessage decodeSms(const QString& hex, qint32 length);

// One message to be stored as a phone's backup holds it, made from its text.
struct MessageText
{
    // As the backup holds it: 0 received unread, 1 received read, 2 unsent, 3 sent. A
    // received message becomes an SMS-DELIVER, the others an SMS-SUBMIT.
    qint16 type = 0;
    QString number; // the sender of a received message, else the recipient
    QString smsc;   // the service centre of a received message; empty when unknown
    // The service centre's time stamp of a received message, with its offset.
    QDateTime time;
    QString text;
    // The concatenation reference of a text longer than one PDU, 0 to 255.
    int reference = 0;
};

// One PDU as the backup holds it.
struct StoredPdu
{
    QString hex;       // the service centre field and the TPDU, upper-case hexadecimal
    qint32 length = 0; // octets of the TPDU
};

// The PDUs of message: one, or the concatenated parts of a text too long for one; 7-bit in the
// GSM default alphabet when every character is in it, else UCS-2. False with a reason when the
// text or the number cannot be held (the text whole, decoded again, is checked).
bool encodeMessage(const MessageText& message, QList<StoredPdu>& pdus, QString& error);

struct PhoneNumber
{
    QString kind; // "mobile", "home", "work", "fax", "pager", "other" or "" for a plain one
    QString number;
};

// One phonebook entry.
struct Contact
{
    bool ok = false;
    QString error;
    QString name; // as an address book shows it: first name before last name
    QList<PhoneNumber> numbers;
    QStringList emails;
    // The entry as a vCard 2.1 of libgammu's writer (UTF-8 text, libgammu's own lines).
    QString vcard;
    // Properties that do not fit libgammu's fixed fields (too long, or too many of them),
    // left out of what it reads and writes; here whole, as the entry's lines (continuation
    // lines joined with CR LF).
    QStringList overlong;
};

Contact decodeContact(const QString& vcard);

// One calendar entry: an event or a to-do.
struct CalendarItem
{
    bool ok = false;
    QString error;
    bool todo = false;
    QString summary;
    QString location;
    QString description;
    // Start and end of an event, due time of a to-do; UTC when the entry says so, else the
    // floating local time the phone stored (Qt::LocalTime). Invalid when absent.
    QDateTime start;
    QDateTime end;
    bool completed = false;
    int priority = 0; // 1 high, 2 medium, 3 low, 0 none
    // The entry as iCalendar of libgammu's writer (flavours Mozilla_iCalendar and
    // Mozilla_VToDo), with its own VCALENDAR header and end.
    QString icalendar;
    // The same entry as vCalendar 1.0 of libgammu's writer (flavours Nokia_VCalendar and
    // Nokia_VToDo), as a phone's backup holds it.
    QString vcalendar;
    QStringList overlong; // as for Contact
};

// Every event and to-do of a vCalendar 1.0 text; the VCALENDAR header may be there or not.
QList<CalendarItem> decodeCalendar(const QString& vcalendar);

} // namespace gammucodec
