#include "statuslog/mainview.h"
#include "shell/program.h"
#include "appfakes.h"
#include "fakeclock.h"
#include "scriptedui.h"
#include "backupfile/fileselection.h"

#include <QFile>

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

using Button = MainView::Button;

namespace {

class FormLoadTest : public ::testing::Test
{
protected:
    // Starts the program with a worker that knows the given phones.
    void start(QList<CellPhone*> phones)
    {
        startWith([this, phones](QObject* parent) {
            monitor = new FakePhoneMonitor(parent);
            monitor->phones = phones;
            return monitor;
        });
    }

    void startWith(std::function<PhoneMonitor*(QObject*)> factory)
    {
        program = std::make_unique<Program>(ProgramEnvironment{
            clock, wall, ui, view, std::move(factory), dir.path(), QString()});
        program->Form_Load();
    }

    QStringList logLines() const { return logTexts(program->log().LogFile()); }

    QTemporaryDir dir;
    FakeClock clock;
    FakeWallClock wall;
    ScriptedUi ui;
    PlainMainView view;
    FakePhoneMonitor* monitor = nullptr;
    std::unique_ptr<Program> program;
};

const QStringList kStartLines{QStringLiteral("Application Started"),
                              QStringLiteral("Version %1.%2.%3")
                                  .arg(CELLARCHIVE_VERSION_MAJOR)
                                  .arg(CELLARCHIVE_VERSION_MINOR)
                                  .arg(CELLARCHIVE_VERSION_PATCH),
                              QStringLiteral("0")};

} // namespace

TEST_F(FormLoadTest, WithoutPhone)
{
    FakeCellPhone gone(QStringLiteral("1"), QStringLiteral("BVT68"));
    gone.connected = false;
    start({&gone});
    EXPECT_EQ(logLines(), QStringList(kStartLines) << QStringLiteral("1") << QStringLiteral("2")
                                                   << QStringLiteral("Form Loaded"));
    EXPECT_FALSE(view.buttonEnabled(Button::Backup));
    EXPECT_FALSE(view.buttonEnabled(Button::Restore));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(view.phoneInfo(i), QStringLiteral("-"));
    EXPECT_TRUE(program->log().statusText().isEmpty());
}

TEST_F(FormLoadTest, WithConnectedPhoneTakesTheFirstConnectedOne)
{
    FakeCellPhone gone(QStringLiteral("1"), QStringLiteral("BVT68"));
    gone.connected = false;
    FakeCellPhone phone(QStringLiteral("2"), QStringLiteral("BVT610"));
    FakeCellPhone later(QStringLiteral("3"), QStringLiteral("BVT300"));
    start({&gone, &phone, &later});

    const QStringList lines = logLines();
    EXPECT_EQ(lines.mid(0, 7), QStringList(kStartLines) << QStringLiteral("1") << QStringLiteral("2")
                                                        << QStringLiteral("3") << QStringLiteral("4"));
    EXPECT_EQ(lines.at(7), QStringLiteral("Entered UpdateConnectionStatus"));
    EXPECT_EQ(lines.mid(lines.size() - 4),
              (QStringList{QStringLiteral("Phone Connected"), QStringLiteral("5"), QStringLiteral("6"),
                           QStringLiteral("Form Loaded")}));
    EXPECT_EQ(program->link().m_objCellPhone, &phone);
    EXPECT_TRUE(program->link().bPhoneConnected);
    EXPECT_EQ(view.phoneInfo(1), QStringLiteral("2"));
    EXPECT_TRUE(view.buttonEnabled(Button::Backup));
    EXPECT_TRUE(view.buttonEnabled(Button::Restore));

    // From now on the worker's events are handled.
    monitor->disconnectPhone(&phone);
    EXPECT_FALSE(program->link().bPhoneConnected);
    EXPECT_FALSE(view.buttonEnabled(Button::Backup));
}

TEST_F(FormLoadTest, FailingMissingOrForeignWorkerErrorsAreLoggedAndStartUpStops)
{
    const auto errorLines = [](const char* description, const char* number, const char* source) {
        return QStringList(kStartLines) << QStringLiteral("Error in Load Form")
                                        << QStringLiteral("#################")
                                        << QStringLiteral("Desc-->") + QLatin1String(description)
                                        << QStringLiteral("Number-->") + QLatin1String(number)
                                        << QStringLiteral("Source-->") + QLatin1String(source);
    };
    startWith([](QObject*) -> PhoneMonitor* {
        throw ProgramError(429, QStringLiteral("PMWORKERLib"),
                           QStringLiteral("Component can't create object"));
    });
    EXPECT_EQ(logLines(), errorLines("Component can't create object", " 429", "PMWORKERLib"));
    EXPECT_FALSE(view.buttonEnabled(Button::Backup));
    EXPECT_EQ(program->link().m_objPhoneMonitor, nullptr);

    QFile::remove(program->log().LogFile());
    startWith([](QObject*) -> PhoneMonitor* { return nullptr; });
    EXPECT_EQ(logLines(), errorLines("ActiveX component can't create object", " 429", "Cellarchive"));
    QFile::remove(program->log().LogFile());
    startWith([](QObject*) -> PhoneMonitor* { throw std::runtime_error("out of memory"); });
    EXPECT_EQ(logLines(), errorLines("out of memory", "-1", "Cellarchive"));
}

// The restore's dialog offers the files a restore imports beside the backup files; such a file,
// told by its content, keeps its name, another still gets ".MS".
TEST_F(FormLoadTest, RestoreDialogTakesImportableFilesAsTheyAreNamed)
{
    start({});
    const struct
    {
        const char* name;
        QByteArray bytes;
        const char* chosen;
    } rows[] = {
        {"c.vcf", "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Berg\r\nEND:VCARD\r\n", "c.vcf"},
        {"messages.xml", "<?xml version='1.0'?>\n<smses count=\"0\"></smses>\n", "messages.xml"},
        {"phone.backup", "; gammu\r\n[Backup]\r\nFormat = 1.05\r\n", "phone.backup"},
        {"sms.txt", "[SMSBackup000]\r\nPDU = Submit\r\n", "sms.txt"},
        {"notes.txt", "[gammu]\r\nmodel = dummy\r\n", "notes.txt.MS"},
    };
    for (const auto& row : rows) {
        const QString path = QDir(dir.path()).filePath(QLatin1String(row.name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(row.bytes);
        file.close();
        ui.nextFile(path);
        QString chosen;
        ASSERT_TRUE(program->fileSelection().bSelectFile(QString(), QStringLiteral("MS"), chosen,
                                                         QStringLiteral("Select Data file"), false));
        EXPECT_EQ(chosen, QDir(dir.path()).filePath(QLatin1String(row.chosen))) << row.name;
    }
    ASSERT_FALSE(ui.filters.isEmpty());
    EXPECT_TRUE(ui.filters.last().startsWith(QLatin1String("MS (*.MS);;Contacts, calendars, messages (")));
    for (const char* pattern : {"*.vcf", "*.ics", "*.xml", "*.backup"})
        EXPECT_TRUE(ui.filters.last().contains(QLatin1String(pattern))) << pattern;
}
