#include "realphone/gammuwallclock.h"

#include <QDate>
#include <QList>
#include <QRegularExpression>

namespace gammu {

namespace {

bool holdsTimes(const QByteArray& name)
{
    static const QList<QByteArray> names{"DTSTART", "DTEND",         "DUE",    "AALARM",
                                         "DALARM",  "LAST-MODIFIED", "RRULE",  "EXDATE",
                                         "COMPLETED"};
    return names.contains(name);
}

} // namespace

QByteArray asThePhoneMeansIt(const QByteArray& encoded, const GSM_ToDoEntry* todo)
{
    static const QRegularExpression utcTime(QStringLiteral("(\\d{8}T\\d{6})Z"));
    QList<QByteArray> lines = encoded.split('\n');
    for (QByteArray& line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray name = line.left(colon).split(';').first().trimmed().toUpper();
        if (holdsTimes(name)) {
            const QString value = QString::fromLatin1(line.mid(colon + 1));
            line = line.left(colon + 1) + QString(value).replace(utcTime, QStringLiteral("\\1")).toLatin1();
        } else if (todo && name == "PRIORITY") {
            const int level = todo->Priority == GSM_Priority_High     ? 1
                              : todo->Priority == GSM_Priority_Medium ? 2
                              : todo->Priority == GSM_Priority_Low    ? 3
                                                                      : 0;
            line = "PRIORITY:" + QByteArray::number(level) + (line.endsWith('\r') ? "\r" : "");
        }
    }
    return lines.join('\n');
}

QString messageTime(const GSM_DateTime& time)
{
    const QDate date(time.Year, time.Month, time.Day);
    if (!date.isValid() || time.Hour > 23 || time.Minute > 59 || time.Second > 59)
        return QString();
    QString text = QStringLiteral("%1T%2%3%4")
                       .arg(date.toString(QStringLiteral("yyyyMMdd")))
                       .arg(time.Hour, 2, 10, QLatin1Char('0'))
                       .arg(time.Minute, 2, 10, QLatin1Char('0'))
                       .arg(time.Second, 2, 10, QLatin1Char('0'));
    if (time.Timezone != 0) {
        const int minutes = qAbs(time.Timezone) / 60;
        text += QStringLiteral("%1%2:%3")
                    .arg(time.Timezone < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                    .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                    .arg(minutes % 60, 2, 10, QLatin1Char('0'));
    }
    return text;
}

} // namespace gammu
