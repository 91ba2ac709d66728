#pragma once

#include <QList>

namespace phonesim {

// The locations (from 1) of a storage whose entries the image keeps as a list without holes:
// a deleted entry leaves its location empty and the others keep theirs, as on a phone, for as
// long as the line is open. When the count of entries changed behind the line's back (another
// program), the entries take locations 1 to N again.
class AtLocations
{
public:
    // Brings the locations in line with a list of count entries.
    void sync(int count);
    // The index in the list of the entry at location, -1 for an empty or unknown one.
    int indexAt(int location) const;
    // The highest location in use, 0 when none.
    int highest() const;
    int used() const { return m_used; }
    // The entry at location was removed from the list.
    void removeAt(int location);
    // An entry was appended to the list and takes location (> 0) or, with 0, the first empty
    // location up to capacity; the location taken, 0 when there is none.
    int append(int location, int capacity);

private:
    QList<int> m_index; // by location - 1
    int m_used = 0;
};

} // namespace phonesim
