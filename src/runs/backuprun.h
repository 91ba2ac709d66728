#pragma once

#include "statuslog/mainview.h"
#include "categories/outcometally.h"
#include "runs/runoutcome.h"

#include <QString>
#include <functional>
#include <vector>

struct CategoryServices;
class FileSelection;
struct Categories;

// The "Backup" button: checks the phone, lets the user choose the file and walks the ticked
// categories in the fixed order, one section each.
class BackupRun
{
public:
    BackupRun(CategoryServices& services, FileSelection& selection, MainView& view,
              Categories& categories);

    RunOutcome cmdBackup_Click();

    // Called once after the file was chosen, before the first category.
    std::function<void()> GetAlternateLineSupport;

private:
    struct Step
    {
        MainView::Box box;
        QString startLine;
        // Reads the category and writes its section; false ends the run.
        std::function<bool()> run;
    };
    std::vector<Step> steps();
    // Shows a step's closing lines: its "-> Done" becomes "-> Failed" or "-> Incomplete" when
    // items of the category were not read.
    void done(OutcomeTally::Category category, const QString& logLine, const QString& statusLine);
    // Puts the file written by the run in its place and tells where it is.
    RunOutcome settleFile(RunOutcome outcome, const QString& target, bool hadOld);
    // Every ending after the file was chosen: the file, the closing lines, the caption.
    RunOutcome finish(RunOutcome outcome, const QString& target, bool hadOld);
    RunOutcome end(RunOutcome outcome);

    CategoryServices& m_services;
    FileSelection& m_selection;
    MainView& m_view;
    Categories& m_categories;
};
