#pragma once

#include <QStringList>
#include <QTextStream>

namespace cli {

// `phone serial IMAGE [--link PATH]`: serves the phone of IMAGE as an AT modem on a
// pseudo-terminal until SIGINT or SIGTERM, or until the image's faults cut the line.
int phoneSerial(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace cli
