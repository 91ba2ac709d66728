#pragma once

#include "phone/phonestatus.h"

// The simulated phone answers with the statuses every phone of the program shares.
namespace phonesim {
namespace status = phonestatus;
}
