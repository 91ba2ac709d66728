#pragma once

#include <QByteArray>

// One input of the codec fuzz target: arbitrary bytes read as a backup file, then listed as
// `show` lists it, made into the export's files, and decoded as the libgammu store decodes
// entries and messages on a restore, without a phone. Returns the number of entries and
// messages that libgammu read, so that nothing of the work is optimised away.
int runCodecInput(const QByteArray& bytes);
