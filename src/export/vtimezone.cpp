#include "export/vtimezone.h"

#include "export/exporttext.h"

namespace backupexport {

namespace {

QString offsetText(int seconds)
{
    const int minutes = qAbs(seconds) / 60;
    return QStringLiteral("%1%2%3")
        .arg(seconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// One observance: from the local time `at` (in the offset before it) on, the offset `to`.
QStringList observance(bool daylight, const QDateTime& atUtc, int from, int to, const QString& name)
{
    const QString kind = daylight ? QStringLiteral("DAYLIGHT") : QStringLiteral("STANDARD");
    QStringList lines{QStringLiteral("BEGIN:") + kind,
                      QStringLiteral("DTSTART:") +
                          atUtc.addSecs(from).toString(QStringLiteral("yyyyMMdd'T'HHmmss")),
                      QStringLiteral("TZOFFSETFROM:") + offsetText(from),
                      QStringLiteral("TZOFFSETTO:") + offsetText(to)};
    if (!name.isEmpty())
        lines.append(QStringLiteral("TZNAME:") + icalEscape(name));
    lines.append(QStringLiteral("END:") + kind);
    return lines;
}

} // namespace

QStringList vtimezone(const QTimeZone& zone, const QDate& first, const QDate& last)
{
    // Wall-clock arithmetic in UTC: the offsets are added by hand.
    const QDateTime from(QDate(first.year() - 1, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime to(QDate(last.year() + 2, 1, 1), QTime(0, 0), Qt::UTC);
    QStringList lines{QStringLiteral("BEGIN:VTIMEZONE"),
                      QStringLiteral("TZID:") + QString::fromUtf8(zone.id())};
    // The offset in force when the range starts, then each change within it.
    const QTimeZone::OffsetData start = zone.offsetData(from);
    lines.append(observance(start.daylightTimeOffset != 0, from, start.offsetFromUtc,
                            start.offsetFromUtc, start.abbreviation));
    int previous = start.offsetFromUtc;
    for (const QTimeZone::OffsetData& change : zone.transitions(from, to)) {
        if (!change.atUtc.isValid() || change.atUtc <= from)
            continue;
        const QDateTime atUtc = change.atUtc.toUTC();
        const QDateTime utc(atUtc.date(), atUtc.time(), Qt::UTC);
        lines.append(observance(change.daylightTimeOffset != 0, utc, previous, change.offsetFromUtc,
                                change.abbreviation));
        previous = change.offsetFromUtc;
    }
    lines.append(QStringLiteral("END:VTIMEZONE"));
    return lines;
}

} // namespace backupexport
