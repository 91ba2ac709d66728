#include "phonesim/commandtable.h"
#include "phonesim/phonecategories.h"

namespace phonesim {

void registerAllCommands(CommandTable& table)
{
    registerTimeCommands(table);
}

} // namespace phonesim
