#include "phonesim/smsfaults.h"

namespace phonesim {

const faultfields::Table<SmsFaults>& SmsFaults::fields()
{
    using namespace faultfields;
    static const Table<SmsFaults> table{
        numberSet("unendingReads", &SmsFaults::unendingReads, 1, 2, "storages", "storage 1 or 2"),
        flag("unansweredWrites", &SmsFaults::unansweredWrites),
        someSeconds("lateWriteSeconds", &SmsFaults::lateWriteSeconds),
        // Statuses may be written as numbers or as hexadecimal text, like the other refusals.
        nonZeroStatus("refusedWrites", &SmsFaults::refusedWrites),
        whole("unplugAfterMessages", &SmsFaults::unplugAfterMessages, 0, 2147483647.0,
              "a count of 0 or more"),
    };
    return table;
}

} // namespace phonesim
