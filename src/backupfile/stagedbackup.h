#pragma once

#include <QString>

// A backup is written beside its target and takes the target's place only when the run ended
// normally, so a run cut short, or a crash, never costs the previous backup.
namespace stagedbackup {

// Creates the file the run writes, "NAME.MS.XXXXXX.partial" beside the target: a name of its
// own, created exclusively and owner-only, so two runs into one path never share it. Its path,
// or an empty text with the reason in error.
QString createStaging(const QString& target, QString& error);
// Whether the file holds a section with its closing line and something between the two: only
// such a file may take the place of an earlier backup.
bool holdsFilledSection(const QString& path);
// Where a run cut short leaves what it wrote when a previous backup is kept: "NAME.incomplete.MS".
QString incompletePath(const QString& target);
// The nth name beside target for a backup that cannot take target's place: "NAME-2.MS" for 2.
QString numberedPath(const QString& target, int n);
// Moves the file from onto to in one step, once its data are on disk; the file keeps its
// owner-only permissions. A file at to is replaced only when replace is set. False with the
// reason in error; targetTaken then tells that another file stood at to.
bool moveOnto(const QString& from, const QString& to, bool replace, QString& error,
              bool* targetTaken = nullptr);

} // namespace stagedbackup
