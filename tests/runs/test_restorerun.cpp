#include "programharness.h"

#include <gtest/gtest.h>

namespace {

QStringList timeSection(int nitz)
{
    return {QStringLiteral("<Settings_Time>"),
            QStringLiteral("   <Nitz value=%1/>").arg(nitz),
            QStringLiteral("<Settings_Time/>")};
}

int nitzOf(const ProgramHarness& harness)
{
    return harness.image->settings(QStringLiteral("time")).value(QStringLiteral("timeZoneUpdate")).toInt();
}

} // namespace

TEST(RestoreRun, RestoresTheFileWhateverBoxesAreTicked)
{
    ProgramHarness harness(phonesim::blankPhone(QStringLiteral("BVT610")));
    ASSERT_EQ(nitzOf(harness), 1);
    const QString file = harness.writeFile(QStringLiteral("t.MS"), timeSection(0));
    EXPECT_EQ(harness.restore(file), RunOutcome::Completed);
    EXPECT_EQ(nitzOf(harness), 0);
    const QStringList status = harness.statusLines();
    EXPECT_EQ(status.mid(status.indexOf(QStringLiteral("Restore has started"))),
              (QStringList{QStringLiteral("Restore has started"),
                           QStringLiteral("Read the file -> time to decode"),
                           QStringLiteral("Checking file"), QStringLiteral("Restoring time settings"),
                           QStringLiteral("Restore finished")}));
    EXPECT_EQ(harness.ui.asked.last(), QStringLiteral("file:open:Select Data file"));
}

TEST(RestoreRun, DuplicatedSectionRestoresNothing)
{
    ProgramHarness harness(phonesim::blankPhone(QStringLiteral("BVT610")));
    QStringList lines = timeSection(0);
    lines << timeSection(0);
    const QString file = harness.writeFile(QStringLiteral("d.MS"), lines);
    EXPECT_EQ(harness.restore(file), RunOutcome::Failed);
    EXPECT_EQ(nitzOf(harness), 1);
    EXPECT_EQ(harness.statusLines().last(), QStringLiteral("Errors in the file - can not continue!!"));
    EXPECT_TRUE(harness.logLines().contains(QStringLiteral("Failed to decode the file -->iTag<-->9")));
    EXPECT_EQ(harness.view.buttonCaption(MainView::Button::Restore), QStringLiteral("Restore"));
}

TEST(RestoreRun, CancelledDialogIsOnlyLogged)
{
    ProgramHarness harness;
    EXPECT_EQ(harness.program->cmdRestore_Click(), RunOutcome::Ended);
    EXPECT_EQ(harness.statusLines().last(), QStringLiteral("Restore has started"));
    EXPECT_EQ(harness.logLines().last(), QStringLiteral("Error in cmdRestore_Click ->bReadFile"));
}

TEST(RestoreRun, MissingFileAfterTheExtensionWasAdded)
{
    ProgramHarness harness;
    harness.writeFile(QStringLiteral("notes.txt"), timeSection(0));
    EXPECT_EQ(harness.restore(harness.path(QStringLiteral("notes.txt"))), RunOutcome::Failed);
    EXPECT_TRUE(harness.logLines().contains(
        QStringLiteral("Missing extension in selected file -> adding")));
    EXPECT_TRUE(harness.logLines().contains(
        QStringLiteral("Error in cmdReatore_Click ->bReadFileToArray")));
    EXPECT_EQ(harness.statusLines().last(), QStringLiteral("Errors in the file - can not continue!!"));
}

TEST(RestoreRun, EmptyLockCodeEndsTheRunBeforeAnythingIsSent)
{
    ProgramHarness harness(phonesim::blankPhone(QStringLiteral("BVT610")));
    const QString file = harness.writeFile(QStringLiteral("t.MS"), timeSection(0));
    harness.view.setTicked(MainView::Box::MasterReset, true);
    harness.ui.nextInput(QString());
    EXPECT_EQ(harness.restore(file), RunOutcome::Ended);
    EXPECT_EQ(nitzOf(harness), 1);
    EXPECT_EQ(harness.ui.asked.last(),
              QStringLiteral("input:Phonelock code:Enter your phonelock code.....:7391"));
    EXPECT_EQ(harness.view.buttonCaption(MainView::Button::Restore), QStringLiteral("Restore"));
}

TEST(RestoreRun, MasterResetConfirmationNoUnticksTheBox)
{
    ProgramHarness harness;
    harness.view.setTicked(MainView::Box::MasterReset, true);
    harness.ui.nextAnswer(false);
    harness.program->chkMasterReset_Click();
    EXPECT_FALSE(harness.view.isTicked(MainView::Box::MasterReset));
    EXPECT_EQ(harness.ui.asked, QStringList{QStringLiteral(
                                    "question:Master Reset:Are you sure???\r\nthis will erase all "
                                    "settings in your phone....")});
    // Unticked by hand: nothing is asked.
    harness.program->chkMasterReset_Click();
    EXPECT_EQ(harness.ui.asked.size(), 1);
}
