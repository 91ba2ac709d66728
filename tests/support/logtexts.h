#pragma once

#include "core/codepage.h"

#include <QFile>
#include <QStringList>

// The text field of every line of a log file, in file order.
inline QStringList logTexts(const QString& logFile)
{
    QFile file(logFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList texts;
    const QStringList lines = codepage::decode(file.readAll()).split(QStringLiteral("\r\n"));
    for (const QString& line : lines) {
        if (!line.isEmpty())
            texts << line.section(QLatin1Char('\t'), 2);
    }
    return texts;
}
