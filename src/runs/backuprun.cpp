#include "runs/backuprun.h"

#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/fileselection.h"
#include "categories/categoryservices.h"
#include "core/programerror.h"
#include "phone/phonelink.h"
#include "runs/categories.h"
#include "runs/runerror.h"

#include <exception>

BackupRun::BackupRun(CategoryServices& services, FileSelection& selection, MainView& view,
                     Categories& categories)
    : m_services(services), m_selection(selection), m_view(view), m_categories(categories)
{
}

namespace {

// A step's outcome goes to the log and, in the user's words, to the status box.
void logAndShow(StatusLog& log, const QString& logLine, const QString& statusLine)
{
    log.WriteLog(logLine);
    log.UpdateStat(statusLine);
}

} // namespace

std::vector<BackupRun::Step> BackupRun::steps()
{
    StatusLog& log = m_services.log;
    using Box = MainView::Box;
    // The walk in its fixed order, which is the order of the sections in the file.
    std::vector<Step> walk;
    walk.push_back({Box::Pb, QStringLiteral("Backup of phonebook has started"), [this, &log] {
                        if (!m_categories.obex.bBackUpPB()) {
                            log.WriteLog(
                                QStringLiteral("Error when backing up the PB->cmdBackup_click"));
                            return false;
                        }
                        logAndShow(log, QStringLiteral("Backup of PB -> Done"),
                                   QStringLiteral("Backup of Phonebook -> Done"));
                        return true;
                    }});
    walk.push_back({Box::Cal, QStringLiteral("Backup of calendar has started"), [this, &log] {
                        if (!m_categories.obex.bBackUpCal()) {
                            log.WriteLog(
                                QStringLiteral("Error when backing up the Cal->cmdBackup_click"));
                            log.UpdateStat(QStringLiteral("Failed when backing up calendar"));
                        }
                        logAndShow(log, QStringLiteral("Backup of Cal -> Done"),
                                   QStringLiteral("Backup of Calendar -> Done"));
                        return true;
                    }});
    walk.push_back({Box::SMS, QStringLiteral("Backup of SMS_Messages has started"), [this, &log] {
                        Setting_SMSPDU& sms = m_categories.sms;
                        sms.ReadSMSMessages();
                        if (sms.SMSList.isEmpty()) {
                            log.UpdateStat(QStringLiteral("Didn't find any SMS"));
                            return true;
                        }
                        sms.bSaveSMSMessages();
                        logAndShow(log, QStringLiteral("Backup of SMS_Messages -> Done"),
                                   QStringLiteral("Backup of SMS_Messages -> Done"));
                        return true;
                    }});
    walk.push_back(
        {Box::DataAccount, QStringLiteral("Saving Data Accounts information"), [this, &log] {
             if (!m_categories.da.GetDA()) {
                 logAndShow(log, QStringLiteral("Failed to backup DataAccount"),
                            QStringLiteral("Failed to backup DataAccount"));
                 return true;
             }
             m_categories.da.bSaveDataAccounts();
             logAndShow(log, QStringLiteral("Backup of DataAccount -> Done"),
                        QStringLiteral("Backup of DataAccounts -> Done"));
             return true;
         }});
    walk.push_back({Box::WAP, QStringLiteral("Saving WAP Settings"), [this, &log] {
                        // A phone answer the getter cannot use ends this category only.
                        try {
                            m_categories.wap.GetWAPSettings();
                        } catch (const ProgramError& error) {
                            log.WriteLog(QStringLiteral("Error in GetWAPSettings"));
                            log.LogErrorDetails(error);
                            logAndShow(log, QStringLiteral("Backup of WAP -> Failed"),
                                       QStringLiteral("Backup of WAP Settings -> Failed"));
                            return true;
                        }
                        m_categories.wap.bSaveWAPSettings();
                        logAndShow(log, QStringLiteral("Backup of WAP -> Done"),
                                   QStringLiteral("Backup of WAP Settings -> Done"));
                        return true;
                    }});
    walk.push_back({Box::Bookmark, QStringLiteral("Saving Bookmarks information"), [this, &log] {
                        m_categories.bookmarks.GetWAPBookmarks();
                        m_categories.bookmarks.bSaveBookmarks();
                        logAndShow(log, QStringLiteral("Backup of Bookmarks -> Done"),
                                   QStringLiteral("Backup of Bookmarks -> Done"));
                        return true;
                    }});
    walk.push_back({Box::Profiles, QStringLiteral("Saving Profile Settings"), [this, &log] {
                        if (!m_categories.profiles.GetProfileSettings()) {
                            logAndShow(log, QStringLiteral("Backup of Profiles -> Failed"),
                                       QStringLiteral("Backup of Profiles -> Failed"));
                            return true;
                        }
                        m_categories.profiles.bSaveProfileSettings();
                        logAndShow(log, QStringLiteral("Backup of Profiles -> Done"),
                                   QStringLiteral("Backup of Profiles -> Done"));
                        return true;
                    }});
    walk.push_back({Box::Lock, QStringLiteral("Saving Locks information"), [this, &log] {
                        m_categories.locks.GetLocksSettings();
                        m_categories.locks.bSaveLocksSettings();
                        logAndShow(log, QStringLiteral("Backup of Locks -> Done"),
                                   QStringLiteral("Backup of Locks -> Done"));
                        return true;
                    }});
    walk.push_back({Box::Time, QStringLiteral("Saving Time information"), [this, &log] {
                        m_categories.time.GetTimeSettings();
                        m_categories.time.bSaveTimeSettings();
                        logAndShow(log, QStringLiteral("Backup of Time -> Done"),
                                   QStringLiteral("Backup of Time -> Done"));
                        return true;
                    }});
    walk.push_back(
        {Box::CustomMenu, QStringLiteral("Saving My Shortcuts information"), [this, &log] {
             m_categories.custom.GetCustomMenuSettings();
             m_categories.custom.bSaveCustomMenu();
             logAndShow(log, QStringLiteral("Backup of Custom Menu -> Done"),
                        QStringLiteral("Backup of My Shortcuts -> Done"));
             return true;
         }});
    return walk;
}

RunOutcome BackupRun::end(RunOutcome outcome)
{
    m_view.setButtonCaption(MainView::Button::Backup, QStringLiteral("Backup"));
    return outcome;
}

RunOutcome BackupRun::cmdBackup_Click()
{
    StatusLog& log = m_services.log;
    PhoneLink& link = m_services.link;
    m_view.setButtonCaption(MainView::Button::Backup, QStringLiteral("Running"));
    log.UpdateStat(QStringLiteral("Backup has started"));
    if (!link.bPhoneConnected) {
        log.UpdateStat(QStringLiteral("Lost Conntact to MS->No work was done"));
        return end(RunOutcome::Ended);
    }
    BackupFile& file = m_services.file;
    if (!m_selection.bSelectFile(QString(), QStringLiteral("MS"), file.sBackUpFIleName,
                                 QStringLiteral("Save Data to file"), true) ||
        !m_selection.replaceExistingFile(file.sBackUpFIleName)) {
        log.UpdateStat(QStringLiteral("Backup ended"));
        return end(RunOutcome::Ended);
    }
    try {
        if (GetAlternateLineSupport)
            GetAlternateLineSupport();
        for (const Step& step : steps()) {
            if (!link.bPhoneConnected) {
                log.UpdateStat(QStringLiteral("Lost Conntact to MS->No work was done"));
                return end(RunOutcome::Ended);
            }
            if (!m_view.isTicked(step.box))
                continue;
            log.UpdateStat(step.startLine);
            if (!step.run())
                return end(RunOutcome::Failed);
        }
    } catch (const std::exception& error) {
        // An error a category raised instead of reporting: end in order, keep the file as written.
        reportRunError(log, QStringLiteral("Backup stopped by an error -> "),
                       QStringLiteral("Error in cmdBackup_Click"), error);
        return end(RunOutcome::Failed);
    }
    log.UpdateStat(QStringLiteral("Backup completed"));
    return end(RunOutcome::Completed);
}
