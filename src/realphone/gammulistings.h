#pragma once

// Whole books read through libgammu on any driver: the GetNext calls first and, where a driver
// does not implement them, its status call and a scan of the locations up to the used count.
// An entry that cannot be read is skipped and named; the rest is kept. Internal to
// src/realphone.

#include <gammu.h>

#include <QString>
#include <QStringList>
#include <functional>

namespace gammu {

// Errors that say the phone or its driver has no such memory, list or call at all.
bool notSupported(GSM_Error error);

struct BookListing
{
    // A failure that ended the listing: what it found so far is not the whole book.
    GSM_Error error = ERR_NONE;
    // False when the phone has no such book at all.
    bool supported = true;
    // One line per entry that was not kept, with libgammu's reason.
    QStringList skipped;

    // Two parts of one book (ME and SM, calendar and to-dos): supported when either is.
    void join(const BookListing& other);
};

// What a listing hands each entry it read to: an empty text when it was kept, else why not.
template <class Entry> using Keep = std::function<QString(Entry&)>;

BookListing listMemory(GSM_StateMachine* machine, GSM_MemoryType memory,
                       const Keep<GSM_MemoryEntry>& keep);
BookListing listCalendar(GSM_StateMachine* machine, const Keep<GSM_CalendarEntry>& keep);
BookListing listToDos(GSM_StateMachine* machine, const Keep<GSM_ToDoEntry>& keep);
// Messages of every folder; a message that cannot be read is named only when mine says it
// belongs to the caller (a read error may leave it without its memory).
BookListing listMessages(GSM_StateMachine* machine, const Keep<GSM_MultiSMSMessage>& keep,
                         const std::function<bool(const GSM_MultiSMSMessage&)>& mine);

} // namespace gammu
