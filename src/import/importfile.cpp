#include "import/importfile.h"

#include "backupfile/elements.h"
#include "backupfile/sectiontable.h"
#include "categories/obexmodule.h"
#include "core/codepage.h"
#include "core/vproperty.h"
#include "gammucodec/gammubackup.h"
#include "gammucodec/gammucodec.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <optional>

namespace importing {

namespace {

// Properties whose value is a picture, a sound or a key: a backup entry is one line of a
// text file and a phone's phonebook keeps none of them.
const QStringList kBinary{QStringLiteral("PHOTO"), QStringLiteral("LOGO"), QStringLiteral("SOUND"),
                          QStringLiteral("KEY")};
// Lines of the entry's frame, carried by the entry itself.
const QStringList kFrame{QStringLiteral("BEGIN"), QStringLiteral("END"), QStringLiteral("VERSION")};
// The bare parameters libgammu's vCard reader tells numbers and addresses apart by.
const QStringList kKnownTypes{QStringLiteral("HOME"),  QStringLiteral("WORK"),
                              QStringLiteral("CELL"),  QStringLiteral("FAX"),
                              QStringLiteral("PAGER"), QStringLiteral("VOICE"),
                              QStringLiteral("INTERNET")};

// The text of a file: UTF-16 with its byte order mark, UTF-8 where it is valid, else the
// backup files' code page.
QString textOf(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFE") ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE,
                             QStringDecoder::Flag::ConvertInitialBom);
        QString text = utf16.decode(bytes);
        return text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return codepage::decode(bytes);
    return text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text;
}

// Physical lines joined where a line starting with a blank continues the one before.
QStringList unfolded(const QString& text)
{
    QStringList lines;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        if (!lines.isEmpty() && (line.startsWith(QLatin1Char(' ')) || line.startsWith(QLatin1Char('\t'))))
            lines.last() += line.mid(1);
        else if (!lines.isEmpty() && lines.last().endsWith(QLatin1Char('=')) &&
                 lines.last().contains(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive))
            lines.last() += QStringLiteral("\r\n") + line; // a soft line break of vCard 2.1
        else
            lines << line;
    }
    return lines;
}

bool ascii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; });
}

bool fitsCodePage(const QString& text)
{
    return codepage::decode(codepage::encode(text)) == text;
}

// One property line in the form a phone's backup holds it: plain text in the code page where
// it fits, else UTF-8 quoted-printable.
QString backupLine(const QString& head, const QString& text)
{
    const bool lineBreak = text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (fitsCodePage(text) && !lineBreak)
        return head + QLatin1Char(':') + text;
    if (fitsCodePage(text))
        return head + QStringLiteral(";ENCODING=QUOTED-PRINTABLE:") +
               QString::fromLatin1(vproperty::encodeQuotedPrintable(codepage::encode(text)));
    return head + QStringLiteral(";CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:") +
           QString::fromLatin1(vproperty::encodeQuotedPrintable(text.toUtf8()));
}

struct Line
{
    QString name;
    QStringList params;
    QString value;
};

// Splits "group.NAME;PARAM=x:value", a colon inside a quoted parameter kept.
bool split(const QString& line, Line& out)
{
    bool quoted = false;
    qsizetype colon = -1;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == QLatin1Char('"'))
            quoted = !quoted;
        else if (line.at(i) == QLatin1Char(':') && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon <= 0)
        return false;
    QStringList head = line.left(colon).split(QLatin1Char(';'));
    QString name = head.takeFirst().trimmed().toUpper();
    if (const qsizetype dot = name.lastIndexOf(QLatin1Char('.')); dot >= 0)
        name = name.mid(dot + 1);
    out.name = name;
    out.params = head;
    out.value = line.mid(colon + 1);
    return !name.isEmpty();
}

// A property of a vCard 3.0 or 4.0, or an iCalendar, in the vCard 2.1 form libgammu reads:
// TYPE lists as bare parameters, escapes undone, text that is not ASCII as UTF-8
// quoted-printable. lost collects what is left out of it.
QString readerLine(const Line& line, bool legacy, QStringList& lost)
{
    QStringList params;
    bool encoded = false;
    for (const QString& param : line.params) {
        const QString upper = param.trimmed().toUpper();
        if (upper.startsWith(QLatin1String("ENCODING=")) || upper.startsWith(QLatin1String("CHARSET="))) {
            encoded = true;
            if (legacy)
                params << param;
            continue;
        }
        QStringList types;
        if (upper.startsWith(QLatin1String("TYPE=")))
            types = upper.mid(5).remove(QLatin1Char('"')).split(QLatin1Char(','));
        else if (!upper.contains(QLatin1Char('=')))
            types = {upper};
        else if (upper.startsWith(QLatin1String("PREF=")))
            types = {QStringLiteral("PREF")};
        for (const QString& type : std::as_const(types)) {
            if (type == QLatin1String("PREF")) {
                if (!lost.contains(type))
                    lost << type;
            } else if (kKnownTypes.contains(type)) {
                params << type;
            }
        }
    }
    QString head = line.name;
    for (const QString& param : std::as_const(params))
        head += QLatin1Char(';') + param;
    if (legacy && encoded)
        return head + QLatin1Char(':') + line.value;
    QString text = line.value;
    if (line.name == QLatin1String("TEL") && text.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
        text = text.mid(4);
    if (!legacy) {
        text.replace(QStringLiteral("\\n"), QStringLiteral("\n"), Qt::CaseInsensitive);
        text.replace(QStringLiteral("\\,"), QStringLiteral(","));
        text.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    }
    if (ascii(text) && !text.contains(QLatin1Char('\n')))
        return head + QLatin1Char(':') + text;
    return head + QStringLiteral(";CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:") +
           QString::fromLatin1(vproperty::encodeQuotedPrintable(text.toUtf8()));
}

// The blocks BEGIN:word ... END:word of a text for any of words, in the text's order, each as
// its unfolded lines.
QList<QStringList> blocks(const QStringList& lines, const QStringList& words)
{
    QList<QStringList> found;
    bool inside = false;
    for (const QString& line : lines) {
        const QString upper = line.trimmed().toUpper();
        if (upper.startsWith(QLatin1String("BEGIN:")) && words.contains(upper.mid(6))) {
            inside = true;
            found.append(QStringList{});
        }
        if (inside)
            found.last() << line.trimmed();
        if (upper.startsWith(QLatin1String("END:")) && words.contains(upper.mid(4)))
            inside = false;
    }
    return found;
}

// The lines of libgammu's writer as the backup holds them.
QStringList backupForm(const QString& written, QStringList& names)
{
    QStringList out;
    for (const QString& line : unfolded(written)) {
        if (line.isEmpty())
            continue;
        Line parts;
        if (!split(line, parts)) {
            out << line;
            continue;
        }
        // libgammu's own bookkeeping of where the entry was on a phone.
        if (parts.name.startsWith(QLatin1String("X-GAMMU-")))
            continue;
        names << parts.name;
        if (!line.contains(QLatin1String("CHARSET=UTF-8"), Qt::CaseInsensitive) &&
            !line.contains(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive)) {
            out << line;
            continue;
        }
        const vproperty::Property property = vproperty::parse(line);
        QString head = property.name;
        for (const QString& param : property.params)
            head += QLatin1Char(';') + param;
        out << backupLine(head, property.text);
    }
    return out;
}

// The sections of gammu's backup file, by their name without the number.
const QStringList kGammuSections{
    QStringLiteral("Backup"),      QStringLiteral("PhonePBK"),      QStringLiteral("SIMPBK"),
    QStringLiteral("Calendar"),    QStringLiteral("TODO"),          QStringLiteral("Caller"),
    QStringLiteral("SMSC"),        QStringLiteral("WAPBookmark"),   QStringLiteral("WAPSettings"),
    QStringLiteral("MMSSettings"), QStringLiteral("SyncMLSettings"), QStringLiteral("ChatSettings"),
    QStringLiteral("Ringtone"),    QStringLiteral("Profile"),       QStringLiteral("FMStation"),
    QStringLiteral("GPRSPoint"),   QStringLiteral("Note"),          QStringLiteral("StartupLogo"),
    QStringLiteral("OperatorLogo"), QStringLiteral("Checksum")};

// The first line of text that is neither blank nor a comment of an ini file or LDIF.
QString firstLine(const QString& text)
{
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char(';')) &&
            !trimmed.startsWith(QLatin1Char('#')))
            return trimmed;
    }
    return QString();
}

// The format of a file of gammu's, told by its content; none for a file of another kind.
std::optional<gammubackup::Format> gammuFormatOf(const QByteArray& bytes)
{
    using Format = gammubackup::Format;
    if (bytes.startsWith("LMB "))
        return Format::Lmb;
    const QString text = textOf(bytes.left(4096)).trimmed();
    const QString first = firstLine(text);
    static const QRegularExpression section(QStringLiteral("^\\[([A-Za-z]+)[0-9]*\\]$"));
    if (const QRegularExpressionMatch match = section.match(first); match.hasMatch()) {
        if (match.captured(1) == QLatin1String("SMSBackup"))
            return Format::Sms;
        if (kGammuSections.contains(match.captured(1)))
            return Format::Backup;
        return std::nullopt;
    }
    if (first.toUpper() == QLatin1String("BEGIN:VNOTE"))
        return Format::VNote;
    if (first.startsWith(QLatin1String("dn:"), Qt::CaseInsensitive) ||
        (first.startsWith(QLatin1String("version:"), Qt::CaseInsensitive) &&
         text.contains(QLatin1String("\ndn:"), Qt::CaseInsensitive)))
        return Format::Ldif;
    return std::nullopt;
}

// A phone number as a message holds it: the blanks and marks people write between digits
// go; a sender's name ("Bank") is kept as it is.
QString messageNumber(const QString& address)
{
    QString number = address.trimmed();
    QString digits = number;
    digits.remove(QRegularExpression(QStringLiteral("[\\s().-]")));
    static const QRegularExpression phone(QStringLiteral("^\\+?[0-9*#]+$"));
    return phone.match(digits).hasMatch() ? digits : number;
}

} // namespace

Kind kindOf(const QByteArray& bytes)
{
    const QString text = textOf(bytes.left(4096)).trimmed();
    const QString head = text.left(64).toUpper();
    if (head.startsWith(QLatin1String("BEGIN:VCARD")))
        return Kind::VCard;
    if (head.startsWith(QLatin1String("BEGIN:VCALENDAR")))
        return Kind::Calendar;
    if (head.startsWith(QLatin1String("<?XML")) || head.startsWith(QLatin1String("<SMSES")))
        return text.contains(QLatin1String("<smses")) ? Kind::SmsXml : Kind::Unknown;
    if (sections::findTag(sections::tagWord(text.section(QLatin1Char('\n'), 0, 0).trimmed())) >= 0)
        return Kind::Backup;
    if (const std::optional<gammubackup::Format> format = gammuFormatOf(bytes))
        return *format == gammubackup::Format::Sms ? Kind::GammuMessages : Kind::GammuBackup;
    return Kind::Unknown;
}

void Import::lost(const QString& category, const QString& what, const QString& ofWhat)
{
    auto same = std::find_if(m_losses.begin(), m_losses.end(), [&](const Loss& loss) {
        return loss.category == category && loss.what == what;
    });
    if (same == m_losses.end())
        m_losses.append({category, what, ofWhat, 1});
    else
        ++same->count;
}

void Import::addContacts(const QString& text)
{
    const QString category = QStringLiteral("Phonebook");
    for (const QStringList& card : blocks(unfolded(text), {QStringLiteral("VCARD")})) {
        bool legacy = false;
        for (const QString& line : card)
            legacy = legacy || line.toUpper() == QLatin1String("VERSION:2.1");
        QStringList lost;
        QStringList given;
        QStringList lines;
        bool ended = false;
        for (const QString& raw : card) {
            Line line;
            if (!split(raw, line))
                continue;
            ended = ended || (line.name == QLatin1String("END"));
            if (kFrame.contains(line.name))
                continue;
            if (kBinary.contains(line.name)) {
                if (!lost.contains(line.name))
                    lost << line.name;
                continue;
            }
            given << line.name;
            lines << readerLine(line, legacy, lost);
        }
        if (!ended) {
            this->lost(category, QStringLiteral("without its END:VCARD line, not imported"), {});
            continue;
        }
        const gammucodec::Contact contact = gammucodec::decodeContact(
            QStringLiteral("BEGIN:VCARD\r\nVERSION:2.1\r\n") + lines.join(QStringLiteral("\r\n")) +
            QStringLiteral("\r\nEND:VCARD\r\n"));
        if (!contact.ok) {
            this->lost(category, QStringLiteral("unreadable (%1), not imported").arg(contact.error), {});
            continue;
        }
        QStringList kept;
        const QStringList out = backupForm(contact.vcard, kept);
        for (const QString& overlong : contact.overlong) {
            Line line;
            if (!split(overlong, line))
                continue;
            // Named once, as too long rather than also as left out.
            kept << line.name;
            this->lost(category, line.name + QStringLiteral(" too long for the phone's fields"),
                       QStringLiteral("contact"));
        }
        for (const QString& name : std::as_const(given)) {
            // The writer makes N of a formatted name; an FN beside an N is carried in it.
            if (kept.contains(name) || (name == QLatin1String("FN") && kept.contains(QStringLiteral("N"))))
                continue;
            if (!lost.contains(name))
                lost << name;
        }
        for (const QString& name : std::as_const(lost))
            this->lost(category, name, QStringLiteral("contact"));
        m_contacts << out.join(QStringLiteral("\r\n"));
    }
}

void Import::addCalendar(const QString& text)
{
    const QString category = QStringLiteral("Calendar");
    QStringList lines;
    const bool legacy = text.contains(QLatin1String("VERSION:1.0"), Qt::CaseInsensitive);
    for (const QString& raw : unfolded(text)) {
        Line line;
        if (!split(raw, line)) {
            lines << raw;
            continue;
        }
        // libgammu reads only vCalendar's own rules, and turns the entry away for another.
        if (!legacy && line.name == QLatin1String("RRULE"))
            continue;
        // iCalendar counts priorities 1 (highest) to 9, vCalendar 1 to 3.
        if (!legacy && line.name == QLatin1String("PRIORITY")) {
            const int level = line.value.trimmed().toInt();
            if (level > 0)
                line.value = QString::number(level < 5 ? 1 : level == 5 ? 2 : 3);
        }
        QStringList dropped;
        lines << readerLine(line, false, dropped);
    }
    // The names each entry was written with, in the file's order; null for one not imported.
    QList<std::optional<QStringList>> writtenBy;
    for (const gammucodec::CalendarItem& item :
         gammucodec::decodeCalendar(lines.join(QStringLiteral("\r\n")))) {
        writtenBy.append(std::nullopt);
        if (!item.ok || item.vcalendar.isEmpty()) {
            lost(category, QStringLiteral("unreadable (%1), not imported").arg(item.error), {});
            continue;
        }
        QStringList kept;
        QStringList out = backupForm(item.vcalendar, kept);
        // The entry alone, as the phone's calendar object is cut into entries.
        const QString begin = item.todo ? QStringLiteral("BEGIN:VTODO") : QStringLiteral("BEGIN:VEVENT");
        const QString end = item.todo ? QStringLiteral("END:VTODO") : QStringLiteral("END:VEVENT");
        const qsizetype from = out.indexOf(begin);
        const qsizetype to = out.indexOf(end);
        if (from < 0 || to < from) {
            lost(category, QStringLiteral("unreadable, not imported"), {});
            continue;
        }
        out = out.mid(from, to - from + 1);
        for (const QString& overlong : item.overlong) {
            Line line;
            if (split(overlong, line))
                lost(category, line.name + QStringLiteral(" too long for the phone's fields"),
                     QStringLiteral("entry"));
        }
        m_calendar << out.join(QStringLiteral("\r\n"));
        QStringList names;
        for (const QString& line : std::as_const(out)) {
            Line parts;
            if (split(line, parts))
                names << parts.name;
        }
        writtenBy.last() = names;
    }
    // What libgammu's reader left out, property by property and entry by entry.
    const QList<QStringList> entries =
        blocks(unfolded(text), {QStringLiteral("VEVENT"), QStringLiteral("VTODO")});
    QStringList writtenByAny;
    for (const std::optional<QStringList>& names : std::as_const(writtenBy))
        writtenByAny << names.value_or(QStringList{});
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QStringList& entry = entries.at(i);
        const bool paired = writtenBy.size() == entries.size();
        // One not imported is named as such already.
        if (paired && !writtenBy.at(i))
            continue;
        const QStringList written = paired ? *writtenBy.at(i) : writtenByAny;
        QStringList names;
        bool inAlarm = false;
        for (const QString& raw : entry) {
            Line line;
            if (!split(raw, line))
                continue;
            if (line.name == QLatin1String("BEGIN") && line.value.toUpper() == QLatin1String("VALARM"))
                inAlarm = true;
            if (inAlarm || kFrame.contains(line.name) || written.contains(line.name) ||
                names.contains(line.name))
                continue;
            names << line.name;
            lost(category, line.name, QStringLiteral("entry"));
        }
    }
}

bool Import::addMessages(const QByteArray& bytes, QString& error)
{
    const QString category = QStringLiteral("SMS Messages");
    QXmlStreamReader xml(bytes);
    QList<Message> read;
    QStringList unread;
    const auto malformed = [&xml] {
        return QStringLiteral("the XML is malformed at line %1, column %2: %3")
            .arg(xml.lineNumber())
            .arg(xml.columnNumber())
            .arg(xml.errorString());
    };
    if (!xml.readNextStartElement()) {
        error = xml.hasError() ? malformed() : QStringLiteral("it holds no <smses> element");
        return false;
    }
    if (xml.name() != QLatin1String("smses")) {
        error = QStringLiteral("its root element is <%1>, not <smses>").arg(xml.name());
        return false;
    }
    while (xml.readNextStartElement()) {
        const QString name = xml.name().toString();
        const QXmlStreamAttributes attributes = xml.attributes();
        xml.skipCurrentElement();
        if (name != QLatin1String("sms")) {
            unread << QStringLiteral("<%1> elements, not imported").arg(name);
            continue;
        }
        const QString number = messageNumber(attributes.value(QLatin1String("address")).toString());
        bool typeOk = false;
        const int xmlType = attributes.value(QLatin1String("type")).toInt(&typeOk);
        bool dateOk = false;
        const qint64 date = attributes.value(QLatin1String("date")).toLongLong(&dateOk);
        gammucodec::MessageText message;
        // The layout's types: 1 received, 2 sent, 3 draft, 4 outbox, 5 failed, 6 queued.
        if (!typeOk || xmlType < 1 || xmlType > 6) {
            unread << QStringLiteral("of type \"%1\", not imported")
                          .arg(attributes.value(QLatin1String("type")).toString());
            continue;
        }
        if (number.isEmpty()) {
            unread << QStringLiteral("without an address, not imported");
            continue;
        }
        const bool received = xmlType == 1;
        if (received && !dateOk) {
            unread << QStringLiteral("received without a date, not imported");
            continue;
        }
        message.type = received ? (attributes.value(QLatin1String("read")) == QLatin1String("0") ? 0 : 1)
                                : (xmlType == 2 ? 3 : 2);
        message.number = number;
        const QString centre = attributes.value(QLatin1String("service_center")).toString().trimmed();
        if (received && centre != QLatin1String("null"))
            message.smsc = messageNumber(centre);
        const QDateTime time = dateOk ? QDateTime::fromMSecsSinceEpoch(date, m_zone) : QDateTime();
        message.time = time;
        message.text = attributes.value(QLatin1String("body")).toString();
        message.reference = m_references.value(number, 0);
        QList<gammucodec::StoredPdu> pdus;
        QString why;
        if (!gammucodec::encodeMessage(message, pdus, why)) {
            unread << QStringLiteral("unreadable (%1), not imported").arg(why);
            continue;
        }
        if (pdus.size() > 1)
            m_references[number] = (message.reference + 1) % 256;
        // A sent message keeps its time beside the PDU, as the phone's wall-clock time.
        const QString wallClock =
            !received && time.isValid() ? time.toString(QStringLiteral("yyyyMMdd'T'HHmmss")) : QString();
        for (const gammucodec::StoredPdu& pdu : std::as_const(pdus))
            read.append({2, message.type, pdu.hex, pdu.length, wallClock});
    }
    // Whatever follows the root element must be well-formed too.
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError()) {
        error = malformed();
        return false;
    }
    m_messages << read;
    for (const QString& what : std::as_const(unread))
        lost(category, what, {});
    return true;
}

bool Import::addGammu(const QByteArray& bytes, QString& error)
{
    const gammubackup::Contents contents =
        gammubackup::read(bytes, gammuFormatOf(bytes).value_or(gammubackup::Format::Backup));
    if (!contents.ok) {
        error = contents.error;
        return false;
    }
    for (const QString& vcard : contents.contacts) {
        QStringList names;
        m_contacts << backupForm(vcard, names).join(QStringLiteral("\r\n"));
    }
    for (const QString& entry : contents.calendar) {
        QStringList names;
        m_calendar << backupForm(entry, names).join(QStringLiteral("\r\n"));
    }
    m_messages += contents.messages;
    for (const gammubackup::Left& left : contents.left)
        lost(left.category, left.what, {});
    return true;
}

bool Import::add(const QByteArray& bytes, QString& error)
{
    const Kind kind = kindOf(bytes);
    const qsizetype before = m_contacts.size() + m_calendar.size() + m_messages.size();
    const QStringList lossesBefore = lossLines();
    switch (kind) {
    case Kind::VCard:
        addContacts(textOf(bytes));
        break;
    case Kind::Calendar:
        addCalendar(textOf(bytes));
        break;
    case Kind::SmsXml:
        if (!addMessages(bytes, error))
            return false;
        break;
    case Kind::GammuBackup:
    case Kind::GammuMessages:
        if (!addGammu(bytes, error))
            return false;
        break;
    case Kind::Backup:
        error = QStringLiteral("it is a backup file already");
        return false;
    case Kind::Unknown:
        error = bytes.trimmed().isEmpty()
                    ? QStringLiteral("it is empty")
                    : QStringLiteral("it is no vCard, calendar, SMS XML or gammu backup file");
        return false;
    }
    if (m_contacts.size() + m_calendar.size() + m_messages.size() == before) {
        // A backup of nothing would only look like one.
        QStringList why;
        for (const QString& line : lossLines()) {
            if (!lossesBefore.contains(line))
                why << line;
        }
        error = why.isEmpty() ? QStringLiteral("it holds no entry")
                              : QStringLiteral("it holds no entry that can be imported (%1)")
                                    .arg(why.join(QStringLiteral("; ")));
        return false;
    }
    return true;
}

QStringList Import::backupLines() const
{
    QStringList lines;
    if (!m_contacts.isEmpty()) {
        lines << elements::openTag(QStringLiteral("Contacts"));
        for (const QString& entry : m_contacts)
            lines << QStringLiteral("   <Contact Value=") + ObexModule::encodeEntry(entry) +
                         QStringLiteral("/>");
        lines << elements::closeTag(QStringLiteral("Contacts"));
    }
    if (!m_calendar.isEmpty()) {
        lines << elements::openTag(QStringLiteral("Calendar"));
        // The phone's calendar object starts with its header; the entries after it start
        // with the line break that came before them.
        for (qsizetype i = 0; i < m_calendar.size(); ++i) {
            const QString entry = i == 0 ? QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:1.0\r\n") +
                                               m_calendar.at(i)
                                         : QStringLiteral("\r\n") + m_calendar.at(i);
            lines << QStringLiteral("   <Calendar Value=") + ObexModule::encodeEntry(entry) +
                         QStringLiteral("/>");
        }
        lines << elements::closeTag(QStringLiteral("Calendar"));
    }
    if (!m_messages.isEmpty()) {
        lines << elements::openTag(QStringLiteral("SMS_Messages"));
        for (qsizetype i = 0; i < m_messages.size(); ++i) {
            const Message& message = m_messages.at(i);
            lines << elements::openTag(QStringLiteral("SMS"), 1)
                  << elements::elementLine(2, QStringLiteral("Number"), QString::number(i + 1))
                  << elements::elementLine(2, QStringLiteral("Storage"), QString::number(message.storage))
                  << elements::elementLine(2, QStringLiteral("Type"), QString::number(message.type))
                  << elements::elementLine(2, QStringLiteral("PDU"), message.pdu)
                  << elements::elementLine(2, QStringLiteral("Length"), QString::number(message.length));
            if (!message.time.isEmpty())
                lines << elements::elementLine(2, QStringLiteral("Time"), message.time);
            lines << elements::closeTag(QStringLiteral("SMS"), 1);
        }
        lines << elements::closeTag(QStringLiteral("SMS_Messages"));
    }
    return lines;
}

QStringList Import::lossLines() const
{
    QStringList lines;
    for (const Loss& loss : m_losses) {
        if (loss.ofWhat.isEmpty())
            lines << QStringLiteral("%1: %2 %3").arg(loss.category).arg(loss.count).arg(loss.what);
        else
            lines << QStringLiteral("%1: %2 left out of %3 %4 (the backup format cannot hold it)")
                         .arg(loss.category, loss.what)
                         .arg(loss.count)
                         .arg(loss.count == 1          ? loss.ofWhat
                              : loss.ofWhat == QLatin1String("entry") ? QStringLiteral("entries")
                                                      : loss.ofWhat + QLatin1Char('s'));
    }
    return lines;
}

bool convert(const QByteArray& bytes, QByteArray& backup, QStringList& notes, QString& error)
{
    const Kind kind = kindOf(bytes);
    if (kind == Kind::Backup || kind == Kind::Unknown)
        return false;
    Import import;
    if (!import.add(bytes, error))
        return false;
    notes = import.lossLines();
    backup = codepage::encode(import.backupLines().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    return true;
}

} // namespace importing
