#include "categorytesting.h"

#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

QJsonObject timeOf(const ProgramHarness& harness)
{
    return harness.image->settings(QStringLiteral("time"));
}

using Box = MainView::Box;

} // namespace

TEST(SettingTime, BacksUpAllFourValuesWithTheTimeFormatTwice)
{
    ProgramHarness harness;
    ASSERT_EQ(harness.backup({Box::Time}, harness.path(QStringLiteral("t.MS"))),
              RunOutcome::Completed);
    EXPECT_EQ(ProgramHarness::fileLines(harness.path(QStringLiteral("t.MS"))),
              (QStringList{QStringLiteral("<Settings_Time>"),
                           QStringLiteral("   <DateFormat value=1/>"),
                           QStringLiteral("   <DaylightSaving value=1/>"),
                           QStringLiteral("   <Nitz value=0/>"),
                           QStringLiteral("   <TimeFormat value=1/>"),
                           QStringLiteral("<Settings_Time/>")}));
}

TEST(SettingTime, RefusedReadLeavesTheValueOutAndUnansweredOnesAreNotStale)
{
    ProgramHarness harness;
    editFaults(harness, [](phonesim::Faults& faults) { faults.refused.insert(344, 0x7001); });
    const QString file = harness.path(QStringLiteral("t.MS"));
    harness.backup({Box::Time}, file);
    EXPECT_FALSE(ProgramHarness::fileLines(file).join(QLatin1Char('|')).contains(
        QLatin1String("DaylightSaving")));

    // A second backup where the time zone update is never answered must not reuse the first
    // run's value.
    editFaults(harness, [](phonesim::Faults& faults) { faults.unanswered.insert(347); });
    harness.backup({Box::Time}, file);
    EXPECT_FALSE(ProgramHarness::fileLines(file).join(QLatin1Char('|')).contains(
        QLatin1String("Nitz")));
    EXPECT_TRUE(harness.logLines().contains(QStringLiteral("Command ->CMD_GETTIMEZONEUPDATE timedout")));
}

TEST(SettingTime, SectionWithOnlyNitzRestoresOnlyTheTimeZoneUpdate)
{
    ProgramHarness harness(phonesim::blankPhone(QStringLiteral("BVT610")));
    const QJsonObject before = timeOf(harness);
    const QString file = harness.writeFile(
        QStringLiteral("n.MS"), {QStringLiteral("<Settings_Time>"),
                                 QStringLiteral("   <Nitz value=0/>"),
                                 QStringLiteral("<Settings_Time/>")});
    ASSERT_EQ(harness.restore(file), RunOutcome::Completed);
    QJsonObject expected = before;
    expected.insert(QStringLiteral("timeZoneUpdate"), 0);
    EXPECT_EQ(timeOf(harness), expected);
    EXPECT_TRUE(harness.statusLines().contains(QStringLiteral("Restoring time settings")));
}

TEST(SettingTime, TimeFormatIsSentTwiceAndThePhoneKeepsTheSecond)
{
    ProgramHarness harness(phonesim::blankPhone(QStringLiteral("BVT610")));
    const QString file = harness.writeFile(
        QStringLiteral("f.MS"), {QStringLiteral("<Settings_Time>"),
                                 QStringLiteral("   <DateFormat value=1/>"),
                                 QStringLiteral("   <TimeFormat value=0.5/>"),
                                 QStringLiteral("   <Colour value=3/>"),
                                 QStringLiteral("<Settings_Time/>")});
    harness.restore(file);
    // 0.5 rounds to the even 0.
    EXPECT_EQ(timeOf(harness).value(QStringLiteral("timeFormat")).toInt(), 0);
    EXPECT_TRUE(harness.logLines().contains(QStringLiteral("Failed to find the tag->Colour")));
    EXPECT_TRUE(harness.logLines().contains(QStringLiteral("Unknown Line -><Settings_Time/")));
}

TEST(SettingTime, EmptySectionSendsNothingButStillReports)
{
    ProgramHarness harness;
    editFaults(harness, [](phonesim::Faults& faults) {
        for (qint32 code : {36, 344, 347})
            faults.refused.insert(code, 0x7001);
    });
    const QString file = harness.path(QStringLiteral("e.MS"));
    harness.backup({Box::Time}, file);
    EXPECT_EQ(ProgramHarness::fileLines(file),
              (QStringList{QStringLiteral("<Settings_Time>"), QStringLiteral("<Settings_Time/>")}));

    editFaults(harness, [](phonesim::Faults& faults) {
        faults.refused.clear();
        faults.unanswered = {37, 343, 346};
    });
    const qint64 before = harness.clock.nowMs();
    harness.restore(file);
    // Nothing was sent: no command waited for its answer.
    EXPECT_LT(harness.clock.nowMs() - before, 1000);
    EXPECT_TRUE(harness.statusLines().contains(QStringLiteral("Restoring time settings")));
}
