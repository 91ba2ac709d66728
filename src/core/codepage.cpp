#include "core/codepage.h"

namespace {

// Characters of the bytes 0x80 to 0x9F; the undefined bytes map to the C1 control of the
// same value so that they round-trip.
constexpr char16_t kHighTable[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

namespace codepage {

QString decode(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text.append(value >= 0x80 && value <= 0x9F ? QChar(kHighTable[value - 0x80])
                                                   : QChar(char16_t(value)));
    }
    return text;
}

char encodeChar(QChar c)
{
    const char16_t unicode = c.unicode();
    if (unicode < 0x80 || (unicode >= 0xA0 && unicode <= 0xFF))
        return static_cast<char>(unicode);
    for (int i = 0; i < 32; ++i) {
        if (kHighTable[i] == unicode)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

QByteArray encode(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text)
        bytes.append(encodeChar(c));
    return bytes;
}

} // namespace codepage
