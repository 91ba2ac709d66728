#pragma once

#include "phonesim/faultfields.h"

#include <QHash>
#include <QString>

namespace phonesim {

// Failures of the phone on a serial line (`phone serial`), the "at" member of the image's
// faults. Commands are the command lines, counted from 1 over the life of the line.
struct AtFaults : faultfields::TableDriven<AtFaults>
{
    // After answering this many commands the phone reads on but answers nothing (0 = never).
    int silentAfterCommands = 0;
    // Every answer comes this many milliseconds after its command.
    int delayMs = 0;
    // The line is cut (the pseudo-terminal closed) right after answering this many commands.
    int cutAfterCommands = 0;
    // The N-th message of the phone, counted over the SIM then the phone memory, is answered
    // with a PDU cut short (0 = none).
    int corruptPduAtMessage = 0;
    // Commands answered "+CME ERROR" with the given error number, by name ("+CPBR").
    QHash<QString, int> cmeErrors;

    static constexpr const char* Path = "at";
    static const faultfields::Table<AtFaults>& fields();
};

} // namespace phonesim
