#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

class MonotonicClock;
class StatusLog;

// A backup file read for looking at, not for a phone: every section in file order with its
// entries or element lines, and every line that could not be read, with its line number.
namespace backupexport {

struct Problem
{
    int line = 0; // 1-based; 0 for the file as a whole
    QString reason;
};

// A contact or calendar entry: its text with CR LF line breaks.
struct Entry
{
    int line = 0;
    QString text;
};

struct Element
{
    int line = 0;
    QString key;
    QString value;
};

// One record of a settings or SMS section ("<CSD>", "<Profile>", "<SMS>" ...). The element
// lines of a section without group lines form groups of their own, one from each Number line
// on (My Shortcuts), or one unnamed group when there is no Number line (Time, Locks).
struct Group
{
    int line = 0;
    QString name;
    QList<Element> elements;

    QString value(const QString& key) const;
    const Element* find(const QString& key) const;
};

struct Section
{
    int line = 0;
    QString name; // as the file names it: "Contacts", "Settings_Time" ...
    qint16 iTag = -1;
    QList<Entry> entries; // Contacts and Calendar
    QList<Group> groups;  // every other section
    QList<Problem> problems;

    bool holdsEntries() const;
};

struct BackupContents
{
    QList<Section> sections;
    QList<Problem> problems; // lines outside any section, a file that is no backup
    // A section that opens twice, as sections::openedTwiceText says it: show, export and a
    // restore refuse such a file as a whole.
    QStringList openedTwice;
    QDateTime modified;      // the file's modification time: when the backup was taken

    const Section* find(qint16 iTag) const;
};

// False (with the reason) when the file cannot be read at all; a file that is read but is no
// backup, or has broken sections, gives problems instead.
bool readBackup(const QString& path, StatusLog& log, MonotonicClock& clock,
                BackupContents& contents, QString& error);

// Parses lines as the backup file's reader delivers them (the last element empty).
BackupContents parseBackupLines(const QStringList& lines);

} // namespace backupexport
