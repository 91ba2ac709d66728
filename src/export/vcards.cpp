#include "export/cards.h"

#include "core/codepage.h"
#include "core/vproperty.h"
#include "export/exporttext.h"

#include <QRegularExpression>

namespace backupexport {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// What the backup's entry says of one property, its value decoded.
struct CardProperty
{
    QString name;
    QStringList params;  // as written, without encoding and charset
    bool binary = false; // base64; text is then the base64 without blanks
    QString text;
};

CardProperty cardProperty(const QString& line)
{
    CardProperty property;
    property.name = propertyName(line);
    bool utf8 = false;
    bool quotedPrintable = false;
    for (const QString& param : propertyParams(line)) {
        const QString upper = param.toUpper();
        if (upper == QLatin1String("BASE64") || upper == QLatin1String("ENCODING=BASE64") ||
            upper == QLatin1String("ENCODING=B"))
            property.binary = true;
        else if (upper.startsWith(QLatin1String("CHARSET=")))
            utf8 = upper == QLatin1String("CHARSET=UTF-8");
        else if (upper.contains(QLatin1String("QUOTED-PRINTABLE")))
            quotedPrintable = true;
        else if (!upper.startsWith(QLatin1String("ENCODING=")) && upper != QLatin1String("8BIT"))
            property.params.append(param);
    }
    if (property.binary) {
        property.text = propertyValue(line).remove(QRegularExpression(QStringLiteral("\\s")));
        return property;
    }
    property.text = vproperty::parse(line).text;
    // The backup holds 8-bit text as Windows-1252; a value that names UTF-8 is UTF-8 bytes.
    if (utf8 && !quotedPrintable)
        property.text = QString::fromUtf8(codepage::encode(property.text));
    return property;
}

bool isStructured(const QString& name)
{
    return name == QLatin1String("N") || name == QLatin1String("ADR") ||
           name == QLatin1String("ORG");
}

bool isText(const QString& name)
{
    // A link or a date is no text; a photo, logo, sound or key given as a link neither.
    static const QStringList plain{QStringLiteral("URL"),   QStringLiteral("BDAY"),
                                   QStringLiteral("REV"),   QStringLiteral("GEO"),
                                   QStringLiteral("TZ"),    QStringLiteral("UID"),
                                   QStringLiteral("PHOTO"), QStringLiteral("LOGO"),
                                   QStringLiteral("SOUND"), QStringLiteral("KEY")};
    return !plain.contains(name);
}

// The components of a value (one for an unstructured one), the escapes "\;", "\," and "\\"
// undone; any other backslash is a character of its own in vCard 2.1.
QStringList components(const QString& name, const QString& value)
{
    QStringList parts{QString()};
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        const QChar next = i + 1 < value.size() ? value.at(i + 1) : QChar();
        if (c == QLatin1Char('\\') &&
            (next == QLatin1Char(';') || next == QLatin1Char(',') || next == QLatin1Char('\\'))) {
            parts.last() += next;
            ++i;
        } else if (c == QLatin1Char(';') && isStructured(name)) {
            parts.append(QString());
        } else {
            parts.last() += c;
        }
    }
    return parts;
}

// vCard 2.1 parameters ("HOME", "TYPE=CELL") as vCard 3.0's: the types in one TYPE list.
QString params30(const CardProperty& property)
{
    QStringList types;
    QStringList others;
    for (const QString& param : property.params) {
        const qsizetype equals = param.indexOf(QLatin1Char('='));
        if (equals < 0)
            types.append(param.toUpper());
        else if (param.left(equals).compare(QLatin1String("TYPE"), Qt::CaseInsensitive) == 0)
            types.append(param.mid(equals + 1).toUpper());
        else
            others.append(param);
    }
    QString head;
    if (property.binary)
        head += QStringLiteral(";ENCODING=b");
    if (!types.isEmpty())
        head += QStringLiteral(";TYPE=") + types.join(QLatin1Char(','));
    for (const QString& other : others)
        head += QLatin1Char(';') + other;
    return head;
}

QString line30(const CardProperty& property)
{
    QString value = property.text;
    if (!property.binary && isText(property.name)) {
        QStringList parts = components(property.name, property.text);
        // vCard 3.0 escapes its text as iCalendar does.
        for (QString& part : parts)
            part = icalEscape(part);
        value = parts.join(QLatin1Char(';'));
    }
    return foldIcalLine(property.name + params30(property) + QLatin1Char(':') + value);
}

QString line21(const CardProperty& property)
{
    if (!property.binary)
        return vproperty::utf8Line({property.name, property.params, property.text});
    QString head = property.name;
    for (const QString& param : property.params)
        head += QLatin1Char(';') + param;
    // vCard 2.1 ends a base64 value with an empty line.
    return foldIcalLine(head + QStringLiteral(";ENCODING=BASE64:") + property.text) + kCrLf;
}

QList<CardProperty> cardProperties(const QString& entry)
{
    QList<CardProperty> properties;
    for (const QString& line : logicalLines(entry)) {
        const QString name = propertyName(line);
        // The phone's record identifier and libgammu's own lines mean nothing elsewhere.
        if (name == QLatin1String("BEGIN") || name == QLatin1String("END") ||
            name == QLatin1String("VERSION") || name == QLatin1String("X-IRMC-LUID") ||
            name.startsWith(QLatin1String("X-GAMMU-")) || !line.contains(QLatin1Char(':')))
            continue;
        properties.append(cardProperty(line));
    }
    return properties;
}

// The name an address book shows: FN or N as written (libgammu's reader mistakes an escaped
// ";" for a separator, and leaves out a name too long for its fields), else the one libgammu
// reads, else a number or address.
QString formattedName(const QList<CardProperty>& properties, const gammucodec::Contact& contact)
{
    for (const CardProperty& property : properties) {
        if (property.name == QLatin1String("FN") && !property.text.trimmed().isEmpty())
            return components(property.name, property.text).join(QString()).trimmed();
    }
    for (const CardProperty& property : properties) {
        if (property.name != QLatin1String("N"))
            continue;
        const QStringList parts = components(property.name, property.text);
        QStringList ordered;
        for (const int i : {3, 1, 2, 0, 4}) {
            if (i < parts.size() && !parts.at(i).trimmed().isEmpty())
                ordered.append(parts.at(i).trimmed());
        }
        if (!ordered.isEmpty())
            return ordered.join(QLatin1Char(' '));
    }
    if (!contact.name.isEmpty())
        return contact.name;
    if (!contact.numbers.isEmpty())
        return contact.numbers.first().number;
    return contact.emails.isEmpty() ? QString() : contact.emails.first();
}

QString exportedVcard(const Entry& entry, const gammucodec::Contact& contact, VcardVersion version,
                      QHash<QByteArray, int>& repeats)
{
    const QList<CardProperty> properties = cardProperties(entry.text);
    const QString uid = stableUid(entry.text.toUtf8(), repeats);
    QStringList lines{QStringLiteral("BEGIN:VCARD")};
    if (version == VcardVersion::V21) {
        lines.append(QStringLiteral("VERSION:2.1"));
        for (const CardProperty& property : properties)
            lines.append(line21(property));
        lines.append(QStringLiteral("END:VCARD"));
        return lines.join(kCrLf) + kCrLf;
    }
    lines.append(QStringLiteral("VERSION:3.0"));
    auto has = [&properties](const char* name) {
        return std::any_of(properties.begin(), properties.end(),
                           [name](const CardProperty& p) { return p.name == QLatin1String(name); });
    };
    // vCard 3.0 requires N and FN; UID makes the card one an address book can keep apart.
    if (!has("FN"))
        lines.append(
            foldIcalLine(QStringLiteral("FN:") + icalEscape(formattedName(properties, contact))));
    if (!has("N"))
        lines.append(QStringLiteral("N:;;;;"));
    if (!has("UID"))
        lines.append(QStringLiteral("UID:") + uid);
    for (const CardProperty& property : properties)
        lines.append(line30(property));
    lines.append(QStringLiteral("END:VCARD"));
    return lines.join(kCrLf) + kCrLf;
}

} // namespace

QString displayName(const QString& entry, const gammucodec::Contact& contact)
{
    return formattedName(cardProperties(entry), contact);
}

QByteArray contactsVcf(const Section& contacts, VcardVersion version, QList<Problem>& problems,
                       int& written)
{
    QString text;
    QHash<QByteArray, int> repeats;
    written = 0;
    for (const Entry& entry : contacts.entries) {
        const gammucodec::Contact contact = gammucodec::decodeContact(entry.text);
        if (!contact.ok) {
            problems.append({entry.line, contact.error});
            continue;
        }
        text += exportedVcard(entry, contact, version, repeats);
        ++written;
    }
    return text.toUtf8();
}

} // namespace backupexport
