#pragma once

#include <QString>
#include <QStringList>

#include <array>

// What a run could not read from the phone or write into it, per category. The categories
// report into it as they go; the runs clear it when they start and close with one status line
// per category that lost something, so no run reports success while it loses data.
class OutcomeTally
{
public:
    // In the order of the backup walk, which is the order of the closing lines.
    enum Category {
        Phonebook,
        Calendar,
        SMS,
        DataAccounts,
        WAP,
        Bookmarks,
        Profiles,
        Locks,
        Time,
        Shortcuts,
        Count
    };

    void clear() { m_entries = {}; }
    // Items of the category (values, entries, messages, profiles) that were not read or not
    // written.
    void lost(Category category, int items = 1) { m_entries[category].items += items; }
    // The category as a whole failed or was skipped.
    void failed(Category category) { m_entries[category].failed = true; }
    // The phone answered that it has no such category at all: nothing was read or written,
    // and the closing line says so instead of "failed".
    void unsupported(Category category) { m_entries[category].unsupported = true; }
    // Items of a kind the phone has not got, while it has the category: "CSD accounts".
    void unsupported(Category category, int items, const QString& what)
    {
        m_entries[category].unsupportedItems += items;
        m_entries[category].unsupportedWhat = what;
    }

    bool isClean(Category category) const
    {
        const Entry& entry = m_entries[category];
        return entry.items == 0 && !entry.failed && !entry.unsupported &&
               entry.unsupportedItems == 0;
    }
    bool hasFailed(Category category) const { return m_entries[category].failed; }
    bool isUnsupported(Category category) const { return m_entries[category].unsupported; }
    bool isClean() const;
    // Whether anything was lost; a category the phone has not got counts only when
    // countUnsupported.
    bool lostAnything(bool countUnsupported) const;
    // One line per category with a loss, for example "SMS Messages: 5 not written -> see the
    // log" or "Calendar: not supported by this phone"; verb is "read" after a backup and
    // "written" after a restore.
    QStringList summary(const QString& verb) const;
    // The category as the closing lines name it ("SMS Messages").
    static QString name(Category category);

private:
    struct Entry
    {
        int items = 0;
        bool failed = false;
        bool unsupported = false;
        int unsupportedItems = 0;
        QString unsupportedWhat;
    };
    std::array<Entry, Count> m_entries{};
};
