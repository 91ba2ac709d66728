#include "runs/restorerun.h"

#include "statuslog/mainview.h"
#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/fileselection.h"
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

RunOutcome RestoreRun::cmdRestore_Click()
{
    StatusLog& log = m_services.log;
    BackupFile& file = m_services.file;
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
        if (m_view.isTicked(MainView::Box::MasterReset)) {
            QString& code = m_masterReset.sPhoneLockCode;
            if (code.isEmpty())
                code = QStringLiteral("7391");
            code = m_services.ui.inputBox(QStringLiteral("Enter your phonelock code....."),
                                          QStringLiteral("Phonelock code"), code);
            if (code.isEmpty())
                return end(RunOutcome::Ended);
            log.UpdateStat(QStringLiteral("Making a Master Reset!!"));
            m_masterReset.SetMasterReset();
            log.UpdateStat(QStringLiteral("Master Reset->Done"));
        }
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
        file.bDecodeFile();
    } catch (const std::exception& error) {
        // An error a section reader or the phone raised: end in order and leave the phone's
        // OBEX side closed.
        reportRunError(log, QStringLiteral("Restore stopped by an error -> "),
                       QStringLiteral("Error in cmdRestore_Click"), error);
        if (closeObex)
            closeObex();
        return end(RunOutcome::Failed);
    }
    log.UpdateStat(QStringLiteral("Restore finished"));
    return end(RunOutcome::Completed);
}
