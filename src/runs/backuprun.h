#pragma once

#include "statuslog/mainview.h"
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
    RunOutcome end(RunOutcome outcome);

    CategoryServices& m_services;
    FileSelection& m_selection;
    MainView& m_view;
    Categories& m_categories;
};
