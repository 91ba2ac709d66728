#include "runs/restorerun.h"

#include "backupfile/backupfile.h"
#include "backupfile/fileselection.h"
#include "backupfile/sectiontable.h"
#include "categories/categoryservices.h"
#include "core/userinterface.h"
#include "export/backupcontents.h"
#include "export/showlisting.h"
#include "phone/phonelink.h"
#include "categories/categories.h"
#include "runs/masterreset.h"
#include "runs/runerror.h"
#include "statuslog/mainview.h"
#include "statuslog/statuslog.h"

#include <algorithm>
#include <exception>

namespace {

// The user asked the run to stop; thrown between two sections of the file.
class StoppedByUser : public std::exception
{
public:
    const char* what() const noexcept override { return "Stopped by the user"; }
};

} // namespace

RestoreRun::RestoreRun(CategoryServices& services, FileSelection& selection, MainView& view,
                       MasterReset& masterReset, Categories& categories)
    : m_services(services), m_selection(selection), m_view(view), m_masterReset(masterReset),
      m_categories(categories)
{
    // The walk of the file asks before each section, so a stop ends the run between two.
    m_services.file.beforeSection = [this] {
        if (stopRequested && stopRequested())
            throw StoppedByUser();
    };
}

RunOutcome RestoreRun::end(RunOutcome outcome)
{
    m_view.setButtonCaption(MainView::Button::Restore, QStringLiteral("Restore"));
    return outcome;
}

RunOutcome RestoreRun::finish(RunOutcome outcome, const QStringList& last)
{
    StatusLog& log = m_services.log;
    // A cut file restores what it holds, but is no whole backup: the run says so and counts
    // as incomplete.
    for (const QString& cut : std::as_const(m_cutShort))
        log.UpdateStat(QStringLiteral("The file is cut short -> ") + cut);
    for (const QString& line : std::as_const(m_unreadableLines))
        log.UpdateStat(line);
    if (outcome == RunOutcome::Completed &&
        (!m_cutShort.isEmpty() || m_unreadable > 0 || !m_services.file.importNotes.isEmpty()))
        outcome = RunOutcome::Incomplete;
    for (const QString& line : m_services.lists.countLines())
        log.UpdateStat(line);
    const QStringList losses = m_services.tally.summary(QStringLiteral("written"));
    for (const QString& line : losses + last)
        log.UpdateStat(line);
    if (outcome == RunOutcome::Completed && !losses.isEmpty())
        outcome = RunOutcome::Incomplete;
    return end(outcome);
}

bool RestoreRun::readAsShown()
{
    StatusLog& log = m_services.log;
    const BackupFile& file = m_services.file;
    const backupexport::BackupContents contents = backupexport::parseBackupLines(file.sFileLines);
    if (contents.sections.isEmpty()) {
        log.WriteLog(QStringLiteral("Not a backup file -> ") + file.sBackUpFIleName);
        log.UpdateStat(file.sBackUpFIleName + QStringLiteral(" is ") +
                       contents.problems.constFirst().reason);
        return false;
    }
    // The file check refuses it next and logs it as it always has.
    for (const QString& twice : contents.openedTwice)
        log.UpdateStat(QStringLiteral("The file is not used -> ") + twice);
    if (!contents.openedTwice.isEmpty())
        return true;
    // A section without its closing line is told as cut short; everything else show marks is
    // named and counted here, per category in the order the listing meets them.
    FirstSeenCounts perCategory;
    const backupexport::Listing listing = backupexport::showListing(contents, -1, false);
    for (const backupexport::Unreadable& item : listing.unreadable) {
        QString name = QStringLiteral("Outside any section");
        if (item.iTag >= 0) {
            const QString section = QLatin1String(sections::table()[item.iTag].tagWord + 1);
            if (item.problem.reason == sections::noClosingLine(section))
                continue;
            const OutcomeTally::Category category = Categories::categoryOfSection(item.iTag);
            name = category == OutcomeTally::Count ? section : OutcomeTally::name(category);
        }
        log.WriteLog(QStringLiteral("Could not be read -> ") + backupexport::problemText(item.problem));
        ++m_unreadable;
        perCategory.add(name);
    }
    for (const auto& [name, count] : perCategory.rows())
        m_unreadableLines << QStringLiteral("%1: %2 in the file could not be read -> see the log")
                                 .arg(name)
                                 .arg(count);
    return true;
}

QStringList RestoreRun::narrow()
{
    QStringList& lines = m_services.file.sFileLines;
    QStringList kept;
    QList<OutcomeTally::Category> found;
    for (const sections::Placed& section : sections::sectionsOf(lines)) {
        const OutcomeTally::Category category =
            Categories::categoryOfSection(static_cast<qint16>(section.iTag));
        if (!m_choice.categories.contains(category))
            continue;
        found << category;
        const qsizetype end = section.extent.closed ? section.extent.end + 1 : section.extent.end;
        kept << lines.mid(section.opening, end - section.opening);
    }
    // The file's lines end with one empty element, as they were read.
    kept << QString();
    lines = kept;
    QStringList missing;
    for (const OutcomeTally::Category category : std::as_const(m_choice.categories)) {
        if (!found.contains(category) && !missing.contains(OutcomeTally::name(category)))
            missing << OutcomeTally::name(category);
    }
    return missing;
}

RunOutcome RestoreRun::cmdRestore_Click(const Choice& choice)
{
    m_choice = choice;
    m_services.tally.clear();
    m_services.lists.clear();
    // From here on a phone that goes away stops the run; one that is not there already has.
    m_services.link.bPhoneLost = !m_services.link.bPhoneConnected;
    m_services.stopWhenPhoneLost = true;
    const RunOutcome outcome = walk();
    m_writing = false;
    m_services.stopWhenPhoneLost = false;
    m_services.lists.setPreview(false);
    return outcome;
}

RunOutcome RestoreRun::walk()
{
    StatusLog& log = m_services.log;
    BackupFile& file = m_services.file;
    m_cutShort.clear();
    m_unreadable = 0;
    m_unreadableLines.clear();
    m_view.setButtonCaption(MainView::Button::Restore, QStringLiteral("Running"));
    log.UpdateStat(QStringLiteral("Restore has started"));
    if (!m_selection.bSelectFile(QString(), QStringLiteral("MS"), file.sBackUpFIleName,
                                 QStringLiteral("Select Data file"), false)) {
        log.WriteLog(QStringLiteral("Error in cmdRestore_Click ->bReadFile"));
        return end(RunOutcome::Ended);
    }
    QStringList verified;
    QStringList notInFile;
    bool complete = true;
    bool fileRead = false;
    try {
        // A dry run sends nothing that may change the phone, and writes no setting.
        if (GetAlternateLineSupport && !m_choice.dryRun)
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
        fileRead = true;
        for (const QString& note : std::as_const(file.importNotes))
            log.UpdateStat(note);
        m_services.lists.setPreview(m_choice.dryRun, reset);
        if (!m_choice.categories.isEmpty()) {
            // A category asked for that the file lacks is named, and the restore is not whole.
            for (const QString& name : narrow())
                notInFile << name + QStringLiteral(": not in the file, nothing to restore");
            if (sections::sectionsOf(file.sFileLines).isEmpty()) {
                for (const QString& line : std::as_const(notInFile))
                    log.UpdateStat(line);
                return end(RunOutcome::Incomplete);
            }
        }
        m_writing = true;
        log.UpdateStat(QStringLiteral("Read the file -> time to decode"));
        log.UpdateStat(QStringLiteral("Checking file"));
        const bool usable = readAsShown();
        if (!usable || !file.bCheckFile()) {
            log.UpdateStat(QStringLiteral("Errors in the file - can not continue!!"));
            return end(RunOutcome::Failed);
        }
        for (const qsizetype open : sections::unclosedSections(file.sFileLines)) {
            const QString cut = QStringLiteral("line %1: ").arg(open + 1) +
                                sections::noClosingLine(sections::nameOf(file.sFileLines.at(open)));
            log.WriteLog(QStringLiteral("The file is cut short -> ") + cut);
            m_cutShort.append(cut);
        }
        if (reset && m_choice.dryRun) {
            log.UpdateStat(QStringLiteral(
                "Dry run -> no Master Reset is sent; the phonebook and the calendar count as empty"));
        } else if (reset) {
            log.UpdateStat(QStringLiteral("Making a Master Reset!!"));
            if (!m_masterReset.SetMasterReset()) {
                log.UpdateStat(QStringLiteral(
                    "Restore stopped -> the phone was not reset, nothing was erased or written"));
                return end(RunOutcome::Failed);
            }
            log.UpdateStat(QStringLiteral("Master Reset->Done"));
        }
        file.bDecodeFile();
        // A category that took the loss for a failure of its own has sent nothing since.
        m_services.checkPhone();
        if (m_choice.dryRun) {
            log.UpdateStat(QStringLiteral("Dry run finished -> nothing was written to the phone"));
            complete = m_services.lists.keptInPart() == 0;
            verified = notInFile;
            complete = complete && notInFile.isEmpty();
            return finish(complete ? RunOutcome::Completed : RunOutcome::Incomplete, verified);
        }
        log.UpdateStat(QStringLiteral("Restore finished"));
        verified = verify(complete);
        verified = notInFile + verified;
        complete = complete && notInFile.isEmpty();
    } catch (const StoppedByUser&) {
        m_writing = false;
        return stopped(Stop::ByUser);
    } catch (const PhoneLost&) {
        m_writing = false;
        if (!fileRead) {
            log.UpdateStat(QStringLiteral("Restore stopped -> no phone, nothing was written"));
            return end(RunOutcome::Ended);
        }
        return stopped(Stop::PhoneLost);
    } catch (const std::exception& error) {
        m_writing = false;
        // An error a section reader or the phone raised: end in order and leave the phone's
        // OBEX side closed.
        reportRunError(log, QStringLiteral("Restore stopped by an error -> "),
                       QStringLiteral("Error in cmdRestore_Click"), error);
        if (closeObex)
            closeObex();
        return finish(RunOutcome::Failed);
    }
    m_writing = false;
    return finish(complete && !m_keptInPart ? RunOutcome::Completed : RunOutcome::Incomplete,
                  verified);
}

void RestoreRun::abandon()
{
    if (!m_writing)
        return;
    m_writing = false;
    stopped(Stop::AtOnce);
}
