#include "app/frmmain.h"
#include "shell/program.h"
#include "appfakes.h"
#include "categories/categorytable.h"
#include "fakeclock.h"
#include "modaldialogs.h"
#include "phonesim/demophone.h"
#include "phonesim/faults.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simphonemonitor.h"
#include "scriptedui.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <gtest/gtest.h>

using Box = MainView::Box;
using Button = MainView::Button;

namespace {

// The window on a fake phone monitor; the layout itself is left to a look at the window.
class FrmMainTest : public ::testing::Test
{
protected:
    void open(QList<CellPhone*> phones = {})
    {
        start([this, phones](QObject* parent) {
            monitor = new FakePhoneMonitor(parent);
            monitor->phones = phones;
            return monitor;
        });
        window->setExitHandler([this] { ++exits; });
    }

    // As main starts it: the window, then the program with the window as its view.
    void start(std::function<PhoneMonitor*(QObject*)> createMonitor)
    {
        program.reset();
        window = std::make_unique<frmMain>();
        program = std::make_unique<Program>(
            ProgramEnvironment{clock, wall, ui, *window, std::move(createMonitor), dir.path(), QString()});
        window->attach(*program);
    }

    template <typename T> T* find(const char* name)
    {
        T* widget = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QString statusText() { return find<QPlainTextEdit>("txtStatus")->toPlainText(); }
    QStringList logged() { return logTexts(window->program().log().LogFile()); }

    QTemporaryDir dir;
    FakeClock clock;
    FakeWallClock wall;
    ScriptedUi ui;
    FakePhoneMonitor* monitor = nullptr;
    std::unique_ptr<frmMain> window;
    std::unique_ptr<Program> program;
    int exits = 0;
};

} // namespace

// Each box, button and label of the main view is the widget of that name, and nothing else.
TEST_F(FrmMainTest, MainViewReachesTheRightWidgets)
{
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Cellarchive"));
    EXPECT_EQ(window->size(), QSize(452, 428));
    QStringList captions;
    for (const QAbstractButton* control : window->findChildren<QAbstractButton*>())
        captions << control->objectName() + QLatin1Char('=') + control->text();
    for (const QGroupBox* frame : window->findChildren<QGroupBox*>())
        captions << frame->objectName() + QLatin1Char('=') + frame->title();
    for (int i = 1; i <= 4; ++i)
        captions << find<QLabel>(QStringLiteral("Label%1").arg(i).toLatin1().constData())->text();
    captions.sort();
    EXPECT_EQ(captions.join(QLatin1Char(',')),
              QStringLiteral("ID,Model,Phone Name,Sw Version,chkBookmark=Bookmarks,chkCal=Calendar,chkCustomMenu=My Shortcuts,"
                             "chkDataAccount=Data Account,chkLock=Locks,chkMasterReset=Master reset "
                             "before restore,chkPassword=Ask for passwords,chkPb=Phonebook,"
                             "chkProfiles=Profiles,chkSMS=SMS,chkTime=Time,chkWAP=WAP Profiles,"
                             "cmdAbout=About,cmdBackup=Backup,cmdClear=Clear,cmdExit=Exit,"
                             "cmdRestore=Restore,fraPhoneInfo=Phone Info,fraSettings=Settings,"
                             "fraStatus=Status,fraUserData=User Data"));
    // Without a phone at start-up Backup and Restore wait for one; the bottom row is off.
    EXPECT_FALSE(find<QPushButton>("cmdBackup")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("cmdRestore")->isEnabled());
    EXPECT_FALSE(find<QCheckBox>("chkMasterReset")->isEnabled());
    EXPECT_TRUE(find<QCheckBox>("chkCustomMenu")->isEnabled());

    MainView& view = *window;
    view.setTicked(Box::Time, true);
    EXPECT_EQ(find<QCheckBox>("chkTime")->checkState(), Qt::Checked);
    find<QCheckBox>("chkSMS")->setTristate(true);
    find<QCheckBox>("chkSMS")->setCheckState(Qt::PartiallyChecked);
    EXPECT_FALSE(view.isTicked(Box::SMS));
    find<QCheckBox>("chkLock")->setChecked(true);
    EXPECT_TRUE(view.isTicked(Box::Lock));
    EXPECT_FALSE(view.isTicked(Box::Pb));
    view.setBoxEnabled(Box::Cal, false);
    EXPECT_FALSE(find<QCheckBox>("chkCal")->isEnabled());
    view.setButtonEnabled(Button::Restore, true);
    EXPECT_TRUE(find<QPushButton>("cmdRestore")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("cmdBackup")->isEnabled());
    view.setButtonCaption(Button::Backup, QStringLiteral("Cancel"));
    EXPECT_EQ(find<QPushButton>("cmdBackup")->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(find<QPushButton>("cmdRestore")->text(), QStringLiteral("Restore"));
    view.setPhoneInfo(2, QStringLiteral("BVT68"));
    EXPECT_EQ(find<QLabel>("lblPhoneInfo2")->text(), QStringLiteral("BVT68"));
    EXPECT_EQ(view.phoneInfo(2), QStringLiteral("BVT68"));
    // Each category's box is the one its row names, in the frame of its kind.
    for (const categorytable::Row& row : categorytable::rows()) {
        QCheckBox* box = find<QCheckBox>(row.boxName);
        ASSERT_NE(box, nullptr);
        view.setTicked(row.box, !view.isTicked(row.box));
        EXPECT_EQ(box->isChecked(), view.isTicked(row.box)) << row.boxName;
        EXPECT_EQ(box->parent()->objectName(),
                  categorytable::isUserData(row) ? QStringLiteral("fraUserData") : QStringLiteral("fraSettings"))
            << row.boxName;
    }
}

TEST_F(FrmMainTest, StatusBoxKeepsEveryLineNewestOnTopAndTheReadersPlace)
{
    open();
    window->show();
    auto* status = find<QPlainTextEdit>("txtStatus");
    StatusLog& log = window->program().log();
    log.clearStatus();
    for (int i = 1; i <= 300; ++i)
        log.UpdateStat(QStringLiteral("line %1").arg(i));
    const auto lines = [&] { return statusText().split(QLatin1Char('\n'), Qt::SkipEmptyParts); };
    ASSERT_EQ(lines().size(), 300);
    EXPECT_EQ(lines().first(), QStringLiteral("14:30:05 - line 300"));
    EXPECT_EQ(lines().last(), QStringLiteral("14:30:05 - line 1"));

    // The newest line shows while the user stays at the top; one who scrolled down to read an
    // older line keeps it in place while new lines arrive.
    QScrollBar* bar = status->verticalScrollBar();
    const auto topLine = [&] { return status->cursorForPosition(QPoint(4, 4)).block().text(); };
    log.UpdateStat(QStringLiteral("line 301"));
    EXPECT_EQ(topLine(), QStringLiteral("14:30:05 - line 301"));
    bar->setValue(bar->maximum() / 2);
    const QString read = topLine();
    EXPECT_NE(read, lines().first());
    log.UpdateStat(QStringLiteral("line 302"));
    log.UpdateStat(QStringLiteral("line 303"));
    EXPECT_EQ(topLine(), read);
    EXPECT_EQ(lines().size(), 303);
}

TEST_F(FrmMainTest, ButtonsClearTheStatusOpenTheAboutBoxStartARunAndEndTheProgram)
{
    FakeCellPhone phone(QStringLiteral("35"), QStringLiteral("BVT610"));
    open({&phone});
    // Clear empties the status box, never the log.
    const QStringList before = logged();
    EXPECT_TRUE(before.contains(QStringLiteral("Form Loaded")));
    EXPECT_EQ(statusText(), QStringLiteral("14:30:05 - Known PhoneType!!\n"));
    find<QPushButton>("cmdClear")->click();
    EXPECT_TRUE(statusText().isEmpty());
    QString about;
    QString version;
    QImage icon;
    answerNextDialog([&about, &version, &icon](QWidget* dialog) {
        about = dialog->isModal() ? dialog->windowTitle() : QStringLiteral("not modal");
        version = dialog->findChild<QLabel*>(QStringLiteral("lblVersion"))->text();
        icon = dialog->findChild<QLabel*>(QStringLiteral("picIcon"))->pixmap().toImage();
        dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    find<QPushButton>("cmdAbout")->click();
    EXPECT_EQ(about, QStringLiteral("About Cellarchive"));
    EXPECT_EQ(version, QStringLiteral("Version ") + QLatin1String(CELLARCHIVE_VERSION));
    // Rendered from the SVG drawing the program carries: without it the icon would be blank.
    EXPECT_EQ(icon.size(), QSize(48, 48));
    EXPECT_GT(icon.pixelColor(24, 24).alpha(), 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // The run asks for the file first; the scripted user cancels.
    find<QCheckBox>("chkTime")->setChecked(true);
    find<QPushButton>("cmdBackup")->click();
    EXPECT_EQ(ui.asked, QStringList{QStringLiteral("file:save:Save Data to file")});
    EXPECT_TRUE(find<QPushButton>("cmdBackup")->isEnabled());

    // Exit and closing the window end the program without a log line.
    find<QPushButton>("cmdExit")->click();
    EXPECT_EQ(exits, 1);
    window->show();
    window->close();
    EXPECT_EQ(exits, 2);
    EXPECT_EQ(logged(), before);
}

TEST_F(FrmMainTest, UserClickOnMasterResetAsksButProgramTicksDoNot)
{
    open();
    auto* box = find<QCheckBox>("chkMasterReset");
    window->setBoxEnabled(Box::MasterReset, true);
    window->setTicked(Box::MasterReset, true);
    window->setTicked(Box::MasterReset, false);
    EXPECT_TRUE(ui.asked.isEmpty());

    ui.nextAnswer(false);
    box->click();
    ASSERT_EQ(ui.asked.size(), 1);
    EXPECT_EQ(ui.asked.first(), QStringLiteral("question:Master Reset:Are you sure???\r\nthis will "
                                               "erase all settings in your phone...."));
    // Declined: the box ends unticked, and unticking it asks nothing more.
    EXPECT_EQ(box->checkState(), Qt::Unchecked);
    EXPECT_EQ(ui.asked.size(), 1);
}

TEST_F(FrmMainTest, BackupWithNothingTickedAsksForNoFile)
{
    FakeCellPhone phone(QStringLiteral("35"), QStringLiteral("BVT610"));
    open({&phone});
    find<QPushButton>("cmdBackup")->click();
    EXPECT_TRUE(ui.asked.isEmpty());
    EXPECT_TRUE(statusText().startsWith(
        QStringLiteral("14:30:05 - Nothing to back up: tick at least one category\n")));
    EXPECT_EQ(find<QPushButton>("cmdBackup")->text(), QStringLiteral("Backup"));
}

// Closing while a backup waits for the phone asks first; "No" lets the run go on, "Yes" ends
// it after the category in progress, keeps the previous backup and then closes the window.
// A greyed box says why in its tooltip; the calendar a phone says it lacks is greyed as it
// connects. A phone with everything takes the reasons away again.
TEST_F(FrmMainTest, GreyedBoxesSayWhy)
{
    FakeCellPhone bare(QStringLiteral("35"), QStringLiteral("BVT610"));
    bare.noSettings = true;
    bare.noCalendar = true;
    open({&bare});
    const QString shortcuts =
        QStringLiteral("You can not restore My Shortcuts if you change phone model");
    const auto tips = [this] {
        QStringList shown;
        for (const char* name : {"chkPb", "chkCal", "chkProfiles", "chkCustomMenu"}) {
            const QCheckBox* box = find<QCheckBox>(name);
            shown << QStringLiteral("%1 %2 %3")
                         .arg(QLatin1String(name), box->isEnabled() ? QStringLiteral("on")
                                                                    : QStringLiteral("grey"),
                              box->toolTip());
        }
        return shown;
    };
    EXPECT_EQ(tips(), (QStringList{QStringLiteral("chkPb on "),
                                   QStringLiteral("chkCal grey This phone does not keep a calendar"),
                                   QStringLiteral("chkProfiles grey This phone does not keep profiles"),
                                   QStringLiteral("chkCustomMenu grey ") + shortcuts +
                                       QStringLiteral("\nThis phone does not keep shortcuts")}));
    EXPECT_TRUE(logged().contains(QStringLiteral("Not supported by the phone -> Calendar")));
    monitor->disconnectPhone(&bare);
    FakeCellPhone full(QStringLiteral("36"), QStringLiteral("BVT610"));
    monitor->connectPhone(&full);
    EXPECT_EQ(tips(), (QStringList{QStringLiteral("chkPb on "), QStringLiteral("chkCal on "),
                                   QStringLiteral("chkProfiles on "),
                                   QStringLiteral("chkCustomMenu on ") + shortcuts}));
}

TEST_F(FrmMainTest, ClosingDuringARunAsksAndStopsItAtTheNextStep)
{
    auto image = phonesim::PhoneImage::inMemory(phonesim::demoPhone());
    phonesim::Faults faults;
    faults.lateSeconds.insert(51, 2.0);
    faults.lateSeconds.insert(36, 2.0);
    image->setFaults(faults);
    start([&](QObject* parent) {
        return new phonesim::SimPhoneMonitor(image, clock, phonesim::SimPhoneOptions{true, 50}, parent);
    });
    // The user reads how the run ended before the window goes.
    qsizetype toldBeforeExit = -1;
    window->setExitHandler([this, &toldBeforeExit] {
        ++exits;
        toldBeforeExit = ui.asked.filter(QStringLiteral("told:")).size();
    });
    window->show();
    const QString file = QDir(dir.path()).filePath(QStringLiteral("w.MS"));
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old\r\n");
    old.close();
    for (Box box : {Box::Lock, Box::Time, Box::CustomMenu})
        window->setTicked(box, true);
    ui.nextFile(file);
    ui.nextAnswer(true);  // replace the old file
    ui.nextAnswer(false); // keep the run going
    ui.nextAnswer(true);  // stop it
    clock.callLater(1000, nullptr, [this] { window->close(); });
    clock.callLater(2500, nullptr, [this] {
        EXPECT_EQ(exits, 0);
        window->close();
    });
    find<QPushButton>("cmdBackup")->click();

    const QString question =
        QStringLiteral("question:Cellarchive:A run is in progress. Stop it and close "
                       "Cellarchive?\r\n\r\nThe run ends after the category it is working on.");
    EXPECT_EQ(ui.asked.filter(QStringLiteral("question:Cellarchive")),
              (QStringList{question, question}));
    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(statusText().contains(QStringLiteral("Backup of Time -> Done")));
    EXPECT_FALSE(statusText().contains(QStringLiteral("Saving My Shortcuts information")));
    EXPECT_TRUE(statusText().startsWith(
        QStringLiteral("14:30:05 - My Shortcuts: not backed up (the run was stopped)\n")));
    QFile kept(file);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("old\r\n"));
    EXPECT_TRUE(QFile::exists(QDir(dir.path()).filePath(QStringLiteral("w.incomplete.MS"))));
    EXPECT_TRUE(logged().contains(QStringLiteral("Stop of the run requested by the user")));
    EXPECT_TRUE(logged().contains(QStringLiteral("Backup stopped by the user")));
    EXPECT_EQ(toldBeforeExit, 1);
    const QStringList told = ui.asked.filter(QStringLiteral("told:"));
    ASSERT_EQ(told.size(), 1);
    for (const QString& line :
         {QStringLiteral("told:Cellarchive:The run was stopped:\n"),
          QStringLiteral(" - The backup is incomplete -> it is in ") +
              QDir(dir.path()).filePath(QStringLiteral("w.incomplete.MS")),
          QStringLiteral(" - The previous backup is kept -> ") + file,
          QStringLiteral(" - My Shortcuts: not backed up (the run was stopped)")})
        EXPECT_TRUE(told.first().contains(line)) << line.toStdString() << told.first().toStdString();
}
