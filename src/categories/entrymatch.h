#pragma once

#include <QHash>
#include <QString>

struct SMSRecord;

// When an entry of a backup file is already on the phone. A restore writes only the entries a
// phone lacks and checks afterwards that all of them are there, so the same entry must give
// the same key whether it comes from the file or from the phone.
namespace entrymatch {

// The key of a vCard or of a calendar entry: its property lines, decoded and in upper-case
// names, without what a phone assigns on its own (X-IRMC-LUID, X-GAMMU-LOCATION,
// X-GAMMU-MEMORY, REV) and without the calendar's envelope around the event or to-do. Line
// endings, folding, quoted-printable and the charset make no difference.
QString entryKey(const QString& entry);

// The key of a message: its storage, whether it is unread, its TPDU (the service centre left
// out) and the time kept beside it; a sent message has no storage, since a phone may keep what it sent in a storage of
// its own choosing.
QString messageKey(const SMSRecord& message);

// How many entries of each key a phone holds; take() uses one up.
class Multiset
{
public:
    void add(const QString& key) { ++m_counts[key]; }
    // True when one entry of key was left, which now counts as matched.
    bool take(const QString& key);

private:
    QHash<QString, int> m_counts;
};

} // namespace entrymatch
