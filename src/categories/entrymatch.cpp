#include "categories/entrymatch.h"

#include "categories/setting_smspdu.h"
#include "core/codepage.h"
#include "core/vproperty.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>

namespace entrymatch {

namespace {

// Sent from the phone's own storage ("stored sent" as phones report the message status).
constexpr qint16 StoredSent = 3;
constexpr qint16 ReceivedUnread = 0;

bool assignedByPhone(const QString& name)
{
    return name == QLatin1String("X-IRMC-LUID") || name == QLatin1String("X-GAMMU-LOCATION") ||
           name == QLatin1String("X-GAMMU-MEMORY") || name == QLatin1String("REV");
}

bool isQuotedPrintable(const QString& head)
{
    const QString upper = head.toUpper();
    return upper.contains(QLatin1String("QUOTED-PRINTABLE"));
}

// The logical lines of an entry: folded lines and quoted-printable soft line breaks joined,
// empty lines left out.
QStringList logicalLines(const QString& entry)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QStringList lines;
    bool continues = false;
    for (const QString& line : entry.split(breaks)) {
        const bool folded = !lines.isEmpty() && !line.isEmpty() &&
                            (line.at(0) == QLatin1Char(' ') || line.at(0) == QLatin1Char('\t'));
        if (continues && !lines.isEmpty()) {
            lines.last().chop(1); // the soft line break's "="
            lines.last() += line;
        } else if (folded) {
            lines.last() += line.mid(1);
        } else if (!line.trimmed().isEmpty()) {
            lines.append(line);
        } else {
            continue;
        }
        const QString& last = lines.last();
        const qsizetype colon = last.indexOf(QLatin1Char(':'));
        continues =
            colon > 0 && isQuotedPrintable(last.left(colon)) && last.endsWith(QLatin1Char('='));
    }
    return lines;
}

// A value's text, decoded in its own charset. Bytes that are no text of that charset stay
// bytes, with the charset's name: two different ones never become one replacement character.
QString valueText(const QString& head, const QString& value)
{
    QString charset;
    for (const QString& param : head.split(QLatin1Char(';')).mid(1)) {
        if (param.trimmed().toUpper().startsWith(QLatin1String("CHARSET=")))
            charset = param.trimmed().mid(8).toUpper();
    }
    const QByteArray bytes = isQuotedPrintable(head)
                                 ? vproperty::decodeQuotedPrintable(codepage::encode(value))
                                 : codepage::encode(value);
    if (charset.isEmpty() || charset == QLatin1String("WINDOWS-1252") ||
        charset == QLatin1String("CP1252"))
        return codepage::decode(bytes);
    if (charset == QLatin1String("ISO-8859-1") || charset == QLatin1String("US-ASCII"))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(charset == QLatin1String("UTF-8") ? "UTF-8" : qPrintable(charset),
                           QStringConverter::Flag::Stateless);
    if (decoder.isValid()) {
        const QString text = decoder.decode(bytes);
        if (!decoder.hasError())
            return text;
    }
    return QStringLiteral("\x01%1:%2").arg(charset, QString::fromLatin1(bytes.toHex()));
}

QString normalLine(const QString& line)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    // A line of its own that holds no property (a text broken without quoted-printable) is
    // the user's text as it stands.
    if (colon < 0)
        return QStringLiteral("\x02") + line;
    const vproperty::Property property = vproperty::parse(line);
    QString normal = property.name;
    for (const QString& param : property.params)
        normal += QLatin1Char(';') + param.toUpper();
    return normal + QLatin1Char(':') + valueText(line.left(colon), line.mid(colon + 1)).trimmed();
}

} // namespace

QString entryKey(const QString& entry)
{
    QStringList key;
    // A calendar entry is the block from its BEGIN:VEVENT or BEGIN:VTODO; what stands before
    // is the envelope the first entry of a backup carries.
    bool inBlock = false;
    bool calendar = false;
    for (const QString& line : logicalLines(entry)) {
        const QString normal = normalLine(line);
        const QString name = normal.section(QLatin1Char(':'), 0, 0).section(QLatin1Char(';'), 0, 0);
        const QString value = normal.section(QLatin1Char(':'), 1).toUpper();
        if (name == QLatin1String("BEGIN") &&
            (value == QLatin1String("VEVENT") || value == QLatin1String("VTODO"))) {
            if (!calendar)
                key.clear();
            calendar = true;
            inBlock = true;
        }
        if (name == QLatin1String("BEGIN") && value == QLatin1String("VCALENDAR")) {
            calendar = true;
            continue;
        }
        if (calendar && !inBlock)
            continue;
        if (!assignedByPhone(name))
            key.append(normal);
        if (name == QLatin1String("END") &&
            (value == QLatin1String("VEVENT") || value == QLatin1String("VTODO")))
            inBlock = false;
    }
    return key.join(QLatin1Char('\n'));
}

QString messageKey(const SMSRecord& message)
{
    // The service centre is the phone's to fill in or drop; the TPDU is the message.
    QString pdu = message.PDU.trimmed().toUpper();
    bool hex = false;
    const int centre = pdu.left(2).toInt(&hex, 16);
    if (hex && pdu.size() >= 2 + 2 * centre)
        pdu.remove(0, 2 + 2 * centre);
    // An SMS-SUBMIT holds no time: two alike sent on two days are two messages. A time beside
    // an SMS-DELIVER says again what its time stamp says.
    const bool submit = (pdu.left(2).toInt(nullptr, 16) & 0x03) == 0x01;
    const QString time =
        !submit || message.Time.isEmpty() ? QString() : QLatin1Char('@') + message.Time;
    if (message.Type == StoredSent)
        return QStringLiteral("sent:") + pdu + time;
    // Read and unread are two states of a received message that a restore gives back.
    const QString unread = message.Type == ReceivedUnread ? QStringLiteral("unread:") : QString();
    return QString::number(message.Storage) + QLatin1Char(':') + unread + pdu + time;
}

bool Multiset::take(const QString& key)
{
    const auto found = m_counts.find(key);
    if (found == m_counts.end() || found.value() == 0)
        return false;
    --found.value();
    return true;
}

} // namespace entrymatch
