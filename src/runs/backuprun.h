#pragma once

#include "statuslog/mainview.h"
#include "categories/categorytable.h"
#include "categories/outcometally.h"
#include "runs/runoutcome.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

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

    // namedCategories: the ticked boxes are what the user asked for by name, so a category the
    // phone has not got makes the run incomplete; otherwise they are what the phone seemed to
    // have, and such a category is only named.
    RunOutcome cmdBackup_Click(bool namedCategories = true);

    // Called once after the file was chosen, before the first category.
    std::function<void()> GetAlternateLineSupport;
    // Asked before each category: true ends the run there, as an interrupted run ends.
    std::function<bool()> stopRequested;
    // Ends the run in progress where it is, for a process about to exit (a second Ctrl+C):
    // the file is left as a stopped run leaves it, with the closing lines. Nothing to do
    // outside a run.
    void abandon();

private:
    // Reads one category and writes its section; false ends the run.
    bool backUp(const categorytable::Row& row);
    // Shows a step's closing lines: its "-> Done" becomes "-> Failed" or "-> Incomplete" when
    // items of the category were not read.
    void done(OutcomeTally::Category category, const QString& logLine, const QString& statusLine);
    // Puts the file written by the run in its place and tells where it is.
    RunOutcome settleFile(RunOutcome outcome, const QString& target, bool hadOld);
    // Every ending after the file was chosen: the file, the closing lines (untried names the
    // ticked categories the run did not reach), the caption.
    RunOutcome finish(RunOutcome outcome, const QString& target, bool hadOld,
                      const QStringList& untried = {});
    // False when the connected phone has no such category (or its model lacks it).
    bool served(OutcomeTally::Category category) const;
    // "SMS Messages: not backed up (why)" for each ticked category from index from on.
    QStringList untried(size_t from, const QString& why) const;
    bool anythingTicked() const;
    RunOutcome end(RunOutcome outcome);

    CategoryServices& m_services;
    FileSelection& m_selection;
    MainView& m_view;
    Categories& m_categories;
    bool m_namedCategories = true;
    // The run's file held no filled section and was dropped: no backup to call completed.
    bool m_nothingBackedUp = false;
    // The walk in progress, for abandon(): its file, whether a previous backup exists and the
    // category in progress.
    struct Walking
    {
        QString target;
        bool hadOld = false;
        size_t step = 0;
    };
    std::optional<Walking> m_walking;
};
