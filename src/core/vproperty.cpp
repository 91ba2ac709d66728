#include "core/vproperty.h"

#include "core/codepage.h"

namespace vproperty {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

QByteArray decodeQuotedPrintable(const QByteArray& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c != '=') {
            bytes.append(c);
            continue;
        }
        // A soft line break joins the lines without a character.
        if (text.mid(i + 1, 2) == "\r\n") {
            i += 2;
            continue;
        }
        if (text.mid(i + 1, 1) == "\n") {
            i += 1;
            continue;
        }
        const int high = i + 1 < text.size() ? hexValue(text.at(i + 1)) : -1;
        const int low = i + 2 < text.size() ? hexValue(text.at(i + 2)) : -1;
        if (high < 0 || low < 0) {
            bytes.append(c); // a lone "=" stays what it is
            continue;
        }
        bytes.append(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return bytes;
}

QByteArray encodeQuotedPrintable(const QByteArray& bytes)
{
    QByteArray text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 33 && byte <= 126 && byte != '=')
            text.append(c);
        else if (byte == ' ')
            text.append(c);
        else
            text.append('=').append(QByteArray::number(byte, 16).rightJustified(2, '0').toUpper());
    }
    return text;
}

Property parse(const QString& line)
{
    Property property;
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    const QStringList head = (colon < 0 ? line : line.left(colon)).split(QLatin1Char(';'));
    property.name = head.first().trimmed().toUpper();
    bool quotedPrintable = false;
    bool utf8 = false;
    for (qsizetype i = 1; i < head.size(); ++i) {
        const QString param = head.at(i).trimmed();
        const QString upper = param.toUpper();
        if (upper == QLatin1String("ENCODING=QUOTED-PRINTABLE") ||
            upper == QLatin1String("QUOTED-PRINTABLE"))
            quotedPrintable = true;
        else if (upper.startsWith(QLatin1String("CHARSET=")))
            utf8 = upper == QLatin1String("CHARSET=UTF-8");
        else if (!upper.startsWith(QLatin1String("ENCODING=")))
            property.params.append(param);
    }
    const QString value = colon < 0 ? QString() : line.mid(colon + 1);
    if (!quotedPrintable) {
        QString unfolded = value;
        unfolded.replace(QStringLiteral("\r\n "), QString());
        unfolded.replace(QStringLiteral("\r\n\t"), QString());
        property.text = unfolded;
        return property;
    }
    const QByteArray bytes = decodeQuotedPrintable(codepage::encode(value));
    property.text = utf8 ? QString::fromUtf8(bytes) : codepage::decode(bytes);
    return property;
}

QString utf8Line(const Property& property)
{
    QString head = property.name;
    for (const QString& param : property.params)
        head += QLatin1Char(';') + param;
    bool ascii = true;
    for (QChar c : property.text)
        ascii = ascii && c.unicode() < 128;
    const bool lineBreak = property.text.contains(QLatin1Char('\n')) ||
                           property.text.contains(QLatin1Char('\r'));
    if (!ascii || lineBreak)
        head += QStringLiteral(";CHARSET=UTF-8");
    if (!lineBreak)
        return head + QLatin1Char(':') + property.text;
    return head + QStringLiteral(";ENCODING=QUOTED-PRINTABLE:") +
           QString::fromLatin1(encodeQuotedPrintable(property.text.toUtf8()));
}

} // namespace vproperty
