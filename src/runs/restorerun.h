#pragma once

#include "runs/runoutcome.h"

#include <QStringList>
#include <functional>

struct CategoryServices;
class FileSelection;
class MainView;
class MasterReset;

// The "Restore" button: lets the user choose a backup file, makes the master reset when it is
// asked for, then reads, checks and walks the file, each section restoring its category.
class RestoreRun
{
public:
    RestoreRun(CategoryServices& services, FileSelection& selection, MainView& view,
               MasterReset& masterReset);

    RunOutcome cmdRestore_Click();

    // Called once after the file was chosen.
    std::function<void()> GetAlternateLineSupport;
    // Closes an OBEX connection that an error left open.
    std::function<void()> closeObex;

private:
    // The closing lines: one per section the file lacks the end of, one per category the
    // phone did not take everything of.
    RunOutcome finish(RunOutcome outcome);
    RunOutcome end(RunOutcome outcome);

    CategoryServices& m_services;
    FileSelection& m_selection;
    MainView& m_view;
    MasterReset& m_masterReset;
    // The sections of the file being restored that have no closing line, as they are told.
    QStringList m_cutShort;
};
