#include "simphonetesting.h"

#include "statuslog/statuslog.h"
#include "logtexts.h"
#include "phone/commandchannel.h"
#include "phone/phonelink.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace phonesim;

namespace {

// The real command channel in front of the simulated phone, with its log in a temporary folder.
struct ChannelFixture : SimPhoneFixture
{
    ChannelFixture() : log(wallClock), channel(link, log, clock)
    {
        log.InitLog(dir.path(), dir.path());
        link.m_objCellPhone = &phone();
    }

    QStringList logTexts() const { return ::logTexts(log.LogFile()); }

    void setFaults(const std::function<void(Faults&)>& change)
    {
        Faults faults = image->faults();
        change(faults);
        image->setFaults(faults);
    }

    QTemporaryDir dir;
    FakeWallClock wallClock;
    StatusLog log;
    PhoneLink link;
    CommandChannel channel;
};

} // namespace

TEST(CommandChannelOnSimPhone, AnswersUpToFifteenSecondsComplete)
{
    ChannelFixture f;
    f.image->setLatencyMs(15000);
    const qint64 start = f.clock.nowMs();
    EXPECT_TRUE(f.channel.DoData(CMD_GETTIMEFORMAT));
    EXPECT_EQ(f.clock.nowMs() - start, 15000);
    EXPECT_EQ(f.link.ResponseStatus, 0);
    ASSERT_EQ(f.link.ResponseData.size(), 1);
    EXPECT_EQ(f.link.ResponseData[0].toInt(), 1);
    EXPECT_FALSE(f.link.WaitEvent);
    EXPECT_TRUE(f.logTexts().isEmpty());
}

TEST(CommandChannelOnSimPhone, NoAnswerTimesOutJustPastFifteenSeconds)
{
    ChannelFixture f;
    f.setFaults([](Faults& faults) { faults.unanswered.insert(36); });
    const qint64 start = f.clock.nowMs();
    EXPECT_FALSE(f.channel.DoData(CMD_GETTIMEFORMAT));
    EXPECT_GT(f.clock.nowMs() - start, 15000);
    EXPECT_LE(f.clock.nowMs() - start, 15001);
    EXPECT_TRUE(f.link.WaitEvent);
    EXPECT_EQ(f.logTexts(), QStringList{QStringLiteral("Command ->CMD_GETTIMEFORMAT timedout")});
}

TEST(CommandChannelOnSimPhone, ALateAnswerIsLoggedAndNeverEndsTheNextCommand)
{
    ChannelFixture f;
    // The time format's answer comes while the daylight saving command waits for its own.
    f.setFaults([](Faults& faults) {
        faults.lateSeconds.insert(36, 15.5);
        faults.lateSeconds.insert(344, 1.0);
    });
    QJsonObject time = f.image->settings(QStringLiteral("time"));
    time.insert(QStringLiteral("timeFormat"), 1);
    time.insert(QStringLiteral("daylightSaving"), 0);
    ASSERT_TRUE(f.image->setSettings(QStringLiteral("time"), time));

    EXPECT_FALSE(f.channel.DoData(CMD_GETTIMEFORMAT));
    EXPECT_TRUE(f.channel.DoData(CMD_GETDAYLIGHTSAVINGTIME));
    ASSERT_EQ(f.link.ResponseData.size(), 1);
    EXPECT_EQ(f.link.ResponseData[0].toInt(), 0);
    EXPECT_EQ(f.logTexts(), (QStringList{QStringLiteral("Command ->CMD_GETTIMEFORMAT timedout"),
                                         QStringLiteral("Ignored late answer -> transaction 1")}));
}

TEST(CommandChannelOnSimPhone, StatusesAndDataAsTheChannelSeesThem)
{
    ChannelFixture f;
    f.setFaults([](Faults& faults) {
        faults.nonArrayData.insert(36);
        faults.refused.insert(344, 7);
    });
    f.link.ResponseData = {QVariant(99)};
    EXPECT_TRUE(f.channel.DoData(CMD_GETTIMEFORMAT));
    EXPECT_EQ(f.link.ResponseStatus, 0);
    EXPECT_TRUE(f.link.ResponseData.isEmpty());

    EXPECT_TRUE(f.channel.DoData(CMD_GETDAYLIGHTSAVINGTIME));
    EXPECT_EQ(f.link.ResponseStatus, 7);

    f.channel.setParams({QVariant::fromValue<qint16>(0)});
    EXPECT_TRUE(f.channel.DoData(CMD_SETTIMEFORMAT));
    EXPECT_EQ(f.link.ResponseStatus, 0);
    EXPECT_EQ(f.image->settings(QStringLiteral("time")).value(QStringLiteral("timeFormat")), 0);
}

TEST(CommandChannelOnSimPhone, FailuresBeforeSendingAreLogged)
{
    ChannelFixture f;
    f.setFaults([](Faults& faults) { faults.unsupported.insert(346); });
    f.channel.setParams({QVariant::fromValue<qint16>(1)});
    EXPECT_FALSE(f.channel.DoData(CMD_SETTIMEZONEUPDATE));

    f.setFaults([](Faults& faults) { faults.noSettingsObject = true; });
    EXPECT_FALSE(f.channel.DoData(CMD_GETTIMEFORMAT));

    f.monitor.unplug();
    EXPECT_FALSE(f.channel.DoData(CMD_GETTIMEFORMAT));

    f.link.m_objCellPhone = nullptr;
    EXPECT_FALSE(f.channel.DoData(CMD_SETTIMEFORMAT));

    EXPECT_EQ(f.logTexts(),
              QStringList({QStringLiteral("Command --->CMD_SETTIMEZONEUPDATE<--- is not supported"),
                           QStringLiteral("m_objGeneral Is Nothing"),
                           QStringLiteral("Error in DoData->Critical"),
                           QStringLiteral("Last Command was--->CMD_GETTIMEFORMAT<---"),
                           QStringLiteral("Error in DoData->Critical"),
                           QStringLiteral("Last Command was--->CMD_SETTIMEFORMAT<---")}));
    EXPECT_EQ(f.settings().lastTransactionId(), 0);
}
