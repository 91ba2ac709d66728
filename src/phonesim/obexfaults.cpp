#include "core/codepage.h"
#include "phonesim/faults.h"

#include <QStringList>
#include <cmath>

namespace phonesim {

namespace {

// A whole number in [low, high], as JSON gives every number as a double.
std::optional<int> wholeNumber(const QJsonValue& value, int low, int high)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number != std::floor(number) || number < low || number > high)
        return std::nullopt;
    return static_cast<int>(number);
}

} // namespace

bool isEmpty(const irmc::ObexFaults& faults)
{
    const irmc::ObexFaults none;
    return !faults.refuseConnect && faults.failGetAfterPackets < 0 && faults.refusePutNumber == 0 &&
           faults.refusePutMatching.isEmpty() && faults.losePutMatching.isEmpty() &&
           !faults.refuseDisconnect && faults.refusalCode == none.refusalCode;
}

QJsonObject obexFaultsToJson(const irmc::ObexFaults& faults)
{
    const irmc::ObexFaults none;
    QJsonObject json;
    if (faults.refuseConnect)
        json.insert(QStringLiteral("refuseConnect"), true);
    if (faults.failGetAfterPackets >= 0)
        json.insert(QStringLiteral("failGetAfterPackets"), faults.failGetAfterPackets);
    if (faults.refusePutNumber > 0)
        json.insert(QStringLiteral("refusePutNumber"), faults.refusePutNumber);
    if (!faults.refusePutMatching.isEmpty())
        json.insert(QStringLiteral("refusePutMatching"),
                    codepage::decode(faults.refusePutMatching));
    if (!faults.losePutMatching.isEmpty())
        json.insert(QStringLiteral("losePutMatching"), codepage::decode(faults.losePutMatching));
    if (faults.refuseDisconnect)
        json.insert(QStringLiteral("refuseDisconnect"), true);
    if (faults.refusalCode != none.refusalCode)
        json.insert(QStringLiteral("refusalCode"), faults.refusalCode);
    return json;
}

std::optional<irmc::ObexFaults> obexFaultsFromJson(const QJsonValue& value, QString& error)
{
    if (!value.isObject()) {
        error = QStringLiteral("faults.obex must be an object");
        return std::nullopt;
    }
    const QJsonObject json = value.toObject();
    static const QStringList known = {
        QStringLiteral("refuseConnect"),   QStringLiteral("failGetAfterPackets"),
        QStringLiteral("refusePutNumber"), QStringLiteral("refusePutMatching"),
        QStringLiteral("losePutMatching"), QStringLiteral("refuseDisconnect"),
        QStringLiteral("refusalCode")};
    for (const QString& key : json.keys()) {
        if (!known.contains(key)) {
            error = QStringLiteral("unknown fault \"obex.%1\"").arg(key);
            return std::nullopt;
        }
    }

    irmc::ObexFaults faults;
    const auto flag = [&json, &error](const char* key, bool& target) {
        const QJsonValue member = json.value(QLatin1String(key));
        if (member.isUndefined())
            return true;
        if (!member.isBool()) {
            error = QStringLiteral("faults.obex.%1 must be true or false").arg(QLatin1String(key));
            return false;
        }
        target = member.toBool();
        return true;
    };
    if (!flag("refuseConnect", faults.refuseConnect) ||
        !flag("refuseDisconnect", faults.refuseDisconnect))
        return std::nullopt;

    const QJsonValue getAfter = json.value(QStringLiteral("failGetAfterPackets"));
    if (!getAfter.isUndefined()) {
        const auto count = wholeNumber(getAfter, 0, 1 << 30);
        if (!count) {
            error = QStringLiteral("faults.obex.failGetAfterPackets must be a count of 0 or more");
            return std::nullopt;
        }
        faults.failGetAfterPackets = *count;
    }
    const QJsonValue putNumber = json.value(QStringLiteral("refusePutNumber"));
    if (!putNumber.isUndefined()) {
        const auto number = wholeNumber(putNumber, 1, 1 << 30);
        if (!number) {
            error = QStringLiteral("faults.obex.refusePutNumber must be 1 or more");
            return std::nullopt;
        }
        faults.refusePutNumber = *number;
    }
    const auto text = [&json, &error](const char* key, QByteArray& target) {
        const QJsonValue member = json.value(QLatin1String(key));
        if (member.isUndefined())
            return true;
        if (!member.isString() || member.toString().isEmpty()) {
            error =
                QStringLiteral("faults.obex.%1 must be a non-empty text").arg(QLatin1String(key));
            return false;
        }
        target = codepage::encode(member.toString());
        return true;
    };
    if (!text("refusePutMatching", faults.refusePutMatching) ||
        !text("losePutMatching", faults.losePutMatching))
        return std::nullopt;
    const QJsonValue code = json.value(QStringLiteral("refusalCode"));
    if (!code.isUndefined()) {
        // A refusal is an OBEX error response: final bit set, at least 0xC0.
        const auto number = wholeNumber(code, 0xC0, 0xFF);
        if (!number) {
            error = QStringLiteral("faults.obex.refusalCode must be an OBEX error response "
                                   "code from 192 (0xC0) to 255");
            return std::nullopt;
        }
        faults.refusalCode = static_cast<quint8>(*number);
    }
    return faults;
}

} // namespace phonesim
