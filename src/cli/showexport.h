#pragma once

#include <QStringList>
#include <QTextStream>

// `show` and `export`: a backup file read without a phone. Exit codes as for every command,
// and 3 when the command reached its end but some items could not be read or written.
namespace cli {

int show(const QStringList& arguments, QTextStream& out, QTextStream& err);
int exportBackup(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace cli
