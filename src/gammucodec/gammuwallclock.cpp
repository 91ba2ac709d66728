#include "gammucodec/gammuwallclock.h"

#include <QDate>
#include <QList>
#include <QRegularExpression>

namespace gammu {

namespace {

bool holdsTimes(const QByteArray& name)
{
    static const QList<QByteArray> names{"DTSTART",       "DTEND", "DUE",    "AALARM",   "DALARM",
                                         "LAST-MODIFIED", "RRULE", "EXDATE", "COMPLETED"};
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
            line = line.left(colon + 1) +
                   QString(value).replace(utcTime, QStringLiteral("\\1")).toLatin1();
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

bool messageTimeOf(const QString& text, GSM_DateTime& time)
{
    static const QRegularExpression form(QStringLiteral(
        "^(\\d{4})(\\d\\d)(\\d\\d)T(\\d\\d)(\\d\\d)(\\d\\d)(?:([+-])(\\d\\d):(\\d\\d))?$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return false;
    GSM_DateTime parsed{};
    parsed.Year = match.captured(1).toInt();
    parsed.Month = match.captured(2).toInt();
    parsed.Day = match.captured(3).toInt();
    parsed.Hour = match.captured(4).toInt();
    parsed.Minute = match.captured(5).toInt();
    parsed.Second = match.captured(6).toInt();
    if (!match.captured(7).isEmpty()) {
        const int offset = (match.captured(8).toInt() * 60 + match.captured(9).toInt()) * 60;
        parsed.Timezone = match.captured(7) == QLatin1String("-") ? -offset : offset;
    }
    if (messageTime(parsed) != text.trimmed())
        return false;
    time = parsed;
    return true;
}

} // namespace gammu
