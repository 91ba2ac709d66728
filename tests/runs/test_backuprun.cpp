#include "programharness.h"

#include <QFile>
#include <gtest/gtest.h>

using Box = MainView::Box;

TEST(BackupRun, NothingTickedShowsTheFrameAndWritesNoFile)
{
    ProgramHarness harness;
    const QString file = harness.path(QStringLiteral("none.MS"));
    EXPECT_EQ(harness.backup({}, file), RunOutcome::Completed);
    EXPECT_FALSE(QFile::exists(file));
    const QStringList status = harness.statusLines();
    ASSERT_GE(status.size(), 2);
    EXPECT_EQ(status.mid(status.size() - 2),
              (QStringList{QStringLiteral("Backup has started"), QStringLiteral("Backup completed")}));
    EXPECT_EQ(harness.ui.asked.last(), QStringLiteral("file:save:Save Data to file"));
    EXPECT_EQ(harness.view.buttonCaption(MainView::Button::Backup), QStringLiteral("Backup"));
}

TEST(BackupRun, WithoutPhoneNothingIsAsked)
{
    ProgramHarness harness;
    harness.monitor->unplug();
    harness.clock.runDue();
    EXPECT_EQ(harness.backup({Box::Time}, harness.path(QStringLiteral("x.MS"))), RunOutcome::Ended);
    EXPECT_EQ(harness.statusLines().last(), QStringLiteral("Lost Conntact to MS->No work was done"));
    EXPECT_TRUE(harness.ui.asked.isEmpty());
}

TEST(BackupRun, CancelledDialogEndsTheRun)
{
    ProgramHarness harness;
    harness.view.setTicked(Box::Time, true);
    EXPECT_EQ(harness.program->cmdBackup_Click(), RunOutcome::Ended);
    EXPECT_EQ(harness.statusLines().last(), QStringLiteral("Backup ended"));
    EXPECT_EQ(harness.view.buttonCaption(MainView::Button::Backup), QStringLiteral("Backup"));
}

TEST(BackupRun, ExistingFileIsReplacedOnlyAfterAYes)
{
    ProgramHarness harness;
    const QString file = harness.writeFile(QStringLiteral("old.MS"), {QStringLiteral("old")});

    EXPECT_EQ(harness.backup({Box::Time}, file, false), RunOutcome::Ended);
    EXPECT_EQ(ProgramHarness::fileLines(file), QStringList{QStringLiteral("old")});
    EXPECT_EQ(harness.statusLines().last(), QStringLiteral("Backup ended"));
    EXPECT_TRUE(harness.ui.asked.last().startsWith(
        QLatin1String("question:Warning:The file already exist! (Will be erased if you press Yes)")));

    EXPECT_EQ(harness.backup({Box::Time}, file, true), RunOutcome::Completed);
    EXPECT_EQ(ProgramHarness::fileLines(file).first(), QStringLiteral("<Settings_Time>"));
    EXPECT_TRUE(harness.statusLines().contains(QStringLiteral("Removed old file")));
}

TEST(BackupRun, UnwritableFileEndsTheRunInOrder)
{
    ProgramHarness harness;
    const QString file = harness.path(QStringLiteral("missing-folder/b.MS"));
    EXPECT_EQ(harness.backup({Box::Time}, file), RunOutcome::Failed);
    EXPECT_TRUE(harness.statusLines().last().startsWith(
        QLatin1String("Backup stopped by an error -> ")));
    EXPECT_TRUE(harness.logLines().contains(QStringLiteral("Error in cmdBackup_Click")));
    EXPECT_EQ(harness.view.buttonCaption(MainView::Button::Backup), QStringLiteral("Backup"));
    EXPECT_TRUE(harness.view.buttonEnabled(MainView::Button::Backup));
}

TEST(BackupRun, ButtonsAreDisabledWhileARunWaits)
{
    ProgramHarness harness;
    auto faults = harness.image->faults();
    faults.lateSeconds.insert(36, 2.0);
    harness.image->setFaults(faults);
    bool sawDisabled = false;
    bool secondRunRefused = false;
    harness.clock.callLater(1000, nullptr, [&] {
        sawDisabled = !harness.view.buttonEnabled(MainView::Button::Backup) &&
                      !harness.view.buttonEnabled(MainView::Button::Restore);
        secondRunRefused = harness.program->cmdRestore_Click() == RunOutcome::Ended &&
                           harness.view.buttonCaption(MainView::Button::Restore) ==
                               QStringLiteral("Restore");
    });
    EXPECT_EQ(harness.backup({Box::Time}, harness.path(QStringLiteral("w.MS"))),
              RunOutcome::Completed);
    EXPECT_TRUE(sawDisabled);
    EXPECT_TRUE(secondRunRefused);
    EXPECT_TRUE(harness.view.buttonEnabled(MainView::Button::Backup));
}
