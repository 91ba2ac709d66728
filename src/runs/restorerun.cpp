#include "runs/restorerun.h"

#include "statuslog/mainview.h"
#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/fileselection.h"
#include "backupfile/sectiontable.h"
#include "categories/categoryservices.h"
#include "core/userinterface.h"
#include "runs/masterreset.h"
#include "runs/runerror.h"

#include <exception>

RestoreRun::RestoreRun(CategoryServices& services, FileSelection& selection, MainView& view,
                       MasterReset& masterReset)
    : m_services(services), m_selection(selection), m_view(view), m_masterReset(masterReset)
{
}

RunOutcome RestoreRun::end(RunOutcome outcome)
{
    m_view.setButtonCaption(MainView::Button::Restore, QStringLiteral("Restore"));
    return outcome;
}

RunOutcome RestoreRun::finish(RunOutcome outcome)
{
    // A cut file restores what it holds, but is no whole backup: the run says so and counts
    // as incomplete.
    for (const QString& cut : std::as_const(m_cutShort))
        m_services.log.UpdateStat(QStringLiteral("The file is cut short -> ") + cut);
    if (outcome == RunOutcome::Completed && !m_cutShort.isEmpty())
        outcome = RunOutcome::Incomplete;
    const QStringList losses = m_services.tally.summary(QStringLiteral("written"));
    for (const QString& line : losses)
        m_services.log.UpdateStat(line);
    if (outcome == RunOutcome::Completed && !losses.isEmpty())
        outcome = RunOutcome::Incomplete;
    return end(outcome);
}

RunOutcome RestoreRun::cmdRestore_Click()
{
    StatusLog& log = m_services.log;
    BackupFile& file = m_services.file;
    m_services.tally.clear();
    m_cutShort.clear();
    m_view.setButtonCaption(MainView::Button::Restore, QStringLiteral("Running"));
    log.UpdateStat(QStringLiteral("Restore has started"));
    if (!m_selection.bSelectFile(QString(), QStringLiteral("MS"), file.sBackUpFIleName,
                                 QStringLiteral("Select Data file"), false)) {
        log.WriteLog(QStringLiteral("Error in cmdRestore_Click ->bReadFile"));
        return end(RunOutcome::Ended);
    }
    try {
        if (GetAlternateLineSupport)
            GetAlternateLineSupport();
        const bool reset = m_view.isTicked(MainView::Box::MasterReset);
        if (reset) {
            QString& code = m_masterReset.sPhoneLockCode;
            if (code.isEmpty())
                code = QStringLiteral("7391");
            code = m_services.ui.inputBox(QStringLiteral("Enter your phonelock code....."),
                                          QStringLiteral("Phonelock code"), code);
            if (code.isEmpty())
                return end(RunOutcome::Ended);
        }
        // The file is read and checked before a master reset, so a file that cannot be
        // restored never leaves the phone erased.
        if (!file.bReadFileToArray()) {
            log.WriteLog(QStringLiteral("Error in cmdReatore_Click ->bReadFileToArray"));
            log.UpdateStat(QStringLiteral("Errors in the file - can not continue!!"));
            return end(RunOutcome::Failed);
        }
        log.UpdateStat(QStringLiteral("Read the file -> time to decode"));
        log.UpdateStat(QStringLiteral("Checking file"));
        if (!file.bCheckFile()) {
            log.UpdateStat(QStringLiteral("Errors in the file - can not continue!!"));
            return end(RunOutcome::Failed);
        }
        for (const qsizetype open : sections::unclosedSections(file.sFileLines)) {
            const QString cut = QStringLiteral("line %1: ").arg(open + 1) +
                                sections::noClosingLine(sections::nameOf(file.sFileLines.at(open)));
            log.WriteLog(QStringLiteral("The file is cut short -> ") + cut);
            m_cutShort.append(cut);
        }
        if (reset) {
            log.UpdateStat(QStringLiteral("Making a Master Reset!!"));
            if (!m_masterReset.SetMasterReset()) {
                log.UpdateStat(QStringLiteral(
                    "Restore stopped -> the phone was not reset, nothing was erased or written"));
                return end(RunOutcome::Failed);
            }
            log.UpdateStat(QStringLiteral("Master Reset->Done"));
        }
        file.bDecodeFile();
    } catch (const std::exception& error) {
        // An error a section reader or the phone raised: end in order and leave the phone's
        // OBEX side closed.
        reportRunError(log, QStringLiteral("Restore stopped by an error -> "),
                       QStringLiteral("Error in cmdRestore_Click"), error);
        if (closeObex)
            closeObex();
        return finish(RunOutcome::Failed);
    }
    log.UpdateStat(QStringLiteral("Restore finished"));
    return finish(RunOutcome::Completed);
}
