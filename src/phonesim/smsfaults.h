#pragma once

#include <QJsonObject>
#include <QSet>
#include <QString>
#include <optional>

namespace phonesim {

// Failures of the simulated phone's SMS object, the "sms" member of the image's faults.
struct SmsFaults
{
    // Storages whose read delivers its messages, each saying that more follow, and never ends.
    QSet<qint32> unendingReads;
    // WriteMessage is never answered.
    bool unansweredWrites = false;
    // WriteMessage is answered after these seconds instead of the image's latency.
    std::optional<double> lateWriteSeconds;
    // WriteMessage is answered with this non-zero status and stores nothing (0 = no fault).
    qint32 refusedWrites = 0;
    // The phone goes away right after it delivered this many messages in reads, counted from
    // when the phone was built (0 = never); it happens once.
    int unplugAfterMessages = 0;

    bool isEmpty() const;
    QJsonObject toJson() const;
    // Strict like the other faults: an unknown member or a wrong type is an error.
    static std::optional<SmsFaults> fromJson(const QJsonObject& json, QString& error);
};

} // namespace phonesim
