#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The character sets of AT+CSCS in which the phone takes and gives the texts of its commands.
namespace phonesim::atcharset {

enum class Charset { Gsm, Ira, Ucs2 };

// The names AT+CSCS=? offers, in this order.
QStringList names();
std::optional<Charset> fromName(const QString& name);
QString name(Charset charset);

// The text as it stands between the quotes of an answer: GSM as one byte per septet, IRA as
// ASCII, UCS2 as four hexadecimal digits per UTF-16 unit. A character the set lacks becomes "?".
QByteArray encode(const QString& text, Charset charset);
// A quoted text of a command; nullopt when it is not well formed in the set (UCS2 digits
// that are not whole units of hexadecimal).
std::optional<QString> decode(const QByteArray& text, Charset charset);

} // namespace phonesim::atcharset
