#include "categorytesting.h"
#include "restorecommands.h"

#include "phonesim/phonecategories.h"

#include <QJsonArray>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using Box = MainView::Box;

QJsonObject bookmark(const QString& name, const QString& url)
{
    return QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("url"), url}};
}

QJsonObject phoneWith(const QJsonArray& bookmarks)
{
    QJsonObject phone = phonesim::blankPhone(QStringLiteral("BVT610"));
    phone.insert(QStringLiteral("bookmarks"), bookmarks);
    return phone;
}

QJsonArray bookmarksOf(const ProgramHarness& harness)
{
    return harness.image->category(QStringLiteral("bookmarks")).toArray();
}

} // namespace

TEST(SettingWapBookmarks, TwoBookmarksGiveTwelveLinesAndComeBackUnchanged)
{
    ProgramHarness harness(
        phoneWith({bookmark(QStringLiteral("News"), QStringLiteral("http://a.example//x")),
                   bookmark(QStringLiteral("Mail"), QStringLiteral("http://b.example/"))}));
    const QString file = harness.path(QStringLiteral("b.MS"));
    ASSERT_EQ(harness.backup({Box::Bookmark}, file), RunOutcome::Completed);
    EXPECT_EQ(ProgramHarness::fileLines(file),
              (QStringList{QStringLiteral("<Bookmarks>"), QStringLiteral("   <Bookmark>"),
                           QStringLiteral("      <Number value=1/>"),
                           QStringLiteral("      <Name value=News/>"),
                           QStringLiteral("      <Url value=http://a.example//x/>"),
                           QStringLiteral("   <Bookmark/>"), QStringLiteral("   <Bookmark>"),
                           QStringLiteral("      <Number value=2/>"),
                           QStringLiteral("      <Name value=Mail/>"),
                           QStringLiteral("      <Url value=http://b.example//>"),
                           QStringLiteral("   <Bookmark/>"), QStringLiteral("<Bookmarks/>")}));
    EXPECT_TRUE(harness.statusLines().contains(QStringLiteral("Backup of Bookmarks -> Done")));

    // Added to what the phone holds: restoring twice gives every bookmark twice.
    harness.restore(file);
    harness.restore(file);
    const QJsonArray after = bookmarksOf(harness);
    ASSERT_EQ(after.size(), 6);
    EXPECT_EQ(after[2], bookmark(QStringLiteral("News"), QStringLiteral("http://a.example//x")));
    EXPECT_EQ(after[5], bookmark(QStringLiteral("Mail"), QStringLiteral("http://b.example/")));
    EXPECT_TRUE(harness.statusLines().contains(QStringLiteral("Restoring Bookmark -> 2")));
}

TEST(SettingWapBookmarks, AnEmptyListIsAnEmptySectionAndAnUnreadableOneNone)
{
    ProgramHarness harness(phonesim::demoPhone());
    const QString file = harness.path(QStringLiteral("e.MS"));
    harness.backup({Box::Bookmark}, file);
    ASSERT_EQ(ProgramHarness::fileLines(file).size(), 17);

    // A refused read after a good one stores neither the earlier run's list nor an empty one.
    editFaults(harness, [](phonesim::Faults& faults) { faults.refused.insert(218, 0x7001); });
    EXPECT_EQ(harness.backup({Box::Bookmark}, file), RunOutcome::Incomplete);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(harness.statusLines().last(), QStringLiteral("Bookmarks: failed -> see the log"));
    const QStringList empty{QStringLiteral("<Bookmarks>"), QStringLiteral("<Bookmarks/>")};

    ProgramHarness blank(phonesim::blankPhone(QStringLiteral("BVT610")));
    blank.backup({Box::Bookmark}, file);
    EXPECT_EQ(ProgramHarness::fileLines(file), empty);
    EXPECT_EQ(commandsOfRestore(blank, file), 0);
    EXPECT_TRUE(bookmarksOf(blank).isEmpty());
}

TEST(SettingWapBookmarks, GapsGiveEmptyBookmarksAndStrayLinesAreSkipped)
{
    ProgramHarness harness(phonesim::blankPhone(QStringLiteral("BVT610")));
    const QString file = harness.writeFile(
        QStringLiteral("g.MS"),
        {QStringLiteral("<Bookmarks>"), QStringLiteral("   <Bookmark>"),
         QStringLiteral("      <Name value=Orphan/>"), QStringLiteral("      <Number value=1/>"),
         QStringLiteral("      <Name value=One/>"), QStringLiteral("      <Url value=http://1/>"),
         QStringLiteral("   <Bookmark/>"), QStringLiteral("   <Bookmark>"),
         QStringLiteral("      <Number value=0/>"), QStringLiteral("      <Name value=Zero/>"),
         QStringLiteral("      <Number value=3/>"), QStringLiteral("      <Name value=Three/>"),
         QStringLiteral("      <Url value=http://3/>"), QStringLiteral("      <Icon value=7/>"),
         QStringLiteral("   <Bookmark/>"), QStringLiteral("<Bookmarks/>")});
    // Three adds; the phone refuses the second, which has no address.
    EXPECT_EQ(commandsOfRestore(harness, file), 3);
    EXPECT_EQ(bookmarksOf(harness),
              (QJsonArray{bookmark(QStringLiteral("One"), QStringLiteral("http://1")),
                          bookmark(QStringLiteral("Three"), QStringLiteral("http://3"))}));
    const QStringList log = harness.logLines();
    EXPECT_TRUE(
        log.contains(QStringLiteral("Bookmark line without a Number -> Name value=Orphan")));
    EXPECT_TRUE(log.contains(QStringLiteral("Bookmark Number out of range -> Number value=0")));
    // The name after the refused Number does not overwrite the first bookmark.
    EXPECT_TRUE(log.contains(QStringLiteral("Bookmark line without a Number -> Name value=Zero")));
    EXPECT_TRUE(log.contains(QStringLiteral("Failed to find the tag->Icon")));
    const QStringList status = harness.statusLines();
    EXPECT_TRUE(status.contains(QStringLiteral("Restoring Bookmark -> 3")));
    EXPECT_FALSE(status.contains(QStringLiteral("Restoring Bookmark -> 4")));
}

TEST(SettingWapBookmarks, LineBreaksAndNulsStayInsideTheirLine)
{
    ProgramHarness harness(phoneWith({bookmark(QStringLiteral("A\r\n<Settings_Time>"),
                                               QString::fromLatin1("http://x/\0y", 11))}));
    const QString file = harness.path(QStringLiteral("n.MS"));
    harness.backup({Box::Bookmark}, file);
    const QStringList lines = ProgramHarness::fileLines(file);
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[3], QStringLiteral("      <Name value=A  <Settings_Time>/>"));
    EXPECT_EQ(lines[4], QStringLiteral("      <Url value=http://x/y/>"));
}
