#pragma once

#include "core/codepage.h"
#include "qtprint.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A file under tests/data.
inline QString testDataPath(const QString& relative)
{
    return QDir(qEnvironmentVariable("CELLARCHIVE_TEST_DATA")).filePath(relative);
}

// Compares actual whole with the file tests/data/<relative>, or writes it there when
// CELLARCHIVE_UPDATE_GOLDEN is set (read the diff before committing it). The lines are compared
// first, for a failure that shows the line that changed; then the bytes, line ends included.
inline void expectGoldenFile(const QByteArray& actual, const QString& relative)
{
    QFile golden(testDataPath(relative));
    if (qEnvironmentVariableIsSet("CELLARCHIVE_UPDATE_GOLDEN")) {
        QDir().mkpath(QFileInfo(golden).path());
        ASSERT_TRUE(golden.open(QIODevice::WriteOnly));
        golden.write(actual);
        return;
    }
    const QByteArray expected = fileBytes(golden.fileName());
    // Windows-1252 for the backup files, so that every byte shows as one character.
    const bool utf8 = !relative.endsWith(QLatin1String(".MS"));
    const auto lines = [utf8](const QByteArray& bytes) {
        return (utf8 ? QString::fromUtf8(bytes) : codepage::decode(bytes)).split(QLatin1Char('\n'));
    };
    EXPECT_EQ(lines(actual), lines(expected)) << relative.toStdString();
    EXPECT_TRUE(actual == expected) << relative.toStdString();
}
