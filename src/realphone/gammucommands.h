#pragma once

// The settings commands libgammu can serve, each on the libgammu calls behind it
// (docs/gammu-commands.md lists them). Internal to src/realphone.

#include <gammu.h>

#include <QSet>
#include <QVariantList>

namespace gammu {

struct CommandAnswer
{
    qint32 status = 0;
    QVariantList data;
    // The libgammu result behind a failure, for the worker's link check.
    GSM_Error error = ERR_NONE;
};

// The codes the connected phone serves: those whose libgammu calls it does not refuse as
// unsupported. The master reset (110) is never among them: libgammu's reset takes no lock
// code, so it cannot honour the program's guard.
QSet<qint32> supportedCommands(GSM_StateMachine* machine);
// Carries out one command; a code outside supportedCommands is answered "not supported".
CommandAnswer runCommand(GSM_StateMachine* machine, qint32 code, const QVariantList& params);

} // namespace gammu
