#include "categories/restorelists.h"

#include "categories/outcometally.h"

void RestoreLists::phoneRead(List list, entrymatch::Multiset onPhone)
{
    m_lists[list].phoneRead = true;
    m_lists[list].onPhone = std::move(onPhone);
}

bool RestoreLists::admit(List list, const FileEntry& entry)
{
    Ledger& ledger = m_lists[list];
    ledger.entries.append(entry);
    bool whole = false;
    if (ledger.phoneRead && take(ledger.onPhone, entry, whole)) {
        ++ledger.already;
        return false;
    }
    return true;
}

bool RestoreLists::take(entrymatch::Multiset& keys, const FileEntry& entry, bool& whole)
{
    whole = !entry.asIs.isEmpty() && keys.take(entry.asIs);
    return whole || keys.take(entry.key);
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
        line += QStringLiteral(", %1 written").arg(ledger.written);
        const qsizetype missing = inFile - ledger.already - ledger.written;
        if (missing > 0)
            line += QStringLiteral(", %1 not written").arg(missing);
        lines << line;
    }
    return lines;
}
