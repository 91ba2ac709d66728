#pragma once

#include <QJsonObject>

// Each category of the simulated phone in one file: the handlers of its settings commands,
// and the content of the demo phone and of a phone in factory state. A new category adds its
// three functions here, a line to registerAllCommands, and a line each to demoPhone and
// blankPhone.

namespace phonesim {

class CommandTable;

// Time settings: the time format, daylight saving and automatic time zone update.
void registerTimeCommands(CommandTable& table);
QJsonObject demoTimeSettings();
QJsonObject blankTimeSettings();

} // namespace phonesim
