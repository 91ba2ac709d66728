#include "core/programerror.h"
#include "realphone/gammuguard.h"
#include "realphone/gammumapping.h"
#include "realphone/gammuphone.h"
#include "realphone/gammuirmcstore.h"
#include "realphone/gammulistings.h"
#include "realphone/gammuwallclock.h"
#include "realphone/gammuwidetexts.h"
#include "realphone/gammusession.h"
#include "realphone/gammuworker.h"

#include <QRegularExpression>
#include <cstring>
#include <memory>

namespace gammu {

namespace {

using irmc::IrmcBook;
using irmc::IrmcEntry;

// libgammu's encoders answer ERR_MOREMEMORY when an entry does not fit: the buffer doubles, up
// to a size no phone entry reaches (a photo of 60 KB takes about 80 KB).
constexpr size_t FirstBufferSize = 64 * 1024;
constexpr size_t LastBufferSize = 16 * 1024 * 1024;

struct Listing
{
    GSM_Error error = ERR_NONE;
    irmc::IrmcListing book;
};

// A SIM or to-do list the phone does not have is empty already.
bool nothingToClear(GSM_Error error)
{
    return notSupported(error) || error == ERR_NOSIM || error == ERR_EMPTY;
}

// The encoder's text without its final line break, its blank lines and its X-GAMMU-LOCATION
// line: like a LUID, the location is the phone's, and a restored entry gets a new one.
QByteArray withoutLocationLine(const char* buffer, size_t length)
{
    QList<QByteArray> lines = QByteArray(buffer, static_cast<qsizetype>(length)).split('\n');
    lines.removeIf([](const QByteArray& line) {
        return line.trimmed().isEmpty() || line.startsWith("X-GAMMU-LOCATION:");
    });
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines.join("\r\n");
}

// Encodes entry with encode(buffer, size, &length) into entries under luid, the texts
// libgammu's writer cannot hold written by us; libgammu's reason when it cannot.
template <class Entry, class Encode>
QString keepEncoded(std::vector<char>& buffer, QList<IrmcEntry>& entries, const QString& luid,
                    Entry& entry, Encode encode)
{
    WideTexts wide;
    wide.stash(entry);
    for (;;) {
        size_t length = 0;
        const GSM_Error result = encode(buffer.data(), buffer.size(), &length);
        if (result == ERR_NONE) {
            entries.append(
                IrmcEntry{luid, wide.restore(withoutLocationLine(buffer.data(), length))});
            return QString();
        }
        if (result != ERR_MOREMEMORY || buffer.size() >= LastBufferSize)
            return errorText(result);
        buffer.resize(buffer.size() * 2);
    }
}

BookListing listContacts(GSM_StateMachine* machine, std::vector<char>& buffer,
                         QList<IrmcEntry>& out)
{
    BookListing found;
    found.supported = false;
    for (const GSM_MemoryType memory : {MEM_ME, MEM_SM}) {
        found.join(listMemory(machine, memory, [&](GSM_MemoryEntry& entry) {
            const QString luid = QString::fromLatin1(memory == MEM_SM ? "SM" : "ME") +
                                 QString::number(entry.Location);
            return keepEncoded(buffer, out, luid, entry,
                               [&entry](char* data, size_t size, size_t* length) {
                                   return GSM_EncodeVCARD(nullptr, data, size, length, &entry, TRUE,
                                                          Nokia_VCard21);
                               });
        }));
    }
    return found;
}

BookListing listCalendar(GSM_StateMachine* machine, std::vector<char>& buffer,
                         QList<IrmcEntry>& out)
{
    BookListing found;
    found.supported = false;
    found.join(gammu::listCalendar(machine, [&](GSM_CalendarEntry& note) {
        const QString luid = QStringLiteral("C") + QString::number(note.Location);
        const QString why =
            keepEncoded(buffer, out, luid, note, [&note](char* data, size_t size, size_t* length) {
                return GSM_EncodeVCALENDAR(data, size, length, &note, FALSE, Nokia_VCalendar);
            });
        if (why.isEmpty())
            out.last().data = asThePhoneMeansIt(out.last().data, nullptr);
        return why;
    }));
    found.join(listToDos(machine, [&](GSM_ToDoEntry& todo) {
        const QString luid = QStringLiteral("T") + QString::number(todo.Location);
        const QString why =
            keepEncoded(buffer, out, luid, todo, [&todo](char* data, size_t size, size_t* length) {
                return GSM_EncodeVTODO(data, size, length, &todo, FALSE, Nokia_VToDo);
            });
        if (why.isEmpty())
            out.last().data = asThePhoneMeansIt(out.last().data, &todo);
        return why;
    }));
    return found;
}

Listing list(GammuWorker& worker, IrmcBook book)
{
    GSM_StateMachine* machine = worker.machine();
    if (!machine)
        return Listing{ERR_NOTCONNECTED, {}};
    Listing listing;
    std::vector<char> buffer(FirstBufferSize);
    const BookListing found = book == IrmcBook::Phonebook
                                  ? listContacts(machine, buffer, listing.book.entries)
                                  : listCalendar(machine, buffer, listing.book.entries);
    listing.book.supported = found.supported;
    listing.book.skipped = found.skipped;
    listing.error = worker.check(found.error);
    if (listing.error == ERR_NONE)
        listing.error = worker.confirm();
    return listing;
}

// The LUID's memory or list and location: "ME12", "SM3", "C4", "T5".
bool parseLuid(const QString& luid, QString& kind, int& location)
{
    const qsizetype digits = luid.indexOf(QRegularExpression(QStringLiteral("\\d")));
    bool ok = false;
    location = digits > 0 ? luid.mid(digits).toInt(&ok) : 0;
    kind = luid.left(digits);
    return ok && location > 0;
}

// Writes data as the entry at location of kind, or as a new entry when location is 0; the
// entry's LUID, empty when libgammu refused it or it does not fit libgammu's fields (it is
// never written cut).
QString write(GammuWorker& worker, IrmcBook book, const QByteArray& data, const QString& kind,
              int location)
{
    GSM_StateMachine* machine = worker.machine();
    if (!machine)
        return QString();
    const QByteArray text = storeEntryText(book == IrmcBook::Calendar, data);
    GSM_Error result = ERR_NONE;
    QString luid;
    if (book == IrmcBook::Phonebook) {
        auto entry = std::make_unique<GSM_MemoryEntry>();
        const Decoded decoded = decodeVCard(text, *entry);
        if (!decoded.fits)
            return QString();
        result = decoded.error;
        entry->MemoryType = kind == QLatin1String("SM") ? MEM_SM : MEM_ME;
        entry->Location = location;
        if (result == ERR_NONE)
            result = location ? GSM_SetMemory(machine, entry.get())
                              : GSM_AddMemory(machine, entry.get());
        luid = (entry->MemoryType == MEM_SM ? QStringLiteral("SM") : QStringLiteral("ME")) +
               QString::number(entry->Location);
        GSM_FreeMemoryEntry(entry.get());
    } else {
        auto note = std::make_unique<GSM_CalendarEntry>();
        auto todo = std::make_unique<GSM_ToDoEntry>();
        bool isTodo = false;
        const Decoded decoded = decodeVCalendar(text, *note, *todo, isTodo);
        if (!decoded.fits)
            return QString();
        result = decoded.error;
        if (result == ERR_NONE && note->EntriesNum == 0 && todo->EntriesNum == 0)
            result = ERR_INVALIDDATA;
        if (result == ERR_NONE && location != 0 && (kind == QLatin1String("T")) != isTodo)
            result = ERR_INVALIDDATA;
        note->Location = todo->Location = location;
        if (result == ERR_NONE && isTodo)
            result = location ? GSM_SetToDo(machine, todo.get()) : GSM_AddToDo(machine, todo.get());
        else if (result == ERR_NONE)
            result = location ? GSM_SetCalendar(machine, note.get())
                              : GSM_AddCalendar(machine, note.get());
        luid = isTodo ? QStringLiteral("T") + QString::number(todo->Location)
                      : QStringLiteral("C") + QString::number(note->Location);
    }
    return worker.check(result) == ERR_NONE ? luid : QString();
}

GSM_Error erase(GSM_StateMachine* machine, IrmcBook book, const QString& kind, int location)
{
    if (book == IrmcBook::Phonebook) {
        auto entry = std::make_unique<GSM_MemoryEntry>();
        std::memset(entry.get(), 0, sizeof *entry);
        entry->MemoryType = kind == QLatin1String("SM") ? MEM_SM : MEM_ME;
        entry->Location = location;
        return GSM_DeleteMemory(machine, entry.get());
    }
    if (kind == QLatin1String("T")) {
        auto todo = std::make_unique<GSM_ToDoEntry>();
        std::memset(todo.get(), 0, sizeof *todo);
        todo->Location = location;
        return GSM_DeleteToDo(machine, todo.get());
    }
    auto note = std::make_unique<GSM_CalendarEntry>();
    std::memset(note.get(), 0, sizeof *note);
    note->Location = location;
    return GSM_DeleteCalendar(machine, note.get());
}

} // namespace

GammuIrmcStore::GammuIrmcStore(GammuSession& session, GammuCellPhone& phone)
    : m_session(session), m_phone(phone)
{
}

QList<IrmcEntry> GammuIrmcStore::entries(IrmcBook book) const
{
    return listing(book).entries;
}

irmc::IrmcListing GammuIrmcStore::listing(IrmcBook book) const
{
    const Listing listing =
        m_session.await<Listing>([book](GammuWorker& worker) { return list(worker, book); });
    if (listing.error != ERR_NONE)
        throw ProgramError(ProgramError::ComponentFailure, QStringLiteral("ObexService"),
                           QStringLiteral("The phone could not list its %1: %2")
                               .arg(book == IrmcBook::Phonebook ? QStringLiteral("contacts")
                                                                : QStringLiteral("calendar"),
                                    errorText(listing.error)));
    return listing.book;
}

QString GammuIrmcStore::add(IrmcBook book, const QByteArray& data)
{
    return m_session.await<QString>(
        [book, data](GammuWorker& worker) { return write(worker, book, data, QString(), 0); });
}

bool GammuIrmcStore::clear(IrmcBook book)
{
    return m_session.await<bool>([book](GammuWorker& worker) {
        GSM_StateMachine* machine = worker.machine();
        if (!machine)
            return false;
        GSM_Error first = ERR_NONE;
        GSM_Error second = ERR_NONE;
        if (book == IrmcBook::Phonebook) {
            first = GSM_DeleteAllMemory(machine, MEM_ME);
            second = GSM_DeleteAllMemory(machine, MEM_SM);
        } else {
            first = GSM_DeleteAllCalendar(machine);
            second = GSM_DeleteAllToDo(machine);
        }
        worker.check(first != ERR_NONE ? first : second);
        // A SIM or to-do list the phone does not have is empty already.
        return first == ERR_NONE && (second == ERR_NONE || nothingToClear(second));
    });
}

bool GammuIrmcStore::replace(IrmcBook book, const QString& luid, const QByteArray& data)
{
    QString kind;
    int location = 0;
    if (!parseLuid(luid, kind, location))
        return false;
    return !m_session
                .await<QString>([book, data, kind, location](GammuWorker& worker) {
                    return write(worker, book, data, kind, location);
                })
                .isEmpty();
}

bool GammuIrmcStore::remove(IrmcBook book, const QString& luid)
{
    QString kind;
    int location = 0;
    if (!parseLuid(luid, kind, location))
        return false;
    return m_session.await<bool>([book, kind, location](GammuWorker& worker) {
        GSM_StateMachine* machine = worker.machine();
        return machine && worker.check(erase(machine, book, kind, location)) == ERR_NONE;
    });
}

irmc::IrmcIdentity GammuIrmcStore::identity() const
{
    return irmc::IrmcIdentity{m_phone.manufacturer(), m_phone.Model(), m_phone.IMEI(),
                              m_phone.SoftwareVersion()};
}

bool GammuIrmcStore::fits(IrmcBook book, const QByteArray& data) const
{
    return entryFits(book == IrmcBook::Phonebook ? EntryKind::Contact : EntryKind::Event,
                     storeEntryText(book == IrmcBook::Calendar, data));
}

int GammuIrmcStore::maximumRecords(IrmcBook book) const
{
    return m_session.await<int>([book](GammuWorker& worker) {
        GSM_StateMachine* machine = worker.machine();
        int room = 0;
        if (!machine)
            return room;
        if (book == IrmcBook::Phonebook) {
            for (GSM_MemoryType memory : {MEM_ME, MEM_SM}) {
                GSM_MemoryStatus status;
                std::memset(&status, 0, sizeof status);
                status.MemoryType = memory;
                if (GSM_GetMemoryStatus(machine, &status) == ERR_NONE)
                    room += status.MemoryUsed + status.MemoryFree;
            }
        } else {
            GSM_CalendarStatus status;
            std::memset(&status, 0, sizeof status);
            if (GSM_GetCalendarStatus(machine, &status) == ERR_NONE)
                room = status.Used + status.Free;
        }
        return room;
    });
}

} // namespace gammu
