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

TEST_F(ElementReaderTest, LeadingNumbers)
{
    using elements::leadingNumber;
    EXPECT_EQ(leadingNumber(QStringLiteral("12abc")), 12);
    EXPECT_EQ(leadingNumber(QStringLiteral(" -3")), -3);
    EXPECT_EQ(leadingNumber(QStringLiteral("1 2")), 12);
    EXPECT_EQ(leadingNumber(QStringLiteral("1e2")), 100);
    EXPECT_EQ(leadingNumber(QStringLiteral("2e")), 2);
    EXPECT_EQ(leadingNumber(QStringLiteral("-.5x")), -0.5);
    EXPECT_EQ(leadingNumber(QStringLiteral("+7")), 7);
    EXPECT_EQ(leadingNumber(QStringLiteral("abc")), 0);
    EXPECT_EQ(leadingNumber(QStringLiteral("-")), 0);
    EXPECT_EQ(leadingNumber(QString()), 0);
    EXPECT_TRUE(std::isinf(leadingNumber(QStringLiteral("1e999"))));
}

TEST_F(ElementReaderTest, IntegerFieldsRoundHalvesToEvenAndRefuseWhatDoesNotFit)
{
    EXPECT_EQ(elements::valueToInt16(QStringLiteral("2.5")), qint16(2));
    EXPECT_EQ(elements::valueToInt16(QStringLiteral("3.5")), qint16(4));
    EXPECT_EQ(elements::valueToInt16(QStringLiteral("abc")), qint16(0));
    EXPECT_EQ(elements::valueToInt16(QStringLiteral("-32768")), qint16(-32768));
    EXPECT_FALSE(elements::valueToInt16(QStringLiteral("32767.5")));
    EXPECT_FALSE(elements::valueToInt16(QStringLiteral("1e999")));
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

TEST_F(ElementReaderTest, WrittenLinesReadBack)
{
    using namespace elements;
    file.AppendLine(openTag(QStringLiteral("Settings_Profiles")));
    file.AppendLine(openTag(QStringLiteral("Profile"), 1));
    file.AppendLine(elementLine(2, QStringLiteral("Active"), boolText(true)));
    file.AppendLine(elementLine(2, QStringLiteral("Level"), qint16(-4)));
    file.AppendLine(closeTag(QStringLiteral("Profile"), 1));
    file.AppendLine(closeTag(QStringLiteral("Settings_Profiles")));
    ASSERT_TRUE(file.bReadFileToArray());
    EXPECT_EQ(file.sFileLines.mid(0, 6),
              QStringList({QStringLiteral("<Settings_Profiles>"), QStringLiteral("   <Profile>"),
                           QStringLiteral("      <Active value=True/>"),
                           QStringLiteral("      <Level value=-4/>"), QStringLiteral("   <Profile/>"),
                           QStringLiteral("<Settings_Profiles/>")}));
    EXPECT_EQ(read(0, QStringLiteral("<Profile"), QStringLiteral("<Settings_Profiles/>")), 4);
    EXPECT_EQ(pairs, Pairs({{QStringLiteral("Active"), QStringLiteral("True")},
                            {QStringLiteral("Level"), QStringLiteral("-4")}}));
}
