#pragma once

#include "export/backupcontents.h"

// The listing of `cellarchive-cli show`: per section in file order a heading with the count,
// then one aligned line per item; lines that could not be read are marked with "!".
namespace backupexport {

struct Listing
{
    QStringList lines;
    int problems = 0; // lines and items that could not be read
};

// onlyTag limits the listing to one section (-1 for all); passwords are "***" unless shown.
Listing showListing(const BackupContents& contents, int onlyTag, bool showPasswords);

// The section a `--section` name means: the section's name in the file or the category's
// name on the command line, letter case ignored; -1 when it names none.
int sectionTagForName(const QString& name);

} // namespace backupexport
