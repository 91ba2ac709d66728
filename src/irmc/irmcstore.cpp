#include "irmc/irmcstore.h"

#include <QUuid>

namespace irmc {

qint64 nextLuid(const QList<IrmcEntry>& entries, qint64 last)
{
    qint64 highest = last;
    for (const IrmcEntry& entry : entries) {
        bool ok = false;
        const qint64 value = entry.luid.toLongLong(&ok);
        if (ok)
            highest = qMax(highest, value);
    }
    return highest + 1;
}

IrmcStore::IrmcStore() : m_databaseId(QUuid::createUuid().toString(QUuid::Id128).left(8).toUpper())
{
}

bool IrmcStore::replaceAll(IrmcBook book, const QList<QByteArray>& entries)
{
    if (!clear(book))
        return false;
    for (const QByteArray& entry : entries) {
        if (add(book, entry).isEmpty())
            return false;
    }
    return true;
}

qint64 IrmcStore::changeCounter(IrmcBook book) const
{
    return m_changeCounters[int(book)];
}

qint64 IrmcStore::countChange(IrmcBook book)
{
    return ++m_changeCounters[int(book)];
}

MemoryIrmcStore::MemoryIrmcStore(IrmcIdentity identity) : m_identity(std::move(identity)) {}

IrmcIdentity MemoryIrmcStore::defaultIdentity()
{
    return IrmcIdentity{QStringLiteral("Phonesim"), QStringLiteral("PS-100"),
                        QStringLiteral("350000000000001"), QStringLiteral("1.0")};
}

QList<IrmcEntry>& MemoryIrmcStore::book(IrmcBook which)
{
    return which == IrmcBook::Phonebook ? m_phonebook : m_calendar;
}

QList<IrmcEntry> MemoryIrmcStore::entries(IrmcBook which) const
{
    return which == IrmcBook::Phonebook ? m_phonebook : m_calendar;
}

QString MemoryIrmcStore::add(IrmcBook which, const QByteArray& data)
{
    QList<IrmcEntry>& entries = book(which);
    m_lastLuid = nextLuid(entries, m_lastLuid);
    const QString luid = QString::number(m_lastLuid);
    entries.append(IrmcEntry{luid, data});
    return luid;
}

bool MemoryIrmcStore::clear(IrmcBook which)
{
    m_lastLuid = nextLuid(book(which), m_lastLuid) - 1;
    book(which).clear();
    return true;
}

bool MemoryIrmcStore::replace(IrmcBook which, const QString& luid, const QByteArray& data)
{
    for (IrmcEntry& entry : book(which)) {
        if (entry.luid == luid) {
            entry.data = data;
            return true;
        }
    }
    return false;
}

bool MemoryIrmcStore::remove(IrmcBook which, const QString& luid)
{
    // The LUID stays used: nextLuid never hands it out again.
    m_lastLuid = nextLuid(book(which), m_lastLuid) - 1;
    return book(which).removeIf([&](const IrmcEntry& entry) { return entry.luid == luid; }) > 0;
}

void MemoryIrmcStore::setEntries(IrmcBook which, const QList<IrmcEntry>& entries)
{
    m_lastLuid = nextLuid(book(which), m_lastLuid) - 1;
    book(which) = entries;
}

} // namespace irmc
