#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

// An entry's properties as the backup file holds them. libgammu's reader changes or drops
// some of them (escaped separators, date-only times, categories, a photo's encoding); the
// exports take those from here.
namespace backupexport {

// The logical lines of an entry: continuation lines (a quoted-printable soft break, or a line
// that starts with a blank) joined to their line with CR LF, as vproperty::parse takes them.
QStringList logicalLines(const QString& entry);

// The property's name in upper case, without its parameters.
QString propertyName(const QString& line);
// Its parameters as written, without the name.
QStringList propertyParams(const QString& line);
// Its value as written: not decoded, not unfolded.
QString propertyValue(const QString& line);

// A time of an event or to-do as the entry writes it.
struct SourceTime
{
    enum class Form { None, Date, Floating, Utc, Other };
    Form form = Form::None;
    QDate date;
    QTime time;
};
SourceTime parseSourceTime(const QString& value);

// One VEVENT or VTODO of a vCalendar entry.
struct CalendarSource
{
    QStringList lines; // logical lines, BEGIN and END included

    // The first property of that name; empty when there is none.
    QString line(const QString& name) const;
    SourceTime time(const QString& name) const;
    // vCalendar's priority number (1 the highest); 0 when there is none.
    int priority() const;
    // The categories as written, in order.
    QStringList categories() const;
};

// Every VEVENT and VTODO of the entry, in the order libgammu's codec reads them.
QList<CalendarSource> calendarSources(const QString& entry);

} // namespace backupexport
