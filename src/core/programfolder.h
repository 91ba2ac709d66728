#pragma once

#include <QString>

// The folder whose "log" folder a program writes its log in: its own folder while it runs from
// the build folder it was built in, none once it is installed or copied elsewhere. An installed
// program so logs in the user's data folder, never beside itself (/usr/bin/log), even when it
// could write there.
QString programLogFolder();

// Whether programFolder lies in buildFolder; both are compared as the files they name, so a
// link to the build folder counts, and a folder that does not exist never does.
bool isInBuildFolder(const QString& programFolder, const QString& buildFolder);

// The program's folder in the user's data location (~/.local/share/cellarchive): the phones it
// makes, and the log of an installed program.
QString programDataFolder();
