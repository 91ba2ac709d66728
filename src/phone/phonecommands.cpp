#include "phone/phonecommands.h"

namespace {

struct Named
{
    Command command;
    const char* name;
};

constexpr Named kCommands[] = {
#define CELLARCHIVE_COMMAND_ROW(name, code) {name, #name},
    CELLARCHIVE_SETTINGS_COMMANDS(CELLARCHIVE_COMMAND_ROW)
#undef CELLARCHIVE_COMMAND_ROW
};

constexpr Command kAll[] = {
#define CELLARCHIVE_COMMAND_ITEM(name, code) name,
    CELLARCHIVE_SETTINGS_COMMANDS(CELLARCHIVE_COMMAND_ITEM)
#undef CELLARCHIVE_COMMAND_ITEM
};

} // namespace

std::span<const Command> allCommands()
{
    return kAll;
}

QString commandName(Command command)
{
    for (const Named& row : kCommands) {
        if (row.command == command)
            return QLatin1String(row.name);
    }
    return QString();
}

std::optional<Command> commandNamed(QStringView name)
{
    for (const Named& row : kCommands) {
        if (name == QLatin1String(row.name))
            return row.command;
    }
    return std::nullopt;
}
