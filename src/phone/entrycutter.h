#pragma once

#include <QByteArray>
#include <functional>
#include <optional>

// Cuts the entries of a phonebook ("vcf") or calendar ("vcs") object off the head of the data
// as it arrives. An entry ends at an END line of its kind that the next entry, the calendar's
// closing line or the end of the object follows; an END line with anything else after it is
// part of the entry (a quoted-printable value broken before such a line), which then holds it.
// Each byte is looked at a bounded number of times, so an entry of any size costs its length.
class EntryCutter
{
public:
    enum class Kind { Phonebook, Calendar };
    using Emit = std::function<void(const QByteArray& entry)>;

    explicit EntryCutter(Kind kind);

    // Adds the data of one packet and hands every complete entry to emit; final tells that no
    // more data follow.
    void feed(const QByteArray& data, bool final, const Emit& emit);

private:
    // Position of the end of the line break at pos, or -1 while the data cannot tell yet.
    qsizetype lineBreakEnd(qsizetype pos, bool final) const;
    // Whether what follows the line break ending at pos starts another entry or ends the object;
    // empty while the data cannot tell yet.
    std::optional<bool> endsEntry(qsizetype pos, bool final) const;
    bool isEndLine(qsizetype start, qsizetype end) const;
    // Hands the entry whose END line ends at end over and drops it from the buffer.
    void cut(qsizetype end, bool final, const Emit& emit);

    Kind m_kind;
    QByteArray m_buffer;
    // Every line starting before m_scanned was looked at and ends no entry.
    qsizetype m_scanned = 0;
    // How far the line starting at m_scanned was searched for its end.
    qsizetype m_searched = 0;
    // End of the last END line that had something else after it, or -1.
    qsizetype m_innerEnd = -1;
};
