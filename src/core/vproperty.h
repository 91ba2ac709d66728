#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Property lines of vCard and vCalendar entries ("NAME;PARAM:value"), whose texts may come
// quoted-printable and in a charset of their own.
namespace vproperty {

// "=XX" escapes and soft line breaks ("=" at a line's end) undone; a lone "=" stays.
QByteArray decodeQuotedPrintable(const QByteArray& text);
// Every byte outside printable ASCII, and "=", as "=XX"; no soft line breaks.
QByteArray encodeQuotedPrintable(const QByteArray& bytes);

// A property line taken apart, its value decoded: a quoted-printable one from Windows-1252
// bytes unless the line names UTF-8 as its charset; folded lines joined.
struct Property
{
    QString name;       // upper case
    QStringList params; // without ENCODING and CHARSET
    QString text;
};
Property parse(const QString& line);

// The property as a vCard 2.1 line with UTF-8 text: CHARSET=UTF-8 when the text is not ASCII,
// quoted-printable only when it holds a line break, which vCard 2.1 carries no other way.
QString utf8Line(const Property& property);

} // namespace vproperty
