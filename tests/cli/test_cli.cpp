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
