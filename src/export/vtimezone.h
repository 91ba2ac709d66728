#pragma once

#include <QDate>
#include <QStringList>
#include <QTimeZone>

namespace backupexport {

// The VTIMEZONE of zone for the times from first to last: every change of its offset from
// the year before first to the year after last, each as a STANDARD or DAYLIGHT of its own.
QStringList vtimezone(const QTimeZone& zone, const QDate& first, const QDate& last);

} // namespace backupexport
