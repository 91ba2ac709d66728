#pragma once

#include <QString>

#include <optional>

// The note a backup leaves before its profile walk: which profile was active on which phone.
// The walk switches the phone's active profile; a process killed during it cannot switch it
// back, so the next run finds the note and does.
namespace profilewalknote {

// The note's file for the phone in folder.
QString path(const QString& folder, const QString& imei);
// Writes the note, owner-only; false when it cannot be written.
bool write(const QString& folder, const QString& imei, qint16 active);
// The profile the note names for this phone, or none.
std::optional<qint16> read(const QString& folder, const QString& imei);
void remove(const QString& folder, const QString& imei);

} // namespace profilewalknote
