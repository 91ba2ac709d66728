#include "gammucodec/gammuwidetexts.h"

#include "gammucodec/gammuguard.h"
#include "gammucodec/gammumapping.h"

namespace gammu {

namespace {

// Quoted-printable as vCard 2.1 and vCalendar 1.0 read it; the separators of a compound value
// stay as they are.
QByteArray quotedPrintable(const QByteArray& bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '=')
            out.append(c);
        else
            out.append('=').append(QByteArray::number(byte, 16).rightJustified(2, '0').toUpper());
    }
    return out;
}

} // namespace

QByteArray WideTexts::placeholder(qsizetype index) const
{
    return "QZWIDETEXT" + QByteArray::number(index) + "QZ";
}

void WideTexts::stashText(unsigned char* text, size_t size)
{
    const QString value = fromUnicode(text, size / 2);
    if (value.isEmpty() || writerFits(value))
        return;
    toUnicode(QString::fromLatin1(placeholder(m_texts.size())), text, size / 2 - 1);
    m_texts.append(value);
}

QByteArray WideTexts::restore(const QByteArray& encoded) const
{
    if (m_texts.isEmpty())
        return encoded;
    QList<QByteArray> lines = encoded.split('\n');
    for (QByteArray& line : lines) {
        if (!line.contains("QZWIDETEXT"))
            continue;
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        QByteArray head = line.left(colon);
        QByteArray value = line.mid(colon + 1);
        const bool returned = value.endsWith('\r');
        if (returned)
            value.chop(1);
        const bool encodedAlready = head.toUpper().contains("QUOTED-PRINTABLE");
        if (!encodedAlready) {
            value = quotedPrintable(value);
            head += ";CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE";
        }
        for (qsizetype i = 0; i < m_texts.size(); ++i)
            value.replace(placeholder(i), quotedPrintable(m_texts.at(i).toUtf8()));
        line = head + ':' + value + (returned ? "\r" : "");
    }
    return lines.join('\n');
}

} // namespace gammu
