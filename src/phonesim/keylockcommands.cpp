#include "phonesim/integersetting.h"
#include "phonesim/phonecategories.h"

namespace phonesim {

namespace {

// 0 = off (the keys are locked by hand), 1 = automatic key lock, 2 = automatic key lock that
// also asks for the phone lock code.
const IntegerSetting kKeylockMode{QStringLiteral("keylock"), QStringLiteral("mode"), 0, 2, 0};

QJsonObject keylockSettings(qint64 mode)
{
    return QJsonObject{{kKeylockMode.key, static_cast<double>(mode)}};
}

} // namespace

void registerKeylockCommands(CommandTable& table)
{
    addIntegerSetting(table, CMD_GETKEYLOCKMODE, CMD_SETKEYLOCKMODE, kKeylockMode);
}

QJsonObject demoKeylockSettings()
{
    return keylockSettings(2);
}

QJsonObject blankKeylockSettings()
{
    return keylockSettings(kKeylockMode.factory);
}

} // namespace phonesim
