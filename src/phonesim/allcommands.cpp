#include "phonesim/commandtable.h"
#include "phonesim/phonecategories.h"

namespace phonesim {

void registerAllCommands(CommandTable& table)
{
    registerTimeCommands(table);
    registerDataAccountCommands(table);
    registerWapCommands(table);
    registerBookmarkCommands(table);
    registerKeylockCommands(table);
    registerProfileCommands(table);
    registerShortcutCommands(table);
    registerFactoryCommands(table);
}

} // namespace phonesim
