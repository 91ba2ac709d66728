#include "phonesim/faults.h"

namespace phonesim {

const faultfields::Table<Faults>& Faults::fields()
{
    using namespace faultfields;
    const auto codes = [](const char* key, QSet<qint32> Faults::*member) {
        return numberSet(key, member, -2147483648.0, 2147483647.0, "command codes",
                         "a command code");
    };
    static const Table<Faults> table{
        codes("unsupported", &Faults::unsupported),
        codes("unanswered", &Faults::unanswered),
        codes("nonArrayData", &Faults::nonArrayData),
        map("refused", &Faults::refused, commandCode, status, "command codes to statuses",
            "a command code and a non-zero status"),
        map("lateSeconds", &Faults::lateSeconds, commandCode, seconds, "command codes to seconds",
            "a command code and 0 or more seconds"),
        whole("unplugAfterCommands", &Faults::unplugAfterCommands, 0, 2147483647.0,
              "a count of 0 or more"),
        flag("noSettingsObject", &Faults::noSettingsObject),
        group("obex", &Faults::obex, obexFaultFields),
        group("sms", &Faults::sms, SmsFaults::fields),
        group("at", &Faults::at, AtFaults::fields),
    };
    return table;
}

} // namespace phonesim
