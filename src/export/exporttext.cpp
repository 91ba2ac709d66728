#include "export/exporttext.h"


#include <QLocale>

namespace backupexport {

QString xmlEscape(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case '&':
            escaped += QStringLiteral("&amp;");
            continue;
        case '<':
            escaped += QStringLiteral("&lt;");
            continue;
        case '>':
            escaped += QStringLiteral("&gt;");
            continue;
        case '"':
            escaped += QStringLiteral("&quot;");
            continue;
        case '\'':
            escaped += QStringLiteral("&apos;");
            continue;
        case '\n':
            escaped += QStringLiteral("&#10;");
            continue;
        case '\r':
            escaped += QStringLiteral("&#13;");
            continue;
        case '\t':
            escaped += QStringLiteral("&#9;");
            continue;
        default:
            break;
        }
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            escaped += c;
            escaped += text.at(++i);
            continue;
        }
        // Control characters, lone surrogates and U+FFFE/U+FFFF have no place in XML 1.0.
        if (c.unicode() < 0x20 || c.isSurrogate() || c.unicode() >= 0xFFFE)
            continue;
        escaped += c;
    }
    return escaped;
}

QString icalEscape(const QString& text)
{
    QString escaped;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') || c == QLatin1Char(';') || c == QLatin1Char(',')) {
            escaped += QLatin1Char('\\');
            escaped += c;
        } else if (c == QLatin1Char('\r')) {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            escaped += QStringLiteral("\\n");
        } else if (c == QLatin1Char('\n')) {
            escaped += QStringLiteral("\\n");
        } else if ((c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7F) {
            // iCalendar's TEXT has no place for control characters.
            continue;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

QString foldIcalLine(const QString& line)
{
    QString folded;
    int octets = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const bool pair = line.at(i).isHighSurrogate() && i + 1 < line.size();
        const QString character = line.mid(i, pair ? 2 : 1);
        const int size = static_cast<int>(character.toUtf8().size());
        // A character's octets are never split; a continuation line's blank counts.
        if (octets + size > 75) {
            folded += QStringLiteral("\r\n ");
            octets = 1;
        }
        folded += character;
        octets += size;
        if (pair)
            ++i;
    }
    return folded;
}

qint64 epochMs(const QDateTime& time)
{
    return time.isValid() ? time.toMSecsSinceEpoch() : 0;
}

QString readableDate(const QDateTime& time, const QTimeZone& zone)
{
    if (!time.isValid())
        return QString();
    return QLocale::c().toString(time.toTimeZone(zone), QStringLiteral("d MMM yyyy HH:mm:ss"));
}

QString listingTime(const QDateTime& time)
{
    if (!time.isValid())
        return QString();
    const QString text = time.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    switch (time.timeSpec()) {
    case Qt::UTC:
        return text + QStringLiteral(" UTC");
    case Qt::OffsetFromUTC: {
        const int offset = time.offsetFromUtc();
        const int minutes = qAbs(offset) / 60;
        return text + QStringLiteral(" %1%2:%3")
                          .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                          .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                          .arg(minutes % 60, 2, 10, QLatin1Char('0'));
    }
    default:
        return text;
    }
}

namespace {

// Characters a terminal shows two columns wide: the East Asian wide and full-width ranges.
bool isWide(char32_t c)
{
    static const struct
    {
        char32_t first;
        char32_t last;
    } kWide[] = {
        {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x2E80, 0x303E},
        {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
        {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},
        {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
        {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
    };
    for (const auto& range : kWide) {
        if (c >= range.first && c <= range.last)
            return true;
    }
    return false;
}

} // namespace

int displayWidth(const QString& text)
{
    int width = 0;
    for (const char32_t c : text.toUcs4()) {
        const QChar::Category category = QChar::category(c);
        // Combining marks and format characters take no column of their own.
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing ||
            category == QChar::Other_Format || category == QChar::Other_Control)
            continue;
        width += isWide(c) ? 2 : 1;
    }
    return width;
}

QStringList alignRows(const QList<QStringList>& rows, const QString& indent)
{
    QList<int> widths;
    for (const QStringList& row : rows) {
        for (qsizetype i = 0; i + 1 < row.size(); ++i) {
            if (widths.size() <= i)
                widths.append(0);
            widths[i] = qMax(widths[i], displayWidth(row.at(i)));
        }
    }
    QStringList lines;
    for (const QStringList& row : rows) {
        QString line = indent;
        for (qsizetype i = 0; i < row.size(); ++i) {
            // A column empty in every row takes no room.
            if (i + 1 < row.size() && widths[i] == 0)
                continue;
            line += row.at(i);
            if (i + 1 < row.size())
                line += QString(widths[i] + 2 - displayWidth(row.at(i)), QLatin1Char(' '));
        }
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        lines.append(line);
    }
    return lines;
}

} // namespace backupexport
