#pragma once

#include <QByteArray>
#include <QString>

// The 8-bit code page of backup and log files (Windows-1252). Every byte value maps to a
// character and back, the five bytes the code page leaves undefined included, so that any
// byte read from a phone or a file survives a round trip unchanged.
namespace codepage {

QString decode(const QByteArray& bytes);
// Characters the code page cannot hold become "?".
QByteArray encode(const QString& text);
// The code-page byte of one character, or '?' when it has none.
char encodeChar(QChar c);

} // namespace codepage
