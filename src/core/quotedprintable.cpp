#include "core/quotedprintable.h"

namespace quotedprintable {

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

QByteArray decode(const QByteArray& text)
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

QByteArray encode(const QByteArray& bytes)
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

} // namespace quotedprintable
