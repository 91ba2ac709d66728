#pragma once

#include "categories/entrymatch.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

// Texts counted in the order they first came: the closing lines name each once, with its count.
class FirstSeenCounts
{
public:
    void add(const QString& text)
    {
        for (auto& [seen, count] : m_rows) {
            if (seen == text) {
                ++count;
                return;
            }
        }
        m_rows.append({text, 1});
    }
    const QList<std::pair<QString, int>>& rows() const { return m_rows; }

private:
    QList<std::pair<QString, int>> m_rows;
};

// What a restore did with the lists of the file (contacts, calendar entries, messages): each
// entry of the file is either already on the phone, written, or not written. The file's
// entries are kept so that the end of the run can look for every one of them on the phone.
class RestoreLists
{
public:
    enum List { Phonebook, Calendar, SMS, Count };

    struct FileEntry
    {
        // The key of the entry as the phone keeps it, and as the file holds it: a phone may hold
        // it that way already, from another way in.
        QString key;
        QString asIs;
        // Names the entry in the log: "contact on line 12 of the file (Berg;Zoë)".
        QString label;
        // Where the phone keeps less of the entry or changes it: the words of the closing line
        // and those of the log (empty when it keeps the entry whole).
        QString summary;
        QString detail;
        // The entry as the file holds it, for a key made again once the phone's ways are
        // better known.
        QString source;
        // One more form the phone may keep it in (an unread message listed as read), with its
        // words.
        QString alsoKey;
        QString alsoSummary;
        QString alsoDetail;
    };
    enum class Match { None, Whole, Kept, Also };

    // Clears the lists of a run; the kind of run stays as set.
    void clear()
    {
        m_lists = {};
        m_started.clear();
        m_settingsUnread.clear();
    }
    // A dry run: the lists are read and counted, nothing is written; the closing lines say
    // "would be written". erased: a master reset would come first, so the phone's phonebook and
    // calendar count as empty.
    void setPreview(bool preview, bool erased = false)
    {
        m_preview = preview;
        m_erased = preview && erased;
    }
    bool preview() const { return m_preview; }
    bool erasedFirst() const { return m_erased; }
    // A settings category a dry run does not read: reading it may change the phone.
    void settingsNotRead(const QString& category)
    {
        if (!m_settingsUnread.contains(category))
            m_settingsUnread << category;
    }
    // The sections of the file whose restore began, in order, by iTag.
    void sectionStarted(qint16 iTag) { m_started.append(iTag); }
    const QList<qint16>& sectionsStarted() const { return m_started; }

    // Takes entry from keys: as the file holds it, else as the phone keeps it, else in the
    // other form the phone may keep it in.
    static Match take(entrymatch::Multiset& keys, const FileEntry& entry);
    // The phone's entries of list were read before the writes: each file entry is matched
    // against them from now on.
    void phoneRead(List list, entrymatch::Multiset onPhone);
    // Counts a file entry; true when it still has to be written, false when the phone holds
    // it already.
    bool admit(List list, const FileEntry& entry);
    // Makes every entry's key again, from its source.
    void reform(List list, const std::function<void(FileEntry&)>& again);
    void written(List list) { ++m_lists[list].written; }

    bool holdsEntries(List list) const { return !m_lists[list].entries.isEmpty(); }
    bool holdsEntries() const;
    const QList<FileEntry>& entries(List list) const { return m_lists[list].entries; }
    static QString name(List list);

    // One line per list of the file, for example "Phonebook: 13 in the file, 10 already on the
    // phone, 3 written"; the entries neither found nor written are added as "2 not written".
    // A dry run says "would be written", groups the entries the phone would keep only in part
    // by what it drops, and names the settings categories it did not read.
    QStringList countLines() const;
    // Entries a dry run would write that the phone keeps only in part.
    int keptInPart() const;

private:
    struct Ledger
    {
        bool phoneRead = false;
        entrymatch::Multiset onPhone;
        int already = 0;
        int written = 0;
        QList<FileEntry> entries;
        // The entries still to be written, by index into entries.
        QList<qsizetype> lacking;
    };
    std::array<Ledger, Count> m_lists{};
    QList<qint16> m_started;
    bool m_preview = false;
    bool m_erased = false;
    QStringList m_settingsUnread;
};
