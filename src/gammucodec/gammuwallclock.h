#pragma once

// A libgammu phone's calendar entries and message times as the phone means them. Only the
// libgammu folders include this header: it carries libgammu's types.

#include <gammu.h>

#include <QByteArray>
#include <QString>

namespace gammu {

// The vCalendar text of libgammu's encoder with its times and priority mended:
// - the encoder writes "Z" whenever a time's zone field is 0, and the drivers use 0 for the
//   phone's own wall-clock time, so the "Z" goes: the phone gave a local time;
// - the encoder writes a to-do's priority the wrong way round (High as 3) while its reader,
//   and vCalendar 1.0, take 1 as the highest: the priority is written as 1, 2 or 3.
// todo is null for an event.
QByteArray asThePhoneMeansIt(const QByteArray& encoded, const GSM_ToDoEntry* todo);

// A message's time as the backup keeps it ("20261201T101500", with "+01:00" when the phone
// gave an offset); empty when the phone gave none.
QString messageTime(const GSM_DateTime& time);
// The other way; false when text is no such time.
bool messageTimeOf(const QString& text, GSM_DateTime& time);

} // namespace gammu
