#include "categories/entrytext.h"

#include <QStringList>

namespace entrytext {

namespace {

const QString kBr = QStringLiteral("<br/>");

// A carriage return that no line feed follows; the one ending a contact (its line feed was
// cut off with the line break) is none.
bool hasLoneReturn(QStringView text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\r') && text.at(i + 1) != QLatin1Char('\n'))
            return true;
    }
    return false;
}

// Escapes the text that the one-line form cannot hold; in a value that was not quoted-printable
// before, the escape character itself and trailing blanks (which decoders may drop) too.
QString quoted(QString value, bool wasPlain)
{
    if (wasPlain)
        value.replace(QLatin1Char('='), QStringLiteral("=3D"));
    value.replace(QLatin1Char('\r'), QStringLiteral("=0D"));
    value.replace(kBr, QStringLiteral("<br=2F>"));
    if (wasPlain && (value.endsWith(QLatin1Char(' ')) || value.endsWith(QLatin1Char('\t'))))
        value = value.chopped(1) + (value.endsWith(QLatin1Char(' ')) ? QStringLiteral("=20")
                                                                     : QStringLiteral("=09"));
    return value;
}

bool isQuotedPrintable(QStringView nameAndParameters)
{
    return nameAndParameters.contains(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive);
}

} // namespace

QString keepable(const QString& entry)
{
    if (!entry.contains(kBr) && !hasLoneReturn(entry))
        return entry;
    QStringList lines = entry.split(QLatin1Char('\n'));
    bool continued = false; // the line goes on with a quoted-printable value broken by "="
    for (QString& line : lines) {
        // The carriage return of the line's CR LF (or the contact's last one) is no text.
        const bool ownReturn = line.endsWith(QLatin1Char('\r'));
        QString text = ownReturn ? line.chopped(1) : line;
        const bool needsQuoting = text.contains(kBr) || text.contains(QLatin1Char('\r'));
        if (continued) {
            if (needsQuoting)
                text = quoted(text, false);
        } else if (needsQuoting) {
            const qsizetype colon = text.indexOf(QLatin1Char(':'));
            const QString name = colon < 0 ? QString() : text.left(colon);
            const bool inName = name.contains(kBr) || name.contains(QLatin1Char('\r'));
            if (colon >= 0 && !inName && isQuotedPrintable(name)) {
                text = name + QLatin1Char(':') + quoted(text.mid(colon + 1), false);
            } else if (colon >= 0 && !inName &&
                       !name.contains(QLatin1String("ENCODING="), Qt::CaseInsensitive)) {
                text = name + QStringLiteral(";ENCODING=QUOTED-PRINTABLE:") +
                       quoted(text.mid(colon + 1), true);
            }
        }
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        const bool quotedNow =
            continued || (colon >= 0 && isQuotedPrintable(QStringView(text).left(colon)));
        continued = quotedNow && text.endsWith(QLatin1Char('='));
        line = ownReturn ? text + QLatin1Char('\r') : text;
    }
    return lines.join(QLatin1Char('\n'));
}

QString whyNotKept(const QString& entry, const QString& endLines)
{
    if (hasLoneReturn(entry))
        return QStringLiteral("a carriage return without its line feed");
    if (entry.contains(kBr))
        return QStringLiteral("the text ") + kBr;
    const QStringList ends = endLines.split(QLatin1Char('|'));
    QStringList lines = entry.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        for (const QString& end : ends) {
            if (line.compare(end, Qt::CaseInsensitive) == 0)
                return QStringLiteral("the line %1 before its end").arg(end);
        }
    }
    return QString();
}

QString labelOf(const QString& entry, const QString& field)
{
    for (const QString& line : entry.split(QStringLiteral("\r\n"))) {
        if (line.startsWith(field + QLatin1Char(':')) || line.startsWith(field + QLatin1Char(';')))
            return line.section(QLatin1Char(':'), 1);
    }
    return QString();
}

} // namespace entrytext
