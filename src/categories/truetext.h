#pragma once

#include <QString>

// A Boolean element read back from a backup file counts as true when its lower-case text
// contains "true", so "True", "TRUE" and hand-edited variants all mean the same.
inline bool IsTrueText(const QString& text)
{
    return text.toLower().contains(QLatin1String("true"));
}
