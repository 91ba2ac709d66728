#include "export/cards.h"

#include "core/vproperty.h"
#include "export/exporttext.h"
#include "export/vtimezone.h"

#include <QCryptographicHash>

namespace backupexport {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Lines of a writer's output, without their line ends.
QStringList outputLines(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString dateText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd"));
}

// A time property as the entry means it; empty when the entry writes it in a form of its own,
// so that libgammu's line stays.
QString timeLine(const QString& name, const CalendarSource& source, const QTimeZone& zone)
{
    const SourceTime time = source.time(name);
    const SourceTime start = source.time(QStringLiteral("DTSTART"));
    const bool allDay = start.form == SourceTime::Form::Date;
    if (allDay || time.form == SourceTime::Form::Date) {
        if (!time.date.isValid())
            return QString();
        QDate date = time.date;
        // An all-day event ends on the day after its last day; a phone writes its last day.
        if (name == QLatin1String("DTEND") && allDay && date <= start.date)
            date = start.date.addDays(1);
        return name + QStringLiteral(";VALUE=DATE:") + dateText(date);
    }
    const QString text = dateText(time.date) + QLatin1Char('T') +
                         time.time.toString(QStringLiteral("HHmmss"));
    if (time.form == SourceTime::Form::Utc)
        return name + QLatin1Char(':') + text + QLatin1Char('Z');
    if (time.form != SourceTime::Form::Floating)
        return QString();
    if (zone.isValid())
        return name + QStringLiteral(";TZID=") + QString::fromUtf8(zone.id()) + QLatin1Char(':') + text;
    return name + QLatin1Char(':') + text;
}

// iCalendar's 1 to 9 for vCalendar's 1 (high), 2 (medium) and 3 or more (low).
int icalPriority(int vcalendar)
{
    return vcalendar <= 0 ? 0 : vcalendar == 1 ? 1 : vcalendar == 2 ? 5 : 9;
}

} // namespace

QString calendarText(const gammucodec::CalendarItem& item, const QString& name)
{
    for (const QString& line : item.overlong) {
        const vproperty::Property property = vproperty::parse(line);
        if (property.name == name)
            return property.text;
    }
    if (name == QLatin1String("SUMMARY"))
        return item.summary;
    if (name == QLatin1String("LOCATION"))
        return item.location;
    return name == QLatin1String("DESCRIPTION") ? item.description : QString();
}

QString stableUid(const QByteArray& text, QHash<QByteArray, int>& repeats)
{
    const int repeat = repeats[text]++;
    // The first of identical texts keeps the UID that text had before repeats were counted.
    const QByteArray hash = QCryptographicHash::hash(
        repeat == 0 ? text : text + '#' + QByteArray::number(repeat), QCryptographicHash::Sha1);
    return QString::fromLatin1(hash.toHex().left(20)) + QStringLiteral("@cellarchive");
}

QStringList exportedCalendarItem(const gammucodec::CalendarItem& item,
                                 const CalendarSource& source, const QString& uid,
                                 const QDateTime& stamp, const QTimeZone& zone)
{
    const QStringList output = outputLines(item.icalendar);
    const QString begin = item.todo ? QStringLiteral("BEGIN:VTODO") : QStringLiteral("BEGIN:VEVENT");
    const QString end = item.todo ? QStringLiteral("END:VTODO") : QStringLiteral("END:VEVENT");
    QStringList lines;
    lines.append(begin);
    lines.append(QStringLiteral("UID:") + uid);
    lines.append(QStringLiteral("DTSTAMP:") +
                 stamp.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")));
    // libgammu writes its texts without iCalendar's escaping, its own UID for every entry,
    // a category of its own choice and a priority the wrong way round; all are written here
    // instead.
    const QString summary = calendarText(item, QStringLiteral("SUMMARY"));
    const QString location = calendarText(item, QStringLiteral("LOCATION"));
    const QString description = calendarText(item, QStringLiteral("DESCRIPTION"));
    if (!summary.isEmpty())
        lines.append(foldIcalLine(QStringLiteral("SUMMARY:") + icalEscape(summary)));
    if (!location.isEmpty())
        lines.append(foldIcalLine(QStringLiteral("LOCATION:") + icalEscape(location)));
    if (!description.isEmpty())
        lines.append(foldIcalLine(QStringLiteral("DESCRIPTION:") + icalEscape(description)));
    if (const int priority = icalPriority(source.priority()); item.todo && priority > 0)
        lines.append(QStringLiteral("PRIORITY:%1").arg(priority));
    QStringList categories;
    for (const QString& category : source.categories())
        categories.append(icalEscape(category));
    if (!categories.isEmpty())
        lines.append(foldIcalLine(QStringLiteral("CATEGORIES:") + categories.join(QLatin1Char(','))));
    // The times as the entry writes them: libgammu writes every time as UTC, and leaves out
    // a to-do's due time now and then. A time in a form of its own keeps libgammu's line, and
    // so does a birthday, which libgammu makes an all-day event.
    QStringList ownTimes;
    const bool allDay = std::any_of(output.begin(), output.end(), [](const QString& line) {
        return line.startsWith(QLatin1String("DTSTART;VALUE=DATE:"));
    });
    for (const char* name : {"DTSTART", "DTEND", "DUE"}) {
        const QString line = allDay ? QString() : timeLine(QString::fromLatin1(name), source, zone);
        if (!line.isEmpty()) {
            lines.append(line);
            ownTimes.append(QString::fromLatin1(name));
        }
    }

    const qsizetype first = output.indexOf(begin);
    const qsizetype last = output.indexOf(end, first);
    bool skipping = false;
    bool inAlarm = false;
    bool alarmAction = false;
    for (qsizetype i = first + 1; first >= 0 && i < last; ++i) {
        QString line = output.at(i);
        if (line.startsWith(QLatin1Char(' '))) {
            if (!skipping)
                lines.last() += kCrLf + line;
            continue;
        }
        const QString name = propertyName(line);
        // An alarm needs its ACTION, which libgammu leaves out; the phone's alarm is a tone.
        if (line == QLatin1String("BEGIN:VALARM") || line == QLatin1String("END:VALARM")) {
            if (inAlarm && !alarmAction)
                lines.append(QStringLiteral("ACTION:AUDIO"));
            inAlarm = line.startsWith(QLatin1String("BEGIN"));
            alarmAction = false;
            skipping = false;
            lines.append(line);
            continue;
        }
        if (inAlarm) {
            alarmAction = alarmAction || name == QLatin1String("ACTION");
            skipping = false;
            lines.append(line);
            continue;
        }
        skipping = name == QLatin1String("UID") || name == QLatin1String("DTSTAMP") ||
                   name == QLatin1String("SUMMARY") || name == QLatin1String("LOCATION") ||
                   name == QLatin1String("DESCRIPTION") || name == QLatin1String("PRIORITY") ||
                   name == QLatin1String("CATEGORIES") || ownTimes.contains(name) ||
                   // A to-do is not confirmed: that is an event's status.
                   (item.todo && line == QLatin1String("STATUS:CONFIRMED")) ||
                   // vCalendar's alarm, which the VALARM beside it says in iCalendar's way.
                   ((name == QLatin1String("AALARM") || name == QLatin1String("DALARM")) &&
                    output.contains(QStringLiteral("BEGIN:VALARM")));
        if (skipping)
            continue;
        if (line == QLatin1String("STATUS:NEEDS ACTION"))
            line = QStringLiteral("STATUS:NEEDS-ACTION");
        // An all-day event ends on the day after its last day; libgammu writes its last day.
        const QString dateEnd = QStringLiteral("DTEND;VALUE=DATE:");
        if (line.startsWith(dateEnd) && item.start.isValid()) {
            const QDate date = QDate::fromString(line.mid(dateEnd.size()), QStringLiteral("yyyyMMdd"));
            if (date.isValid() && date <= item.start.date())
                line = dateEnd + item.start.date().addDays(1).toString(QStringLiteral("yyyyMMdd"));
        }
        lines.append(line);
    }
    // libgammu keeps a birthday or anniversary as such but writes no repetition for it.
    if (output.contains(QStringLiteral("CATEGORIES:ANNIVERSARY")) &&
        !std::any_of(lines.begin(), lines.end(),
                     [](const QString& line) { return line.startsWith(QLatin1String("RRULE")); }))
        lines.append(QStringLiteral("RRULE:FREQ=YEARLY"));
    lines.append(end);
    return lines;
}

QByteArray calendarIcs(const Section& calendar, const QDateTime& stamp, const QTimeZone& zone,
                       QList<Problem>& problems, int& written)
{
    QStringList lines{QStringLiteral("BEGIN:VCALENDAR"), QStringLiteral("VERSION:2.0"),
                      QStringLiteral("PRODID:-//Cellarchive//Cellarchive %1.%2.%3//EN")
                          .arg(CELLARCHIVE_VERSION_MAJOR)
                          .arg(CELLARCHIVE_VERSION_MINOR)
                          .arg(CELLARCHIVE_VERSION_PATCH)};
    QStringList components;
    QList<QDate> floating;
    QHash<QByteArray, int> repeats;
    written = 0;
    for (const Entry& entry : calendar.entries) {
        const QList<gammucodec::CalendarItem> items = gammucodec::decodeCalendar(entry.text);
        const QList<CalendarSource> sources = calendarSources(entry.text);
        if (items.isEmpty())
            problems.append({entry.line, QStringLiteral("no event or to-do in the entry")});
        for (qsizetype i = 0; i < items.size(); ++i) {
            const gammucodec::CalendarItem& item = items.at(i);
            if (!item.ok) {
                problems.append({entry.line, item.error});
                continue;
            }
            const CalendarSource source = i < sources.size() ? sources.at(i) : CalendarSource();
            // The same entry gives the same UID in every export, so a calendar that imports
            // the file twice sees the same event.
            const QString uid = stableUid(entry.text.toUtf8() + QByteArray::number(i), repeats);
            components.append(exportedCalendarItem(item, source, uid, stamp, zone));
            for (const char* name : {"DTSTART", "DTEND", "DUE"}) {
                const SourceTime time = source.time(QString::fromLatin1(name));
                if (time.form == SourceTime::Form::Floating)
                    floating.append(time.date);
            }
            ++written;
            for (const QString& line : item.overlong) {
                const QString name = vproperty::parse(line).name;
                if (name != QLatin1String("SUMMARY") && name != QLatin1String("LOCATION") &&
                    name != QLatin1String("DESCRIPTION"))
                    problems.append({entry.line, QStringLiteral("%1 of \"%2\" left out: too long or "
                                                                "too many properties")
                                                     .arg(name, calendarText(item, QStringLiteral("SUMMARY")))});
            }
        }
    }
    if (zone.isValid() && !floating.isEmpty()) {
        const auto [earliest, latest] = std::minmax_element(floating.begin(), floating.end());
        lines.append(vtimezone(zone, *earliest, *latest));
    }
    lines.append(components);
    lines.append(QStringLiteral("END:VCALENDAR"));
    return (lines.join(kCrLf) + kCrLf).toUtf8();
}

} // namespace backupexport
