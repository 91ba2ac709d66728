#pragma once

#include "export/backupcontents.h"
#include "export/gammucodec.h"

#include <QDateTime>

// contacts.vcf and calendar.ics: libgammu's vCard and iCalendar writers, their output made
// into files that today's address books and calendars import.
namespace backupexport {

// One contact as a vCard 2.1 in UTF-8 text: libgammu's own lines left out, quoted-printable
// decoded except where a value holds a line break, properties too long for libgammu added.
QString exportedVcard(const gammucodec::Contact& contact);

// One event or to-do as the lines of its VEVENT or VTODO, ready for one VCALENDAR: its own
// UID and the time stamp of the export, the texts written as iCalendar text, floating times
// kept floating, the to-do's status and priority as iCalendar numbers them.
QStringList exportedCalendarItem(const gammucodec::CalendarItem& item, const QString& uid,
                                 const QDateTime& stamp);

// A text of an event or to-do ("SUMMARY", "LOCATION", "DESCRIPTION"), also when it was too
// long for libgammu.
QString calendarText(const gammucodec::CalendarItem& item, const QString& name);

// The files' contents; entries that cannot be read become problems and are left out.
QByteArray contactsVcf(const Section& contacts, QList<Problem>& problems, int& written);
QByteArray calendarIcs(const Section& calendar, const QDateTime& stamp, QList<Problem>& problems,
                       int& written);

} // namespace backupexport
