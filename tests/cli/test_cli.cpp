#include "cli/clicommands.h"
#include "core/codepage.h"
#include "phonesim/cable.h"
#include "phonesim/phoneimage.h"
#include "qtprint.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

namespace {

struct Cli
{
    int run(const QStringList& arguments)
    {
        out.clear();
        err.clear();
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        const int code = cli::run(arguments, outStream, errStream);
        outStream.flush();
        errStream.flush();
        return code;
    }
    QString out;
    QString err;
};

class CliTest : public ::testing::Test
{
protected:
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QByteArray bytes(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QJsonObject image(const QString& name) const
    {
        return QJsonDocument::fromJson(bytes(name)).object();
    }

    QTemporaryDir dir;
    Cli cli;
};

} // namespace

TEST_F(CliTest, BackupRestoreAndBackupAgainGiveTheSameFile)
{
    ASSERT_EQ(cli.run({QStringLiteral("phone"), QStringLiteral("init"), path(QStringLiteral("demo.json"))}), 0);
    ASSERT_EQ(cli.run({QStringLiteral("phone"), QStringLiteral("init"), path(QStringLiteral("blank.json")),
                       QStringLiteral("--blank")}),
              0);
    ASSERT_EQ(cli.run({QStringLiteral("phone"), QStringLiteral("init"), path(QStringLiteral("p.json")),
                       QStringLiteral("--model"), QStringLiteral("BVT300"), QStringLiteral("--blank")}),
              0);
    EXPECT_EQ(image(QStringLiteral("p.json")).value(QStringLiteral("identity")).toObject()
                  .value(QStringLiteral("model")), QStringLiteral("BVT300"));
    ASSERT_EQ(cli.run({QStringLiteral("backup"), path(QStringLiteral("demo.json")), path(QStringLiteral("a.MS")),
                       QStringLiteral("--categories"), QStringLiteral("time")}),
              0)
        << cli.err.toStdString();
    EXPECT_TRUE(cli.out.contains(QLatin1String(" - Backup completed\n")));
    EXPECT_TRUE(bytes(QStringLiteral("a.MS")).startsWith("<Settings_Time>\r\n"));

    ASSERT_EQ(cli.run({QStringLiteral("restore"), path(QStringLiteral("blank.json")), path(QStringLiteral("a.MS"))}), 0)
        << cli.err.toStdString();
    ASSERT_EQ(cli.run({QStringLiteral("backup"), path(QStringLiteral("blank.json")), path(QStringLiteral("b.MS")),
                       QStringLiteral("--categories"), QStringLiteral("time")}),
              0);
    EXPECT_EQ(bytes(QStringLiteral("a.MS")), bytes(QStringLiteral("b.MS")));
}

TEST_F(CliTest, ExistingFileIsKeptWithoutOverwrite)
{
    cli.run({QStringLiteral("phone"), QStringLiteral("init"), path(QStringLiteral("demo.json"))});
    QFile old(path(QStringLiteral("a.MS")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("keep\r\n");
    old.close();
    const QStringList backup{QStringLiteral("backup"), path(QStringLiteral("demo.json")),
                             path(QStringLiteral("a.MS")), QStringLiteral("--categories"),
                             QStringLiteral("time")};
    EXPECT_EQ(cli.run(backup), 1);
    EXPECT_TRUE(cli.out.contains(QLatin1String("Backup ended")));
    EXPECT_EQ(bytes(QStringLiteral("a.MS")), QByteArray("keep\r\n"));
    EXPECT_EQ(cli.run(QStringList(backup) << QStringLiteral("--overwrite")), 0);
    EXPECT_TRUE(bytes(QStringLiteral("a.MS")).startsWith("<Settings_Time>"));
}

TEST_F(CliTest, HelpUsageErrorsAndMissingImages)
{
    EXPECT_EQ(cli.run({QStringLiteral("--help")}), 0);
    for (const char* text : {"phone init IMAGE", "--master-reset LOCKCODE", "Exit status", "shortcuts"})
        EXPECT_TRUE(cli.out.contains(QLatin1String(text))) << text;
    EXPECT_EQ(cli.run({}), 2);
    EXPECT_TRUE(cli.err.contains(QLatin1String("usage:")));
    EXPECT_EQ(cli.run({QStringLiteral("backup"), QStringLiteral("x.json"), QStringLiteral("y.MS"),
                       QStringLiteral("--categories"), QStringLiteral("time,weather")}),
              2);
    EXPECT_TRUE(cli.err.contains(QLatin1String("unknown category weather")));
    EXPECT_EQ(cli.run({QStringLiteral("restore")}), 2);
    EXPECT_EQ(cli.run({QStringLiteral("restore"), QStringLiteral("gammu"), QStringLiteral("y.MS"),
                       QStringLiteral("--phone"), QStringLiteral("gammu:1")}),
              2);
    EXPECT_EQ(cli.run({QStringLiteral("restore"), path(QStringLiteral("x.json")), path(QStringLiteral("y.MS")),
                       QStringLiteral("--master-reset")}),
              2);

    EXPECT_EQ(cli.run({QStringLiteral("backup"), path(QStringLiteral("missing.json")),
                       path(QStringLiteral("y.MS"))}),
              1);
    EXPECT_TRUE(cli.err.contains(path(QStringLiteral("missing.json")))) << cli.err.toStdString();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("y.MS"))));
}

TEST_F(CliTest, UnpluggedPhoneIsNotFoundUntilPluggedAgain)
{
    const QString image = path(QStringLiteral("demo.json"));
    cli.run({QStringLiteral("phone"), QStringLiteral("init"), image});
    ASSERT_EQ(cli.run({QStringLiteral("phone"), QStringLiteral("unplug"), image}), 0);
    const QStringList backup{QStringLiteral("backup"), image, path(QStringLiteral("a.MS")),
                             QStringLiteral("--categories"), QStringLiteral("time")};
    EXPECT_EQ(cli.run(backup), 1);
    EXPECT_TRUE(cli.err.contains(QLatin1String("no phone")));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("a.MS"))));
    ASSERT_EQ(cli.run({QStringLiteral("phone"), QStringLiteral("plug"), image}), 0);
    EXPECT_EQ(cli.run(backup), 0);
    EXPECT_EQ(cli.run({QStringLiteral("phone"), QStringLiteral("plug"), path(QStringLiteral("none.json"))}), 1);

    // Pulled while a backup reads the messages: the run sees it at once, as the window does.
    QJsonObject slow = CliTest::image(QStringLiteral("demo.json"));
    slow.insert(QStringLiteral("latencyMs"), 100);
    QFile out(path(QStringLiteral("demo.json")));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QJsonDocument(slow).toJson());
    out.close();
    QObject context;
    QTimer::singleShot(120, &context, [&image] {
        QString error;
        phonesim::setUnpluggedByUser(image, true, error);
    });
    EXPECT_EQ(cli.run({QStringLiteral("backup"), image, path(QStringLiteral("b.MS")),
                       QStringLiteral("--categories"), QStringLiteral("sms,time")}),
              1);
    EXPECT_TRUE(cli.out.contains(QLatin1String("Lost Conntact to MS->No work was done")))
        << cli.out.toStdString();
}

// Ctrl-C during a run: the category in progress is finished, the old backup is kept and the
// run closes with its lines, as the window's close does.
TEST_F(CliTest, InterruptStopsTheRunAfterTheCategoryInProgress)
{
    const QString image = path(QStringLiteral("demo.json"));
    cli.run({QStringLiteral("phone"), QStringLiteral("init"), image});
    QJsonObject slow = CliTest::image(QStringLiteral("demo.json"));
    slow.insert(QStringLiteral("latencyMs"), 100);
    QFile slowImage(image);
    ASSERT_TRUE(slowImage.open(QIODevice::WriteOnly));
    slowImage.write(QJsonDocument(slow).toJson());
    slowImage.close();
    QFile old(path(QStringLiteral("a.MS")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("keep\r\n");
    old.close();

    QObject context;
    QTimer::singleShot(120, &context, [] { raise(SIGINT); });
    EXPECT_EQ(cli.run({QStringLiteral("backup"), image, path(QStringLiteral("a.MS")),
                       QStringLiteral("--categories"), QStringLiteral("sms,time"),
                       QStringLiteral("--overwrite")}),
              1);
    EXPECT_TRUE(cli.err.contains(QLatin1String("stopping after the category in progress")));
    EXPECT_TRUE(cli.out.contains(QLatin1String("Backup stopped by the user")));
    EXPECT_TRUE(cli.out.contains(QLatin1String("Time: not backed up (the run was stopped)")))
        << cli.out.toStdString();
    EXPECT_EQ(bytes(QStringLiteral("a.MS")), QByteArray("keep\r\n"));
    EXPECT_TRUE(bytes(QStringLiteral("a.incomplete.MS")).startsWith("<SMS_Messages>"));
}

namespace {

class RestoreChoiceTest : public CliTest
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(cli.run({QStringLiteral("phone"), QStringLiteral("init"), path(QStringLiteral("demo.json"))}), 0);
        ASSERT_EQ(cli.run({QStringLiteral("phone"), QStringLiteral("init"), path(QStringLiteral("blank.json")),
                           QStringLiteral("--blank")}),
                  0);
        ASSERT_EQ(cli.run({QStringLiteral("backup"), path(QStringLiteral("demo.json")), path(QStringLiteral("demo.MS"))}), 0);
    }
    int backup(const QString& file, const QString& categories)
    {
        return cli.run({QStringLiteral("backup"), path(QStringLiteral("blank.json")), path(file),
                        QStringLiteral("--categories"), categories, QStringLiteral("--overwrite")});
    }
    QStringList countLines() const
    {
        QStringList lines;
        for (const QString& line : cli.out.split(QLatin1Char('\n'))) {
            if (line.contains(QLatin1String(" in the file, ")))
                lines << line.section(QStringLiteral(" - "), 1).replace(QStringLiteral("would be written"),
                                                                         QStringLiteral("written"));
        }
        return lines;
    }
};

} // namespace

TEST_F(RestoreChoiceTest, NarrowedRestoreWritesOnlyTheCategoriesAskedFor)
{
    const QString others = QStringLiteral("calendar,sms,dataaccounts,wap,bookmarks,profiles,time");
    ASSERT_EQ(backup(QStringLiteral("before.MS"), others), 0);
    EXPECT_EQ(cli.run({QStringLiteral("restore"), path(QStringLiteral("blank.json")), path(QStringLiteral("demo.MS")),
                       QStringLiteral("--categories"), QStringLiteral("phonebook")}),
              0)
        << cli.out.toStdString();
    ASSERT_EQ(backup(QStringLiteral("after.MS"), others), 0);
    EXPECT_EQ(bytes(QStringLiteral("before.MS")), bytes(QStringLiteral("after.MS")));
    ASSERT_EQ(backup(QStringLiteral("contacts.MS"), QStringLiteral("phonebook")), 0);
    const QByteArray demo = bytes(QStringLiteral("demo.MS"));
    EXPECT_EQ(bytes(QStringLiteral("contacts.MS")), demo.left(demo.indexOf("<Contacts/>\r\n") + 13));

    // A category the file lacks is named; a narrowed master reset is refused.
    ASSERT_EQ(cli.run({QStringLiteral("restore"), path(QStringLiteral("blank.json")), path(QStringLiteral("contacts.MS")),
                       QStringLiteral("--categories"), QStringLiteral("phonebook,calendar")}),
              3);
    EXPECT_TRUE(cli.out.contains(QLatin1String("Calendar: not in the file")));
    EXPECT_EQ(cli.run({QStringLiteral("restore"), path(QStringLiteral("blank.json")), path(QStringLiteral("demo.MS")),
                       QStringLiteral("--categories"), QStringLiteral("time"), QStringLiteral("--master-reset"),
                       QStringLiteral("1234")}),
              2);
}

TEST_F(RestoreChoiceTest, DryRunChangesNothingAndCountsWhatTheRestoreThenDoes)
{
    // Half the contacts on the phone already, so that both counts are at work.
    ASSERT_EQ(cli.run({QStringLiteral("restore"), path(QStringLiteral("blank.json")), path(QStringLiteral("demo.MS")),
                       QStringLiteral("--categories"), QStringLiteral("calendar")}),
              0);
    const QByteArray image = bytes(QStringLiteral("blank.json"));
    const QByteArray journal = bytes(QStringLiteral("blank.json.journal"));
    ASSERT_EQ(cli.run({QStringLiteral("restore"), path(QStringLiteral("blank.json")), path(QStringLiteral("demo.MS")),
                       QStringLiteral("--dry-run")}),
              0)
        << cli.out.toStdString();
    EXPECT_TRUE(cli.out.contains(QLatin1String("Profiles: would be written")));
    const QStringList preview = countLines();
    EXPECT_EQ(bytes(QStringLiteral("blank.json")), image);
    EXPECT_EQ(bytes(QStringLiteral("blank.json.journal")), journal);
    ASSERT_EQ(cli.run({QStringLiteral("restore"), path(QStringLiteral("blank.json")), path(QStringLiteral("demo.MS"))}), 0);
    EXPECT_EQ(preview, countLines());
    EXPECT_EQ(preview.size(), 3);
}

namespace {

struct Hostile
{
    const char* name;
    QByteArray bytes;
    int importStatus;
    int restoreStatus; // a file of no entry is no backup to restore
    const char* says;
};

QByteArray card(const QByteArray& body)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Berg;Anna\r\nFN:Anna Berg\r\n" + body + "END:VCARD\r\n";
}

// Little-endian UTF-16 with its byte order mark, as some address books save.
QByteArray utf16(const QString& text)
{
    QByteArray bytes("\xFF\xFE");
    for (const QChar c : text)
        bytes += char(c.unicode() & 0xFF) + QByteArray(1, char(c.unicode() >> 8));
    return bytes;
}

} // namespace

TEST_F(CliTest, HostileFilesGiveAClearLineAndNoCrash)
{
    const Hostile rows[] = {
        {"empty.vcf", QByteArray(), 1, 1, "it is empty"},
        {"truncated.vcf", QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Berg;An"), 1, 1,
         "no entry that can be imported (Phonebook: 1 without its END:VCARD"},
        {"folding.vcf", card("TEL;TYPE=cell:+4670\r\n 1234567\r\nNOTE:a\r\n\tb\r\n"), 0, 0, "1 contacts"},
        {"unknown.vcf", card("X-SHOE-SIZE:42\r\nFOO;BAR=1:x\r\n"), 3, 3, "X-SHOE-SIZE left out of 1 contact"},
        {"photo.vcf", card("PHOTO;ENCODING=b;TYPE=JPEG:" + QByteArray(5 * 1024 * 1024, 'A') + "\r\n"), 3, 3,
         "PHOTO left out of 1 contact"},
        {"utf16.vcf", utf16(QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lindqvist;Zoë\r\nEND:VCARD\r\n")),
         0, 0, "1 contacts"},
        {"cut.xml", "<?xml version='1.0'?>\n<smses count=\"1\">\n<sms address=\"+4670\" body=\"x\"\n", 1, 1,
         "the XML is malformed at line 4"},
        {"unquoted.backup", "[Backup]\r\nFormat = 1.05\r\n[PhonePBK001]\r\nEntry00Type = NumberMobile\r\n"
                            "Entry00Text = x\r\n", 1, 1, "line 5: Entry00Text is not in quotes"},
        {"long.smsbackup", "[SMSBackup000]\r\nPDU = Deliver\r\nNumber = \"" + QByteArray(3000, '1') + "\"\r\n",
         1, 1, "line 3: Number holds 3000 characters"},
    };
    cli.run({QStringLiteral("phone"), QStringLiteral("init"), path(QStringLiteral("blank.json")), QStringLiteral("--blank")});
    for (const Hostile& row : rows) {
        const QString name = QLatin1String(row.name);
        QFile::remove(path(QStringLiteral("out.MS")));
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(row.bytes);
        file.close();
        EXPECT_EQ(cli.run({QStringLiteral("import"), path(name), QStringLiteral("--to"),
                           path(QStringLiteral("out.MS")), QStringLiteral("--overwrite")}),
                  row.importStatus)
            << row.name << cli.out.toStdString() << cli.err.toStdString();
        EXPECT_TRUE((cli.out + cli.err).contains(QLatin1String(row.says))) << row.name << cli.err.toStdString();
        // A refused file leaves no backup behind.
        EXPECT_EQ(QFile::exists(path(QStringLiteral("out.MS"))), row.importStatus != 1) << row.name;
        // The same file straight into a restore: the same verdict.
        const int restored = cli.run({QStringLiteral("restore"), path(QStringLiteral("blank.json")), path(name)});
        EXPECT_EQ(restored, row.restoreStatus) << row.name << cli.out.toStdString();
    }
}
