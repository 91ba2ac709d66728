#include "phonesim/simcellphone.h"

namespace phonesim {

void attachPhoneServices(SimCellPhone& phone)
{
    // Each service adds one line, e.g. phone.setTextMessage(new SimTextMessage(phone));
    Q_UNUSED(phone);
}

} // namespace phonesim
