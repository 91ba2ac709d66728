#include "cli/clicommands.h"

#include "shell/phonechoice.h"
#include "shell/program.h"
#include "cli/cliuserinterface.h"
#include "cli/serialcommand.h"
#include "cli/showexport.h"
#include "cli/terminationsignals.h"
#include "core/clock.h"
#include "core/codepage.h"
#include "import/importfile.h"
#include "core/programfolder.h"
#include "core/programerror.h"
#include "phonesim/cable.h"
#include "realphone/gammuchoice.h"
#include "phonesim/demophone.h"
#include "phonesim/phoneimage.h"
#include "phonesim/phoneobex.h"
#include "phonesim/simphonemonitor.h"
#include "categories/categorytable.h"
#include "runs/backuprun.h"
#include "statuslog/mainview.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <csignal>
#include <cstdlib>

namespace cli {

namespace {

const char* const kUsage =
    "usage:\n"
    "  cellarchive-cli phone init IMAGE [--model CODE] [--blank] [--overwrite]\n"
    "  cellarchive-cli phone obex-server IMAGE\n"
    "  cellarchive-cli phone serial IMAGE [--link PATH]\n"
    "  cellarchive-cli phone unplug IMAGE | phone plug IMAGE\n"
    "  cellarchive-cli backup [PHONE] FILE [--phone PHONE] [--categories LIST] [--overwrite]\n"
    "  cellarchive-cli restore [PHONE] FILE [--phone PHONE] [--categories LIST] [--dry-run]\n"
    "                          [--master-reset LOCKCODE]\n"
    "  cellarchive-cli import FILE... --to NEW.MS [--overwrite]\n"
    "  cellarchive-cli show FILE [--section NAME] [--show-passwords]\n"
    "  cellarchive-cli export FILE --to FOLDER [--overwrite] [--timezone ZONE] [--vcard 2.1|3.0]\n"
    "  cellarchive-cli --help | --version\n"
    "PHONE is gammu, gammu:N, gammu:PATH or gammu:PATH:N: a real phone, described in section N\n"
    "(default 0) of the gammu configuration PATH (default: where gammu looks); or the path of\n"
    "a phone image. Without it: $CELLARCHIVE_PHONE, else section 0 of the gammu configuration\n"
    "when there is one; without any of them backup and restore end with status 1 (the demo\n"
    "phone: phone init demo.json, then --phone demo.json).\n";

const char* const kHelp =
    "\n"
    "Backs up and restores a phone, real (through libgammu) or simulated (a phone image,\n"
    "IMAGE, a JSON file), with the same runs as the Cellarchive window.\n"
    "\n"
    "  phone init IMAGE        writes the demo phone (model BVT610) into IMAGE; --model CODE\n"
    "                          gives it another model, --blank makes it a phone of that model\n"
    "                          in factory state (no contacts, calendar, messages, bookmarks or\n"
    "                          data accounts; the model's factory settings). An existing\n"
    "                          IMAGE is replaced, and its journal deleted, only with\n"
    "                          --overwrite\n"
    "  phone obex-server IMAGE serves the phone's OBEX (IrMC) server on standard input and\n"
    "                          output, for an independent IrMC client\n"
    "  phone serial IMAGE      serves the phone as an AT modem on a serial line (a\n"
    "                          pseudo-terminal) until SIGINT or SIGTERM; prints the device\n"
    "                          first, --link PATH makes PATH a link to it\n"
    "  phone unplug IMAGE      pulls the phone's cable: a program using IMAGE (the window\n"
    "                          too) loses the phone at once, and no run finds it until\n"
    "  phone plug IMAGE        puts the cable back\n"
    "  backup PHONE FILE       backs the phone up into the backup file FILE (extension .MS,\n"
    "                          added when missing). LIST is comma-separated from phonebook,\n"
    "                          calendar, sms, dataaccounts, wap, bookmarks, profiles, locks,\n"
    "                          time, shortcuts, in any case; the default is every category\n"
    "                          the phone has. An existing FILE is replaced only with\n"
    "                          --overwrite.\n"
    "  restore PHONE FILE      writes every section of FILE back into the phone;\n"
    "                          --master-reset LOCKCODE resets the phone to its factory\n"
    "                          settings first, with the phone lock code LOCKCODE. FILE may\n"
    "                          also be any file import reads, imported on the way.\n"
    "                          --categories LIST writes only those categories (not with\n"
    "                          --master-reset); --dry-run reads the phone's contacts,\n"
    "                          calendar and messages and tells per category what a restore\n"
    "                          would write, writing nothing\n"
    "  import FILE... --to NEW.MS\n"
    "                          makes the backup file NEW.MS of vCard (2.1, 3.0, 4.0),\n"
    "                          iCalendar or vCalendar files, the SMS XML that export writes\n"
    "                          (times in this computer's zone) and gammu's backups (gammu\n"
    "                          backup, gammu backupsms); what a backup cannot hold is named\n"
    "                          and counted. A file of no entry is refused. An existing\n"
    "                          NEW.MS is replaced only with --overwrite\n"
    "  show FILE               lists what the backup file FILE holds, section by section,\n"
    "                          without a phone; --section NAME lists one section (its name\n"
    "                          in the file or a category of LIST); passwords show as ***\n"
    "                          unless --show-passwords is given\n"
    "  export FILE --to FOLDER writes the contacts (contacts.vcf), the calendar\n"
    "                          (calendar.ics) and the messages (messages.xml for Android\n"
    "                          SMS backup apps, messages.txt) of FILE into FOLDER, owner-only;\n"
    "                          existing files are replaced only with --overwrite. The phone's\n"
    "                          times stay floating in calendar.ics unless --timezone ZONE\n"
    "                          names their zone; --vcard 2.1 writes the cards for old phones\n"
    "                          (the default is vCard 3.0)\n"
    "\n"
    "Every status line goes to standard output as the window shows it, oldest first; log\n"
    "lines go to the day's log file, as in the window.\n"
    "Exit status:\n"
    "  0  the run reached its normal end and every item was read or written\n"
    "  1  the run ended early or failed (no phone, a lost phone, stopped by Ctrl+C, a\n"
    "     refused master reset, an unreadable or unwritable file)\n"
    "  2  usage error\n"
    "  3  the run reached its end, but some items were not read or not written, a\n"
    "     category asked for is not supported by the phone, or a restore left entries\n"
    "     on the phone only in part (a contact as name and number only, a message\n"
    "     without its time zone); the last status lines name each such category, the\n"
    "     log names each item\n";

int usage(QTextStream& err, const QString& problem = QString())
{
    if (!problem.isEmpty())
        err << "cellarchive-cli: " << problem << "\n";
    err << kUsage;
    err.flush();
    return 2;
}

// Splits arguments into positional ones and "--name value" / "--flag" options.
struct Parsed
{
    QStringList positional;
    QMap<QString, QString> options;
};

bool parse(const QStringList& arguments, const QStringList& valued, const QStringList& flags,
           Parsed& parsed, QString& problem)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (!argument.startsWith(QLatin1String("--"))) {
            parsed.positional << argument;
            continue;
        }
        const QString name = argument.mid(2);
        if (flags.contains(name)) {
            parsed.options.insert(name, QString());
        } else if (valued.contains(name)) {
            if (i + 1 >= arguments.size()) {
                problem = QStringLiteral("option %1 needs a value").arg(argument);
                return false;
            }
            parsed.options.insert(name, arguments.at(++i));
        } else {
            problem = QStringLiteral("unknown option %1").arg(argument);
            return false;
        }
    }
    return true;
}

int phoneInit(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    Parsed parsed;
    QString problem;
    if (!parse(arguments, {QStringLiteral("model")},
               {QStringLiteral("blank"), QStringLiteral("overwrite")}, parsed, problem))
        return usage(err, problem);
    if (parsed.positional.size() != 1)
        return usage(err, QStringLiteral("phone init needs exactly one IMAGE"));
    const QString model = parsed.options.value(QStringLiteral("model"), QStringLiteral("BVT610"));
    if (model.trimmed().isEmpty())
        return usage(err, QStringLiteral("--model needs a model code"));
    QJsonObject root;
    if (parsed.options.contains(QStringLiteral("blank"))) {
        root = phonesim::blankPhone(model);
    } else {
        root = phonesim::demoPhone();
        QJsonObject identity = root.value(phonesim::PhoneImage::IdentityKey).toObject();
        identity.insert(QStringLiteral("model"), model);
        root.insert(phonesim::PhoneImage::IdentityKey, identity);
    }
    QString error;
    auto image = phonesim::PhoneImage::fromJson(root, error);
    const auto existing = parsed.options.contains(QStringLiteral("overwrite"))
                              ? phonesim::PhoneImage::Existing::Replace
                              : phonesim::PhoneImage::Existing::Keep;
    if (!image || !image->saveAs(parsed.positional.first(), error, existing)) {
        if (existing == phonesim::PhoneImage::Existing::Keep &&
            QFileInfo::exists(parsed.positional.first()))
            error += QStringLiteral(" (--overwrite replaces it)");
        err << "cellarchive-cli: " << error << "\n";
        return 1;
    }
    out << "Phone image written: " << parsed.positional.first() << "\n";
    return 0;
}

// The phone's IrMC OBEX server on standard input and output, for an OBEX client of its own;
// nothing else may be written to standard output.
int phoneCable(const QStringList& arguments, bool unplug, QTextStream& out, QTextStream& err)
{
    if (arguments.size() != 1)
        return usage(err, QStringLiteral("phone plug and phone unplug need exactly one IMAGE"));
    QString error;
    if (!phonesim::setUnpluggedByUser(arguments.first(), unplug, error)) {
        err << "cellarchive-cli: " << error << "\n";
        return 1;
    }
    out << (unplug ? "Phone unplugged: " : "Phone plugged in: ") << arguments.first() << "\n";
    return 0;
}

int phoneObexServer(const QStringList& arguments, QTextStream& err)
{
    if (arguments.size() != 1 || arguments.first().startsWith(QLatin1String("--")))
        return usage(err, QStringLiteral("phone obex-server needs exactly one IMAGE"));
    QString error;
    auto image = phonesim::PhoneImage::load(arguments.first(), error);
    if (!image) {
        err << "cellarchive-cli: " << error << "\n";
        err.flush();
        return 1;
    }
    return phonesim::serveObex(image, 0, 1);
}

// One run of the program on a phone, reporting status lines as they come.
class HeadlessProgram
{
public:
    HeadlessProgram(const phonechoice::PhoneInUse& phone, const QString& file, bool overwrite,
                    const QString& lockCode, QTextStream& out)
        : m_ui(file, overwrite, lockCode), m_phone(phone),
          m_program(ProgramEnvironment{m_clock, m_wallClock, m_ui, m_view,
                                       [this](QObject* parent) { return createMonitor(parent); },
                                       programLogFolder(), programDataFolder()})
    {
        QObject::connect(&m_program.log(), &StatusLog::statusLineAdded, &m_program,
                         [this, &out](const QString& line) {
                             m_ui.clearProgressLine();
                             out << line << "\n";
                             out.flush();
                         });
    }

    PlainMainView& view() { return m_view; }
    Program& program() { return m_program; }
    CliUserInterface& ui() { return m_ui; }
    const QString& loadError() const { return m_loadError; }
    // Folds a simulated phone's journal into its image, for a process that ends at once.
    void closeImage()
    {
        if (m_image)
            m_image->close();
    }

private:
    PhoneMonitor* createMonitor(QObject* parent)
    {
        phonechoice::MonitorOptions options;
        // The run starts only once the first connection attempt is over.
        options.waitForFirstAttempt = true;
        options.problem = &m_loadError;
        options.image = &m_image;
        options.createMissingImage = m_phone.demo;
        // The cable pulled by `phone unplug`: no phone is there.
        options.sim.connectedAtCreation =
            phonechoice::isGammu(m_phone.phoneText) || !phonesim::isUnpluggedByUser(m_phone.phoneText);
        return phonechoice::createMonitor(m_phone, m_clock, parent, options);
    }

    SystemMonotonicClock m_clock;
    SystemWallClock m_wallClock;
    PlainMainView m_view;
    CliUserInterface m_ui;
    phonechoice::PhoneInUse m_phone;
    QString m_loadError;
    std::shared_ptr<phonesim::PhoneImage> m_image;
    Program m_program;
};

int finish(RunOutcome outcome, HeadlessProgram& headless, QTextStream& err)
{
    const int status = exitStatusOf(outcome);
    if (status == 0)
        return 0;
    err << (outcome == RunOutcome::Incomplete
                ? "cellarchive-cli: the run ended, but not everything was read or written whole; "
                : "cellarchive-cli: the run did not complete; ")
        << "see the lines above and the log " << headless.program().log().LogFile() << "\n";
    return status;
}

int startProgram(HeadlessProgram& headless, QTextStream& err)
{
    headless.program().Form_Load();
    if (!headless.program().link().bPhoneConnected) {
        err << "cellarchive-cli: no phone: "
            << (headless.loadError().isEmpty() ? QStringLiteral("the phone is not connected")
                                               : headless.loadError())
            << "\n";
        return 1;
    }
    return 0;
}

// The phone of a backup or restore: PHONE before FILE, else --phone, else as the window
// chooses it. False (a usage error) for a phone given twice or a wrong number of arguments.
bool phoneAndFile(const Parsed& parsed, phonechoice::PhoneInUse& phone, QString& file)
{
    const QStringList& positional = parsed.positional;
    if (positional.isEmpty() || positional.size() > 2 ||
        (positional.size() == 2 && parsed.options.contains(QStringLiteral("phone"))))
        return false;
    file = positional.last();
    const QString given = positional.size() == 2 ? positional.first()
                                                 : parsed.options.value(QStringLiteral("phone"));
    phone = phonechoice::choose(given, qEnvironmentVariable("CELLARCHIVE_PHONE"),
                                phonesim::demoImagePath());
    return true;
}

// The boxes of a --categories list; false with the problem for an empty list or an unknown
// name.
bool categoryBoxes(const QString& list, QList<MainView::Box>& boxes, QString& problem)
{
    const QStringList names = list.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        const categorytable::Row* row = categorytable::rowOfCliName(name.trimmed());
        if (!row) {
            problem = QStringLiteral("unknown category %1").arg(name.trimmed());
            return false;
        }
        boxes << row->box;
    }
    if (boxes.isEmpty()) {
        problem = QStringLiteral("--categories needs at least one category");
        return false;
    }
    return true;
}

// Ctrl-C or SIGTERM during a run ends it as the window's close does: after the category in
// progress, with its closing lines and the old backup kept. A second one ends the process at
// once: the run leaves its files as a stopped run does and shows the closing lines it can,
// without waiting for the phone (a libgammu call may take its whole timeout).
void stopOnSignal(TerminationSignals& signals, HeadlessProgram& headless, QTextStream& out,
                  QTextStream& err)
{
    Program& program = headless.program();
    QObject::connect(&signals, &TerminationSignals::received, &program,
                     [&signals, &program, &headless, &out, &err](int signalNumber) {
        // Before or after the run nothing is at stake: the signal ends the process as usual.
        if (!program.runInProgress()) {
            signals.release();
            raise(signalNumber);
            return;
        }
        headless.ui().clearProgressLine();
        if (program.stopRequested()) {
            err << "cellarchive-cli: stopping at once\n";
            err.flush();
            program.abandonRun();
            headless.closeImage();
            out.flush();
            err << "cellarchive-cli: the run did not complete; see the lines above and the log "
                << program.log().LogFile() << "\n";
            err.flush();
            std::_Exit(1);
        }
        err << "cellarchive-cli: stopping after the category in progress (again to quit at "
               "once)\n";
        err.flush();
        program.requestStop();
    });
}

// A script that names no phone must not back up the demo phone and believe it has a backup.
int noPhoneChosen(QTextStream& err)
{
    err << "cellarchive-cli: no phone chosen: give PHONE, --phone PHONE or CELLARCHIVE_PHONE, or "
           "describe the phone in a gammu configuration (gammu looks for "
        << gammu::configurationCandidates().join(QStringLiteral(", "))
        << "). To try the demo phone: cellarchive-cli phone init demo.json, then --phone "
           "demo.json\n";
    err.flush();
    return 1;
}

int backup(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    Parsed parsed;
    QString problem;
    if (!parse(arguments, {QStringLiteral("categories"), QStringLiteral("phone")},
               {QStringLiteral("overwrite")}, parsed, problem))
        return usage(err, problem);
    phonechoice::PhoneInUse phone;
    QString file;
    if (!phoneAndFile(parsed, phone, file))
        return usage(err, QStringLiteral("backup needs FILE, and PHONE once at most"));
    if (phone.demo)
        return noPhoneChosen(err);
    const bool chosen = parsed.options.contains(QStringLiteral("categories"));
    QList<MainView::Box> ticked;
    if (chosen &&
        !categoryBoxes(parsed.options.value(QStringLiteral("categories")), ticked, problem))
        return usage(err, problem);
    TerminationSignals signals;
    HeadlessProgram headless(phone, file, parsed.options.contains(QStringLiteral("overwrite")),
                             QString(), out);
    stopOnSignal(signals, headless, out, err);
    if (const int code = startProgram(headless, err))
        return code;
    if (chosen) {
        // Asked for by name: a category the phone has not got is named in the closing lines.
        for (MainView::Box box : ticked)
            headless.view().setTicked(box, true);
    } else {
        // The default is what the phone has: the boxes the connection left enabled.
        for (const categorytable::Row& row : categorytable::rows())
            headless.view().setTicked(row.box, headless.view().isBoxEnabled(row.box));
    }
    const RunOutcome outcome = headless.program().cmdBackup_Click(chosen);
    if (headless.ui().declinedReplacement()) {
        err << "cellarchive-cli: " << headless.program().file().sBackUpFIleName
            << " exists; nothing was written (use --overwrite to replace it)\n";
        err.flush();
        return 1;
    }
    return finish(outcome, headless, err);
}

int restore(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    Parsed parsed;
    QString problem;
    if (!parse(arguments,
               {QStringLiteral("master-reset"), QStringLiteral("phone"),
                QStringLiteral("categories")},
               {QStringLiteral("dry-run")}, parsed, problem))
        return usage(err, problem);
    phonechoice::PhoneInUse phone;
    QString file;
    if (!phoneAndFile(parsed, phone, file))
        return usage(err, QStringLiteral("restore needs FILE, and PHONE once at most"));
    if (phone.demo)
        return noPhoneChosen(err);
    const bool reset = parsed.options.contains(QStringLiteral("master-reset"));
    const QString lockCode = parsed.options.value(QStringLiteral("master-reset"));
    if (reset && lockCode.isEmpty())
        return usage(err, QStringLiteral("--master-reset needs the phone lock code"));
    RestoreRun::Choice choice;
    choice.dryRun = parsed.options.contains(QStringLiteral("dry-run"));
    if (parsed.options.contains(QStringLiteral("categories"))) {
        // A reset wipes every category; restoring only some would lose the others.
        if (reset)
            return usage(err, QStringLiteral("--categories cannot go with --master-reset: it "
                                             "would erase the phone and restore only part of it"));
        QList<MainView::Box> boxes;
        if (!categoryBoxes(parsed.options.value(QStringLiteral("categories")), boxes, problem))
            return usage(err, problem);
        for (const MainView::Box box : std::as_const(boxes))
            choice.categories << categorytable::rowOfBox(box)->category;
    }
    TerminationSignals signals;
    HeadlessProgram headless(phone, file, false, lockCode, out);
    stopOnSignal(signals, headless, out, err);
    if (const int code = startProgram(headless, err))
        return code;
    headless.view().setTicked(MainView::Box::MasterReset, reset);
    return finish(headless.program().cmdRestore_Click(choice), headless, err);
}

// Makes one backup file of contacts, calendars and messages of other programs.
int importFiles(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    Parsed parsed;
    QString problem;
    if (!parse(arguments, {QStringLiteral("to")}, {QStringLiteral("overwrite")}, parsed, problem))
        return usage(err, problem);
    const QString target = parsed.options.value(QStringLiteral("to"));
    if (parsed.positional.isEmpty() || target.isEmpty())
        return usage(err, QStringLiteral("import needs FILE and --to NEW.MS"));
    importing::Import import;
    for (const QString& path : std::as_const(parsed.positional)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            err << "cellarchive-cli: " << path << " cannot be read: " << file.errorString() << "\n";
            return 1;
        }
        QString error;
        if (!import.add(file.readAll(), error)) {
            err << "cellarchive-cli: " << path << " cannot be imported: " << error << "\n";
            return 1;
        }
    }
    if (!parsed.options.contains(QStringLiteral("overwrite")) && QFileInfo::exists(target)) {
        err << "cellarchive-cli: " << target << " exists; nothing was written (use --overwrite "
            << "to replace it)\n";
        return 1;
    }
    QSaveFile file(target);
    const QByteArray bytes = codepage::encode(
        import.backupLines().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    // A backup holds private data: it is the owner's alone.
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        err << "cellarchive-cli: " << target << " cannot be written: " << file.errorString() << "\n";
        return 1;
    }
    out << QStringLiteral("Imported into %1: %2 contacts, %3 calendar entries, %4 messages\n")
               .arg(target)
               .arg(import.contacts())
               .arg(import.calendarEntries())
               .arg(import.messages());
    for (const QString& line : import.lossLines())
        out << line << "\n";
    out.flush();
    if (import.whole())
        return 0;
    err << "cellarchive-cli: the backup holds not everything of the files; see the lines above\n";
    return 3;
}

} // namespace

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        out << kUsage << kHelp;
        out.flush();
        return 0;
    }
    if (arguments.contains(QLatin1String("--version"))) {
        out << "cellarchive-cli " << CELLARCHIVE_VERSION << "\n";
        out.flush();
        return 0;
    }
    if (arguments.size() >= 2 && arguments.at(0) == QLatin1String("phone") &&
        arguments.at(1) == QLatin1String("init"))
        return phoneInit(arguments.mid(2), out, err);
    if (arguments.size() >= 2 && arguments.at(0) == QLatin1String("phone") &&
        arguments.at(1) == QLatin1String("obex-server"))
        return phoneObexServer(arguments.mid(2), err);
    if (arguments.size() >= 2 && arguments.at(0) == QLatin1String("phone") &&
        arguments.at(1) == QLatin1String("serial"))
        return phoneSerial(arguments.mid(2), out, err);
    if (arguments.size() >= 2 && arguments.at(0) == QLatin1String("phone") &&
        (arguments.at(1) == QLatin1String("plug") || arguments.at(1) == QLatin1String("unplug")))
        return phoneCable(arguments.mid(2), arguments.at(1) == QLatin1String("unplug"), out, err);
    if (!arguments.isEmpty() && arguments.at(0) == QLatin1String("backup"))
        return backup(arguments.mid(1), out, err);
    if (!arguments.isEmpty() && arguments.at(0) == QLatin1String("restore"))
        return restore(arguments.mid(1), out, err);
    if (!arguments.isEmpty() && arguments.at(0) == QLatin1String("import"))
        return importFiles(arguments.mid(1), out, err);
    if (!arguments.isEmpty() && arguments.at(0) == QLatin1String("show"))
        return show(arguments.mid(1), out, err);
    if (!arguments.isEmpty() && arguments.at(0) == QLatin1String("export"))
        return exportBackup(arguments.mid(1), out, err);
    return usage(err, arguments.isEmpty() ? QString()
                                          : QStringLiteral("unknown command %1")
                                                .arg(arguments.join(QLatin1Char(' '))));
}

} // namespace cli
