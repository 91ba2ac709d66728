#include "categories/outcometally.h"

#include "categories/categorytable.h"

QString OutcomeTally::name(Category category)
{
    return QLatin1String(categorytable::row(category).name);
}

bool OutcomeTally::isClean() const
{
    for (int category = 0; category < Count; ++category) {
        if (!isClean(static_cast<Category>(category)))
            return false;
    }
    return true;
}

bool OutcomeTally::lostAnything(bool countUnsupported) const
{
    for (const Entry& entry : m_entries) {
        if (entry.items > 0 || entry.failed ||
            (countUnsupported && (entry.unsupported || entry.unsupportedItems > 0)))
            return true;
    }
    return false;
}

QStringList OutcomeTally::summary(const QString& verb) const
{
    QStringList lines;
    for (int category = 0; category < Count; ++category) {
        const Entry& entry = m_entries[category];
        const QString title = name(static_cast<Category>(category));
        if (entry.unsupported) {
            lines << title + QStringLiteral(": not supported by this phone");
            continue;
        }
        if (entry.unsupportedItems > 0)
            lines << QStringLiteral("%1: %2 %3 not supported by this phone")
                         .arg(title)
                         .arg(entry.unsupportedItems)
                         .arg(entry.unsupportedWhat);
        QStringList what;
        if (entry.failed)
            what << QStringLiteral("failed");
        if (entry.items > 0)
            what << QStringLiteral("%1 not %2").arg(entry.items).arg(verb);
        if (!what.isEmpty())
            lines << title + QStringLiteral(": ") +
                         what.join(QStringLiteral(", ")) + QStringLiteral(" -> see the log");
    }
    return lines;
}
