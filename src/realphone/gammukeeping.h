#pragma once

// How libgammu's drivers keep what they are given: what a driver drops, and what it changes the
// same way every time. A restore writes each entry in the form the phone keeps and matches by
// that form, so that an entry kept that way counts as there, with words for what differs. Only
// src/realphone includes this header: it carries libgammu's types.

#include <gammu.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace gammu {

// The drivers whose ways are known.
enum class Driver { At, Dummy, Other };
// The driver of the connection in use.
Driver driverOf(GSM_StateMachine* machine);
// Whether contacts go through the AT phonebook commands, which keep one name and one number;
// the AT driver with OBEX may reach a phonebook that keeps whole vCards instead.
bool keepsNameAndNumberOnly(GSM_StateMachine* machine);

// A contact as a phone that keeps one name and one number holds it.
struct NameAndNumber
{
    // FN; else the parts of N in the order prefix, given, additional, family, suffix.
    QString name;
    // The TEL marked PREF; else the mobile (CELL); else the first TEL.
    QString number;
    // Every other property, by its name and parameters ("EMAIL", "TEL;HOME"), once each.
    QStringList leftOut;
};
// vcard's name and number; libgammu's decoder drops PREF, so they are read from the text.
NameAndNumber nameAndNumberOf(const QByteArray& vcard);
// entry as the AT driver reads it back: a PBK_Text_Name and a general number, in the phone
// memory.
void fillNameAndNumber(const NameAndNumber& contact, GSM_MemoryEntry& entry);
// Whether the driver marked a sub-entry of entry as dropped when it wrote it.
bool droppedAny(const GSM_MemoryEntry& entry);

// The dummy driver stores a to-do's priority with libgammu's vCalendar writer, which writes
// High as 3, and reads it back with the reader, which takes 3 for Low: a priority comes back
// the other way round. The priority (1 high to 3 low, as libgammu's GSM_ToDo_Priority and
// vCalendar count) the dummy phone hands back for one written.
int dummyToDoPriority(int written);

// A message as a libgammu phone hands it back once written, and what differs.
struct KeptPdu
{
    QString hex;
    QString time;
    QStringList lost; // "time zone", "time"
};
// hex as libgammu's decoder reads it and our encoder writes it again, as driver keeps it: the
// AT driver encodes the frame itself with a zero time zone and keeps no time of a sent
// message; the dummy driver keeps no time zone either.
KeptPdu keptPdu(Driver driver, const QString& hex, qint32 length, qint32 type,
                const QString& time);

} // namespace gammu
