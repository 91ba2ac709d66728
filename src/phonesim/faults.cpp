#include "phonesim/faults.h"

#include <QJsonArray>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace phonesim {

namespace {

// A JSON number that is a whole 32-bit value; statuses may also be written unsigned
// (2290614273) or as hexadecimal text ("0x88880001").
std::optional<qint32> toCode(const QJsonValue& value, bool allowUnsigned)
{
    if (value.isString() && allowUnsigned) {
        bool ok = false;
        const uint number = value.toString().toUInt(&ok, 0);
        return ok ? std::optional<qint32>(static_cast<qint32>(number)) : std::nullopt;
    }
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    const double high = allowUnsigned ? 4294967295.0 : 2147483647.0;
    if (number != std::floor(number) || number < -2147483648.0 || number > high)
        return std::nullopt;
    return static_cast<qint32>(static_cast<qint64>(number));
}

std::optional<qint32> codeKey(const QString& key)
{
    bool ok = false;
    const qint32 code = key.toInt(&ok);
    return ok ? std::optional<qint32>(code) : std::nullopt;
}

bool readCodeSet(const QJsonObject& json, const QString& key, QSet<qint32>& out, QString& error)
{
    if (!json.contains(key))
        return true;
    if (!json.value(key).isArray()) {
        error = QStringLiteral("faults.%1 must be an array of command codes").arg(key);
        return false;
    }
    for (const QJsonValue& item : json.value(key).toArray()) {
        const auto code = toCode(item, false);
        if (!code) {
            error = QStringLiteral("faults.%1 holds something that is not a command code").arg(key);
            return false;
        }
        out.insert(*code);
    }
    return true;
}

QJsonArray sortedCodes(const QSet<qint32>& codes)
{
    QList<qint32> sorted(codes.begin(), codes.end());
    std::sort(sorted.begin(), sorted.end());
    QJsonArray array;
    for (qint32 code : sorted)
        array.append(code);
    return array;
}

} // namespace

bool Faults::isEmpty() const
{
    return unsupported.isEmpty() && refused.isEmpty() && unanswered.isEmpty() &&
           lateSeconds.isEmpty() && nonArrayData.isEmpty() && unplugAfterCommands == 0 &&
           !noSettingsObject && phonesim::isEmpty(obex) && sms.isEmpty() && at.isEmpty();
}

QJsonObject Faults::toJson() const
{
    QJsonObject json;
    if (!unsupported.isEmpty())
        json.insert(QStringLiteral("unsupported"), sortedCodes(unsupported));
    if (!refused.isEmpty()) {
        QJsonObject map;
        for (auto it = refused.cbegin(); it != refused.cend(); ++it)
            map.insert(QString::number(it.key()), it.value());
        json.insert(QStringLiteral("refused"), map);
    }
    if (!unanswered.isEmpty())
        json.insert(QStringLiteral("unanswered"), sortedCodes(unanswered));
    if (!lateSeconds.isEmpty()) {
        QJsonObject map;
        for (auto it = lateSeconds.cbegin(); it != lateSeconds.cend(); ++it)
            map.insert(QString::number(it.key()), it.value());
        json.insert(QStringLiteral("lateSeconds"), map);
    }
    if (!nonArrayData.isEmpty())
        json.insert(QStringLiteral("nonArrayData"), sortedCodes(nonArrayData));
    if (unplugAfterCommands > 0)
        json.insert(QStringLiteral("unplugAfterCommands"), unplugAfterCommands);
    if (noSettingsObject)
        json.insert(QStringLiteral("noSettingsObject"), true);
    if (!phonesim::isEmpty(obex))
        json.insert(QStringLiteral("obex"), obexFaultsToJson(obex));
    if (!sms.isEmpty())
        json.insert(QStringLiteral("sms"), sms.toJson());
    if (!at.isEmpty())
        json.insert(QStringLiteral("at"), at.toJson());
    return json;
}

std::optional<Faults> Faults::fromJson(const QJsonObject& json, QString& error)
{
    static const QStringList known = {
        QStringLiteral("unsupported"),  QStringLiteral("refused"),
        QStringLiteral("unanswered"),   QStringLiteral("lateSeconds"),
        QStringLiteral("nonArrayData"), QStringLiteral("unplugAfterCommands"),
        QStringLiteral("noSettingsObject"), QStringLiteral("obex"),
        QStringLiteral("sms"), QStringLiteral("at")};
    for (const QString& key : json.keys()) {
        if (!known.contains(key)) {
            error = QStringLiteral("unknown fault \"%1\"").arg(key);
            return std::nullopt;
        }
    }

    Faults faults;
    if (!readCodeSet(json, QStringLiteral("unsupported"), faults.unsupported, error) ||
        !readCodeSet(json, QStringLiteral("unanswered"), faults.unanswered, error) ||
        !readCodeSet(json, QStringLiteral("nonArrayData"), faults.nonArrayData, error))
        return std::nullopt;

    const QJsonValue refused = json.value(QStringLiteral("refused"));
    if (!refused.isUndefined()) {
        if (!refused.isObject()) {
            error = QStringLiteral("faults.refused must map command codes to statuses");
            return std::nullopt;
        }
        const QJsonObject map = refused.toObject();
        for (auto it = map.begin(); it != map.end(); ++it) {
            const auto code = codeKey(it.key());
            const auto status = toCode(it.value(), true);
            if (!code || !status || *status == 0) {
                error = QStringLiteral("faults.refused: \"%1\" needs a command code and a "
                                       "non-zero status")
                            .arg(it.key());
                return std::nullopt;
            }
            faults.refused.insert(*code, *status);
        }
    }

    const QJsonValue late = json.value(QStringLiteral("lateSeconds"));
    if (!late.isUndefined()) {
        if (!late.isObject()) {
            error = QStringLiteral("faults.lateSeconds must map command codes to seconds");
            return std::nullopt;
        }
        const QJsonObject map = late.toObject();
        for (auto it = map.begin(); it != map.end(); ++it) {
            const auto code = codeKey(it.key());
            const double seconds = it.value().toDouble(-1);
            if (!code || !it.value().isDouble() || seconds < 0 || !std::isfinite(seconds)) {
                error = QStringLiteral("faults.lateSeconds: \"%1\" needs a command code and "
                                       "0 or more seconds")
                            .arg(it.key());
                return std::nullopt;
            }
            faults.lateSeconds.insert(*code, seconds);
        }
    }

    const QJsonValue unplug = json.value(QStringLiteral("unplugAfterCommands"));
    if (!unplug.isUndefined()) {
        const auto count = toCode(unplug, false);
        if (!count || *count < 0) {
            error = QStringLiteral("faults.unplugAfterCommands must be a count of 0 or more");
            return std::nullopt;
        }
        faults.unplugAfterCommands = *count;
    }

    const QJsonValue noSettings = json.value(QStringLiteral("noSettingsObject"));
    if (!noSettings.isUndefined()) {
        if (!noSettings.isBool()) {
            error = QStringLiteral("faults.noSettingsObject must be true or false");
            return std::nullopt;
        }
        faults.noSettingsObject = noSettings.toBool();
    }

    if (json.contains(QStringLiteral("obex"))) {
        const auto obex = obexFaultsFromJson(json.value(QStringLiteral("obex")), error);
        if (!obex)
            return std::nullopt;
        faults.obex = *obex;
    }

    const QJsonValue sms = json.value(QStringLiteral("sms"));
    if (!sms.isUndefined()) {
        if (!sms.isObject()) {
            error = QStringLiteral("faults.sms must be an object");
            return std::nullopt;
        }
        const auto parsed = SmsFaults::fromJson(sms.toObject(), error);
        if (!parsed)
            return std::nullopt;
        faults.sms = *parsed;
    }

    const QJsonValue at = json.value(QStringLiteral("at"));
    if (!at.isUndefined()) {
        if (!at.isObject()) {
            error = QStringLiteral("faults.at must be an object");
            return std::nullopt;
        }
        const auto parsed = AtFaults::fromJson(at.toObject(), error);
        if (!parsed)
            return std::nullopt;
        faults.at = *parsed;
    }
    return faults;
}

} // namespace phonesim
