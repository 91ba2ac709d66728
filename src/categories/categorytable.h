#pragma once

#include "backupfile/sectiontable.h"
#include "categories/outcometally.h"
#include "phone/phonecommands.h"
#include "statuslog/mainview.h"

#include <QString>

#include <array>

struct Categories;

// Every fact about each category of phone data, one row per category, in the order of the
// backup walk (the order of the sections in a file and of the closing lines). The window, the
// command line, show, the runs, the tally and the support probe all read it; a new category is
// a new row here plus its own unit.
namespace categorytable {

struct Row
{
    OutcomeTally::Category category;
    // The window's check box: which one, its object name and its caption.
    MainView::Box box;
    const char* boxName;
    const char* caption;
    // The section the category writes and restores.
    sections::Tag section;
    // The name in status and closing lines ("SMS Messages") and on the command line and in
    // show ("sms").
    const char* name;
    const char* cliName;
    // The settings commands that read the category: a phone that knows none of them has not
    // got it. None for the categories read over OBEX or as messages, the window's user data.
    std::array<Command, 3> reads;

    // The backup step: the line it starts with and the lines that close it ("-> Done" becomes
    // "-> Failed", "-> Incomplete" or "-> Not supported" as the tally finds it).
    const char* startLine;
    const char* doneLog;
    const char* doneStatus;
    // Reads the category from the phone; false when it could not be read at all. The lines
    // then said, if any; whether the closing lines follow them; whether the run ends there.
    bool (*backup)(Categories&);
    const char* failedLog;
    const char* failedStatus;
    bool closeAfterFailure;
    bool failureEndsRun;
    // For categories that write no section when the phone holds nothing: the test and the
    // line said instead.
    bool (*isEmpty)(const Categories&);
    const char* emptyLine;
    // Writes the section of what was read; none for the categories that write it as they read.
    void (*save)(Categories&);
    // Restores the section opening at a line of the file; returns the last line it took.
    int (*decode)(Categories&, int lineIndex);
};

constexpr int Count = OutcomeTally::Count;

const std::array<Row, Count>& rows();
const Row& row(OutcomeTally::Category category);
// The row of a category box, a section or a command-line name (any case); null for none.
const Row* rowOfBox(MainView::Box box);
const Row* rowOfSection(int iTag);
const Row* rowOfCliName(const QString& name);
// Whether the category is among the window's user data rather than its settings.
bool isUserData(const Row& row);

} // namespace categorytable
