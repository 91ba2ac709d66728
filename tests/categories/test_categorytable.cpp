#include "categories/categorytable.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

// The table and the file layout agree: every section a category of this program reads has
// exactly one row, and no row writes a section the restore would not read back.
TEST(CategoryTable, RowsAreTheSectionsWithAReader)
{
    QSet<int> rowSections;
    QSet<int> boxes;
    QSet<QString> names;
    for (const categorytable::Row& row : categorytable::rows()) {
        EXPECT_FALSE(rowSections.contains(row.section)) << row.name;
        rowSections << row.section;
        EXPECT_FALSE(boxes.contains(int(row.box))) << row.name;
        boxes << int(row.box);
        EXPECT_FALSE(names.contains(QLatin1String(row.cliName))) << row.name;
        names << QLatin1String(row.cliName);
        EXPECT_EQ(categorytable::rowOfSection(row.section), &row);
        EXPECT_EQ(categorytable::rowOfBox(row.box), &row);
        EXPECT_EQ(categorytable::rowOfCliName(QString::fromLatin1(row.cliName).toUpper()), &row);
        EXPECT_TRUE(row.backup && row.decode && row.startLine && row.doneLog && row.doneStatus)
            << row.name;
        // A category that writes no section for an empty phone says so.
        EXPECT_EQ(row.isEmpty != nullptr, row.emptyLine != nullptr) << row.name;
    }
    for (const sections::Section& section : sections::table())
        EXPECT_EQ(rowSections.contains(section.iTag), section.hasReader) << section.tagWord;
    EXPECT_EQ(categorytable::rowOfBox(MainView::Box::MasterReset), nullptr);
    EXPECT_EQ(categorytable::rowOfCliName(QStringLiteral("horoscope")), nullptr);
}

} // namespace
