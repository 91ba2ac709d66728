#pragma once

#include "programharness.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QString goldenPath(const QString& relative)
{
    return QDir(qEnvironmentVariable("CELLARCHIVE_TEST_DATA")).filePath(QStringLiteral("categories/") + relative);
}

// Compares actual whole with the file tests/data/categories/<name>, or writes it there when
// CELLARCHIVE_UPDATE_GOLDEN is set (read the diff before committing it). Text files are
// compared line by line for a readable failure.
inline void expectGolden(const QByteArray& actual, const QString& name)
{
    QFile golden(goldenPath(name));
    if (qEnvironmentVariableIsSet("CELLARCHIVE_UPDATE_GOLDEN")) {
        QDir().mkpath(QFileInfo(golden).path());
        ASSERT_TRUE(golden.open(QIODevice::WriteOnly));
        golden.write(actual);
        return;
    }
    const QByteArray expected = fileBytes(golden.fileName());
    if (name.endsWith(QLatin1String(".txt"))) {
        EXPECT_EQ(QString::fromUtf8(actual).split(QLatin1Char('\n')),
                  QString::fromUtf8(expected).split(QLatin1Char('\n')))
            << name.toStdString();
    } else {
        EXPECT_TRUE(actual == expected) << name.toStdString();
    }
}
