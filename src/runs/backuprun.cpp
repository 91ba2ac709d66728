#include "runs/backuprun.h"

#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/fileselection.h"
#include "backupfile/stagedbackup.h"
#include "categories/categoryservices.h"
#include "categories/categorysupport.h"
#include "core/programerror.h"
#include "phone/phonelink.h"
#include "categories/categories.h"
#include "runs/runerror.h"

#include <QFile>
#include <QFileInfo>

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

void BackupRun::done(OutcomeTally::Category category, const QString& logLine,
                     const QString& statusLine)
{
    // "Done" only when every item of the category was read; the closing lines say how many
    // were not.
    const OutcomeTally& tally = m_services.tally;
    const QString done = QStringLiteral("-> Done");
    const QString instead = tally.isClean(category)         ? done
                            : tally.isUnsupported(category) ? QStringLiteral("-> Not supported")
                            : tally.hasFailed(category)     ? QStringLiteral("-> Failed")
                                                            : QStringLiteral("-> Incomplete");
    QString logText = logLine;
    QString statusText = statusLine;
    logAndShow(m_services.log, logText.replace(done, instead), statusText.replace(done, instead));
}

bool BackupRun::backUp(const categorytable::Row& row)
{
    StatusLog& log = m_services.log;
    OutcomeTally& tally = m_services.tally;
    bool read = false;
    bool raised = false;
    // A phone answer a category cannot use ends that category only.
    try {
        read = row.backup(m_categories);
    } catch (const ProgramError& error) {
        raised = true;
        if (row.failedLog)
            log.WriteLog(QLatin1String(row.failedLog));
        log.LogErrorDetails(error);
    }
    if (!read) {
        tally.failed(row.category);
        if (row.failedLog && !raised)
            log.WriteLog(QLatin1String(row.failedLog));
        if (row.failedStatus)
            log.UpdateStat(QLatin1String(row.failedStatus));
        if (row.failureEndsRun)
            return false;
        if (!row.closeAfterFailure)
            return true;
    } else if (row.isEmpty && row.isEmpty(m_categories)) {
        // Nothing on the phone: no section. A list that could not be read is not called empty.
        if (tally.isClean(row.category)) {
            log.UpdateStat(QLatin1String(row.emptyLine));
            return true;
        }
    } else if (row.save) {
        row.save(m_categories);
    }
    done(row.category, QLatin1String(row.doneLog), QLatin1String(row.doneStatus));
    return true;
}

RunOutcome BackupRun::end(RunOutcome outcome)
{
    m_view.setButtonCaption(MainView::Button::Backup, QStringLiteral("Backup"));
    return outcome;
}

RunOutcome BackupRun::settleFile(RunOutcome outcome, const QString& target, bool hadOld)
{
    StatusLog& log = m_services.log;
    BackupFile& file = m_services.file;
    const QString staging = file.sBackUpFIleName;
    file.sBackUpFIleName = target;
    const bool written = QFileInfo(staging).size() > 0;
    // A backup replaces another only with something of its own: a run that read nothing, or
    // only empty lists, keeps the old file whatever it was asked and however it ended.
    const bool holdsData = written && stagedbackup::holdsFilledSection(staging);
    if (!written || (outcome == RunOutcome::Completed && hadOld && !holdsData)) {
        QFile::remove(staging);
        m_nothingBackedUp = true;
        log.UpdateStat(hadOld ? QStringLiteral("Nothing was backed up; %1 is kept").arg(target)
                              : QStringLiteral("Nothing was backed up; no file was written"));
        return outcome;
    }
    QString error;
    // Without a previous backup no file is replaced: one that appeared meanwhile is another
    // run's, and stays.
    bool taken = false;
    if (outcome == RunOutcome::Completed) {
        if (stagedbackup::moveOnto(staging, target, hadOld, error, &taken)) {
            if (hadOld)
                log.UpdateStat(QStringLiteral("Removed old file"));
            return outcome;
        }
        log.WriteLog(QStringLiteral("Can not replace ") + target + QStringLiteral(" -> ") + error);
        if (taken) {
            log.UpdateStat(QStringLiteral("Another run wrote the file meanwhile -> ") + target);
            // The backup stays whole under a name of its own that the file dialogs show.
            for (int n = 2; n < 100; ++n) {
                const QString beside = stagedbackup::numberedPath(target, n);
                bool besideTaken = false;
                if (stagedbackup::moveOnto(staging, beside, false, error, &besideTaken)) {
                    log.UpdateStat(QStringLiteral("This backup is in -> ") + beside);
                    return RunOutcome::Failed;
                }
                if (!besideTaken)
                    break;
            }
        } else {
            log.UpdateStat(QStringLiteral("Failed to remove old file"));
            log.UpdateStat(QStringLiteral("Remove it manually"));
        }
        log.UpdateStat(QStringLiteral("The new backup is in -> ") + staging);
        return RunOutcome::Failed;
    }
    // Cut short: the previous backup stays whole; the sections written so far are still
    // worth having, under a name that says what they are. Without one whole section the file
    // is no backup, and the name chosen for one stays free.
    const bool partOnly = hadOld || !holdsData;
    const QString kept = partOnly ? stagedbackup::incompletePath(target) : target;
    if (!stagedbackup::moveOnto(staging, kept, partOnly, error)) {
        log.WriteLog(QStringLiteral("Can not rename ") + staging + QStringLiteral(" -> ") + error);
        log.UpdateStat(QStringLiteral("The backup is incomplete -> it is in ") + staging);
        return outcome;
    }
    log.UpdateStat(QStringLiteral("The backup is incomplete -> it is in ") + kept);
    if (hadOld)
        log.UpdateStat(QStringLiteral("The previous backup is kept -> ") + target);
    else if (partOnly)
        log.UpdateStat(QStringLiteral("No section was backed up whole -> nothing was written to ") +
                       target);
    return outcome;
}

RunOutcome BackupRun::finish(RunOutcome outcome, const QString& target, bool hadOld,
                             const QStringList& untried)
{
    StatusLog& log = m_services.log;
    m_walking.reset();
    m_nothingBackedUp = false;
    outcome = settleFile(outcome, target, hadOld);
    if (outcome == RunOutcome::Completed && !m_nothingBackedUp)
        log.UpdateStat(QStringLiteral("Backup completed"));
    const QStringList losses = m_services.tally.summary(QStringLiteral("read"));
    for (const QString& line : losses)
        log.UpdateStat(line);
    for (const QString& line : untried)
        logAndShow(log, line, line);
    // A category that was not asked for by name and that the phone turns out not to have is
    // named, but loses nothing the user asked for.
    if (outcome == RunOutcome::Completed && m_services.tally.lostAnything(m_namedCategories))
        outcome = RunOutcome::Incomplete;
    return end(outcome);
}

void BackupRun::abandon()
{
    if (!m_walking)
        return;
    const Walking walking = *m_walking;
    StatusLog& log = m_services.log;
    log.WriteLog(QStringLiteral("Backup stopped at once by the user"));
    log.UpdateStat(QStringLiteral("Backup stopped at once by the user"));
    // The category in progress is in the file as far as it was read.
    finish(RunOutcome::Ended, walking.target, walking.hadOld,
           untried(walking.step, QStringLiteral("the run was stopped")));
}

bool BackupRun::served(OutcomeTally::Category category) const
{
    return categorysupport::servedBy(m_services.link, category);
}

QStringList BackupRun::untried(size_t from, const QString& why) const
{
    QStringList lines;
    for (size_t i = from; i < categorytable::rows().size(); ++i) {
        const categorytable::Row& row = categorytable::rows()[i];
        if (m_view.isTicked(row.box))
            lines << QStringLiteral("%1: not backed up (%2)").arg(QLatin1String(row.name), why);
    }
    return lines;
}

bool BackupRun::anythingTicked() const
{
    for (const categorytable::Row& row : categorytable::rows()) {
        if (m_view.isTicked(row.box))
            return true;
    }
    return false;
}

RunOutcome BackupRun::cmdBackup_Click(bool namedCategories)
{
    m_namedCategories = namedCategories;
    StatusLog& log = m_services.log;
    PhoneLink& link = m_services.link;
    m_services.tally.clear();
    // Nothing to write: no file is asked for, and none is replaced by an empty run.
    if (!anythingTicked()) {
        log.UpdateStat(QStringLiteral("Nothing to back up: tick at least one category"));
        return end(RunOutcome::Ended);
    }
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
    const QString target = file.sBackUpFIleName;
    const bool hadOld = m_selection.bFileExists(target);
    // The sections go to a file of the run's own beside the target, which replaces it at the
    // normal end.
    QString error;
    file.sBackUpFIleName = stagedbackup::createStaging(target, error);
    if (file.sBackUpFIleName.isEmpty()) {
        file.sBackUpFIleName = target;
        log.WriteLog(QStringLiteral("Can not create the backup file beside ") + target +
                     QStringLiteral(" -> ") + error);
        log.UpdateStat(QStringLiteral("Can not write the backup file -> ") + target);
        return end(RunOutcome::Failed);
    }
    const QString phoneLost = QStringLiteral("the phone was lost");
    m_walking = Walking{target, hadOld, 0};
    try {
        if (GetAlternateLineSupport)
            GetAlternateLineSupport();
        // The walk in its fixed order, which is the order of the sections in the file.
        for (size_t i = 0; i < categorytable::rows().size(); ++i) {
            m_walking->step = i;
            const categorytable::Row& row = categorytable::rows()[i];
            const OutcomeTally::Category category = row.category;
            if (stopRequested && stopRequested()) {
                log.WriteLog(QStringLiteral("Backup stopped by the user"));
                log.UpdateStat(QStringLiteral("Backup stopped by the user"));
                return finish(RunOutcome::Ended, target, hadOld,
                              untried(i, QStringLiteral("the run was stopped")));
            }
            if (!link.bPhoneConnected) {
                log.UpdateStat(QStringLiteral("Lost Conntact to MS->No work was done"));
                return finish(RunOutcome::Ended, target, hadOld, untried(i, phoneLost));
            }
            if (!m_view.isTicked(row.box))
                continue;
            // Asking a phone for a category it has not got only fails: it is named instead.
            if (!served(category)) {
                m_services.tally.unsupported(category);
                log.WriteLog(QStringLiteral("Not supported by the phone -> ") +
                             OutcomeTally::name(category));
                continue;
            }
            log.UpdateStat(QLatin1String(row.startLine));
            if (!backUp(row))
                return finish(RunOutcome::Failed, target, hadOld,
                              untried(i + 1,
                                      link.bPhoneConnected ? QStringLiteral("the run ended")
                                                           : phoneLost));
        }
        // A phone lost during the last step ends the run as it does between steps.
        if (!link.bPhoneConnected) {
            log.UpdateStat(QStringLiteral("Lost Conntact to MS->No work was done"));
            return finish(RunOutcome::Ended, target, hadOld);
        }
    } catch (const std::exception& error) {
        // An error a category raised instead of reporting: end in order, keep the file as written.
        reportRunError(log, QStringLiteral("Backup stopped by an error -> "),
                       QStringLiteral("Error in cmdBackup_Click"), error);
        return finish(RunOutcome::Failed, target, hadOld);
    }
    return finish(RunOutcome::Completed, target, hadOld);
}
