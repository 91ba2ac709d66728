#include "categorytesting.h"
#include "restorecommands.h"

#include "phonesim/phonecategories.h"

#include <QJsonArray>
#include <gtest/gtest.h>

namespace {

using Box = MainView::Box;

QJsonObject phoneWith(const QJsonArray& menu, const QString& model = QStringLiteral("BVT610"))
{
    QJsonObject phone = phonesim::blankPhone(model);
    phone.insert(QStringLiteral("shortcuts"), menu);
    return phone;
}

QJsonArray menuOf(const ProgramHarness& harness)
{
    return harness.image->category(QStringLiteral("shortcuts")).toArray();
}

const QStringList kDemoSection{
    QStringLiteral("<Settings_CustomMenu>"), QStringLiteral("   <Number value=0/>"),
    QStringLiteral("   <Index value=4/>"),   QStringLiteral("   <Number value=1/>"),
    QStringLiteral("   <Index value=9/>"),   QStringLiteral("   <Number value=2/>"),
    QStringLiteral("   <Index value=2/>"),   QStringLiteral("<Settings_CustomMenu/>")};

} // namespace

TEST(SettingCustom, ThreeShortcutsGiveEightLinesAndRebuildAFiveItemMenu)
{
    ProgramHarness demo;
    const QString file = demo.path(QStringLiteral("c.MS"));
    ASSERT_EQ(demo.backup({Box::CustomMenu}, file), RunOutcome::Completed);
    EXPECT_EQ(ProgramHarness::fileLines(file), kDemoSection);
    EXPECT_TRUE(demo.logLines().contains(QStringLiteral("Backup of Custom Menu -> Done")));
    EXPECT_TRUE(demo.statusLines().contains(QStringLiteral("Backup of My Shortcuts -> Done")));

    ProgramHarness blank(phonesim::blankPhone(QStringLiteral("BVT610")));
    ASSERT_EQ(menuOf(blank).size(), 5);
    // The list, five removals at position 1, three additions.
    EXPECT_EQ(commandsOfRestore(blank, file), 1 + 5 + 3);
    EXPECT_EQ(menuOf(blank), (QJsonArray{4, 9, 2}));
    EXPECT_TRUE(blank.statusLines().contains(QStringLiteral("Restoring My Shortcuts")));
    EXPECT_TRUE(blank.logLines().contains(QStringLiteral("Unknown Line -><Settings_CustomMenu/")));
}

TEST(SettingCustom, AnEmptyMenuOnThePhoneIsNotRestored)
{
    ProgramHarness harness(phoneWith({}));
    const QString file = harness.writeFile(QStringLiteral("c.MS"), kDemoSection);
    EXPECT_EQ(commandsOfRestore(harness, file), 1);
    EXPECT_TRUE(menuOf(harness).isEmpty());
    EXPECT_TRUE(harness.statusLines().contains(QStringLiteral("Restoring My Shortcuts")));
    EXPECT_TRUE(harness.logLines().contains(QStringLiteral("Failed to restore cutom menu")));

    // An unanswered list command ends it without a line of its own.
    ProgramHarness silent(phoneWith({1}));
    editFaults(silent, [](phonesim::Faults& faults) { faults.unanswered.insert(159); });
    silent.restore(file);
    EXPECT_FALSE(silent.statusLines().contains(QStringLiteral("Restoring My Shortcuts")));
    EXPECT_EQ(menuOf(silent), QJsonArray{1});
}

TEST(SettingCustom, NoShortcutsOrARefusedListWriteNoSection)
{
    ProgramHarness harness;
    const QString file = harness.path(QStringLiteral("c.MS"));
    harness.backup({Box::CustomMenu, Box::Lock}, file);
    ASSERT_EQ(ProgramHarness::fileLines(file).size(), 3 + 8);

    // A refused list after a good one does not bring the earlier list back.
    editFaults(harness, [](phonesim::Faults& faults) { faults.refused.insert(159, 0x7001); });
    harness.backup({Box::CustomMenu, Box::Lock}, file);
    EXPECT_EQ(ProgramHarness::fileLines(file).size(), 3);

    ProgramHarness empty(phoneWith({}));
    empty.backup({Box::CustomMenu, Box::Lock}, file);
    EXPECT_EQ(ProgramHarness::fileLines(file).size(), 3);
}

TEST(SettingCustom, StrayLinesAreSkippedAndASectionWithoutNumbersEmptiesTheMenu)
{
    ProgramHarness harness(phoneWith({8, 5, 3}));
    const QString odd = harness.writeFile(
        QStringLiteral("o.MS"),
        {QStringLiteral("<Settings_CustomMenu>"), QStringLiteral("   <Index value=7/>"),
         QStringLiteral("   <Number value=0/>"), QStringLiteral("   <Index value=6/>"),
         QStringLiteral("   <Number value=-1/>"), QStringLiteral("   <Index value=1/>"),
         QStringLiteral("   <Label value=x/>"), QStringLiteral("<Settings_CustomMenu/>")});
    harness.restore(odd);
    EXPECT_EQ(menuOf(harness), QJsonArray{6});
    const QStringList log = harness.logLines();
    EXPECT_TRUE(log.contains(QStringLiteral("Menu item without a Number -> Index value=7")));
    EXPECT_TRUE(log.contains(QStringLiteral("Menu position out of range -> Number value=-1")));
    EXPECT_TRUE(log.contains(QStringLiteral("Menu item without a Number -> Index value=1")));
    EXPECT_TRUE(log.contains(QStringLiteral("Failed to find the tag->Label")));

    const QString none =
        harness.writeFile(QStringLiteral("n.MS"), {QStringLiteral("<Settings_CustomMenu>"),
                                                   QStringLiteral("   <Label value=x/>"),
                                                   QStringLiteral("<Settings_CustomMenu/>")});
    harness.restore(none);
    EXPECT_TRUE(menuOf(harness).isEmpty());
}

TEST(SettingCustom, ItemsTheOtherModelLacksAreMissingAfterARestore)
{
    ProgramHarness old(phonesim::blankPhone(QStringLiteral("BVT300")));
    const QString file = old.writeFile(QStringLiteral("c.MS"), kDemoSection);
    old.restore(file);
    // The BVT300 has neither camera (4) nor music player (9); the calendar still gets in.
    EXPECT_EQ(menuOf(old), QJsonArray{2});
}
