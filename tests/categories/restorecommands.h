#pragma once

#include "programharness.h"

#include "phonesim/simcellphone.h"
#include "phonesim/simsettingsobject.h"

// Settings commands the phone of harness has answered so far.
inline int answeredCommands(const ProgramHarness& harness)
{
    return harness.monitor->phone()->settingsObject()->answeredCommands();
}

// The commands a restore of file sends beyond those of a restore of a file without sections.
inline int commandsOfRestore(ProgramHarness& harness, const QString& file)
{
    const QString none = harness.writeFile(QStringLiteral("none.MS"), {});
    int before = answeredCommands(harness);
    harness.restore(none);
    const int baseline = answeredCommands(harness) - before;
    before = answeredCommands(harness);
    harness.restore(file);
    return answeredCommands(harness) - before - baseline;
}
