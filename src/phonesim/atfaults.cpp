#include "phonesim/atfaults.h"

namespace phonesim {

const faultfields::Table<AtFaults>& AtFaults::fields()
{
    using namespace faultfields;
    const auto count = [](const char* key, int AtFaults::*member) {
        return whole(key, member, 0, 2147483647.0, "a count of 0 or more");
    };
    // Commands are kept by their upper-case names, as the modem looks them up.
    const auto command = [](const QString& key) {
        return key.startsWith(QLatin1Char('+')) ? std::optional<QString>(key.toUpper())
                                                : std::nullopt;
    };
    const auto errorNumber = [](const QJsonValue& value) -> std::optional<int> {
        return wholeNumber(value, 0, 65535);
    };
    static const Table<AtFaults> table{
        count("silentAfterCommands", &AtFaults::silentAfterCommands),
        count("delayMs", &AtFaults::delayMs),
        count("cutAfterCommands", &AtFaults::cutAfterCommands),
        count("corruptPduAtMessage", &AtFaults::corruptPduAtMessage),
        map("cmeErrors", &AtFaults::cmeErrors, command, errorNumber, "commands to error numbers",
            "a command such as +CPBR and an error number from 0 to 65535"),
    };
    return table;
}

} // namespace phonesim
