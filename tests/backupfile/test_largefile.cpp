#include "programharness.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

constexpr int kLines = 100000;

int phoneSetting(const ProgramHarness& harness, const char* group, const char* key)
{
    return harness.image->settings(QLatin1String(group)).value(QLatin1String(key)).toInt();
}

// Mostly lines no reader knows, element lines outside any section among them, and a key lock
// section whose element lines straddle index 32,767; the time section closes the file.
QStringList largeFile()
{
    QStringList lines;
    lines.reserve(kLines);
    const int locksStart = 30000;
    const int locksEnd = 36000;
    while (lines.size() < locksStart)
        lines << QStringLiteral("free text %1").arg(lines.size())
              << QStringLiteral("   <Element value=%1/>").arg(lines.size());
    lines << QStringLiteral("<Settings_Locks>");
    while (lines.size() < locksEnd)
        lines << QStringLiteral("   <Unknown_Key value=%1/>").arg(lines.size());
    lines << QStringLiteral("   <Keylock_Mode value=1/>") << QStringLiteral("<Settings_Locks/>");
    while (lines.size() < kLines - 3)
        lines << QStringLiteral("   <Element value=%1/>").arg(lines.size());
    lines << QStringLiteral("<Settings_Time>") << QStringLiteral("   <Nitz value=1/>")
          << QStringLiteral("<Settings_Time/>");
    return lines;
}

} // namespace

TEST(LargeFile, HundredThousandLinesRestoreEveryLineOnceAndReachThePhone)
{
    ProgramHarness harness;
    ASSERT_EQ(phoneSetting(harness, "time", "timeZoneUpdate"), 0);
    ASSERT_EQ(phoneSetting(harness, "keylock", "mode"), 2);
    const QString file = harness.writeFile(QStringLiteral("large.MS"), largeFile());
    const int yieldsBefore = harness.clock.yields();

    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(harness.restore(file), RunOutcome::Completed);
    // A walk that went back over earlier lines would take minutes here, not seconds.
    EXPECT_LT(timer.elapsed(), 60000);

    EXPECT_EQ(phoneSetting(harness, "time", "timeZoneUpdate"), 1);
    EXPECT_EQ(phoneSetting(harness, "keylock", "mode"), 1);
    // Reading, checking and decoding each take one turn per line, plus the phone's answers.
    const int yields = harness.clock.yields() - yieldsBefore;
    EXPECT_GE(yields, 3 * kLines);
    EXPECT_LT(yields, 3 * kLines + 100);

    const QStringList log = harness.logLines();
    // 15,000 free texts and elements each before the key lock section (30,000 to 36,001),
    // 63,995 elements after it, up to the time section in the last three lines.
    EXPECT_EQ(log.count(QStringLiteral("Failed to find the tag->Unknown_Key")), 5999);
    EXPECT_EQ(log.filter(QStringLiteral("Unknown Line ->free text ")).size(), 15000);
    EXPECT_EQ(log.count(QStringLiteral("Unknown Line -><Element")), 15000 + 63995);
    EXPECT_EQ(log.count(QStringLiteral("Unknown Line -><Settings_Locks/")), 1);
    EXPECT_EQ(log.last(), QStringLiteral("Unknown Line ->"));
    EXPECT_EQ(harness.statusLines().last(), QStringLiteral("Restore finished"));
}
