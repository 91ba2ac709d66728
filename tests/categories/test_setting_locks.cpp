#include "categorytesting.h"
#include "restorecommands.h"

#include <gtest/gtest.h>

namespace {

using Box = MainView::Box;

int modeOf(const ProgramHarness& harness)
{
    return harness.image->settings(QStringLiteral("keylock"))
        .value(QStringLiteral("mode"))
        .toInt(-1);
}

} // namespace

TEST(SettingLocks, APhoneAnsweringTwoGivesThreeLines)
{
    ProgramHarness harness;
    const QString file = harness.path(QStringLiteral("l.MS"));
    ASSERT_EQ(harness.backup({Box::Lock}, file), RunOutcome::Completed);
    EXPECT_EQ(ProgramHarness::fileLines(file),
              (QStringList{QStringLiteral("<Settings_Locks>"),
                           QStringLiteral("   <Keylock_Mode value=2/>"),
                           QStringLiteral("<Settings_Locks/>")}));
    EXPECT_TRUE(harness.logLines().contains(QStringLiteral("Backup of Locks -> Done")));
}

TEST(SettingLocks, AnUnreadModeIsNeitherStoredAsZeroNorTakenFromAnEarlierRun)
{
    ProgramHarness harness;
    const QString file = harness.path(QStringLiteral("l.MS"));
    harness.backup({Box::Lock}, file);
    editFaults(harness, [](phonesim::Faults& faults) { faults.unanswered.insert(51); });
    harness.backup({Box::Lock}, file);
    EXPECT_EQ(ProgramHarness::fileLines(file), (QStringList{QStringLiteral("<Settings_Locks>"),
                                                            QStringLiteral("<Settings_Locks/>")}));

    // Restoring that section sends nothing, although an earlier section set the mode.
    const QString one =
        harness.writeFile(QStringLiteral("one.MS"), {QStringLiteral("<Settings_Locks>"),
                                                     QStringLiteral("   <Keylock_Mode value=1/>"),
                                                     QStringLiteral("<Settings_Locks/>")});
    harness.restore(one);
    ASSERT_EQ(modeOf(harness), 1);
    harness.image->setFaults({});
    EXPECT_EQ(commandsOfRestore(harness, file), 0);
    EXPECT_EQ(modeOf(harness), 1);
}

TEST(SettingLocks, ASectionWithAnExtraKeyStillRestoresTheModeSilently)
{
    ProgramHarness harness;
    const QString file = harness.writeFile(
        QStringLiteral("x.MS"),
        {QStringLiteral("<Settings_Locks>"), QStringLiteral("   <Keylock_Mode value=0.5/>"),
         QStringLiteral("   <Autolock value=30/>"), QStringLiteral("<Settings_Locks/>")});
    ASSERT_EQ(harness.restore(file), RunOutcome::Completed);
    // 0.5 rounds to the even 0.
    EXPECT_EQ(modeOf(harness), 0);
    EXPECT_TRUE(harness.logLines().contains(QStringLiteral("Failed to find the tag->Autolock")));
    const QStringList status = harness.statusLines();
    EXPECT_EQ(status.mid(status.indexOf(QStringLiteral("Restore has started"))),
              (QStringList{QStringLiteral("Restore has started"),
                           QStringLiteral("Read the file -> time to decode"),
                           QStringLiteral("Checking file"), QStringLiteral("Restore finished")}));
}
