#include "app/frmmain.h"
#include "app/program.h"
#include "appfakes.h"
#include "fakeclock.h"
#include "modaldialogs.h"
#include "scriptedui.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using Box = MainView::Box;
using Button = MainView::Button;

namespace {

class FrmMainTest : public ::testing::Test
{
protected:
    void open(QList<CellPhone*> phones = {})
    {
        window = std::make_unique<frmMain>(
            clock, wall,
            [this, phones](QObject* parent) {
                monitor = new FakePhoneMonitor(parent);
                monitor->phones = phones;
                return monitor;
            },
            dir.path(), QString(), &ui);
        window->setExitHandler([this] { ++exits; });
    }

    template <typename T> T* find(const char* name)
    {
        T* widget = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QString statusText() { return find<QPlainTextEdit>("txtStatus")->toPlainText(); }

    QTemporaryDir dir;
    FakeClock clock;
    FakeWallClock wall;
    ScriptedUi ui;
    FakePhoneMonitor* monitor = nullptr;
    std::unique_ptr<frmMain> window;
    int exits = 0;
};

struct Control
{
    const char* name;
    const char* caption;
    QRect geometry;
    bool bold;
    qreal points;
};

} // namespace

TEST_F(FrmMainTest, WindowFramesAndButtons)
{
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Cellarchive"));
    EXPECT_EQ(window->minimumSize(), QSize(452, 428));
    EXPECT_EQ(window->maximumSize(), QSize(452, 428));
    EXPECT_FALSE(window->windowIcon().isNull());

    const Control frames[] = {
        {"fraUserData", "User Data", QRect(8, 8, 145, 113), true, 0},
        {"fraSettings", "Settings", QRect(8, 144, 145, 201), true, 0},
        {"fraPhoneInfo", "Phone Info", QRect(176, 8, 265, 129), true, 0},
        {"fraStatus", "Status", QRect(176, 144, 265, 201), true, 0},
    };
    for (const Control& c : frames) {
        auto* frame = find<QGroupBox>(c.name);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->title(), QLatin1String(c.caption));
        EXPECT_EQ(frame->geometry(), c.geometry) << c.name;
        EXPECT_TRUE(frame->font().bold()) << c.name;
    }

    const Control buttons[] = {
        {"cmdExit", "Exit", QRect(128, 400, 73, 25), true, 8.25},
        {"cmdAbout", "About", QRect(216, 400, 65, 25), true, 8.25},
        {"cmdRestore", "Restore", QRect(296, 400, 65, 25), true, 8.25},
        {"cmdBackup", "Backup", QRect(376, 400, 65, 25), true, 8.25},
        {"cmdClear", "Clear", QRect(208, 176, 49, 17), false, 8.25},
    };
    for (const Control& c : buttons) {
        auto* button = find<QPushButton>(c.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QLatin1String(c.caption));
        EXPECT_EQ(button->geometry(), c.geometry) << c.name;
        EXPECT_EQ(button->font().bold(), c.bold) << c.name;
        EXPECT_DOUBLE_EQ(button->font().pointSizeF(), c.points) << c.name;
    }
    EXPECT_EQ(find<QPushButton>("cmdClear")->parentWidget()->objectName(), QStringLiteral("fraStatus"));

    auto* status = find<QPlainTextEdit>("txtStatus");
    EXPECT_TRUE(status->isReadOnly());
    EXPECT_EQ(status->geometry(), QRect(8, 16, 249, 153));
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
    EXPECT_EQ(bar->value(), 0);
    const auto topLine = [&] { return status->cursorForPosition(QPoint(4, 4)).block().text(); };
    EXPECT_EQ(topLine(), lines().first());
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

TEST_F(FrmMainTest, CheckBoxesAndPhoneInfoLabels)
{
    open();
    const struct
    {
        const char* name;
        const char* caption;
        const char* frame;
        QRect geometry;
    } boxes[] = {
        {"chkPb", "Phonebook", "fraUserData", QRect(8, 24, 127, 20)},
        {"chkCal", "Calendar", "fraUserData", QRect(8, 48, 127, 20)},
        {"chkSMS", "SMS", "fraUserData", QRect(8, 72, 127, 20)},
        {"chkWAP", "WAP Profiles", "fraSettings", QRect(8, 24, 127, 20)},
        {"chkDataAccount", "Data Account", "fraSettings", QRect(8, 48, 127, 20)},
        {"chkBookmark", "Bookmarks", "fraSettings", QRect(8, 72, 127, 20)},
        {"chkProfiles", "Profiles", "fraSettings", QRect(8, 96, 127, 20)},
        {"chkLock", "Locks", "fraSettings", QRect(8, 120, 127, 20)},
        {"chkTime", "Time", "fraSettings", QRect(8, 144, 127, 20)},
        {"chkCustomMenu", "My Shortcuts", "fraSettings", QRect(8, 168, 127, 20)},
        {"chkPassword", "Ask for passwords", "frmMain", QRect(232, 352, 89, 33)},
        {"chkMasterReset", "Master reset before restore", "frmMain", QRect(336, 352, 105, 33)},
    };
    for (const auto& c : boxes) {
        auto* box = find<QCheckBox>(c.name);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QLatin1String(c.caption));
        EXPECT_EQ(box->parentWidget()->objectName(), QLatin1String(c.frame)) << c.name;
        EXPECT_EQ(box->geometry(), c.geometry) << c.name;
        EXPECT_FALSE(box->font().bold()) << c.name;
        EXPECT_DOUBLE_EQ(box->font().pointSizeF(), 9.75) << c.name;
        EXPECT_EQ(box->checkState(), Qt::Unchecked) << c.name;
        const bool bottomRow = QLatin1String(c.frame) == QLatin1String("frmMain");
        EXPECT_EQ(box->isEnabled(), !bottomRow) << c.name;
    }
    EXPECT_EQ(find<QCheckBox>("chkCustomMenu")->toolTip(),
              QStringLiteral("You can not restore My Shortcuts if you change phone model"));

    const char* const captions[] = {"Phone Name", "ID", "Model", "Sw Version"};
    for (int i = 0; i < 4; ++i) {
        auto* caption = find<QLabel>(QStringLiteral("Label%1").arg(i + 1).toLatin1().constData());
        auto* value = find<QLabel>(QStringLiteral("lblPhoneInfo%1").arg(i).toLatin1().constData());
        ASSERT_TRUE(caption && value);
        EXPECT_EQ(caption->text(), QLatin1String(captions[i]));
        EXPECT_EQ(caption->geometry().topLeft(), QPoint(8, 24 + 24 * i));
        EXPECT_EQ(value->geometry().topLeft(), QPoint(104, 24 + 24 * i));
        EXPECT_EQ(value->text(), QStringLiteral("-"));
        EXPECT_DOUBLE_EQ(value->font().pointSizeF(), 9.75);
        EXPECT_FALSE(value->font().bold());
    }
    // Without a phone at start-up Backup and Restore wait for one.
    EXPECT_FALSE(find<QPushButton>("cmdBackup")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("cmdRestore")->isEnabled());
}

TEST_F(FrmMainTest, MainViewReflectsInWidgets)
{
    open();
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
    EXPECT_FALSE(view.isBoxEnabled(Box::MasterReset));

    view.setButtonEnabled(Button::Restore, true);
    EXPECT_TRUE(find<QPushButton>("cmdRestore")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("cmdBackup")->isEnabled());
    view.setButtonCaption(Button::Backup, QStringLiteral("Cancel"));
    EXPECT_EQ(find<QPushButton>("cmdBackup")->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(find<QPushButton>("cmdRestore")->text(), QStringLiteral("Restore"));

    view.setPhoneInfo(2, QStringLiteral("BVT68"));
    EXPECT_EQ(find<QLabel>("lblPhoneInfo2")->text(), QStringLiteral("BVT68"));
    EXPECT_EQ(view.phoneInfo(2), QStringLiteral("BVT68"));
}

TEST_F(FrmMainTest, PhoneEventsShowInTheWindowAndClearEmptiesTheStatusOnly)
{
    FakeCellPhone phone(QStringLiteral("35"), QStringLiteral("BVT610"));
    open({&phone});
    EXPECT_EQ(find<QLabel>("lblPhoneInfo0")->text(), QStringLiteral("My phone"));
    EXPECT_TRUE(find<QPushButton>("cmdBackup")->isEnabled());
    EXPECT_EQ(statusText(), QStringLiteral("14:30:05 - Known PhoneType!!\n"));

    monitor->disconnectPhone(&phone);
    EXPECT_EQ(statusText(), QStringLiteral("14:30:05 - Lost connection to phone\n"
                                           "14:30:05 - Known PhoneType!!\n"));
    EXPECT_EQ(find<QLabel>("lblPhoneInfo0")->text(), QStringLiteral("No connected phone..."));
    EXPECT_FALSE(find<QPushButton>("cmdBackup")->isEnabled());

    const QStringList logged = logTexts(window->program().log().LogFile());
    find<QPushButton>("cmdClear")->click();
    EXPECT_TRUE(statusText().isEmpty());
    EXPECT_EQ(logTexts(window->program().log().LogFile()), logged);
    EXPECT_TRUE(logged.contains(QStringLiteral("Form Loaded")));
}

TEST_F(FrmMainTest, AboutBoxOpensModally)
{
    open();
    bool seen = false;
    answerNextDialog([&seen](QWidget* dialog) {
        seen = true;
        EXPECT_EQ(dialog->objectName(), QStringLiteral("frmAbout"));
        EXPECT_TRUE(dialog->isModal());
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("About Cellarchive"));
        auto text = [dialog](const char* name) {
            auto* label = dialog->findChild<QLabel*>(QLatin1String(name));
            return label ? label->text() : QStringLiteral("<missing>");
        };
        EXPECT_EQ(text("lblTitle"), QStringLiteral("Cellarchive"));
        EXPECT_EQ(text("lblVersion"), Program::versionText());
        EXPECT_EQ(text("lblDescription"),
                  QStringLiteral("This program uses the Mobile phone monitor to take a complete "
                                 "backup of the connected phone. Some settings can not be restored "
                                 "- like passwords, Phonebook settings, SMS settings....."));
        EXPECT_EQ(text("lblDisclaimer"),
                  QStringLiteral("Warning: This program can destroy all settings in the connected "
                                 "phone -> Use this program at your own risk...."));
        EXPECT_FALSE(text("Label1").isEmpty());
        EXPECT_FALSE(dialog->findChild<QLabel*>(QStringLiteral("picIcon"))->pixmap().isNull());
        auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"));
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), QStringLiteral("OK"));
        ok->click();
    });
    find<QPushButton>("cmdAbout")->click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(FrmMainTest, ExitAndClosingEndTheProgramWithoutALogLine)
{
    open();
    const QStringList logged = logTexts(window->program().log().LogFile());
    find<QPushButton>("cmdExit")->click();
    EXPECT_EQ(exits, 1);
    window->show();
    window->close();
    EXPECT_EQ(exits, 2);
    EXPECT_EQ(logTexts(window->program().log().LogFile()), logged);
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
    EXPECT_TRUE(ui.asked.first().startsWith(QStringLiteral("question:Master Reset:")));
    // Declined: the box ends unticked, and unticking it asks nothing more.
    EXPECT_EQ(box->checkState(), Qt::Unchecked);
    EXPECT_EQ(ui.asked.size(), 1);
}

TEST_F(FrmMainTest, BackupClickStartsTheRun)
{
    FakeCellPhone phone(QStringLiteral("35"), QStringLiteral("BVT610"));
    open({&phone});
    find<QPushButton>("cmdBackup")->click();
    // The run asks for the file first; the scripted user cancels.
    ASSERT_FALSE(ui.asked.isEmpty());
    EXPECT_EQ(ui.asked.first(), QStringLiteral("file:save:Save Data to file"));
    EXPECT_TRUE(find<QPushButton>("cmdBackup")->isEnabled());
}
