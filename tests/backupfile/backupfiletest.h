#pragma once

#include "logtexts.h"

#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "fakeclock.h"
#include "phone/phonelink.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "qtprint.h"

// A backup file with its log in a fresh temporary folder; the log's texts are read back
// without their date and time.
class BackupFileTest : public ::testing::Test
{
protected:
    BackupFileTest() : log(wallClock), file(log, clock, link)
    {
        log.InitLog(dir.path(), QString());
        file.sBackUpFIleName = path(QStringLiteral("backup.MS"));
    }

    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    QStringList logTexts() const { return ::logTexts(log.LogFile()); }

    void writeBytes(const QString& name, const QByteArray& bytes)
    {
        QFile out(path(name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }

    // Loads lines as if read from a file, with the trailing empty element.
    void setLines(QStringList lines)
    {
        lines << QString();
        file.sFileLines = lines;
    }

    QTemporaryDir dir;
    FakeWallClock wallClock;
    FakeClock clock;
    StatusLog log;
    PhoneLink link;
    BackupFile file;
};
