#pragma once

#include "shell/connection.h"
#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/fileselection.h"
#include "categories/categoryservices.h"
#include "phone/commandchannel.h"
#include "phone/obextransfer.h"
#include "phone/phonelink.h"
#include "runs/backuprun.h"
#include "categories/categories.h"
#include "runs/masterreset.h"
#include "runs/restorerun.h"

#include <QObject>
#include <functional>

class MonotonicClock;
class WallClock;
class UserInterface;
class MainView;
class PhoneMonitor;

// What the program is started with: its clocks, its user interface, and how it reaches the
// phone monitor components.
struct ProgramEnvironment
{
    MonotonicClock& clock;
    WallClock& wallClock;
    UserInterface& ui;
    MainView& view;
    // Creates the phone monitor worker; throws ProgramError when it cannot be created.
    std::function<PhoneMonitor*(QObject* parent)> createPhoneMonitor;
    // The folder of the program, where the log folder goes (empty for an installed program),
    // and the user's data folder, used when there is none or it cannot be written.
    QString programFolder;
    QString fallbackFolder;
};

// The program-wide state and the operations that the main window starts. One instance lives
// as long as the process; each test creates its own.
class Program : public QObject
{
    Q_OBJECT
public:
    explicit Program(const ProgramEnvironment& env, QObject* parent = nullptr);
    ~Program() override;

    static QString versionText();

    // Start-up: prepares the log, creates the worker and looks for a connected phone.
    void Form_Load();
    CellPhone* FindConnectedPhone();
    void cmdClear_Click();
    // The two runs and the master reset request. A run started while another one waits for
    // the phone is refused: both share the program's lists and the command channel.
    // See BackupRun::cmdBackup_Click.
    RunOutcome cmdBackup_Click(bool namedCategories = true);
    RunOutcome cmdRestore_Click(const RestoreRun::Choice& choice = {});
    void chkMasterReset_Click();
    bool runInProgress() const { return m_runInProgress; }
    bool stopRequested() const { return m_stopRequested; }
    // Asks the run in progress to end at its next step, as an interrupted run ends.
    void requestStop();
    // Ends the run in progress at once, for a process that exits right after: leaves its
    // files as a stopped run leaves them and shows its closing lines.
    void abandonRun();

    StatusLog& log() { return m_log; }
    PhoneLink& link() { return m_link; }
    CommandChannel& channel() { return m_channel; }
    Connection& connection() { return m_connection; }
    BackupFile& file() { return m_file; }
    FileSelection& fileSelection() { return m_selection; }
    ObexTransfer& obex() { return m_obex; }
    CategoryServices& services() { return m_services; }
    Categories& categories() { return m_categories; }
    MasterReset& masterReset() { return m_masterReset; }
    MainView& view() { return m_env.view; }
    UserInterface& ui() { return m_env.ui; }
    MonotonicClock& clock() { return m_env.clock; }
    const ProgramEnvironment& environment() const { return m_env; }

private:
    ProgramEnvironment m_env;
    StatusLog m_log;
    PhoneLink m_link;
    CommandChannel m_channel;
    Connection m_connection;
    BackupFile m_file;
    FileSelection m_selection;
    ObexTransfer m_obex;
    CategoryServices m_services;
    Categories m_categories;
    MasterReset m_masterReset;
    BackupRun m_backupRun;
    RestoreRun m_restoreRun;
    bool m_runInProgress = false;
    bool m_backupInProgress = false;
    bool m_stopRequested = false;
};
