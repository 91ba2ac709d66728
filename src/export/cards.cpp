#include "export/cards.h"

#include "core/vproperty.h"
#include "export/exporttext.h"

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

QString propertyName(const QString& line)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    return (colon < 0 ? line : line.left(colon)).section(QLatin1Char(';'), 0, 0).toUpper();
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

QString exportedVcard(const gammucodec::Contact& contact)
{
    QStringList lines;
    for (QString line : outputLines(contact.vcard)) {
        const QString name = propertyName(line);
        if (name.startsWith(QLatin1String("X-GAMMU-")))
            continue;
        if (name == QLatin1String("END")) {
            for (const QString& whole : contact.overlong)
                lines.append(vproperty::utf8Line(vproperty::parse(whole)));
        }
        QString head = line.left(line.indexOf(QLatin1Char(':')));
        // libgammu's writer marks the first number preferred whether or not the entry did.
        if (name == QLatin1String("TEL") && head.contains(QLatin1String(";PREF"))) {
            const qsizetype colon = head.size();
            head.remove(QLatin1String(";PREF"));
            line = head + line.mid(colon);
        }
        if (head.contains(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive))
            lines.append(vproperty::utf8Line(vproperty::parse(line)));
        else
            lines.append(line);
    }
    return lines.join(kCrLf) + kCrLf;
}

QStringList exportedCalendarItem(const gammucodec::CalendarItem& item, const QString& uid,
                                 const QDateTime& stamp)
{
    const QStringList output = outputLines(item.icalendar);
    const QString begin = item.todo ? QStringLiteral("BEGIN:VTODO") : QStringLiteral("BEGIN:VEVENT");
    const QString end = item.todo ? QStringLiteral("END:VTODO") : QStringLiteral("END:VEVENT");
    QStringList lines;
    lines.append(begin);
    lines.append(QStringLiteral("UID:") + uid);
    lines.append(QStringLiteral("DTSTAMP:") +
                 stamp.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")));
    // libgammu writes its texts without iCalendar's escaping and its own UID for every
    // entry; both are written here instead.
    const QString summary = calendarText(item, QStringLiteral("SUMMARY"));
    const QString location = calendarText(item, QStringLiteral("LOCATION"));
    const QString description = calendarText(item, QStringLiteral("DESCRIPTION"));
    if (!summary.isEmpty())
        lines.append(foldIcalLine(QStringLiteral("SUMMARY:") + icalEscape(summary)));
    if (!location.isEmpty())
        lines.append(foldIcalLine(QStringLiteral("LOCATION:") + icalEscape(location)));
    if (!description.isEmpty())
        lines.append(foldIcalLine(QStringLiteral("DESCRIPTION:") + icalEscape(description)));
    if (item.todo && item.priority > 0)
        lines.append(QStringLiteral("PRIORITY:%1").arg(item.priority == 1 ? 1 : item.priority == 2 ? 5 : 9));

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
                   name == QLatin1String("DESCRIPTION") ||
                   (item.todo && name == QLatin1String("PRIORITY")) ||
                   // A to-do is not confirmed: that is an event's status.
                   (item.todo && line == QLatin1String("STATUS:CONFIRMED")) ||
                   // vCalendar's alarm, which the VALARM beside it says in iCalendar's way.
                   ((name == QLatin1String("AALARM") || name == QLatin1String("DALARM")) &&
                    output.contains(QStringLiteral("BEGIN:VALARM")));
        if (skipping)
            continue;
        if (line == QLatin1String("STATUS:NEEDS ACTION"))
            line = QStringLiteral("STATUS:NEEDS-ACTION");
        // libgammu writes every time as UTC; a floating time of the phone stays floating.
        const QDateTime* time = name == QLatin1String("DTSTART") ? &item.start
                                : name == QLatin1String("DTEND") || name == QLatin1String("DUE")
                                    ? &item.end
                                    : nullptr;
        if (time && time->timeSpec() != Qt::UTC && line.endsWith(QLatin1Char('Z')))
            line.chop(1);
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
    if (lines.contains(QStringLiteral("CATEGORIES:ANNIVERSARY")) &&
        !std::any_of(lines.begin(), lines.end(),
                     [](const QString& line) { return line.startsWith(QLatin1String("RRULE")); }))
        lines.append(QStringLiteral("RRULE:FREQ=YEARLY"));
    lines.append(end);
    return lines;
}

QByteArray contactsVcf(const Section& contacts, QList<Problem>& problems, int& written)
{
    QString text;
    written = 0;
    for (const Entry& entry : contacts.entries) {
        const gammucodec::Contact contact = gammucodec::decodeContact(entry.text);
        if (!contact.ok) {
            problems.append({entry.line, contact.error});
            continue;
        }
        text += exportedVcard(contact);
        ++written;
    }
    return text.toUtf8();
}

QByteArray calendarIcs(const Section& calendar, const QDateTime& stamp, QList<Problem>& problems,
                       int& written)
{
    QStringList lines{QStringLiteral("BEGIN:VCALENDAR"), QStringLiteral("VERSION:2.0"),
                      QStringLiteral("PRODID:-//Cellarchive//Cellarchive %1.%2.%3//EN")
                          .arg(CELLARCHIVE_VERSION_MAJOR)
                          .arg(CELLARCHIVE_VERSION_MINOR)
                          .arg(CELLARCHIVE_VERSION_PATCH)};
    written = 0;
    for (const Entry& entry : calendar.entries) {
        const QList<gammucodec::CalendarItem> items = gammucodec::decodeCalendar(entry.text);
        if (items.isEmpty())
            problems.append({entry.line, QStringLiteral("no event or to-do in the entry")});
        for (qsizetype i = 0; i < items.size(); ++i) {
            const gammucodec::CalendarItem& item = items.at(i);
            if (!item.ok) {
                problems.append({entry.line, item.error});
                continue;
            }
            // The same entry gives the same UID in every export, so a calendar that imports
            // the file twice sees the same event.
            const QByteArray hash = QCryptographicHash::hash(
                entry.text.toUtf8() + QByteArray::number(i), QCryptographicHash::Sha1);
            const QString uid = QString::fromLatin1(hash.toHex().left(20)) +
                                QStringLiteral("@cellarchive");
            lines.append(exportedCalendarItem(item, uid, stamp));
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
    lines.append(QStringLiteral("END:VCALENDAR"));
    return (lines.join(kCrLf) + kCrLf).toUtf8();
}

} // namespace backupexport
