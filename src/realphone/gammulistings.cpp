#include "realphone/gammulistings.h"

#include "gammucodec/gammumapping.h"

#include <QList>
#include <algorithm>
#include <cstring>
#include <memory>

namespace gammu {

bool notSupported(GSM_Error error)
{
    return error == ERR_NOTSUPPORTED || error == ERR_NOTIMPLEMENTED ||
           error == ERR_MEMORY_NOT_AVAILABLE;
}

void BookListing::join(const BookListing& other)
{
    if (error == ERR_NONE)
        error = other.error;
    supported = supported || other.supported;
    skipped << other.skipped;
}

namespace {

// How one kind of book is read. Folders matter for messages only; the books have one, 0.
template <class Entry> struct Book
{
    // The entry's word in the skipped lines: "contact", "message".
    QString what;
    // Empties entry for the next call.
    std::function<void(Entry&)> reset;
    std::function<GSM_Error(Entry&, bool start)> next;
    std::function<GSM_Error(int& used, int& size, QList<int>& folders)> status;
    std::function<void(Entry&, int folder, int location)> place;
    std::function<GSM_Error(Entry&)> get;
    // Where the entry sits, as one number, and as the skipped lines name it.
    std::function<qint64(const Entry&)> position;
    std::function<QString(const Entry&)> name;
    // Frees what libgammu allocated in the entry, where it does.
    std::function<void(Entry&)> release;
    // Whether a skipped entry concerns the caller; unset for every entry.
    std::function<bool(const Entry&)> mine;
};

// An error of the one entry read, after which the listing can go on.
bool entryError(GSM_Error error)
{
    return error != ERR_NONE && error != ERR_EMPTY && error != ERR_INVALIDLOCATION &&
           !notSupported(error) && !isLinkError(error);
}

template <class Entry>
void handOn(const Book<Entry>& book, Entry& entry, GSM_Error result, const Keep<Entry>& keep,
            BookListing& listing)
{
    const QString why = result == ERR_NONE ? keep(entry) : errorText(result);
    if (!why.isEmpty() && (!book.mine || book.mine(entry)))
        listing.skipped << QStringLiteral("%1 %2: %3").arg(book.what, book.name(entry), why);
    if (book.release)
        book.release(entry);
}

// The location scan of a driver without GetNext: location by location across the folders, as
// only the number of used locations is known, until that many were found.
template <class Entry> BookListing scan(const Book<Entry>& book, const Keep<Entry>& keep)
{
    BookListing listing;
    int used = 0;
    int size = 0;
    QList<int> folders{0};
    const GSM_Error status = book.status(used, size, folders);
    if (notSupported(status)) {
        listing.supported = false;
        return listing;
    }
    if (status == ERR_NOSIM)
        return listing;
    if (status != ERR_NONE) {
        listing.error = status;
        return listing;
    }
    auto entry = std::make_unique<Entry>();
    int found = 0;
    for (int location = 1; location <= std::max(size, used) && found < used; ++location) {
        for (qsizetype i = 0; i < folders.size() && found < used;) {
            book.reset(*entry);
            book.place(*entry, folders.at(i), location);
            const GSM_Error result = book.get(*entry);
            if (result == ERR_INVALIDLOCATION) {
                folders.removeAt(i);
                continue;
            }
            ++i;
            if (result == ERR_EMPTY)
                continue;
            if (result != ERR_NONE && !entryError(result)) {
                listing.error = result;
                return listing;
            }
            ++found;
            handOn(book, *entry, result, keep, listing);
        }
        if (folders.isEmpty())
            break;
    }
    book.reset(*entry);
    if (found < used && (!book.mine || book.mine(*entry)))
        listing.skipped << QStringLiteral("%1 of the %2 %3 locations the phone counts as used "
                                          "were not found")
                               .arg(used - found)
                               .arg(used)
                               .arg(book.what);
    return listing;
}

template <class Entry> BookListing readBook(const Book<Entry>& book, const Keep<Entry>& keep)
{
    BookListing listing;
    auto entry = std::make_unique<Entry>();
    book.reset(*entry);
    qint64 previous = -1;
    for (bool start = true;; start = false) {
        const GSM_Error result = book.next(*entry, start);
        if (start && notSupported(result))
            return scan(book, keep);
        if (result == ERR_EMPTY || (start && result == ERR_NOSIM))
            break;
        const qint64 at = book.position(*entry);
        // A driver that does not move on past a bad entry would answer it for ever.
        if (result != ERR_NONE && (!entryError(result) || at == previous)) {
            if (book.release)
                book.release(*entry);
            listing.error = result;
            break;
        }
        previous = at;
        handOn(book, *entry, result, keep, listing);
    }
    return listing;
}

template <class Entry> void zero(Entry& entry)
{
    std::memset(&entry, 0, sizeof entry);
}

// The calendar and the to-do list differ only in their calls and letters.
template <class Entry, class Status>
Book<Entry> listBook(GSM_StateMachine* machine, const QString& what, const QString& letter,
                     GSM_Error (*next)(GSM_StateMachine*, Entry*, gboolean),
                     GSM_Error (*status)(GSM_StateMachine*, Status*),
                     GSM_Error (*get)(GSM_StateMachine*, Entry*))
{
    Book<Entry> book;
    book.what = what;
    book.reset = zero<Entry>;
    book.next = [machine, next](Entry& entry, bool start) { return next(machine, &entry, start); };
    book.status = [machine, status](int& used, int& size, QList<int>&) {
        Status answer;
        zero(answer);
        const GSM_Error result = status(machine, &answer);
        used = answer.Used;
        size = answer.Used + answer.Free;
        return result;
    };
    book.place = [](Entry& entry, int, int location) { entry.Location = location; };
    book.get = [machine, get](Entry& entry) { return get(machine, &entry); };
    book.position = [](const Entry& entry) { return qint64{entry.Location}; };
    book.name = [letter](const Entry& entry) { return letter + QString::number(entry.Location); };
    return book;
}

} // namespace

BookListing listMemory(GSM_StateMachine* machine, GSM_MemoryType memory,
                       const Keep<GSM_MemoryEntry>& keep)
{
    Book<GSM_MemoryEntry> book;
    book.what = QStringLiteral("contact");
    book.reset = [memory](GSM_MemoryEntry& entry) {
        zero(entry);
        entry.MemoryType = memory;
    };
    book.next = [machine](GSM_MemoryEntry& entry, bool start) {
        return GSM_GetNextMemory(machine, &entry, start);
    };
    book.status = [machine, memory](int& used, int& size, QList<int>&) {
        GSM_MemoryStatus status;
        zero(status);
        status.MemoryType = memory;
        const GSM_Error result = GSM_GetMemoryStatus(machine, &status);
        used = status.MemoryUsed;
        size = status.MemoryUsed + status.MemoryFree;
        return result;
    };
    book.place = [](GSM_MemoryEntry& entry, int, int location) { entry.Location = location; };
    book.get = [machine](GSM_MemoryEntry& entry) { return GSM_GetMemory(machine, &entry); };
    book.position = [](const GSM_MemoryEntry& entry) { return qint64{entry.Location}; };
    book.name = [memory](const GSM_MemoryEntry& entry) {
        return QString::fromLatin1(memory == MEM_SM ? "SM" : "ME") +
               QString::number(entry.Location);
    };
    book.release = [](GSM_MemoryEntry& entry) { GSM_FreeMemoryEntry(&entry); };
    return readBook(book, keep);
}

BookListing listCalendar(GSM_StateMachine* machine, const Keep<GSM_CalendarEntry>& keep)
{
    return readBook(listBook<GSM_CalendarEntry, GSM_CalendarStatus>(
                        machine, QStringLiteral("calendar entry"), QStringLiteral("C"),
                        GSM_GetNextCalendar, GSM_GetCalendarStatus, GSM_GetCalendar),
                    keep);
}

BookListing listToDos(GSM_StateMachine* machine, const Keep<GSM_ToDoEntry>& keep)
{
    return readBook(listBook<GSM_ToDoEntry, GSM_ToDoStatus>(machine, QStringLiteral("to-do"),
                                                            QStringLiteral("T"), GSM_GetNextToDo,
                                                            GSM_GetToDoStatus, GSM_GetToDo),
                    keep);
}

BookListing listMessages(GSM_StateMachine* machine, const Keep<GSM_MultiSMSMessage>& keep,
                         const std::function<bool(const GSM_MultiSMSMessage&)>& mine)
{
    Book<GSM_MultiSMSMessage> book;
    book.what = QStringLiteral("message");
    book.reset = zero<GSM_MultiSMSMessage>;
    book.next = [machine](GSM_MultiSMSMessage& multi, bool start) {
        return GSM_GetNextSMS(machine, &multi, start);
    };
    book.status = [machine](int& used, int& size, QList<int>& folders) {
        GSM_SMSMemoryStatus status;
        zero(status);
        GSM_Error result = GSM_GetSMSStatus(machine, &status);
        used = status.SIMUsed + status.PhoneUsed;
        size = std::max(status.SIMSize, status.PhoneSize);
        auto list = std::make_unique<GSM_SMSFolders>();
        zero(*list);
        // Without folders, folder 0 is the phone's flat numbering of every message.
        if (result == ERR_NONE && GSM_GetSMSFolders(machine, list.get()) == ERR_NONE) {
            folders.clear();
            for (int i = 1; i <= list->Number; ++i)
                folders << i;
        }
        return result;
    };
    book.place = [](GSM_MultiSMSMessage& multi, int folder, int location) {
        multi.SMS[0].Folder = folder;
        multi.SMS[0].Location = location;
    };
    book.get = [machine](GSM_MultiSMSMessage& multi) { return GSM_GetSMS(machine, &multi); };
    book.position = [](const GSM_MultiSMSMessage& multi) {
        return qint64{multi.SMS[0].Folder} * GSM_PHONE_MAXSMSINFOLDER + multi.SMS[0].Location;
    };
    book.name = [](const GSM_MultiSMSMessage& multi) {
        return QStringLiteral("in folder %1 at %2")
            .arg(multi.SMS[0].Folder)
            .arg(multi.SMS[0].Location);
    };
    book.mine = mine;
    return readBook(book, keep);
}

} // namespace gammu
