#include "atmodem/atlocations.h"

namespace phonesim {

void AtLocations::sync(int count)
{
    if (count == m_used)
        return;
    m_index.clear();
    for (int i = 0; i < count; ++i)
        m_index.append(i);
    m_used = count;
}

int AtLocations::indexAt(int location) const
{
    return location >= 1 && location <= m_index.size() ? m_index.at(location - 1) : -1;
}

int AtLocations::highest() const
{
    for (qsizetype i = m_index.size(); i > 0; --i) {
        if (m_index.at(i - 1) >= 0)
            return static_cast<int>(i);
    }
    return 0;
}

void AtLocations::removeAt(int location)
{
    const int removed = indexAt(location);
    if (removed < 0)
        return;
    m_index[location - 1] = -1;
    for (int& index : m_index) {
        if (index > removed)
            --index;
    }
    --m_used;
}

int AtLocations::append(int location, int capacity)
{
    if (location <= 0) {
        location = static_cast<int>(m_index.indexOf(-1)) + 1;
        if (location == 0)
            location = static_cast<int>(m_index.size()) + 1;
    }
    if (location > capacity || indexAt(location) >= 0)
        return 0;
    while (m_index.size() < location)
        m_index.append(-1);
    m_index[location - 1] = m_used++;
    return location;
}

} // namespace phonesim
