#pragma once

#include <QString>
#include <QStringList>
#include <functional>

struct CategoryServices;

// A section of numbered groups: each group is a Number line and the element lines after it,
// up to the next Number line. An element line before any Number line that names a group has
// nowhere to go and is passed over, said in the log.
struct NumberedGroups
{
    // The lines readElements passes over (the section's and the groups' tag lines) and the
    // section's closing line.
    QString skipText;
    QString closingText;
    // The index of the group a Number value names, or -1, said in the log, when it names none.
    std::function<int(const QString& value)> open;
    // The keys of a group's elements; another key is passed over, said in the log unless
    // quietUnknown.
    QStringList elements;
    bool quietUnknown = false;
    // How the log line for an element line without a group starts; its key and value follow.
    QString withoutGroup;
    // Takes an element line of the group at index.
    std::function<void(int index, const QString& key, const QString& value)> element;
};

// Reads the section that opens at lineIndex; returns the last line read.
int readNumberedGroups(CategoryServices& services, int lineIndex, const NumberedGroups& groups);

// For NumberedGroups::open: the index of a whole Number value from first to last, counted
// from first; -1 when it is none, said in the log as outOfRange followed by the value.
int numberIndex(CategoryServices& services, const QString& value, qint32 first, qint64 last,
                const QString& outOfRange);
