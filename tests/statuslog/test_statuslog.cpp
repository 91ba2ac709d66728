#include "statuslog/statuslog.h"
#include "core/programerror.h"
#include "logtexts.h"
#include "fakeclock.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class StatusLogTest : public ::testing::Test
{
protected:
    // Makes folder/log a plain file, so no log folder can be created there.
    QString blockedFolder(const QString& name)
    {
        const QString folder = dir.filePath(name);
        QDir().mkpath(folder);
        QFile blocker(QDir(folder).filePath(QStringLiteral("log")));
        EXPECT_TRUE(blocker.open(QIODevice::WriteOnly));
        return folder;
    }

    QTemporaryDir dir;
    FakeWallClock wall;
    StatusLog log{wall};
};

} // namespace

TEST(StatusLogTexts, DayFileNamesAndSignedNumbers)
{
    EXPECT_EQ(StatusLog::logFileNameForDate(QStringLiteral("5/17/2004")), QStringLiteral("5-17-2004.txt"));
    EXPECT_EQ(StatusLog::logFileNameForDate(QStringLiteral("17.05.2004")), QStringLiteral("17-05-2004.txt"));
    EXPECT_EQ(StatusLog::signed_(0), QStringLiteral(" 0"));
    EXPECT_EQ(StatusLog::signed_(42), QStringLiteral(" 42"));
    EXPECT_EQ(StatusLog::signed_(-5), QStringLiteral("-5"));
}

// The day's file, named once at start-up, in Windows-1252 with CR LF; a phone name with a line
// break cannot split its line or forge another one; error details take four lines.
TEST_F(StatusLogTest, LogLinesAreWrittenWholeToTheDayFile)
{
    log.InitLog(dir.path(), QString());
    EXPECT_EQ(log.LogFile(), dir.filePath(QStringLiteral("log/17-05-2004.txt")));
    log.WriteLog(QStringLiteral("Application Started"));
    log.WriteLog(QString(QChar(0xE9)) + QStringLiteral("t") + QChar(0x20AC));
    log.WriteLog(QStringLiteral("Name->Ann\r\n17.05.2004\t14:30:05\tforged"));
    wall.set(QDateTime(QDate(2004, 5, 18), QTime(0, 0, 1)));
    log.LogErrorDetails(ProgramError(429, QStringLiteral("PMWORKERLib"), QStringLiteral("gone")));
    log.LogErrorDetails(QStringLiteral("bad"), -5, QStringLiteral("lib"));

    QFile file(dir.filePath(QStringLiteral("log/17-05-2004.txt")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("17.05.2004\t14:30:05\tApplication Started\r\n"
                                         "17.05.2004\t14:30:05\t\xE9t\x80\r\n"
                                         "17.05.2004\t14:30:05\tName->Ann  17.05.2004 14:30:05 forged\r\n"
                                         "18.05.2004\t00:00:01\t#################\r\n"
                                         "18.05.2004\t00:00:01\tDesc-->gone\r\n"
                                         "18.05.2004\t00:00:01\tNumber--> 429\r\n"
                                         "18.05.2004\t00:00:01\tSource-->PMWORKERLib\r\n"
                                         "18.05.2004\t00:00:01\t#################\r\n"
                                         "18.05.2004\t00:00:01\tDesc-->bad\r\n"
                                         "18.05.2004\t00:00:01\tNumber-->-5\r\n"
                                         "18.05.2004\t00:00:01\tSource-->lib\r\n"));
}

TEST_F(StatusLogTest, UnusableProgramFolderFallsBackAndAnUnwritableLogDropsLines)
{
    const QString fallback = dir.filePath(QStringLiteral("data"));
    log.InitLog(blockedFolder(QStringLiteral("program")), fallback);
    log.WriteLog(QStringLiteral("Application Started"));
    EXPECT_TRUE(log.logWritable());
    EXPECT_EQ(logTexts(QDir(fallback).filePath(QStringLiteral("log/17-05-2004.txt"))),
              QStringList{QStringLiteral("Application Started")});

    StatusLog lost(wall);
    EXPECT_NO_THROW(lost.InitLog(blockedFolder(QStringLiteral("p2")), blockedFolder(QStringLiteral("d2"))));
    EXPECT_NO_THROW(lost.WriteLog(QStringLiteral("lost")));
    EXPECT_FALSE(lost.logWritable());
    // The status box is a separate channel and goes on working.
    lost.UpdateStat(QStringLiteral("still shown"));
    EXPECT_EQ(lost.statusText(), QStringLiteral("14:30:05 - still shown\r\n"));
}

// An installed program has no folder of its own to log in: its log goes to the fallback folder,
// never into a "log" folder of the working directory.
TEST_F(StatusLogTest, WithoutAProgramFolderTheLogGoesToTheFallbackFolder)
{
    const QString working = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    log.InitLog(QString(), dir.filePath(QStringLiteral("data")));
    QDir::setCurrent(working);
    EXPECT_EQ(log.LogFile(), dir.filePath(QStringLiteral("data/log/17-05-2004.txt")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("log"))));
}

TEST_F(StatusLogTest, StatusBoxShowsNewestLineFirstAndNeverReachesTheLog)
{
    log.InitLog(dir.path(), QString());
    QSignalSpy changed(&log, &StatusLog::statusLineAdded);
    log.UpdateStat(QStringLiteral("a"));
    log.UpdateStat(QStringLiteral("b"));
    wall.set(QDateTime(QDate(2004, 5, 17), QTime(9, 1, 2)));
    log.UpdateStat(QStringLiteral("c"));
    log.UpdateStat(QString());
    log.UpdateStat(QStringLiteral("d\ne"));
    EXPECT_EQ(log.statusText(), QStringLiteral("09:01:02 - d e\r\n09:01:02 - \r\n09:01:02 - c\r\n"
                                               "14:30:05 - b\r\n14:30:05 - a\r\n"));
    EXPECT_EQ(changed.count(), 5);
    EXPECT_FALSE(QFile::exists(log.LogFile()));

    log.clearStatus();
    EXPECT_TRUE(log.statusText().isEmpty());
    EXPECT_EQ(changed.count(), 5);
}

// The log names contacts and numbers: owner-only, also a folder that an earlier version left
// open to everyone.
TEST_F(StatusLogTest, LogIsTheOwnersAlone)
{
    const QString folder = dir.filePath(QStringLiteral("log"));
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::permissions(folder) | QFileDevice::ReadOther);
    log.InitLog(dir.path(), QString());
    log.WriteLog(QStringLiteral("Anna +4917012345678"));
    // The owner's, group's and others' bits, as Qt numbers them (0x7077): 0600 and 0700.
    const auto mode = [](const QString& path) {
        return QFileInfo(path).permissions().toInt() & 0x7077;
    };
    EXPECT_EQ(mode(log.LogFile()), 0x6000);
    EXPECT_EQ(mode(folder), 0x7000);
}
