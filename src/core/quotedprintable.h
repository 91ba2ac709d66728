#pragma once

#include <QByteArray>

// Quoted-printable, as vCard and vCalendar entries carry texts with line breaks or 8-bit bytes.
namespace quotedprintable {

// "=XX" escapes and soft line breaks ("=" at a line's end) undone; a lone "=" stays.
QByteArray decode(const QByteArray& text);
// Every byte outside printable ASCII, and "=", as "=XX"; no soft line breaks.
QByteArray encode(const QByteArray& bytes);

} // namespace quotedprintable
