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

// The section called name, its tags included; empty unless both tags are there in order.
inline QStringList sectionOf(const QStringList& lines, const QString& name)
{
    const qsizetype from = lines.indexOf(QLatin1Char('<') + name + QLatin1Char('>'));
    const qsizetype to = lines.indexOf(QLatin1Char('<') + name + QStringLiteral("/>"));
    return from < 0 || to < from ? QStringList() : lines.mid(from, to - from + 1);
}

// Changes the faults of the harness's phone; those set before stay unless edit clears them.
template <typename Edit> void editFaults(ProgramHarness& harness, Edit edit)
{
    phonesim::Faults faults = harness.image->faults();
    edit(faults);
    harness.image->setFaults(faults);
}
