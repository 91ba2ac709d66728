#pragma once

#include "irmc/obexserver.h"
#include "phonesim/atfaults.h"
#include "phonesim/smsfaults.h"

#include <QHash>
#include <QSet>

namespace phonesim {

// The "obex" member of the faults: refuseConnect, failGetAfterPackets, refusePutNumber,
// refusePutMatching and losePutMatching (Windows-1252 texts), refuseDisconnect, refusalCode.
const faultfields::Table<irmc::ObexFaults>& obexFaultFields();

// Failures the simulated phone shows on demand; without any it never fails. Declared in the
// image's "faults" object or set by tests through PhoneImage::setFaults.
struct Faults : faultfields::TableDriven<Faults>
{
    // IsCommandSupported answers 0; a command sent anyway is answered status::NotSupported.
    QSet<qint32> unsupported;
    // Answered with the given non-zero status and no values; the command does nothing.
    QHash<qint32, qint32> refused;
    // Never answered.
    QSet<qint32> unanswered;
    // Answered after the given seconds instead of the image's latency.
    QHash<qint32, double> lateSeconds;
    // Answered with a single value in Data instead of an array of values.
    QSet<qint32> nonArrayData;
    // The phone goes away right after it answered this many commands (0 = never). Counted
    // from when the phone was built; it happens once.
    int unplugAfterCommands = 0;
    // General() gives no settings object.
    bool noSettingsObject = false;
    // Failures of the SMS object.
    SmsFaults sms;
    // Failures of the OBEX server (the "obex" member of the image's faults).
    irmc::ObexFaults obex;
    // Failures of the phone on a serial line (the "at" member).
    AtFaults at;

    static constexpr const char* Path = "";
    static const faultfields::Table<Faults>& fields();
};

} // namespace phonesim
