#pragma once

#include "gammucodec/gammubackup.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <utility>

// A backup file made from files of other formats: contacts (vCard 2.1, 3.0, 4.0), calendars
// (iCalendar, vCalendar), the SMS XML that export writes and gammu's backups. Entries are held
// as a phone's backup holds them; what the backup format cannot hold is named and counted.
namespace importing {

// GammuBackup: what gammu backup writes (its own text, LMB, LDIF, vNote); GammuMessages: what
// gammu backupsms writes.
enum class Kind { Unknown, Backup, VCard, Calendar, SmsXml, GammuBackup, GammuMessages };

// What a file holds, told by its content alone.
Kind kindOf(const QByteArray& bytes);

// A message as the SMS_Messages section holds it, as gammu's backups give it too.
using Message = gammubackup::Message;

class Import
{
public:
    // The zone the times of SMS XML are taken in, which it does not name: this computer's
    // unless set.
    void setZone(const QTimeZone& zone) { m_zone = zone; }

    // Adds the entries of one file; false with a reason when the file is of no kind known,
    // cannot be read or gives no entry at all.
    bool add(const QByteArray& bytes, QString& error);

    // The backup file's lines, without line ends: the Contacts, Calendar and SMS_Messages
    // sections of what was read.
    QStringList backupLines() const;
    // One line per category and kind of loss: "Phonebook: UID left out of 3 contacts".
    QStringList lossLines() const;
    bool whole() const { return m_losses.isEmpty(); }
    bool isEmpty() const { return m_contacts.isEmpty() && m_calendar.isEmpty() && m_messages.isEmpty(); }
    qsizetype contacts() const { return m_contacts.size(); }
    qsizetype calendarEntries() const { return m_calendar.size(); }
    qsizetype messages() const { return m_messages.size(); }

private:
    void addContacts(const QString& text);
    void addCalendar(const QString& text);
    bool addMessages(const QByteArray& bytes, QString& error);
    bool addGammu(const QByteArray& bytes, QString& error);
    void lost(const QString& category, const QString& what, const QString& ofWhat);

    QStringList m_contacts;
    QStringList m_calendar;
    QList<Message> m_messages;
    QTimeZone m_zone = QTimeZone::systemTimeZone();
    // The next concatenation reference of a long message, by the other party's number.
    QHash<QString, int> m_references;
    struct Loss
    {
        QString category;
        QString what;
        QString ofWhat;
        int count = 0;
    };
    QList<Loss> m_losses;
};

// Turns the bytes of a file of another kind into the bytes of a backup file; false for a
// backup file or a file of no kind known. notes: the loss lines of the import.
bool convert(const QByteArray& bytes, QByteArray& backup, QStringList& notes, QString& error);

} // namespace importing
