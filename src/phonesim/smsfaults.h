#pragma once

#include "phonesim/faultfields.h"

#include <QSet>
#include <optional>

namespace phonesim {

// Failures of the simulated phone's SMS object, the "sms" member of the image's faults.
struct SmsFaults : faultfields::TableDriven<SmsFaults>
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

    static constexpr const char* Path = "sms";
    static const faultfields::Table<SmsFaults>& fields();
};

} // namespace phonesim
