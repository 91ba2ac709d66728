#include "phonesim/faultfields.h"

#include <cmath>

namespace phonesim::faultfields {

std::optional<qint64> wholeNumber(const QJsonValue& value, double low, double high)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number != std::floor(number) || number < low || number > high)
        return std::nullopt;
    return static_cast<qint64>(number);
}

std::optional<qint32> status(const QJsonValue& value)
{
    std::optional<qint32> read;
    if (value.isString()) {
        bool ok = false;
        const uint number = value.toString().toUInt(&ok, 0);
        if (ok)
            read = static_cast<qint32>(number);
    } else if (const auto number = wholeNumber(value, -2147483648.0, 4294967295.0)) {
        read = static_cast<qint32>(*number);
    }
    return read == 0 ? std::nullopt : read;
}

std::optional<double> seconds(const QJsonValue& value)
{
    const double number = value.toDouble(-1);
    if (!value.isDouble() || number < 0 || !std::isfinite(number))
        return std::nullopt;
    return number;
}

std::optional<qint32> commandCode(const QString& key)
{
    bool ok = false;
    const qint32 code = key.toInt(&ok);
    return ok ? std::optional<qint32>(code) : std::nullopt;
}

bool fail(QString& error, const QString& path, const QString& why)
{
    error = QStringLiteral("faults.%1 %2").arg(path, why);
    return false;
}

} // namespace phonesim::faultfields
