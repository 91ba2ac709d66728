#pragma once

#include "categories/outcometally.h"
#include "runs/runoutcome.h"

#include <QStringList>
#include <functional>

struct CategoryServices;
struct Categories;
class FileSelection;
class MainView;
class MasterReset;

// A restore narrowed to some categories, or a dry run that reads the phone's lists and counts
// what a restore would write without sending a write.
struct RestoreChoice
{
    // The categories to restore, in any order; empty for every section of the file.
    QList<OutcomeTally::Category> categories;
    bool dryRun = false;
};

// The "Restore" button: lets the user choose a backup file, makes the master reset when it is
// asked for, then reads, checks and walks the file, each section restoring its category. The
// phonebook, the calendar and the messages get only the entries the phone lacks; at the end
// the run reads them back and looks for every entry of the file.
class RestoreRun
{
public:
    RestoreRun(CategoryServices& services, FileSelection& selection, MainView& view,
               MasterReset& masterReset, Categories& categories);

    using Choice = RestoreChoice;
    RunOutcome cmdRestore_Click(const Choice& choice = {});

    // Called once after the file was chosen.
    std::function<void()> GetAlternateLineSupport;
    // Closes an OBEX connection that an error left open.
    std::function<void()> closeObex;
    // Asked before each section of the file: true ends the run there, as a lost phone does.
    std::function<bool()> stopRequested;
    // Ends the run in progress where it is, for a process about to exit (a second Ctrl+C): the
    // closing lines say what was written and what was not. Nothing to do outside a run.
    void abandon();

private:
    RunOutcome walk();
    // Reads the phone's lists back and looks for every entry of the file in them. The status
    // lines to close with: one per list that misses entries, or the one that says all are
    // there; ok is false when something is missing or could not be read.
    QStringList verify(bool& ok);
    // The closing lines: one per section the file lacks the end of, the counts of the lists,
    // one line per category the phone did not take everything of, then last.
    RunOutcome finish(RunOutcome outcome, const QStringList& last = {});
    // The phone went away (byUser false) or the user stopped the run: nothing more is sent;
    // says what was written and what was not.
    enum class Stop { ByUser, AtOnce, PhoneLost };
    RunOutcome stopped(Stop why);
    RunOutcome end(RunOutcome outcome);
    // Reads the file as show reads it. False (the run ends before anything is sent) when it is
    // no backup; otherwise every line or item it cannot read is named in the log and counted.
    bool readAsShown();
    // Keeps only the sections of the chosen categories in the file's lines; the names of the
    // chosen categories the file has no section of.
    QStringList narrow();


    Choice m_choice;
    CategoryServices& m_services;
    FileSelection& m_selection;
    MainView& m_view;
    MasterReset& m_masterReset;
    Categories& m_categories;
    // The verify found entries the phone keeps only in part: the file is not all on the phone.
    bool m_keptInPart = false;
    // The sections of the file being restored that have no closing line, as they are told.
    QStringList m_cutShort;
    // Lines and items of the file that could not be read, and the closing line of each
    // category that has some ("SMS Messages: 1 in the file could not be read -> see the log").
    int m_unreadable = 0;
    QStringList m_unreadableLines;
    // The file was read and the phone may have been written: abandon() has something to say.
    bool m_writing = false;
};
