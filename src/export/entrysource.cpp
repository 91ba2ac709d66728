#include "export/entrysource.h"

#include "core/vproperty.h"

#include <QRegularExpression>

namespace backupexport {

QStringList logicalLines(const QString& entry)
{
    QStringList lines;
    const QStringList physical = entry.split(QStringLiteral("\r\n"));
    for (qsizetype i = 0; i < physical.size(); ++i) {
        QString text = physical.at(i);
        const bool quotedPrintable =
            text.left(text.indexOf(QLatin1Char(':')))
                .contains(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive);
        while (i + 1 < physical.size() && ((quotedPrintable && text.endsWith(QLatin1Char('='))) ||
                                           physical.at(i + 1).startsWith(QLatin1Char(' ')) ||
                                           physical.at(i + 1).startsWith(QLatin1Char('\t'))))
            text += QStringLiteral("\r\n") + physical.at(++i);
        if (!text.trimmed().isEmpty())
            lines.append(text);
    }
    return lines;
}

QString propertyName(const QString& line)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    return (colon < 0 ? line : line.left(colon))
        .section(QLatin1Char(';'), 0, 0)
        .trimmed()
        .toUpper();
}

QStringList propertyParams(const QString& line)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    QStringList params = (colon < 0 ? line : line.left(colon)).split(QLatin1Char(';'));
    params.removeFirst();
    for (QString& param : params)
        param = param.trimmed();
    params.removeAll(QString());
    return params;
}

QString propertyValue(const QString& line)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    return colon < 0 ? QString() : line.mid(colon + 1);
}

SourceTime parseSourceTime(const QString& value)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{8})(?:T(\\d{6})(Z?))?$"),
                                         QRegularExpression::CaseInsensitiveOption);
    SourceTime time;
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty())
        return time;
    const QRegularExpressionMatch match = form.match(trimmed);
    time.form = SourceTime::Form::Other;
    if (!match.hasMatch())
        return time;
    time.date = QDate::fromString(match.captured(1), QStringLiteral("yyyyMMdd"));
    if (!time.date.isValid())
        return time;
    if (match.captured(2).isEmpty()) {
        time.form = SourceTime::Form::Date;
        return time;
    }
    time.time = QTime::fromString(match.captured(2), QStringLiteral("HHmmss"));
    if (time.time.isValid())
        time.form =
            match.captured(3).isEmpty() ? SourceTime::Form::Floating : SourceTime::Form::Utc;
    return time;
}

QString CalendarSource::line(const QString& name) const
{
    for (const QString& line : lines) {
        if (propertyName(line) == name)
            return line;
    }
    return QString();
}

SourceTime CalendarSource::time(const QString& name) const
{
    const QString found = line(name);
    return found.isEmpty() ? SourceTime() : parseSourceTime(vproperty::parse(found).text);
}

int CalendarSource::priority() const
{
    const QString found = line(QStringLiteral("PRIORITY"));
    bool ok = false;
    const int number = vproperty::parse(found).text.trimmed().toInt(&ok);
    return ok && number > 0 ? number : 0;
}

QStringList CalendarSource::categories() const
{
    QStringList all;
    for (const QString& line : lines) {
        if (propertyName(line) != QLatin1String("CATEGORIES"))
            continue;
        // vCalendar 1.0 parts categories with ";", iCalendar with ","; a phone may use either.
        for (const QString& category :
             vproperty::parse(line).text.split(QRegularExpression(QStringLiteral("[;,]")))) {
            if (!category.trimmed().isEmpty())
                all.append(category.trimmed());
        }
    }
    return all;
}

QList<CalendarSource> calendarSources(const QString& entry)
{
    QList<CalendarSource> sources;
    bool inBlock = false;
    for (const QString& line : logicalLines(entry)) {
        const QString upper = line.trimmed().toUpper();
        if (upper == QLatin1String("BEGIN:VEVENT") || upper == QLatin1String("BEGIN:VTODO")) {
            inBlock = true;
            sources.append(CalendarSource{{line}});
            continue;
        }
        if (!inBlock)
            continue;
        sources.last().lines.append(line);
        if (upper == QLatin1String("END:VEVENT") || upper == QLatin1String("END:VTODO"))
            inBlock = false;
    }
    return sources;
}

} // namespace backupexport
