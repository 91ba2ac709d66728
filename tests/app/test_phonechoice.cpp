#include "app/frmmain.h"
#include "shell/phonechoice.h"
#include "shell/program.h"
#include "core/programerror.h"
#include "phone/components.h"
#include "phonesim/demophone.h"
#include "phonesim/phoneimage.h"
#include "fakeclock.h"
#include "logtexts.h"
#include "scriptedui.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <initializer_list>

namespace {

// A home folder of its own, so that what gammu finds is what the test put there.
class PhoneChoiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_home = qgetenv("HOME");
        if (QFileInfo::exists(QStringLiteral("/etc/gammurc")))
            GTEST_SKIP() << "/etc/gammurc exists on this machine";
        qputenv("HOME", home.path().toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");
    }
    void TearDown() override { qputenv("HOME", m_home); }

    QString path(const QString& name) const { return QDir(home.path()).filePath(name); }
    // A gammu configuration of libgammu's dummy phone, kept in the folder "phone".
    void writeDummyRc(const QString& name) const
    {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        QDir().mkpath(path(QStringLiteral("phone")));
        QFile rc(path(name));
        ASSERT_TRUE(rc.open(QIODevice::WriteOnly));
        rc.write("[gammu]\nmodel = dummy\nconnection = none\ndevice = " +
                 path(QStringLiteral("phone")).toLocal8Bit() + "\n");
    }

    QTemporaryDir home;
    QByteArray m_home;
};

struct ChoiceRow
{
    const char* option;
    const char* environment;
    // Configuration files to create in the home folder.
    std::initializer_list<const char*> files;
    // %HOME% stands for the home folder.
    const char* line;
};

} // namespace

TEST_F(PhoneChoiceTest, PhoneLineNamesWhatIsUsedInOrderOfPrecedence)
{
    const ChoiceRow rows[] = {
        {"",
         "",
         {},
         "Phone -> demo phone: %HOME%/demo.json (no gammu configuration found, see the README)"},
        {"", "", {".gammurc"}, "Phone -> gammu: %HOME%/.gammurc, section 0"},
        {"",
         "",
         {".gammurc", ".config/gammu/config"},
         "Phone -> gammu: %HOME%/.config/gammu/config, section 0"},
        {"", "gammu:2", {}, "Phone -> gammu: %HOME%/.gammurc, section 2"},
        {"gammu:/srv/old.rc:1", "%HOME%/other.json", {}, "Phone -> gammu: /srv/old.rc, section 1"},
        {"", "%HOME%/other.json", {".gammurc"}, "Phone -> phone image: %HOME%/other.json"},
        {"%HOME%/mine.json", "gammu", {}, "Phone -> phone image: %HOME%/mine.json"},
    };
    for (const ChoiceRow& row : rows) {
        SCOPED_TRACE(row.line);
        QDir(path(QStringLiteral(".config"))).removeRecursively();
        QFile::remove(path(QStringLiteral(".gammurc")));
        for (const char* file : row.files)
            writeDummyRc(QLatin1String(file));
        const auto expand = [this](const char* text) {
            return QString::fromUtf8(text).replace(QStringLiteral("%HOME%"), home.path());
        };
        const phonechoice::PhoneInUse phone = phonechoice::choose(
            expand(row.option), expand(row.environment), path(QStringLiteral("demo.json")));
        EXPECT_EQ(phone.line, expand(row.line));
    }
}

// The window names the phone on its own line, in the status box and the log, before the
// first word from the phone.
TEST_F(PhoneChoiceTest, WindowNamesTheConfiguredPhoneOrTheDemoPhone)
{
    FakeClock clock;
    FakeWallClock wall;
    ScriptedUi ui;
    const auto firstLines = [&](const QString& programFolder, const QString& expected) {
        const phonechoice::PhoneInUse phone =
            phonechoice::choose(QString(), QString(), path(QStringLiteral("demo.json")));
        frmMain window;
        Program program(ProgramEnvironment{clock, wall, ui, window,
                                           [&](QObject* parent) {
                                               phonechoice::MonitorOptions options;
                                               options.createMissingImage = true;
                                               return phonechoice::createMonitor(phone, clock, parent,
                                                                                 options);
                                           },
                                           path(programFolder), QString()});
        window.attach(program);
        const QStringList log = logTexts(window.program().log().LogFile());
        EXPECT_EQ(log.mid(0, 4),
                  (QStringList{QStringLiteral("Application Started"), Program::versionText(),
                               QStringLiteral("0"), expected}));
        EXPECT_TRUE(window.findChild<QPlainTextEdit*>(QStringLiteral("txtStatus"))
                        ->toPlainText()
                        .endsWith(QStringLiteral("14:30:05 - ") + expected + QLatin1Char('\n')));
    };
    firstLines(QStringLiteral("first"),
               QStringLiteral("Phone -> demo phone: ") + path(QStringLiteral("demo.json")) +
                   QStringLiteral(" (no gammu configuration found, see the README)"));
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("demo.json"))));
    writeDummyRc(QStringLiteral(".gammurc"));
    firstLines(QStringLiteral("second"), QStringLiteral("Phone -> gammu: ") +
                                             path(QStringLiteral(".gammurc")) +
                                             QStringLiteral(", section 0"));
}

TEST_F(PhoneChoiceTest, DemoImageIsMadeOnFirstUseAndABrokenOneRefused)
{
    const QString image = path(QStringLiteral("phones/mine.json"));
    const phonechoice::PhoneInUse phone{image, QString(), true};
    phonechoice::MonitorOptions options;
    options.createMissingImage = true;
    FakeClock clock;
    QObject owner;
    PhoneMonitor* monitor = phonechoice::createMonitor(phone, clock, &owner, options);
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(monitor->parent(), &owner);
    EXPECT_TRUE(QFile::exists(image));
    clock.runAll();
    ASSERT_EQ(monitor->CellPhones().size(), 1);
    EXPECT_EQ(monitor->CellPhones().first()->Model(), QStringLiteral("BVT610"));

    // An existing image is used as it is, never replaced by the demo phone.
    QString error;
    auto mine = phonesim::PhoneImage::inMemory(phonesim::blankPhone(QStringLiteral("BVT68")));
    ASSERT_TRUE(mine->saveAs(image, error));
    PhoneMonitor* second = phonechoice::createMonitor(phone, clock, &owner, options);
    clock.runAll();
    EXPECT_EQ(second->CellPhones().first()->Model(), QStringLiteral("BVT68"));

    QFile broken(image);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not json");
    broken.close();
    try {
        phonechoice::createMonitor(phone, clock, &owner, options);
        ADD_FAILURE() << "a broken image was accepted";
    } catch (const ProgramError& failure) {
        EXPECT_EQ(failure.source(), QStringLiteral("PhoneMonitor"));
        EXPECT_TRUE(failure.description().contains(image));
    }
    EXPECT_TRUE(phonesim::demoImagePath().endsWith(QStringLiteral("/cellarchive/phones/demo-phone.json")));
}

// A configuration written after start is found at the next retry, without a restart; the
// message for none names every place gammu looks.
TEST_F(PhoneChoiceTest, MissingConfigurationIsReadAgainAtTheNextRetry)
{
    FakeClock clock;
    QObject owner;
    QString problem;
    phonechoice::MonitorOptions options;
    options.waitForFirstAttempt = true;
    options.problem = &problem;
    PhoneMonitor* monitor = phonechoice::createMonitor(
        phonechoice::choose(QStringLiteral("gammu"), QString(), QString()), clock, &owner, options);
    EXPECT_TRUE(problem.startsWith(
        QStringLiteral("Gammu configuration failed -> no configuration found (gammu looks for ") +
        path(QStringLiteral(".config/gammu/config")) + QStringLiteral(", ") +
        path(QStringLiteral(".gammurc")) + QStringLiteral(", ")))
        << problem.toStdString();
    EXPECT_TRUE(problem.contains(QStringLiteral("/etc/gammurc): ")));

    QSignalSpy connected(monitor, &PhoneMonitor::OnNotifyCellPhoneConnected);
    writeDummyRc(QStringLiteral(".gammurc"));
    ASSERT_TRUE(connected.wait(30000));
    EXPECT_EQ(connected.first().first().toInt(), 1);
}
