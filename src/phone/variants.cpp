#include "phone/variants.h"

#include "core/programerror.h"

#include <cmath>
#include <limits>

namespace {

const QString kSource = QStringLiteral("Cellarchive");

[[noreturn]] void fail(qint32 number, const QString& description)
{
    throw ProgramError(number, kSource, description);
}

bool isIntegerType(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

double toNumber(const QVariant& value)
{
    if (isIntegerType(value))
        return value.toDouble();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return value.toDouble();
    case QMetaType::Bool:
        // True is -1, as a Boolean converts to a number.
        return value.toBool() ? -1.0 : 0.0;
    case QMetaType::QString: {
        bool ok = false;
        const double number = value.toString().trimmed().toDouble(&ok);
        if (!ok)
            fail(ProgramError::TypeMismatch, QStringLiteral("Type mismatch"));
        return number;
    }
    default:
        fail(ProgramError::TypeMismatch, QStringLiteral("Type mismatch"));
    }
}

template <typename T> T toInteger(const QVariant& value)
{
    const double rounded = variants::roundHalfEven(toNumber(value));
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<T>::min() ||
        rounded > std::numeric_limits<T>::max())
        fail(ProgramError::Overflow, QStringLiteral("Overflow"));
    return static_cast<T>(rounded);
}

} // namespace

namespace variants {

std::optional<qint64> integerOf(const QVariant& value)
{
    if (!isIntegerType(value))
        return std::nullopt;
    if (value.typeId() == QMetaType::ULong || value.typeId() == QMetaType::ULongLong) {
        const qulonglong unsignedValue = value.toULongLong();
        if (unsignedValue > static_cast<qulonglong>(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return static_cast<qint64>(unsignedValue);
    }
    return value.toLongLong();
}

QVariant int16(qint16 value)
{
    return QVariant::fromValue<qint16>(value);
}

QVariant int32(qint32 value)
{
    return QVariant::fromValue<qint32>(value);
}

QVariant text(const QString& value)
{
    return QVariant(value);
}

const QVariant& at(const QVariantList& list, qsizetype index)
{
    if (index < 0 || index >= list.size())
        fail(ProgramError::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return list.at(index);
}

double roundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode rounds halves to even
}

qint16 toInt16(const QVariant& value)
{
    return toInteger<qint16>(value);
}

qint32 toInt32(const QVariant& value)
{
    return toInteger<qint32>(value);
}

QString toText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    const double number = toNumber(value);
    if (number == 0)
        return QString();
    if (number == std::floor(number) && std::fabs(number) < 1e15)
        return QString::number(static_cast<qint64>(number));
    return QString::number(number);
}

} // namespace variants
