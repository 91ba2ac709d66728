#pragma once

// Contacts, events and to-dos as libgammu's writers make them, mended where they go wrong: the
// form a phone's backup holds them in, for the entries of a phone and of gammu's backup files
// alike. Only the libgammu folders include this header: it carries libgammu's types.

#include <gammu.h>

#include <QByteArray>
#include <QString>

#include <vector>

namespace gammu {

// libgammu's encoders answer ERR_MOREMEMORY when an entry does not fit: the buffer doubles, up
// to a size no phone entry reaches (a photo of 60 KB takes about 80 KB).
constexpr size_t FirstBufferSize = 64 * 1024;
constexpr size_t LastBufferSize = 16 * 1024 * 1024;

// The entry as a vCard 2.1 (Nokia_VCard21) or, without the VCALENDAR around it, a vCalendar
// 1.0 event or to-do (Nokia_VCalendar, Nokia_VToDo): UTF-8, lines ended by CR LF but the last,
// no X-GAMMU-LOCATION line. Texts the writer cannot hold are written by us, times and a to-do's
// priority as the phone means them (see asThePhoneMeansIt). Empty, with libgammu's reason in
// why, when libgammu cannot write it. buffer grows as an entry needs it.
QByteArray encodedContact(std::vector<char>& buffer, GSM_MemoryEntry& entry, QString& why);
QByteArray encodedEvent(std::vector<char>& buffer, GSM_CalendarEntry& note, QString& why);
QByteArray encodedToDo(std::vector<char>& buffer, GSM_ToDoEntry& todo, QString& why);

} // namespace gammu
