#include "phonesim/phoneobex.h"
#include "phonesim/simcellphone.h"
#include "irmc/irmcobexservice.h"
#include "phonesim/simtextmessage.h"

namespace phonesim {

void attachPhoneServices(SimCellPhone& phone)
{
    // Each service adds one line, e.g. phone.setTextMessage(new SimTextMessage(phone));
    phone.setObex(imageObexService(phone.sharedImage()));
    phone.setTextMessage(new SimTextMessage(phone));
}

} // namespace phonesim
