#include "phonesim/smsfaults.h"

#include <QJsonArray>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace phonesim {

namespace {

bool wholeNumber(const QJsonValue& value, double low, double high)
{
    const double number = value.toDouble(std::nan(""));
    return value.isDouble() && number == std::floor(number) && number >= low && number <= high;
}

} // namespace

bool SmsFaults::isEmpty() const
{
    return unendingReads.isEmpty() && !unansweredWrites && !lateWriteSeconds &&
           refusedWrites == 0 && unplugAfterMessages == 0;
}

QJsonObject SmsFaults::toJson() const
{
    QJsonObject json;
    if (!unendingReads.isEmpty()) {
        QList<qint32> storages(unendingReads.begin(), unendingReads.end());
        std::sort(storages.begin(), storages.end());
        QJsonArray array;
        for (qint32 storage : storages)
            array.append(storage);
        json.insert(QStringLiteral("unendingReads"), array);
    }
    if (unansweredWrites)
        json.insert(QStringLiteral("unansweredWrites"), true);
    if (lateWriteSeconds)
        json.insert(QStringLiteral("lateWriteSeconds"), *lateWriteSeconds);
    if (refusedWrites != 0)
        json.insert(QStringLiteral("refusedWrites"),
                    QStringLiteral("0x%1").arg(static_cast<quint32>(refusedWrites), 8, 16,
                                               QLatin1Char('0')));
    if (unplugAfterMessages > 0)
        json.insert(QStringLiteral("unplugAfterMessages"), unplugAfterMessages);
    return json;
}

std::optional<SmsFaults> SmsFaults::fromJson(const QJsonObject& json, QString& error)
{
    static const QStringList known = {
        QStringLiteral("unendingReads"), QStringLiteral("unansweredWrites"),
        QStringLiteral("lateWriteSeconds"), QStringLiteral("refusedWrites"),
        QStringLiteral("unplugAfterMessages")};
    for (const QString& key : json.keys()) {
        if (!known.contains(key)) {
            error = QStringLiteral("unknown fault \"sms.%1\"").arg(key);
            return std::nullopt;
        }
    }
    const auto fail = [&error](const char* why) {
        error = QStringLiteral("faults.sms.") + QLatin1String(why);
        return std::nullopt;
    };

    SmsFaults faults;
    const QJsonValue unending = json.value(QStringLiteral("unendingReads"));
    if (!unending.isUndefined()) {
        if (!unending.isArray())
            return fail("unendingReads must be an array of storages");
        for (const QJsonValue& storage : unending.toArray()) {
            if (!wholeNumber(storage, 1, 2))
                return fail("unendingReads holds something that is not storage 1 or 2");
            faults.unendingReads.insert(storage.toInt());
        }
    }

    const QJsonValue unanswered = json.value(QStringLiteral("unansweredWrites"));
    if (!unanswered.isUndefined()) {
        if (!unanswered.isBool())
            return fail("unansweredWrites must be true or false");
        faults.unansweredWrites = unanswered.toBool();
    }

    const QJsonValue late = json.value(QStringLiteral("lateWriteSeconds"));
    if (!late.isUndefined()) {
        const double seconds = late.toDouble(-1);
        if (!late.isDouble() || seconds < 0 || !std::isfinite(seconds))
            return fail("lateWriteSeconds must be 0 or more seconds");
        faults.lateWriteSeconds = seconds;
    }

    // Statuses may be written as numbers or as hexadecimal text, like the other refusals.
    const QJsonValue refused = json.value(QStringLiteral("refusedWrites"));
    if (!refused.isUndefined()) {
        bool ok = false;
        qint32 status = 0;
        if (refused.isString()) {
            status = static_cast<qint32>(refused.toString().toUInt(&ok, 0));
        } else if (wholeNumber(refused, -2147483648.0, 4294967295.0)) {
            status = static_cast<qint32>(static_cast<qint64>(refused.toDouble()));
            ok = true;
        }
        if (!ok || status == 0)
            return fail("refusedWrites must be a non-zero status");
        faults.refusedWrites = status;
    }

    const QJsonValue unplug = json.value(QStringLiteral("unplugAfterMessages"));
    if (!unplug.isUndefined()) {
        if (!wholeNumber(unplug, 0, 2147483647.0))
            return fail("unplugAfterMessages must be a count of 0 or more");
        faults.unplugAfterMessages = unplug.toInt();
    }
    return faults;
}

} // namespace phonesim
