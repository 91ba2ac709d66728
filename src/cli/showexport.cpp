#include "cli/showexport.h"

#include "core/clock.h"
#include "core/programfolder.h"
#include "export/backupcontents.h"
#include "export/exportrun.h"
#include "export/showlisting.h"
#include "statuslog/statuslog.h"

#include <QCoreApplication>

namespace cli {

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kIncomplete = 3;

int usageError(QTextStream& err, const QString& problem)
{
    err << "cellarchive-cli: " << problem << "\n"
        << "usage:\n"
        << "  cellarchive-cli show FILE [--section NAME] [--show-passwords]\n"
        << "  cellarchive-cli export FILE --to FOLDER [--overwrite] [--timezone ZONE] "
           "[--vcard 2.1|3.0]\n";
    err.flush();
    return kUsage;
}

// The arguments of show and export: one FILE, the options each takes.
struct Arguments
{
    QString file;
    QString section;
    QString folder;
    QString timezone;
    QString vcard;
    bool showPasswords = false;
    bool overwrite = false;
};

bool parseArguments(const QStringList& arguments, bool exporting, Arguments& parsed,
                    QString& problem)
{
    QStringList positional;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        QString* value = nullptr;
        if (!exporting && argument == QLatin1String("--section"))
            value = &parsed.section;
        else if (exporting && argument == QLatin1String("--to"))
            value = &parsed.folder;
        else if (exporting && argument == QLatin1String("--timezone"))
            value = &parsed.timezone;
        else if (exporting && argument == QLatin1String("--vcard"))
            value = &parsed.vcard;
        else if (!exporting && argument == QLatin1String("--show-passwords"))
            parsed.showPasswords = true;
        else if (exporting && argument == QLatin1String("--overwrite"))
            parsed.overwrite = true;
        else if (argument.startsWith(QLatin1String("--"))) {
            problem = QStringLiteral("unknown option %1").arg(argument);
            return false;
        } else
            positional << argument;
        if (value) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty()) {
                problem = QStringLiteral("option %1 needs a value").arg(argument);
                return false;
            }
            *value = arguments.at(++i);
        }
    }
    if (positional.size() != 1) {
        problem = exporting ? QStringLiteral("export needs exactly one FILE")
                            : QStringLiteral("show needs exactly one FILE");
        return false;
    }
    parsed.file = positional.first();
    if (exporting && parsed.folder.isEmpty()) {
        problem = QStringLiteral("export needs --to FOLDER");
        return false;
    }
    if (!parsed.vcard.isEmpty() && parsed.vcard != QLatin1String("2.1") &&
        parsed.vcard != QLatin1String("3.0")) {
        problem = QStringLiteral("--vcard takes 2.1 or 3.0, not %1").arg(parsed.vcard);
        return false;
    }
    if (!parsed.timezone.isEmpty() && !QTimeZone(parsed.timezone.toUtf8()).isValid()) {
        problem = QStringLiteral("unknown time zone %1 (a name such as Europe/Berlin)")
                      .arg(parsed.timezone);
        return false;
    }
    return true;
}

// The day's log file, as the other commands keep it.
struct Reporting
{
    Reporting() { log.InitLog(programLogFolder(), programDataFolder()); }
    SystemWallClock wallClock;
    SystemMonotonicClock clock;
    StatusLog log{wallClock};
};

bool read(const QString& file, Reporting& reporting, backupexport::BackupContents& contents,
          QTextStream& err)
{
    QString error;
    if (!backupexport::readBackup(file, reporting.log, reporting.clock, contents, error)) {
        reporting.log.WriteLog(QStringLiteral("Backup file not read -> ") + error);
        err << "cellarchive-cli: " << error << "\n";
        err.flush();
        return false;
    }
    // Nothing tells which of two sections of one name is the backup: the file is refused, as a
    // restore refuses it.
    for (const QString& twice : std::as_const(contents.openedTwice)) {
        reporting.log.WriteLog(QStringLiteral("Backup file not used -> %1: %2").arg(file, twice));
        err << "cellarchive-cli: " << file << ": " << twice << "; the file is not used\n";
    }
    err.flush();
    return contents.openedTwice.isEmpty();
}

} // namespace

int show(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    Arguments parsed;
    QString problem;
    if (!parseArguments(arguments, false, parsed, problem))
        return usageError(err, problem);
    int onlyTag = -1;
    if (!parsed.section.isEmpty()) {
        onlyTag = backupexport::sectionTagForName(parsed.section);
        if (onlyTag < 0)
            return usageError(err, QStringLiteral("unknown section %1").arg(parsed.section));
    }
    Reporting reporting;
    backupexport::BackupContents contents;
    if (!read(parsed.file, reporting, contents, err))
        return kFailed;
    const backupexport::Listing listing =
        backupexport::showListing(contents, onlyTag, parsed.showPasswords);
    for (const QString& line : listing.lines)
        out << line << "\n";
    out.flush();
    if (contents.sections.isEmpty()) {
        reporting.log.WriteLog(QStringLiteral("Not a backup file -> ") + parsed.file);
        err << "cellarchive-cli: " << parsed.file << " is not a backup file\n";
        err.flush();
        return kFailed;
    }
    if (onlyTag >= 0 && !contents.find(static_cast<qint16>(onlyTag))) {
        err << "cellarchive-cli: " << parsed.file << " holds no section " << parsed.section << "\n";
        err.flush();
        return kFailed;
    }
    if (listing.problems > 0) {
        const QString text =
            (listing.problems == 1 ? QStringLiteral("1 line or item of %1 could not be read "
                                                    "(marked !)")
                                         .arg(parsed.file)
                                   : QStringLiteral("%1 lines or items of %2 could not be read "
                                                    "(marked !)")
                                         .arg(QString::number(listing.problems), parsed.file));
        reporting.log.WriteLog(text);
        err << "cellarchive-cli: " << text << "\n";
        err.flush();
        return kIncomplete;
    }
    return kOk;
}

int exportBackup(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    Arguments parsed;
    QString problem;
    if (!parseArguments(arguments, true, parsed, problem))
        return usageError(err, problem);
    Reporting reporting;
    backupexport::BackupContents contents;
    if (!read(parsed.file, reporting, contents, err))
        return kFailed;
    backupexport::ExportOptions options;
    options.folder = parsed.folder;
    options.overwrite = parsed.overwrite;
    options.now = reporting.wallClock.now();
    options.zone = QTimeZone::systemTimeZone();
    if (!parsed.timezone.isEmpty())
        options.calendarZone = QTimeZone(parsed.timezone.toUtf8());
    options.vcard = parsed.vcard == QLatin1String("2.1") ? backupexport::VcardVersion::V21
                                                         : backupexport::VcardVersion::V30;
    const backupexport::ExportReport report = backupexport::exportBackup(contents, options);
    for (const QString& line : report.written) {
        reporting.log.WriteLog(line);
        out << line << "\n";
    }
    out.flush();
    for (const backupexport::Problem& item : report.problems) {
        const QString text =
            (item.line > 0 ? QStringLiteral("line %1: ").arg(item.line) : QString()) + item.reason;
        reporting.log.WriteLog(QStringLiteral("Not exported -> ") + text);
        err << "cellarchive-cli: not exported: " << text << "\n";
    }
    if (report.failed) {
        reporting.log.WriteLog(QStringLiteral("Export failed -> ") + report.error);
        err << "cellarchive-cli: export failed: " << report.error << "\n";
        err.flush();
        return kFailed;
    }
    err.flush();
    return report.problems.isEmpty() ? kOk : kIncomplete;
}

} // namespace cli
