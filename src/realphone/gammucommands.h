#pragma once

// The settings commands libgammu can serve, each on the libgammu calls behind it
// (docs/gammu-commands.md lists them). Internal to src/realphone.

#include "phone/phonecommands.h"

#include <gammu.h>

#include <QSet>
#include <QVariantList>

#include <functional>
#include <span>

namespace gammu {

struct CommandAnswer
{
    qint32 status = 0;
    QVariantList data;
    // The libgammu result behind a failure, for the worker's link check.
    GSM_Error error = ERR_NONE;
};

// True unless the phone refuses the libgammu call behind some commands as unsupported.
using Probe = bool (*)(GSM_StateMachine* machine);
using Handler = CommandAnswer (*)(GSM_StateMachine* machine, const QVariantList& params);

struct CommandRow
{
    Command command;
    // Commands on the same libgammu calls share their probe.
    Probe probe;
    Handler handler;
};

// Every command libgammu can serve. The master reset is never among them: libgammu's reset
// takes no lock code, so it cannot honour the program's guard.
std::span<const CommandRow> commandRows();

// The codes of the rows whose probe asks answers true; every probe is asked once.
QSet<qint32> supportedCommands(const std::function<bool(Probe)>& asks);
// The codes the connected phone serves, its probes asked of it.
QSet<qint32> supportedCommands(GSM_StateMachine* machine);
// Carries out one command; a code outside supportedCommands is answered "not supported".
CommandAnswer runCommand(GSM_StateMachine* machine, qint32 code, const QVariantList& params);

} // namespace gammu
