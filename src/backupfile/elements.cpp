#include "backupfile/elements.h"

#include "phone/variants.h"

#include <cmath>
#include <limits>

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

template <typename T> std::optional<T> fitInteger(const QString& text)
{
    const double rounded = variants::roundHalfEven(elements::leadingNumber(text));
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<T>::min() ||
        rounded > std::numeric_limits<T>::max())
        return std::nullopt;
    return static_cast<T>(rounded);
}

QString indentation(int indent)
{
    return QString(3 * qMax(0, indent), QLatin1Char(' '));
}

} // namespace

namespace elements {

double leadingNumber(const QString& text)
{
    QString compact;
    compact.reserve(text.size());
    for (QChar c : text) {
        if (!isBlank(c))
            compact.append(c);
    }

    qsizetype pos = 0;
    const qsizetype size = compact.size();
    if (pos < size && (compact[pos] == QLatin1Char('+') || compact[pos] == QLatin1Char('-')))
        ++pos;
    qsizetype digits = 0;
    while (pos < size && isDigit(compact[pos])) {
        ++pos;
        ++digits;
    }
    if (pos < size && compact[pos] == QLatin1Char('.')) {
        ++pos;
        while (pos < size && isDigit(compact[pos])) {
            ++pos;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    qsizetype end = pos;
    // An exponent counts only when digits follow it; "2e" reads as 2.
    if (pos < size && (compact[pos] == QLatin1Char('e') || compact[pos] == QLatin1Char('E'))) {
        qsizetype exp = pos + 1;
        if (exp < size && (compact[exp] == QLatin1Char('+') || compact[exp] == QLatin1Char('-')))
            ++exp;
        const qsizetype expDigits = exp;
        while (exp < size && isDigit(compact[exp]))
            ++exp;
        if (exp > expDigits)
            end = exp;
    }
    // Independent of the user's locale; an exponent beyond range gives infinity (or 0).
    return compact.left(end).toDouble();
}

std::optional<qint16> valueToInt16(const QString& text)
{
    return fitInteger<qint16>(text);
}

std::optional<qint32> valueToInt32(const QString& text)
{
    return fitInteger<qint32>(text);
}

QString elementLine(int indent, const QString& key, const QString& value)
{
    return indentation(indent) + QLatin1Char('<') + key + QStringLiteral(" value=") + value +
           QStringLiteral("/>");
}

QString boolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString openTag(const QString& name, int indent)
{
    return indentation(indent) + QLatin1Char('<') + name + QLatin1Char('>');
}

QString closeTag(const QString& name, int indent)
{
    return indentation(indent) + QLatin1Char('<') + name + QStringLiteral("/>");
}

ElementParts splitElementLine(const QString& line)
{
    ElementParts parts;
    const qsizetype open = line.indexOf(QLatin1Char('<'));
    const qsizetype space = open < 0 ? -1 : line.indexOf(QLatin1Char(' '), open);
    if (space >= 0) {
        parts.hasKey = true;
        parts.key = line.mid(open + 1, space - open - 1);
    }
    const QLatin1String valueMark("value=");
    const qsizetype valueStart = line.indexOf(valueMark);
    if (valueStart < 0)
        return parts;
    parts.hasValueMark = true;
    const qsizetype from = valueStart + valueMark.size();
    const qsizetype valueEnd = line.indexOf(QLatin1String("/>"), from);
    if (valueEnd >= 0) {
        parts.hasValueEnd = true;
        parts.value = line.mid(from, valueEnd - from);
    }
    return parts;
}

} // namespace elements
