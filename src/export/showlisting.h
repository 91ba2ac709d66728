#pragma once

#include "export/backupcontents.h"

// The listing of `cellarchive-cli show`: per section in file order a heading with the count,
// then one aligned line per item; lines that could not be read are marked with "!".
namespace backupexport {

// A line or item that could not be read, with the section it is in (-1: outside any).
struct Unreadable
{
    qint16 iTag = -1;
    Problem problem;
};

struct Listing
{
    QStringList lines;
    int problems = 0; // lines and items that could not be read
    QList<Unreadable> unreadable; // the same, in the order they are listed
};

// A problem as the listing names it, without its mark: "line 12: not an entry line".
QString problemText(const Problem& problem);

// onlyTag limits the listing to one section (-1 for all); passwords are "***" unless shown.
Listing showListing(const BackupContents& contents, int onlyTag, bool showPasswords);

// The section a `--section` name means: the section's name in the file or the category's
// name on the command line, letter case ignored; -1 when it names none.
int sectionTagForName(const QString& name);

} // namespace backupexport
