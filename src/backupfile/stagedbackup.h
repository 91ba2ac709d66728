#pragma once

#include <QString>

// A backup is written beside its target and takes the target's place only when the run ended
// normally, so a run cut short, or a crash, never costs the previous backup.
namespace stagedbackup {

// Where the run writes: "NAME.MS.partial" beside the target.
QString stagingPath(const QString& target);
// Where a run cut short leaves what it wrote when a previous backup is kept: "NAME.incomplete.MS".
QString incompletePath(const QString& target);
// Moves the file from onto to in one step, replacing a file at to; the file keeps its
// owner-only permissions. False with the reason in error.
bool moveOnto(const QString& from, const QString& to, QString& error);

} // namespace stagedbackup
