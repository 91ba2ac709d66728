#include "phone/entrycutter.h"

#include <QList>

namespace {

const QList<QByteArray>& endLines(EntryCutter::Kind kind)
{
    static const QList<QByteArray> vcard{"END:VCARD"};
    static const QList<QByteArray> vcalendar{"END:VEVENT", "END:VTODO"};
    return kind == EntryCutter::Kind::Phonebook ? vcard : vcalendar;
}

// What may follow an entry's END line: the next entry, or the calendar's closing line.
const QList<QByteArray>& followers(EntryCutter::Kind kind)
{
    static const QList<QByteArray> vcard{"BEGIN:VCARD"};
    static const QList<QByteArray> vcalendar{"BEGIN:VEVENT", "BEGIN:VTODO", "END:VCALENDAR"};
    return kind == EntryCutter::Kind::Phonebook ? vcard : vcalendar;
}

bool isBreak(char c)
{
    return c == '\r' || c == '\n';
}

} // namespace

EntryCutter::EntryCutter(Kind kind) : m_kind(kind)
{
}

qsizetype EntryCutter::lineBreakEnd(qsizetype pos, bool final) const
{
    const qsizetype size = m_buffer.size();
    if (pos < size && m_buffer.at(pos) == '\r') {
        if (pos + 1 < size)
            return m_buffer.at(pos + 1) == '\n' ? pos + 2 : pos + 1;
        return final ? pos + 1 : -1;
    }
    if (pos < size)
        return m_buffer.at(pos) == '\n' ? pos + 1 : pos;
    return final ? pos : -1;
}

bool EntryCutter::isEndLine(qsizetype start, qsizetype end) const
{
    const QByteArrayView line(m_buffer.constData() + start, end - start);
    for (const QByteArray& marker : endLines(m_kind)) {
        if (line.compare(marker, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

std::optional<bool> EntryCutter::endsEntry(qsizetype pos, bool final) const
{
    const qsizetype size = m_buffer.size();
    while (pos < size && isBreak(m_buffer.at(pos)))
        ++pos;
    if (pos == size)
        return final ? std::optional<bool>(true) : std::nullopt;
    const QByteArrayView rest(m_buffer.constData() + pos, size - pos);
    bool undecided = false;
    for (const QByteArray& follower : followers(m_kind)) {
        const qsizetype n = qMin(rest.size(), follower.size());
        if (rest.first(n).compare(QByteArrayView(follower).first(n), Qt::CaseInsensitive) != 0)
            continue;
        if (n == follower.size())
            return true;
        undecided = true;
    }
    if (undecided && !final)
        return std::nullopt;
    return false;
}

void EntryCutter::cut(qsizetype end, bool final, const Emit& emit)
{
    const bool hasReturn = end < m_buffer.size() && m_buffer.at(end) == '\r';
    QByteArray entry;
    if (m_kind == Kind::Phonebook) {
        // A contact keeps the carriage return after its END line; the line break goes.
        entry = m_buffer.left(end + (hasReturn ? 1 : 0));
        m_buffer.remove(0, lineBreakEnd(end, final));
    } else {
        // A calendar entry ends with its END line; the line feed stays at the head of the
        // data, before the next entry.
        entry = m_buffer.left(end);
        m_buffer.remove(0, end + (hasReturn ? 1 : 0));
    }
    m_scanned = 0;
    m_searched = 0;
    m_innerEnd = -1;
    if (emit)
        emit(entry);
}

void EntryCutter::feed(const QByteArray& data, bool final, const Emit& emit)
{
    m_buffer += data;
    for (;;) {
        const qsizetype start = m_scanned;
        const qsizetype size = m_buffer.size();
        // A long line is searched on from where the last packet left it.
        qsizetype end = qMax(start, m_searched);
        while (end < size && !isBreak(m_buffer.at(end)))
            ++end;
        m_searched = end;
        if (end == size && !final)
            return;
        if (isEndLine(start, end)) {
            const qsizetype next = lineBreakEnd(end, final);
            const std::optional<bool> last =
                next < 0 ? std::nullopt : endsEntry(next, final);
            if (!last)
                return;
            if (*last) {
                cut(end, final, emit);
                continue;
            }
            m_innerEnd = end;
        }
        if (end < size) {
            // A CR LF pair gives an empty line between its two bytes, which ends nothing.
            m_scanned = end + 1;
            continue;
        }
        // The object ended without another END line: its last one ends the entry, and
        // whatever follows it is no entry.
        if (m_innerEnd < 0)
            return;
        cut(m_innerEnd, final, emit);
    }
}
