#include "golden.h"
#include "programharness.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

// Whole files: the backup of the demo phone byte for byte, and a restore of a file far longer
// than a 16-bit line index.

namespace {

using Box = MainView::Box;

int phoneSetting(const ProgramHarness& harness, const char* group, const char* key)
{
    return harness.image->settings(QLatin1String(group)).value(QLatin1String(key)).toInt();
}

} // namespace

// Every section the program writes, with the demo phone's answers in it. A difference shows the
// first line that changed; CELLARCHIVE_UPDATE_GOLDEN rewrites the expected file after a wanted
// change of the layout or of the demo phone.
TEST(GoldenFiles, BackupOfTheDemoPhone)
{
    ProgramHarness demo;
    const QString file = demo.path(QStringLiteral("demo.MS"));
    ASSERT_EQ(demo.backup({Box::Pb, Box::Cal, Box::SMS, Box::DataAccount, Box::WAP, Box::Bookmark,
                           Box::Profiles, Box::Lock, Box::Time, Box::CustomMenu},
                          file),
              RunOutcome::Completed);
    expectGoldenFile(fileBytes(file), QStringLiteral("backupfile/demo-phone.MS"));
}

// Element lines outside any section and a key lock section that straddles line 32,767; a walk
// that went back over earlier lines would take minutes here, or never end.
TEST(GoldenFiles, HundredThousandLinesRestoreEveryLineOnce)
{
    constexpr int kLines = 100000;
    QStringList lines;
    while (lines.size() < 30000)
        lines << QStringLiteral("free text") << QStringLiteral("   <Element value=1/>");
    lines << QStringLiteral("<Settings_Locks>");
    while (lines.size() < 36000)
        lines << QStringLiteral("   <Unknown_Key value=0/>");
    lines << QStringLiteral("   <Keylock_Mode value=1/>") << QStringLiteral("<Settings_Locks/>");
    while (lines.size() < kLines - 3)
        lines << QStringLiteral("   <Element value=1/>");
    lines << QStringLiteral("<Settings_Time>") << QStringLiteral("   <Nitz value=1/>")
          << QStringLiteral("<Settings_Time/>");

    ProgramHarness harness;
    const QString file = harness.writeFile(QStringLiteral("large.MS"), lines);
    const int yieldsBefore = harness.clock.yields();
    QElapsedTimer timer;
    timer.start();
    // The lines outside any section are named and counted, as show marks them.
    EXPECT_EQ(harness.restore(file), RunOutcome::Incomplete);
    EXPECT_LT(timer.elapsed(), 60000);
    EXPECT_EQ(phoneSetting(harness, "time", "timeZoneUpdate"), 1);
    EXPECT_EQ(phoneSetting(harness, "keylock", "mode"), 1);
    // Reading and decoding each take one turn per line, plus the phone's answers.
    const int yields = harness.clock.yields() - yieldsBefore;
    EXPECT_GE(yields, 2 * kLines);
    EXPECT_LT(yields, 2 * kLines + 100);

    const QStringList log = harness.logLines();
    EXPECT_EQ(log.count(QStringLiteral("Failed to find the tag->Unknown_Key")), 5999);
    EXPECT_EQ(log.count(QStringLiteral("Unknown Line ->free text")), 15000);
    EXPECT_EQ(log.count(QStringLiteral("Unknown Line -><Element")), 15000 + 63995);
    EXPECT_EQ(log.last(), QStringLiteral("Unknown Line ->"));
}
