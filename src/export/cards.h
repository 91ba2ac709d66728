#pragma once

#include "export/backupcontents.h"
#include "export/entrysource.h"
#include "gammucodec/gammucodec.h"

#include <QDateTime>
#include <QTimeZone>

// contacts.vcf and calendar.ics: what libgammu reads of the entries, with what its reader
// changes or drops taken from the entries as written, made into files that today's address
// books and calendars import.
namespace backupexport {

// One event or to-do as the lines of its VEVENT or VTODO, ready for one VCALENDAR: its own
// UID and the time stamp of the export, the texts written as iCalendar text, the times as the
// entry writes them (a phone's wall-clock time floating, or in zone when that is valid; a
// date as a date), its categories as written, the priority as iCalendar numbers it.
QStringList exportedCalendarItem(const gammucodec::CalendarItem& item,
                                 const CalendarSource& source, const QString& uid,
                                 const QDateTime& stamp, const QTimeZone& zone);

// A text of an event or to-do ("SUMMARY", "LOCATION", "DESCRIPTION"), also when it was too
// long for libgammu.
QString calendarText(const gammucodec::CalendarItem& item, const QString& name);

// A UID that is the same in every export of the same entry and differs for each repeat of
// identical text in one export: repeats counts the texts seen so far.
QString stableUid(const QByteArray& text, QHash<QByteArray, int>& repeats);

// The name of a contact as an address book shows it; empty only when the entry holds no name,
// number or address at all.
QString displayName(const QString& entry, const gammucodec::Contact& contact);

enum class VcardVersion { V21, V30 };

// The files' contents; entries that cannot be read become problems and are left out. An
// invalid zone keeps the phone's times floating.
QByteArray contactsVcf(const Section& contacts, VcardVersion version, QList<Problem>& problems,
                       int& written);
QByteArray calendarIcs(const Section& calendar, const QDateTime& stamp, const QTimeZone& zone,
                       QList<Problem>& problems, int& written);

} // namespace backupexport
