#include "programharness.h"

#include <QMap>
#include <QRegularExpression>
#include <gtest/gtest.h>

// Every category of the demo phone through a backup, a restore into a blank phone and a second
// backup. The two files differ only where the format itself makes them differ: the phone chooses
// the numbers of the restored data accounts, and the WAP bearers follow those numbers.

namespace {

using Box = MainView::Box;

const QList<Box> kEveryCategory{Box::Pb,      Box::Cal,      Box::SMS,  Box::DataAccount,
                                Box::WAP,     Box::Bookmark, Box::Profiles, Box::Lock,
                                Box::Time,    Box::CustomMenu};

QString valueOf(const QString& line)
{
    return line.section(QStringLiteral("value="), 1).chopped(2);
}

// Account number -> name, and the section without its account numbers.
QMap<QString, QString> accountNames(const QStringList& section, QStringList& withoutIds)
{
    QMap<QString, QString> names;
    QString id;
    for (const QString& line : section) {
        if (line.contains(QLatin1String("<ID value="))) {
            id = valueOf(line);
            continue;
        }
        if (line.contains(QLatin1String("<Name value=")))
            names.insert(id, valueOf(line));
        withoutIds << line;
    }
    return names;
}

// The WAP section with every bearer replaced by the name of the account it points at.
QStringList bearersByName(const QStringList& section, const QMap<QString, QString>& names)
{
    QStringList result;
    for (const QString& line : section) {
        if (line.contains(QLatin1String("<Preferred_Bearer value=")))
            result << QStringLiteral("bearer -> ") + names.value(valueOf(line), valueOf(line));
        else
            result << line;
    }
    return result;
}

} // namespace

TEST(WholeProgram, EveryCategorySurvivesARestoreIntoABlankPhone)
{
    ProgramHarness demo;
    const QString first = demo.path(QStringLiteral("demo.MS"));
    ASSERT_EQ(demo.backup(kEveryCategory, first), RunOutcome::Completed);

    ProgramHarness blank(phonesim::blankPhone(QStringLiteral("BVT610")));
    const QString restored = blank.writeFile(QStringLiteral("restore.MS"),
                                             ProgramHarness::fileLines(first));
    ASSERT_EQ(blank.restore(restored), RunOutcome::Completed);
    const QString second = blank.path(QStringLiteral("again.MS"));
    ASSERT_EQ(blank.backup(kEveryCategory, second), RunOutcome::Completed);

    const QStringList a = ProgramHarness::fileLines(first);
    const QStringList b = ProgramHarness::fileLines(second);
    const QStringList walk{QStringLiteral("Contacts"),        QStringLiteral("Calendar"),
                           QStringLiteral("SMS_Messages"),    QStringLiteral("Settings_DataAccount"),
                           QStringLiteral("Settings_WAP"),    QStringLiteral("Bookmarks"),
                           QStringLiteral("Settings_Profiles"), QStringLiteral("Settings_Locks"),
                           QStringLiteral("Settings_Time"),   QStringLiteral("Settings_CustomMenu")};
    // Section tags stand alone at the start of a line; element lines are indented.
    const QRegularExpression open(QStringLiteral("^<([A-Za-z_]+)>$"));
    QStringList order;
    for (const QString& line : a + b) {
        const QRegularExpressionMatch tag = open.match(line);
        if (tag.hasMatch())
            order << tag.captured(1);
    }
    EXPECT_EQ(order, walk + walk);
    for (const QString& name : walk) {
        if (name == QLatin1String("Settings_DataAccount") || name == QLatin1String("Settings_WAP"))
            continue;
        EXPECT_GT(sectionOf(a, name).size(), 2) << name.toStdString();
        EXPECT_EQ(sectionOf(a, name), sectionOf(b, name)) << name.toStdString();
    }

    QStringList accountsA;
    QStringList accountsB;
    const auto namesA = accountNames(sectionOf(a, QStringLiteral("Settings_DataAccount")), accountsA);
    const auto namesB = accountNames(sectionOf(b, QStringLiteral("Settings_DataAccount")), accountsB);
    EXPECT_EQ(accountsA, accountsB);
    EXPECT_EQ(namesA.size(), 4);
    EXPECT_EQ(bearersByName(sectionOf(a, QStringLiteral("Settings_WAP")), namesA),
              bearersByName(sectionOf(b, QStringLiteral("Settings_WAP")), namesB));

    // Nothing went wrong on the way.
    for (const QString& line : blank.statusLines())
        EXPECT_FALSE(line.contains(QLatin1String("Fail")) || line.contains(QLatin1String("rror")))
            << line.toStdString();
}
