#include "atmodem/atcharset.h"

#include "phonesim/smspdu.h"

namespace phonesim::atcharset {

QStringList names()
{
    return {QStringLiteral("GSM"), QStringLiteral("IRA"), QStringLiteral("UCS2")};
}

std::optional<Charset> fromName(const QString& name)
{
    const qsizetype index = names().indexOf(name.toUpper());
    if (index < 0)
        return std::nullopt;
    return static_cast<Charset>(index);
}

QString name(Charset charset)
{
    return names().at(static_cast<int>(charset));
}

QByteArray encode(const QString& text, Charset charset)
{
    QByteArray bytes;
    for (const QChar c : text) {
        if (charset == Charset::Ucs2) {
            bytes += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
        } else if (charset == Charset::Ira) {
            bytes += c.unicode() >= 0x20 && c.unicode() < 0x7F ? static_cast<char>(c.unicode())
                                                                 : '?';
        } else {
            QList<quint8> septets;
            bytes += smspdu::toGsmSeptets(QString(c), septets) ? static_cast<char>(septets.first())
                                                               : '?';
        }
    }
    return bytes;
}

std::optional<QString> decode(const QByteArray& text, Charset charset)
{
    QString result;
    if (charset == Charset::Ucs2) {
        if (text.size() % 4 != 0)
            return std::nullopt;
        for (qsizetype i = 0; i < text.size(); i += 4) {
            bool ok = false;
            const ushort unit = text.mid(i, 4).toUShort(&ok, 16);
            if (!ok)
                return std::nullopt;
            result += QChar(unit);
        }
        return result;
    }
    for (const char byte : text) {
        const auto value = static_cast<quint8>(byte);
        if (charset == Charset::Ira)
            result += value < 0x80 ? QChar(static_cast<char16_t>(value)) : QChar(u'?');
        else
            result += smspdu::fromGsmSeptet(value);
    }
    return result;
}

} // namespace phonesim::atcharset
