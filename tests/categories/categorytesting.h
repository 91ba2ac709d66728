#pragma once

#include "programharness.h"

#include <QStringList>

// The lines that start with prefix, in their order.
inline QStringList linesStartingWith(const QStringList& lines, const QString& prefix)
{
    QStringList found;
    for (const QString& line : lines) {
        if (line.startsWith(prefix))
            found << line;
    }
    return found;
}
