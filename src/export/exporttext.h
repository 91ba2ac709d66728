#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimeZone>

// Small text rules shared by the listing and the exported files.
namespace backupexport {

// Text for an XML attribute value: markup characters and line breaks as references;
// characters that XML 1.0 cannot carry at all are left out.
QString xmlEscape(const QString& text);
// Text for an iCalendar TEXT value: separators escaped, line breaks as "\n", other control
// characters left out.
QString icalEscape(const QString& text);
// An iCalendar content line folded at 75 octets of UTF-8, every continuation line starting
// with a blank.
QString foldIcalLine(const QString& line);

// Milliseconds since 1970-01-01 00:00 UTC.
qint64 epochMs(const QDateTime& time);
// "12 Mar 2024 08:30:00" in the given zone, English month names whatever the locale.
QString readableDate(const QDateTime& time, const QTimeZone& zone);
// "2024-03-12 08:30", followed by " UTC" for a UTC time and by the offset ("+01:00") for a
// time with one; a floating local time has neither.
QString listingTime(const QDateTime& time);

// The columns a terminal gives text: two for a wide East Asian character, none for a
// combining mark.
int displayWidth(const QString& text);
// Rows of cells as lines with every column but the last padded to its widest cell, by the
// columns the cells take on a terminal.
QStringList alignRows(const QList<QStringList>& rows, const QString& indent);

} // namespace backupexport
