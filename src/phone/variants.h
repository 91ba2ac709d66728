#pragma once

// The one home of the conversions between command parameters or answers (lists of variants
// holding 16-bit, 32-bit and text values) and the program's typed values. A conversion that
// cannot be made throws ProgramError, like the failing conversion it stands for.

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <optional>

namespace variants {

QVariant int16(qint16 value);
QVariant int32(qint32 value);
QVariant text(const QString& value);

// Element index of list; throws "Subscript out of range" when there is none.
const QVariant& at(const QVariantList& list, qsizetype index);

// Numbers round halves to even; a text must hold a number; out of range is an overflow.
qint16 toInt16(const QVariant& value);
qint32 toInt32(const QVariant& value);
// A number 0 counts as the empty text (phones answer 0 where a text is absent).
QString toText(const QVariant& value);

// The whole number a variant of any integer type holds, signed or not, of any width; none for
// another type or an unsigned value beyond qint64.
std::optional<qint64> integerOf(const QVariant& value);

// Rounding of a number to an integer with halves to even, as every integer field reads it.
double roundHalfEven(double value);

} // namespace variants
