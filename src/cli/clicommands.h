#pragma once

#include <QStringList>
#include <QTextStream>

// The commands of cellarchive-cli. Each returns the process exit code: 0 when the command did
// all its work, 1 when it ended without doing it, 2 for a usage error, 3 when a run reached its
// end but some items were not read or not written.
namespace cli {

int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace cli
