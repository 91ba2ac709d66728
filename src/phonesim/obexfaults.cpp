#include "phonesim/faults.h"

namespace phonesim {

const faultfields::Table<irmc::ObexFaults>& obexFaultFields()
{
    using namespace faultfields;
    using irmc::ObexFaults;
    static const Table<ObexFaults> table{
        flag("refuseConnect", &ObexFaults::refuseConnect),
        flag("refuseDisconnect", &ObexFaults::refuseDisconnect),
        whole("failGetAfterPackets", &ObexFaults::failGetAfterPackets, 0, 1 << 30,
              "a count of 0 or more"),
        whole("refusePutNumber", &ObexFaults::refusePutNumber, 1, 1 << 30, "1 or more"),
        text("refusePutMatching", &ObexFaults::refusePutMatching),
        text("losePutMatching", &ObexFaults::losePutMatching),
        // A refusal is an OBEX error response: final bit set, at least 0xC0.
        whole("refusalCode", &ObexFaults::refusalCode, 0xC0, 0xFF,
              "an OBEX error response code from 192 (0xC0) to 255"),
    };
    return table;
}

} // namespace phonesim
