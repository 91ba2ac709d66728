#include "statuslog/statuslog.h"
#include "core/programerror.h"
#include "logtexts.h"
#include "fakeclock.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Makes folder/log a plain file, so no log folder can be created there.
void blockLogFolder(const QString& folder)
{
    QDir().mkpath(folder);
    QFile blocker(QDir(folder).filePath(QStringLiteral("log")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
}

} // namespace

TEST(StatusLog, DayFileNameReplacesSlashesAndDots)
{
    EXPECT_EQ(StatusLog::logFileNameForDate(QStringLiteral("5/17/2004")),
              QStringLiteral("5-17-2004.txt"));
    EXPECT_EQ(StatusLog::logFileNameForDate(QStringLiteral("17.05.2004")),
              QStringLiteral("17-05-2004.txt"));
}

TEST(StatusLog, SignedNumbersInTexts)
{
    EXPECT_EQ(StatusLog::signed_(0), QStringLiteral(" 0"));
    EXPECT_EQ(StatusLog::signed_(42), QStringLiteral(" 42"));
    EXPECT_EQ(StatusLog::signed_(-5), QStringLiteral("-5"));
}

TEST(StatusLog, FirstStartCreatesLogFolderAndWritesCrLfLines)
{
    QTemporaryDir dir;
    FakeWallClock wall;
    StatusLog log(wall);
    log.InitLog(dir.path(), QString());
    EXPECT_EQ(log.LogFile(), dir.filePath(QStringLiteral("log/17-05-2004.txt")));
    log.WriteLog(QStringLiteral("Application Started"));
    log.WriteLog(QString(QChar(0xE9)) + QStringLiteral("t") + QChar(0x20AC));
    // A phone name with a line break cannot split its line or forge another one.
    log.WriteLog(QStringLiteral("Name->Ann\r\n17.05.2004\t14:30:05\tforged"));

    QFile file(log.LogFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("17.05.2004\t14:30:05\tApplication Started\r\n"
                                         "17.05.2004\t14:30:05\t\xE9t\x80\r\n"
                                         "17.05.2004\t14:30:05\tName->Ann  17.05.2004 14:30:05 "
                                         "forged\r\n"));
}

TEST(StatusLog, NameIsFixedAtInitAcrossMidnight)
{
    QTemporaryDir dir;
    FakeWallClock wall;
    StatusLog log(wall);
    log.InitLog(dir.path(), QString());
    wall.set(QDateTime(QDate(2004, 5, 18), QTime(0, 0, 1)));
    log.WriteLog(QStringLiteral("after midnight"));
    EXPECT_EQ(logTexts(dir.filePath(QStringLiteral("log/17-05-2004.txt"))),
              QStringList{QStringLiteral("after midnight")});
}

TEST(StatusLog, UnusableProgramFolderFallsBack)
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("program"));
    const QString fallback = dir.filePath(QStringLiteral("data"));
    blockLogFolder(program);
    FakeWallClock wall;
    StatusLog log(wall);
    log.InitLog(program, fallback);
    log.WriteLog(QStringLiteral("Application Started"));
    EXPECT_TRUE(log.logWritable());
    EXPECT_EQ(logTexts(QDir(fallback).filePath(QStringLiteral("log/17-05-2004.txt"))),
              QStringList{QStringLiteral("Application Started")});
}

TEST(StatusLog, UnwritableLogDropsLinesWithoutFailing)
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("program"));
    const QString fallback = dir.filePath(QStringLiteral("data"));
    blockLogFolder(program);
    blockLogFolder(fallback);
    FakeWallClock wall;
    StatusLog log(wall);
    EXPECT_NO_THROW(log.InitLog(program, fallback));
    EXPECT_NO_THROW(log.WriteLog(QStringLiteral("lost")));
    EXPECT_FALSE(log.logWritable());
    // The status box is a separate channel and goes on working.
    log.UpdateStat(QStringLiteral("still shown"));
    EXPECT_EQ(log.statusText(), QStringLiteral("14:30:05 - still shown\r\n"));
}

TEST(StatusLog, StatusBoxShowsNewestLineFirstAndNeverReachesTheLog)
{
    QTemporaryDir dir;
    FakeWallClock wall;
    StatusLog log(wall);
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

TEST(StatusLog, ErrorDetailsAreFourLines)
{
    QTemporaryDir dir;
    FakeWallClock wall;
    StatusLog log(wall);
    log.InitLog(dir.path(), QString());
    log.LogErrorDetails(ProgramError(429, QStringLiteral("PMWORKERLib"), QStringLiteral("gone")));
    log.LogErrorDetails(QStringLiteral("bad"), -5, QStringLiteral("lib"));
    EXPECT_EQ(logTexts(log.LogFile()),
              (QStringList{QStringLiteral("#################"), QStringLiteral("Desc-->gone"),
                           QStringLiteral("Number--> 429"), QStringLiteral("Source-->PMWORKERLib"),
                           QStringLiteral("#################"), QStringLiteral("Desc-->bad"),
                           QStringLiteral("Number-->-5"), QStringLiteral("Source-->lib")}));
}
