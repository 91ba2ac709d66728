#include "categories/restorelists.h"

#include "categories/outcometally.h"

#include <algorithm>

void RestoreLists::phoneRead(List list, entrymatch::Multiset onPhone)
{
    m_lists[list].phoneRead = true;
    m_lists[list].onPhone = std::move(onPhone);
}

bool RestoreLists::admit(List list, const FileEntry& entry)
{
    Ledger& ledger = m_lists[list];
    ledger.entries.append(entry);
    if (ledger.phoneRead && take(ledger.onPhone, entry) != Match::None) {
        ++ledger.already;
        return false;
    }
    ledger.lacking.append(ledger.entries.size() - 1);
    return true;
}

RestoreLists::Match RestoreLists::take(entrymatch::Multiset& keys, const FileEntry& entry)
{
    if (!entry.asIs.isEmpty() && keys.take(entry.asIs))
        return Match::Whole;
    if (keys.take(entry.key))
        return Match::Kept;
    if (!entry.alsoKey.isEmpty() && keys.take(entry.alsoKey))
        return Match::Also;
    return Match::None;
}

void RestoreLists::reform(List list, const std::function<void(FileEntry&)>& again)
{
    for (FileEntry& entry : m_lists[list].entries)
        again(entry);
}

bool RestoreLists::holdsEntries() const
{
    for (const Ledger& ledger : m_lists) {
        if (!ledger.entries.isEmpty())
            return true;
    }
    return false;
}

QString RestoreLists::name(List list)
{
    static_assert(int(Phonebook) == int(OutcomeTally::Phonebook) &&
                  int(Calendar) == int(OutcomeTally::Calendar) &&
                  int(SMS) == int(OutcomeTally::SMS));
    return OutcomeTally::name(static_cast<OutcomeTally::Category>(list));
}

QStringList RestoreLists::countLines() const
{
    QStringList lines;
    for (int list = 0; list < Count; ++list) {
        const Ledger& ledger = m_lists[list];
        if (ledger.entries.isEmpty())
            continue;
        const qsizetype inFile = ledger.entries.size();
        QString line =
            QStringLiteral("%1: %2 in the file").arg(name(static_cast<List>(list))).arg(inFile);
        if (ledger.phoneRead)
            line += QStringLiteral(", %1 already on the phone").arg(ledger.already);
        const QString written = m_preview ? QStringLiteral("would be written")
                                          : QStringLiteral("written");
        line += QStringLiteral(", %1 %2").arg(ledger.written).arg(written);
        const qsizetype missing = inFile - ledger.already - ledger.written;
        if (missing > 0)
            line += m_preview ? QStringLiteral(", %1 would not be written").arg(missing)
                              : QStringLiteral(", %1 not written").arg(missing);
        lines << line;
        if (!m_preview)
            continue;
        FirstSeenCounts kept;
        for (const qsizetype index : ledger.lacking) {
            const QString& summary = ledger.entries.at(index).summary;
            if (!summary.isEmpty())
                kept.add(summary);
        }
        for (const auto& [summary, count] : kept.rows())
            lines << QStringLiteral("%1: %2 would be %3")
                         .arg(name(static_cast<List>(list)))
                         .arg(count)
                         .arg(summary);
    }
    for (const QString& category : m_settingsUnread)
        lines << category + QStringLiteral(": would be written (settings are not read in a dry run)");
    return lines;
}

int RestoreLists::keptInPart() const
{
    int count = 0;
    for (const Ledger& ledger : m_lists) {
        for (const qsizetype index : ledger.lacking)
            count += ledger.entries.at(index).summary.isEmpty() ? 0 : 1;
    }
    return count;
}
