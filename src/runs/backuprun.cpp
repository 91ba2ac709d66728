#include "runs/backuprun.h"

#include "app/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/fileselection.h"
#include "categories/categoryservices.h"
#include "phone/phonelink.h"
#include "runs/categories.h"
#include "runs/runerror.h"

#include <exception>

BackupRun::BackupRun(CategoryServices& services, FileSelection& selection, MainView& view,
                     Categories& categories)
    : m_services(services), m_selection(selection), m_view(view), m_categories(categories)
{
}

std::vector<BackupRun::Step> BackupRun::steps()
{
    StatusLog& log = m_services.log;
    using Box = MainView::Box;
    // The walk in its fixed order, which is the order of the sections in the file.
    std::vector<Step> walk;
    // Step 1, phonebook: added with its category.
    // Step 2, calendar: added with its category.
    // Step 3, SMS messages: added with its category.
    // Step 4, data accounts: added with its category.
    // Step 5, WAP profiles: added with its category.
    // Step 6, WAP bookmarks: added with its category.
    // Step 7, profiles: added with its category.
    // Step 8, key lock: added with its category.
    walk.push_back({Box::Time, QStringLiteral("Saving Time information"), [this, &log] {
                        m_categories.time.GetTimeSettings();
                        m_categories.time.bSaveTimeSettings();
                        log.WriteLog(QStringLiteral("Backup of Time -> Done"));
                        log.UpdateStat(QStringLiteral("Backup of Time -> Done"));
                        return true;
                    }});
    // Step 10, My Shortcuts: added with its category.
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
