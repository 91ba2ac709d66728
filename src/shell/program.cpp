#include "shell/program.h"

#include "import/importfile.h"

#include <QFile>

#include "statuslog/mainview.h"
#include "core/clock.h"
#include "core/programerror.h"
#include "core/userinterface.h"

#include <exception>

Program::Program(const ProgramEnvironment& env, QObject* parent)
    : QObject(parent), m_env(env), m_log(env.wallClock), m_channel(m_link, m_log, env.clock),
      m_connection(m_link, m_log, env.view), m_file(m_log, env.clock, m_link),
      m_selection(env.ui, m_log, env.clock), m_obex(m_link, m_log, env.clock),
      m_services{m_link, m_channel, m_log, m_file, env.clock, env.ui},
      m_categories(m_services, m_obex),
      m_masterReset(m_services, m_obex, env.view),
      m_backupRun(m_services, m_selection, env.view, m_categories),
      m_restoreRun(m_services, m_selection, env.view, m_masterReset,
                   m_categories)
{
    m_categories.registerReaders(m_file);
    // Contacts, calendars and messages of other programs restore as the backup made of them
    // would.
    m_file.convertForeign = [](QByteArray& bytes, QStringList& notes) {
        QByteArray backup;
        QString error;
        if (importing::convert(bytes, backup, notes, error))
            bytes = backup;
        else if (!error.isEmpty())
            notes << QStringLiteral("The file cannot be imported -> ") + error;
    };
    m_selection.readsAsIs = [](const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const importing::Kind kind = importing::kindOf(file.read(4096));
        return kind != importing::Kind::Unknown && kind != importing::Kind::Backup;
    };
    m_selection.readableFilter = QStringLiteral(
        "Contacts, calendars, messages (*.vcf *.vcard *.ics *.vcs *.xml *.backup *.smsbackup "
        "*.ldif *.lmb)");
    // A killed backup may have left the phone in another profile: the next run's first
    // command to the phone puts it back.
    m_categories.profiles.walkNoteFolder = env.fallbackFolder;
    m_backupRun.GetAlternateLineSupport = [this] {
        m_categories.profiles.putBackAfterCutWalk();
        m_categories.profiles.GetAlternateLineSupport();
    };
    m_backupRun.stopRequested = [this] { return m_stopRequested; };
    m_restoreRun.GetAlternateLineSupport = [this] {
        m_categories.profiles.putBackAfterCutWalk();
        m_categories.profiles.GetAlternateLineSupport();
    };
    m_restoreRun.stopRequested = [this] { return m_stopRequested; };
    m_restoreRun.closeObex = [this] {
        if (m_link.m_objObex)
            m_obex.ObexDisconnect();
    };
}

Program::~Program() = default;

QString Program::versionText()
{
    return QStringLiteral("Version ") + QLatin1String(CELLARCHIVE_VERSION);
}

void Program::Form_Load()
{
    m_log.InitLog(m_env.programFolder, m_env.fallbackFolder);
    m_log.WriteLog(QStringLiteral("Application Started"));
    m_log.WriteLog(versionText());
    try {
        m_connection.EnableBackupRestore(false);
        m_log.WriteLog(QStringLiteral("0"));
        if (!m_env.createPhoneMonitor)
            throw ProgramError(429, QStringLiteral("Cellarchive"),
                               QStringLiteral("ActiveX component can't create object"));
        PhoneMonitor* monitor = m_env.createPhoneMonitor(this);
        if (!monitor)
            throw ProgramError(429, QStringLiteral("Cellarchive"),
                               QStringLiteral("ActiveX component can't create object"));
        m_link.m_objPhoneMonitor = monitor;
        connect(monitor, &PhoneMonitor::OnNotifyCellPhoneConnected, this,
                [this](qint32 bConnected, CellPhone* phone) {
                    m_connection.m_objPhoneMonitor_OnNotifyCellPhoneConnected(bConnected, phone);
                });
        m_log.WriteLog(QStringLiteral("1"));
        CellPhone* phone = FindConnectedPhone();
        m_log.WriteLog(QStringLiteral("2"));
        if (phone) {
            m_log.WriteLog(QStringLiteral("3"));
            m_link.m_objTextMessage = phone->TextMessage();
            // The phone found at start-up is adopted as the connection event would adopt it,
            // so Backup is never offered without a current phone.
            m_link.m_objCellPhone = phone;
            m_link.bPhoneConnected = true;
            m_log.WriteLog(QStringLiteral("4"));
            m_connection.UpdateConnectionStatus();
            m_log.WriteLog(QStringLiteral("5"));
            m_connection.EnableBackupRestore(m_link.bPhoneConnected);
            m_log.WriteLog(QStringLiteral("6"));
        }
        m_log.WriteLog(QStringLiteral("Form Loaded"));
    } catch (const ProgramError& error) {
        m_log.WriteLog(QStringLiteral("Error in Load Form"));
        m_log.LogErrorDetails(error);
    } catch (const std::exception& error) {
        m_log.WriteLog(QStringLiteral("Error in Load Form"));
        m_log.LogErrorDetails(QString::fromStdString(error.what()), -1, QStringLiteral("Cellarchive"));
    }
}

CellPhone* Program::FindConnectedPhone()
{
    if (!m_link.m_objPhoneMonitor)
        return nullptr;
    for (CellPhone* phone : m_link.m_objPhoneMonitor->CellPhones()) {
        if (phone && phone->IsConnected())
            return phone;
    }
    return nullptr;
}

void Program::cmdClear_Click()
{
    m_log.clearStatus();
}

namespace {

// Marks a run as in progress for its duration; the buttons stay disabled meanwhile.
class RunGuard
{
public:
    RunGuard(bool& flag, Connection& connection) : m_flag(flag), m_connection(connection)
    {
        m_flag = true;
        m_connection.setRunInProgress(true);
    }
    ~RunGuard()
    {
        m_flag = false;
        m_connection.setRunInProgress(false);
    }

private:
    bool& m_flag;
    Connection& m_connection;
};

} // namespace

RunOutcome Program::cmdBackup_Click(bool namedCategories)
{
    if (m_runInProgress)
        return RunOutcome::Ended;
    RunGuard guard(m_runInProgress, m_connection);
    m_stopRequested = false;
    m_backupInProgress = true;
    m_log.startRun();
    const RunOutcome outcome = m_backupRun.cmdBackup_Click(namedCategories);
    m_backupInProgress = false;
    m_env.ui.progress(QString());
    return outcome;
}

RunOutcome Program::cmdRestore_Click(const RestoreRun::Choice& choice)
{
    if (m_runInProgress)
        return RunOutcome::Ended;
    RunGuard guard(m_runInProgress, m_connection);
    m_stopRequested = false;
    m_log.startRun();
    const RunOutcome outcome = m_restoreRun.cmdRestore_Click(choice);
    m_env.ui.progress(QString());
    return outcome;
}

void Program::requestStop()
{
    if (!m_runInProgress || m_stopRequested)
        return;
    m_stopRequested = true;
    m_log.WriteLog(QStringLiteral("Stop of the run requested by the user"));
}

void Program::abandonRun()
{
    if (!m_runInProgress)
        return;
    m_log.WriteLog(QStringLiteral("The run ended at once by the user"));
    if (m_backupInProgress)
        m_backupRun.abandon();
    else
        m_restoreRun.abandon();
    m_env.ui.progress(QString());
}

void Program::chkMasterReset_Click()
{
    m_masterReset.chkMasterReset_Click();
}
