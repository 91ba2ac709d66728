#include "backupfiletest.h"

#include "backupfile/elements.h"

#include <cmath>

namespace {

using Pairs = QList<std::pair<QString, QString>>;

} // namespace

class ElementReaderTest : public BackupFileTest
{
protected:
    int read(int index, const QString& skip, const QString& closing)
    {
        return file.readElements(index, skip, closing,
                                 [this](const QString& key, const QString& value) {
                                     pairs.append({key, value});
                                 });
    }
    Pairs pairs;
};

TEST_F(ElementReaderTest, SkipsGroupLinesAndShortLinesAndStopsBeforeTheClosingLine)
{
    setLines({QStringLiteral("<Settings_Profiles>"), QStringLiteral("   <Profile>"),
              QStringLiteral("      <Name value=Home/>"), QStringLiteral("  "),
              QStringLiteral("      <Url value=http://x/a b/>c/>"),
              QStringLiteral("      <Mode Value=1/>"), QStringLiteral("   <Profile/>"),
              QStringLiteral("<Settings_Profiles/>"), QStringLiteral("<Settings_Time>")});
    EXPECT_EQ(read(0, QStringLiteral("<Profile"), QStringLiteral("<Settings_Profiles/>")), 6);
    // The value runs to the first "/>" after "value="; "Value=" is not "value=".
    EXPECT_EQ(pairs, Pairs({{QStringLiteral("Name"), QStringLiteral("Home")},
                            {QStringLiteral("Url"), QStringLiteral("http://x/a b")}}));
    EXPECT_EQ(logTexts(), QStringList{QStringLiteral("Incorrect element line ->       <Mode Value=1/>")});
}

TEST_F(ElementReaderTest, EmptySectionReturnsItsOpeningLine)
{
    setLines({QStringLiteral("<Settings_Time>"), QStringLiteral("<Settings_Locks>"),
              QStringLiteral("<Settings_Locks/>")});
    EXPECT_EQ(read(1, QStringLiteral("<Settings_Locks"), QStringLiteral("<Settings_Locks/>")), 1);
    EXPECT_TRUE(pairs.isEmpty());
    EXPECT_TRUE(logTexts().isEmpty());
}

TEST_F(ElementReaderTest, UnclosedSectionNeverReadsPastTheLines)
{
    // Without the trailing empty element, too: the last line is the last one read.
    file.sFileLines = {QStringLiteral("<Settings_Time>"), QStringLiteral("   <Nitz value=3/>")};
    EXPECT_EQ(read(0, QStringLiteral("<Settings_Time"), QStringLiteral("<Settings_Time/>")), 1);
    EXPECT_EQ(read(1, QStringLiteral("<Settings_Time"), QStringLiteral("<Settings_Time/>")), 1);
    EXPECT_EQ(pairs.size(), 1);
    EXPECT_EQ(logTexts(), QStringList(2, QStringLiteral("Missing end of section -> <Settings_Time/>")));
}

TEST_F(ElementReaderTest, NumbersLeadTheValueAndIntegersRoundHalvesToEvenOrDoNotFit)
{
    const QList<std::pair<const char*, double>> leading{
        {"12abc", 12}, {" -3", -3}, {"1 2", 12}, {"1e2", 100}, {"2e", 2}, {"-.5x", -0.5},
        {"+7", 7},     {"abc", 0},  {"-", 0},    {"", 0}};
    for (const auto& [text, number] : leading)
        EXPECT_EQ(elements::leadingNumber(QLatin1String(text)), number) << text;
    EXPECT_TRUE(std::isinf(elements::leadingNumber(QStringLiteral("1e999"))));

    const QList<std::pair<const char*, std::optional<qint16>>> shorts{
        {"2.5", 2}, {"3.5", 4}, {"abc", 0}, {"-32768", -32768}, {"32767.5", {}}, {"1e999", {}}};
    for (const auto& [text, number] : shorts)
        EXPECT_EQ(elements::valueToInt16(QLatin1String(text)), number) << text;
    EXPECT_EQ(elements::valueToInt32(QStringLiteral("40000")), 40000);
    EXPECT_FALSE(elements::valueToInt32(QStringLiteral("2147483648")));

    qint16 target = 7;
    EXPECT_FALSE(file.readInt16(QStringLiteral("Nitz"), QStringLiteral("70000"), target));
    EXPECT_EQ(target, 7);
    EXPECT_TRUE(file.readInt16(QStringLiteral("Nitz"), QStringLiteral("-1"), target));
    EXPECT_EQ(target, -1);
    qint32 wide = 5;
    EXPECT_FALSE(file.readInt32(QStringLiteral("Number"), QStringLiteral("-3e9"), wide));
    EXPECT_EQ(wide, 5);
    EXPECT_EQ(logTexts(), QStringList({QStringLiteral("Value out of range -> Nitz value=70000"),
                                       QStringLiteral("Value out of range -> Number value=-3e9")}));
}
