#include "phonesim/atfaults.h"

#include <QStringList>
#include <cmath>

namespace phonesim {

namespace {

bool readCount(const QJsonObject& json, const QString& key, int& out, QString& error)
{
    const QJsonValue value = json.value(key);
    if (value.isUndefined())
        return true;
    const double number = value.toDouble(-1);
    if (!value.isDouble() || number < 0 || number > 2147483647.0 || number != std::floor(number)) {
        error = QStringLiteral("faults.at.%1 must be a count of 0 or more").arg(key);
        return false;
    }
    out = static_cast<int>(number);
    return true;
}

} // namespace

bool AtFaults::isEmpty() const
{
    return silentAfterCommands == 0 && delayMs == 0 && cutAfterCommands == 0 &&
           corruptPduAtMessage == 0 && cmeErrors.isEmpty();
}

QJsonObject AtFaults::toJson() const
{
    QJsonObject json;
    const std::pair<const char*, int> counts[] = {{"silentAfterCommands", silentAfterCommands},
                                                  {"delayMs", delayMs},
                                                  {"cutAfterCommands", cutAfterCommands},
                                                  {"corruptPduAtMessage", corruptPduAtMessage}};
    for (const auto& [key, value] : counts) {
        if (value > 0)
            json.insert(QLatin1String(key), value);
    }
    if (!cmeErrors.isEmpty()) {
        QJsonObject map;
        for (auto it = cmeErrors.cbegin(); it != cmeErrors.cend(); ++it)
            map.insert(it.key(), it.value());
        json.insert(QStringLiteral("cmeErrors"), map);
    }
    return json;
}

std::optional<AtFaults> AtFaults::fromJson(const QJsonObject& json, QString& error)
{
    static const QStringList known = {
        QStringLiteral("silentAfterCommands"), QStringLiteral("delayMs"),
        QStringLiteral("cutAfterCommands"), QStringLiteral("corruptPduAtMessage"),
        QStringLiteral("cmeErrors")};
    for (const QString& key : json.keys()) {
        if (!known.contains(key)) {
            error = QStringLiteral("unknown fault \"at.%1\"").arg(key);
            return std::nullopt;
        }
    }
    AtFaults faults;
    if (!readCount(json, known.at(0), faults.silentAfterCommands, error) ||
        !readCount(json, known.at(1), faults.delayMs, error) ||
        !readCount(json, known.at(2), faults.cutAfterCommands, error) ||
        !readCount(json, known.at(3), faults.corruptPduAtMessage, error))
        return std::nullopt;
    const QJsonValue errors = json.value(QStringLiteral("cmeErrors"));
    if (!errors.isUndefined()) {
        if (!errors.isObject()) {
            error = QStringLiteral("faults.at.cmeErrors must map commands to error numbers");
            return std::nullopt;
        }
        const QJsonObject map = errors.toObject();
        for (auto it = map.begin(); it != map.end(); ++it) {
            const double number = it.value().toDouble(-1);
            if (!it.key().startsWith(QLatin1Char('+')) || !it.value().isDouble() || number < 0 ||
                number > 65535 || number != std::floor(number)) {
                error = QStringLiteral("faults.at.cmeErrors: \"%1\" needs a command such as "
                                       "+CPBR and an error number from 0 to 65535")
                            .arg(it.key());
                return std::nullopt;
            }
            faults.cmeErrors.insert(it.key().toUpper(), static_cast<int>(number));
        }
    }
    return faults;
}

} // namespace phonesim
