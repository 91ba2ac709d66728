#pragma once

#include "backupfile/sectiontable.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

class StatusLog;
class MonotonicClock;
struct PhoneLink;

// The backup file of the current run: writing it line by line, reading it whole, checking it
// and walking its sections for a restore. One instance holds the program-wide file state.
class BackupFile
{
public:
    // Reads a section from the line index of its opening line and returns the index of the
    // last line it consumed; the walk goes on with the line after that one.
    using SectionReader = std::function<int(int lineIndex)>;
    using ElementHandler = std::function<void(const QString& key, const QString& value)>;

    // Error number of a backup file that cannot be opened or written.
    static constexpr qint32 FileAccessError = 75;

    BackupFile(StatusLog& log, MonotonicClock& clock, const PhoneLink& link);

    // Path of the backup file of the run in progress; kept after the run.
    QString sBackUpFIleName;
    // The lines of the file being restored, plus one trailing empty element.
    QStringList sFileLines;

    // Appends one line with CR LF to sBackUpFIleName, opening and closing the file; throws
    // ProgramError when the file cannot be opened or written.
    void AppendLine(const QString& text);
    // Reads sBackUpFIleName whole into sFileLines. False when it cannot be read; sFileLines is
    // then left as it was.
    bool bReadFileToArray();
    // False when a counted section opens more than once; each such section is logged.
    bool bCheckFile();
    // Walks sFileLines and hands each section to its reader; True at the end.
    bool bDecodeFile();

    // Turns the bytes of a file of another kind (contacts, a calendar) into those of a backup
    // file as it is read; set by the program. notes: what the conversion could not carry, or
    // why it failed.
    std::function<void(QByteArray& bytes, QStringList& notes)> convertForeign;
    // The notes of the last file read.
    QStringList importNotes;

    // Told of a section the walk passes over without restoring it (a phonebook the phone
    // model lacks), so the run can name it.
    std::function<void(qint16 iTag)> sectionSkipped;
    // Called before each section the walk hands to its reader; a run that is asked to stop
    // throws from it, so the section before is finished and the next one never begun.
    std::function<void()> beforeSection;

    // Attaches a category's reader to a section. Only sections that have a reader in the table
    // take one; until their category registers, they are passed over like the others.
    bool registerReader(qint16 iTag, SectionReader reader);

    // The shared element reading rule of the settings and SMS sections. Starts at the section's
    // opening line; lines containing skipText (the section's or a group's opening text) and
    // lines of two characters or fewer are passed over, every other line is handed over as key
    // and value text. Returns the index of the line before the one containing closingText, or
    // the opening line's index for an empty section. A missing closing line ends the reading at
    // the next section's opening line or the end of the file, and is logged.
    int readElements(int lineIndex, const QString& skipText, const QString& closingText,
                     const ElementHandler& onElement);
    // Stores the value text of key in target when it fits the field, else logs it and keeps target.
    bool readInt16(const QString& key, const QString& value, qint16& target);
    bool readInt32(const QString& key, const QString& value, qint32& target);

    // One non-blocking turn of the event loop, as every walk over the lines takes.
    void yieldOnce();

private:
    template <typename Int>
    bool readInteger(const QString& key, const std::optional<Int>& number, const QString& value,
                     Int& target);
    void decodeSection(int iTag, int& lineIndex);
    QString lineAt(int index) const;
    bool opensSection(const QString& line) const;
    void logMissingClose(const QString& closingText);
    void handleElementLine(const QString& line, const ElementHandler& onElement);

    StatusLog& m_log;
    MonotonicClock& m_clock;
    const PhoneLink& m_link;
    std::array<SectionReader, sections::Count> m_readers;
};
