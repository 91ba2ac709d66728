#include "phone/phonecommands.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

TEST(PhoneCommands, CodesAndNamesAreUniqueAndGoBothWays)
{
    QSet<qint32> codes;
    QSet<QString> names;
    for (const Command command : allCommands()) {
        const QString name = commandName(command);
        EXPECT_TRUE(name.startsWith(QLatin1String("CMD_"))) << command;
        EXPECT_FALSE(codes.contains(command)) << command;
        EXPECT_FALSE(names.contains(name)) << name.toStdString();
        codes.insert(command);
        names.insert(name);
        const std::optional<Command> named = commandNamed(name);
        ASSERT_TRUE(named.has_value()) << name.toStdString();
        EXPECT_EQ(*named, command) << name.toStdString();
    }
    EXPECT_EQ(commandName(static_cast<Command>(35)), QString());
    EXPECT_FALSE(commandNamed(u"CMD_GETTIME").has_value());
}

} // namespace
