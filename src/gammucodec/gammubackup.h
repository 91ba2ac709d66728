#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// gammu's backup files, read with libgammu's own reader, behind plain types: nothing of
// libgammu shows here. Entries come out in the form a phone's backup holds them.
namespace gammubackup {

// The formats read here; gammu's vCard and vCalendar files are read as any other.
enum class Format {
    Backup, // gammu backup: its own ini-like text, ASCII or UCS-2
    Sms,    // gammu backupsms
    Lmb,
    Ldif,
    VNote,
};

struct Message
{
    qint16 storage = 2;
    qint16 type = 0;
    QString pdu;
    qint32 length = 0;
    QString time; // of a sent message or a draft, whose PDU holds none
};

// What the backup held but is not taken, one item each: "Notes", "not imported".
struct Left
{
    QString category;
    QString what;
};

struct Contents
{
    bool ok = false;
    QString error; // why the file cannot be read at all
    // vCard 2.1 of libgammu's writer, UTF-8 text: the phone's and the SIM's phonebook.
    QStringList contacts;
    // Events and to-dos as vCalendar 1.0 of libgammu's writers, without the VCALENDAR around.
    QStringList calendar;
    QList<Message> messages;
    QList<Left> left;
};

// Reads bytes, a file of format, through a temporary owner-only copy, removed again.
Contents read(const QByteArray& bytes, Format format);

} // namespace gammubackup
