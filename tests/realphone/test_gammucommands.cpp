#include "phone/phonestatus.h"
#include "realphone/gammucommands.h"

#include <QList>
#include <gtest/gtest.h>

#include <map>

namespace {

// Every way the phone may answer the probes: each row's command is supported exactly when its
// probe says so, and no probe is asked twice however many rows share it.
TEST(GammuCommands, SupportedWhereTheProbeSaysSo)
{
    QList<gammu::Probe> probes;
    for (const gammu::CommandRow& row : gammu::commandRows()) {
        if (!probes.contains(row.probe))
            probes.append(row.probe);
    }
    for (unsigned served = 0; served < (1u << probes.size()); ++served) {
        const auto serves = [&](gammu::Probe probe) {
            return (served >> probes.indexOf(probe) & 1u) != 0;
        };
        std::map<gammu::Probe, int> asked;
        const QSet<qint32> supported = gammu::supportedCommands([&](gammu::Probe probe) {
            ++asked[probe];
            return serves(probe);
        });
        for (const auto& [probe, times] : asked)
            EXPECT_EQ(times, 1) << served;
        EXPECT_EQ(asked.size(), static_cast<std::size_t>(probes.size())) << served;
        for (const gammu::CommandRow& row : gammu::commandRows())
            EXPECT_EQ(supported.contains(row.command), serves(row.probe))
                << row.command << " with " << served;
        EXPECT_FALSE(supported.contains(CMD_SETFACTORYDEFAULT));
    }
    // A command without a row is refused before libgammu is called.
    EXPECT_EQ(gammu::runCommand(nullptr, CMD_SETFACTORYDEFAULT, {}).status,
              phonestatus::NotSupported);
}

} // namespace
