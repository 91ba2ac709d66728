#pragma once

#include <QString>
#include <stdexcept>

// An error that rises to the caller, carrying what the log's error details show:
// a description, a number and the name of its source.
class ProgramError : public std::runtime_error
{
public:
    ProgramError(qint32 number, const QString& source, const QString& description)
        : std::runtime_error(description.toStdString()), m_number(number), m_source(source),
          m_description(description)
    {
    }

    qint32 number() const { return m_number; }
    const QString& source() const { return m_source; }
    const QString& description() const { return m_description; }

    // Error numbers of the kinds of failure the program meets.
    static constexpr qint32 Overflow = 6;
    static constexpr qint32 SubscriptOutOfRange = 9;
    static constexpr qint32 TypeMismatch = 13;
    static constexpr qint32 ObjectNotSet = 91;
    static constexpr qint32 ComponentFailure = 440;
    // The phone cannot hold an entry whole and did not write it.
    static constexpr qint32 EntryTooLong = 441;
    // The phone's memory for the entry is full: nothing more of its kind can be written.
    static constexpr qint32 MemoryFull = 442;

private:
    qint32 m_number;
    QString m_source;
    QString m_description;
};
