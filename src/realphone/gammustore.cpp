#include "core/programerror.h"
#include "gammucodec/gammuguard.h"
#include "realphone/gammukeeping.h"
#include "gammucodec/gammumapping.h"
#include "realphone/gammuphone.h"
#include "gammucodec/gammuentrytext.h"
#include "realphone/gammuirmcstore.h"
#include "realphone/gammulistings.h"
#include "realphone/gammusession.h"
#include "realphone/gammuworker.h"

#include <QRegularExpression>
#include <QSet>
#include <cstring>
#include <memory>

namespace gammu {

namespace {

using irmc::IrmcBook;
using irmc::IrmcEntry;

struct Listing
{
    GSM_Error error = ERR_NONE;
    irmc::IrmcListing book;
};

// The phone memory's locations as the last listing found them.
struct PhoneMemory
{
    // False when the phone did not say how many locations it has, or an entry could not be
    // read (its location is taken all the same).
    bool known = false;
    int size = 0;
    QSet<int> taken;
};

// A SIM or to-do list the phone does not have is empty already.
bool nothingToClear(GSM_Error error)
{
    return notSupported(error) || error == ERR_NOSIM || error == ERR_EMPTY;
}

BookListing listContacts(GSM_StateMachine* machine, std::vector<char>& buffer,
                         QList<IrmcEntry>& out, PhoneMemory& phoneMemory,
                         const std::function<void()>& alive)
{
    BookListing found;
    found.supported = false;
    phoneMemory = PhoneMemory{};
    for (const GSM_MemoryType memory : {MEM_ME, MEM_SM}) {
        GSM_MemoryStatus status;
        std::memset(&status, 0, sizeof status);
        status.MemoryType = memory;
        const GSM_Error statusError = GSM_GetMemoryStatus(machine, &status);
        if (memory == MEM_ME && statusError == ERR_NONE) {
            phoneMemory.known = true;
            phoneMemory.size = status.MemoryUsed + status.MemoryFree;
        }
        // A memory whose status says it is empty costs no listing.
        if (statusError == ERR_NONE && status.MemoryUsed == 0) {
            found.supported = true;
            continue;
        }
        const BookListing listed = listMemory(machine, memory, [&](GSM_MemoryEntry& entry) {
            alive();
            if (memory == MEM_ME)
                phoneMemory.taken.insert(entry.Location);
            const QString luid = QString::fromLatin1(memory == MEM_SM ? "SM" : "ME") +
                                 QString::number(entry.Location);
            QString why;
            const QByteArray text = encodedContact(buffer, entry, why);
            if (why.isEmpty())
                out.append(IrmcEntry{luid, text});
            return why;
        });
        // An entry that could not be read still holds its location.
        if (memory == MEM_ME && (!listed.skipped.isEmpty() || listed.error != ERR_NONE))
            phoneMemory.known = false;
        found.join(listed);
    }
    // Right after the SIM's status, the AT driver answers the first write to the phone memory
    // with ERR_INVALIDDATA; once the phone memory was asked again, it writes.
    GSM_MemoryStatus status;
    std::memset(&status, 0, sizeof status);
    status.MemoryType = MEM_ME;
    GSM_GetMemoryStatus(machine, &status);
    return found;
}

BookListing listCalendar(GSM_StateMachine* machine, std::vector<char>& buffer,
                         QList<IrmcEntry>& out, const std::function<void()>& alive)
{
    BookListing found;
    found.supported = false;
    found.join(gammu::listCalendar(machine, [&](GSM_CalendarEntry& note) {
        alive();
        QString why;
        const QByteArray text = encodedEvent(buffer, note, why);
        if (why.isEmpty())
            out.append(IrmcEntry{QStringLiteral("C") + QString::number(note.Location), text});
        return why;
    }));
    found.join(listToDos(machine, [&](GSM_ToDoEntry& todo) {
        alive();
        QString why;
        const QByteArray text = encodedToDo(buffer, todo, why);
        if (why.isEmpty())
            out.append(IrmcEntry{QStringLiteral("T") + QString::number(todo.Location), text});
        return why;
    }));
    return found;
}

// The names of an entry's properties that hold its data: not the envelope, not what the
// phone assigns on its own.
QSet<QByteArray> dataNames(const QByteArray& entry)
{
    QSet<QByteArray> names;
    for (const PropertyLine& line : propertyLines(entry)) {
        if (line.name != "BEGIN" && line.name != "END" && line.name != "VERSION" &&
            line.name != "REV" && line.name != "X-IRMC-LUID" && !line.name.startsWith("X-GAMMU-"))
            names.insert(line.name);
    }
    return names;
}

// kept, with words for what libgammu's decoder and writer left out of data.
KeptForm keptThroughLibgammu(const QByteArray& data, const QByteArray& kept)
{
    QStringList lost;
    const QSet<QByteArray> keptNames = dataNames(kept);
    for (const QByteArray& name : dataNames(data)) {
        if (!keptNames.contains(name))
            lost << QString::fromLatin1(name);
    }
    lost.sort();
    if (lost.isEmpty())
        return KeptForm{kept, {}, {}};
    return KeptForm{kept, QStringLiteral("on the phone without the fields libgammu does not keep"),
                    QStringLiteral("without ") + lost.join(QStringLiteral(", "))};
}

} // namespace

// What the store learns of the phone on the worker thread, and uses there only.
struct StoreKeeping
{
    enum class Form { Unknown, Whole, NameAndNumber };
    Form contacts = Form::Unknown;
    PhoneMemory memory;
    // The driver cannot set a location: contacts are added where the phone puts them.
    bool cannotSet = false;
    // The way contacts are written was named in the log since the last listing.
    bool wayNamed = false;
    // What the phone answered to the last contact written.
    GSM_Error lastWrite = ERR_NONE;
    std::vector<char> buffer = std::vector<char>(FirstBufferSize);

    Form contactForm(GSM_StateMachine* machine)
    {
        if (contacts == Form::Unknown)
            contacts = keepsNameAndNumberOnly(machine) ? Form::NameAndNumber : Form::Whole;
        return contacts;
    }
    // The next free location of the phone memory, 0 when none is known.
    int freeLocation() const
    {
        if (!memory.known || cannotSet)
            return 0;
        for (int location = 1; location <= memory.size; ++location) {
            if (!memory.taken.contains(location))
                return location;
        }
        return 0;
    }
};

namespace {

Listing list(GammuWorker& worker, IrmcBook book, StoreKeeping& keeping)
{
    GSM_StateMachine* machine = worker.machine();
    if (!machine)
        return Listing{ERR_NOTCONNECTED, {}};
    Listing listing;
    std::vector<char>& buffer = keeping.buffer;
    if (book == IrmcBook::Phonebook)
        keeping.wayNamed = false;
    // Every entry read tells that the phone still answers, however long the book.
    const auto alive = [&worker] { worker.alive(); };
    const BookListing found =
        book == IrmcBook::Phonebook
            ? listContacts(machine, buffer, listing.book.entries, keeping.memory, alive)
            : listCalendar(machine, buffer, listing.book.entries, alive);
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

// A contact as a name and a number; false when it has neither, or they do not fit the fields.
bool nameAndNumberEntry(const QByteArray& text, GSM_MemoryEntry& entry)
{
    const NameAndNumber contact = nameAndNumberOf(text);
    if ((contact.name.isEmpty() && contact.number.isEmpty()) ||
        contact.name.size() > limits::ContactTextChars ||
        contact.number.size() > limits::ContactTextChars)
        return false;
    fillNameAndNumber(contact, entry);
    return true;
}

bool cannotSetLocations(GSM_Error error)
{
    return error == ERR_NOTIMPLEMENTED || error == ERR_NOTSUPPORTED;
}

// Writes a new contact of the phone memory to the next free location the last listing left,
// or where the phone puts it when the driver cannot set one or the free ones are not known:
// the driver's own search for a free location reads the book from its start for every entry.
GSM_Error addContact(GSM_StateMachine* machine, StoreKeeping& keeping, GSM_MemoryEntry& entry,
                     const std::function<void(const QString&)>& note)
{
    for (;;) {
        const int location = entry.MemoryType == MEM_ME ? keeping.freeLocation() : 0;
        // Every location known taken: the driver's own search would only find the same.
        if (entry.MemoryType == MEM_ME && !location && keeping.memory.known &&
            !keeping.cannotSet && keeping.memory.size > 0)
            return ERR_FULL;
        if (!keeping.wayNamed && entry.MemoryType == MEM_ME) {
            keeping.wayNamed = true;
            note(location ? QStringLiteral("Contacts go to the free locations of the phone "
                                           "memory, from location %1 on (of %2)")
                                .arg(location)
                                .arg(keeping.memory.size)
                          : QStringLiteral("Contacts are added where the phone puts them"));
        }
        // Every location the phone has is taken: asking the driver would only have it read the
        // whole book again to find none, for every contact left.
        if (!location && entry.MemoryType == MEM_ME && keeping.memory.known && !keeping.cannotSet)
            return ERR_FULL;
        entry.Location = location;
        const GSM_Error result =
            location ? GSM_SetMemory(machine, &entry) : GSM_AddMemory(machine, &entry);
        if (location && cannotSetLocations(result)) {
            keeping.cannotSet = true;
            keeping.wayNamed = false;
            continue;
        }
        // A location the phone refuses is passed over; the entry goes to the next one.
        if (location && result == ERR_INVALIDLOCATION) {
            keeping.memory.taken.insert(location);
            continue;
        }
        if (result == ERR_NONE && entry.MemoryType == MEM_ME)
            keeping.memory.taken.insert(entry.Location);
        return result;
    }
}

// Writes a contact as the phone keeps it: whole, or as a name and a number on a phone that
// keeps no more, or when it does not fit libgammu's fields whole. A phone that drops parts of
// an entry is known to keep no more from then on, and the entry is written again that way.
QString writeContact(GammuWorker& worker, StoreKeeping& keeping, const QByteArray& text,
                     const QString& kind, int location,
                     const std::function<void(const QString&)>& note)
{
    GSM_StateMachine* machine = worker.machine();
    auto entry = std::make_unique<GSM_MemoryEntry>();
    const bool reduced = keeping.contactForm(machine) == StoreKeeping::Form::NameAndNumber ||
                         !entryFits(EntryKind::Contact, text);
    GSM_Error result = ERR_NONE;
    if (reduced) {
        if (!nameAndNumberEntry(text, *entry))
            return QString();
    } else {
        const Decoded decoded = decodeVCard(text, *entry);
        if (!decoded.fits)
            return QString();
        result = decoded.error;
    }
    entry->MemoryType = kind == QLatin1String("SM") ? MEM_SM : MEM_ME;
    entry->Location = location;
    if (result == ERR_NONE)
        result = location ? GSM_SetMemory(machine, entry.get())
                          : addContact(machine, keeping, *entry, note);
    if (result == ERR_NONE && !reduced && droppedAny(*entry)) {
        keeping.contacts = StoreKeeping::Form::NameAndNumber;
        auto again = std::make_unique<GSM_MemoryEntry>();
        if (nameAndNumberEntry(text, *again)) {
            again->MemoryType = entry->MemoryType;
            again->Location = entry->Location;
            result = GSM_SetMemory(machine, again.get());
        }
    }
    keeping.lastWrite = result;
    const QString luid = (entry->MemoryType == MEM_SM ? QStringLiteral("SM") : QStringLiteral("ME")) +
                         QString::number(entry->Location);
    GSM_FreeMemoryEntry(entry.get());
    return worker.check(result) == ERR_NONE ? luid : QString();
}

// Writes data as the entry at location of kind, or as a new entry when location is 0; the
// entry's LUID, empty when libgammu refused it or it does not fit libgammu's fields (it is
// never written cut).
QString write(GammuWorker& worker, StoreKeeping& keeping, IrmcBook book, const QByteArray& data,
              const QString& kind, int location, const std::function<void(const QString&)>& note)
{
    GSM_StateMachine* machine = worker.machine();
    if (!machine)
        return QString();
    const QByteArray text = storeEntryText(book == IrmcBook::Calendar, data);
    if (book == IrmcBook::Phonebook)
        return writeContact(worker, keeping, text, kind, location, note);
    auto event = std::make_unique<GSM_CalendarEntry>();
    auto todo = std::make_unique<GSM_ToDoEntry>();
    bool isTodo = false;
    const Decoded decoded = decodeVCalendar(text, *event, *todo, isTodo);
    if (!decoded.fits)
        return QString();
    GSM_Error result = decoded.error;
    if (result == ERR_NONE && event->EntriesNum == 0 && todo->EntriesNum == 0)
        result = ERR_INVALIDDATA;
    if (result == ERR_NONE && location != 0 && (kind == QLatin1String("T")) != isTodo)
        result = ERR_INVALIDDATA;
    event->Location = todo->Location = location;
    if (result == ERR_NONE && isTodo)
        result = location ? GSM_SetToDo(machine, todo.get()) : GSM_AddToDo(machine, todo.get());
    else if (result == ERR_NONE)
        result = location ? GSM_SetCalendar(machine, event.get())
                          : GSM_AddCalendar(machine, event.get());
    const QString luid = isTodo ? QStringLiteral("T") + QString::number(todo->Location)
                                : QStringLiteral("C") + QString::number(event->Location);
    return worker.check(result) == ERR_NONE ? luid : QString();
}

// A contact as the phone hands it back once written.
KeptForm keptContact(GSM_StateMachine* machine, StoreKeeping& keeping, const QByteArray& data)
{
    const QByteArray text = storeEntryText(false, data);
    const bool nameAndNumberOnly =
        keeping.contactForm(machine) == StoreKeeping::Form::NameAndNumber;
    if (!nameAndNumberOnly && entryFits(EntryKind::Contact, text)) {
        // What the phone hands back is what libgammu's decoder made of the entry, written
        // again by its writer.
        auto whole = std::make_unique<GSM_MemoryEntry>();
        if (!decodeVCard(text, *whole).ok())
            return KeptForm{data, {}, {}};
        whole->MemoryType = MEM_ME;
        QString why;
        const QByteArray kept = encodedContact(keeping.buffer, *whole, why);
        GSM_FreeMemoryEntry(whole.get());
        return kept.isEmpty() ? KeptForm{data, {}, {}} : keptThroughLibgammu(data, kept);
    }
    auto entry = std::make_unique<GSM_MemoryEntry>();
    if (!nameAndNumberEntry(text, *entry))
        return KeptForm{data, {}, {}};
    QString why;
    KeptForm kept{encodedContact(keeping.buffer, *entry, why), {}, {}};
    if (kept.entry.isEmpty())
        return KeptForm{data, {}, {}};
    const QStringList leftOut = nameAndNumberOf(text).leftOut;
    if (!leftOut.isEmpty()) {
        kept.summary = nameAndNumberOnly
                           ? QStringLiteral("on the phone as name and number only (this phone "
                                            "keeps one name and one number)")
                           : QStringLiteral("on the phone as name and number only (too long for "
                                            "this phone as a whole)");
        kept.detail = QStringLiteral("without ") + leftOut.join(QStringLiteral(", "));
    }
    return kept;
}

// A calendar entry as the phone hands it back once written.
KeptForm keptCalendarEntry(GSM_StateMachine* machine, StoreKeeping& keeping,
                           const QByteArray& data)
{
    auto event = std::make_unique<GSM_CalendarEntry>();
    auto todo = std::make_unique<GSM_ToDoEntry>();
    bool isTodo = false;
    if (!decodeVCalendar(storeEntryText(true, data), *event, *todo, isTodo).ok())
        return KeptForm{data, {}, {}};
    QString why;
    if (!isTodo) {
        const QByteArray kept = encodedEvent(keeping.buffer, *event, why);
        return why.isEmpty() ? keptThroughLibgammu(data, kept) : KeptForm{data, {}, {}};
    }
    const int written = todo->Priority;
    const bool swapped = driverOf(machine) == Driver::Dummy && written >= GSM_Priority_High &&
                         written <= GSM_Priority_Low;
    if (swapped)
        todo->Priority = static_cast<GSM_ToDo_Priority>(dummyToDoPriority(written));
    const QByteArray kept = encodedToDo(keeping.buffer, *todo, why);
    if (!why.isEmpty())
        return KeptForm{data, {}, {}};
    KeptForm form = keptThroughLibgammu(data, kept);
    if (swapped && todo->Priority != written && form.whole()) {
        form.summary = QStringLiteral("stored with another priority by the phone");
        form.detail = QStringLiteral("priority %1 reads back as %2").arg(written).arg(todo->Priority);
    }
    return form;
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
    : m_session(session), m_phone(phone), m_keeping(std::make_unique<StoreKeeping>())
{
}

GammuIrmcStore::~GammuIrmcStore() = default;

KeptForm GammuIrmcStore::keptForm(IrmcBook book, const QByteArray& data) const
{
    StoreKeeping* keeping = m_keeping.get();
    return m_session.await<KeptForm>([book, data, keeping](GammuWorker& worker) {
        GSM_StateMachine* machine = worker.machine();
        if (!machine)
            return KeptForm{data, {}, {}};
        return book == IrmcBook::Phonebook ? keptContact(machine, *keeping, data)
                                           : keptCalendarEntry(machine, *keeping, data);
    });
}

QList<IrmcEntry> GammuIrmcStore::entries(IrmcBook book) const
{
    return listing(book).entries;
}

irmc::IrmcListing GammuIrmcStore::listing(IrmcBook book) const
{
    StoreKeeping* keeping = m_keeping.get();
    const Listing listing = m_session.await<Listing>(
        [book, keeping](GammuWorker& worker) { return list(worker, book, *keeping); });
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
    StoreKeeping* keeping = m_keeping.get();
    GammuSession* session = &m_session;
    return m_session.await<QString>([book, data, keeping, session](GammuWorker& worker) {
        return write(worker, *keeping, book, data, QString(), 0,
                     [session](const QString& line) { Q_EMIT session->note(line); });
    });
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
    StoreKeeping* keeping = m_keeping.get();
    return !m_session
                .await<QString>([book, data, kind, location, keeping](GammuWorker& worker) {
                    return write(worker, *keeping, book, data, kind, location,
                                 [](const QString&) {});
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
    const QByteArray text = storeEntryText(book == IrmcBook::Calendar, data);
    if (book == IrmcBook::Phonebook) {
        // A contact too long as a whole is still written as its name and number.
        auto entry = std::make_unique<GSM_MemoryEntry>();
        return entryFits(EntryKind::Contact, text) || nameAndNumberEntry(text, *entry);
    }
    return entryFits(EntryKind::Event, text);
}

bool GammuIrmcStore::full(IrmcBook book, int& used, int& size) const
{
    const StoreKeeping& keeping = *m_keeping;
    if (book != IrmcBook::Phonebook || keeping.lastWrite != ERR_FULL)
        return false;
    if (keeping.memory.known) {
        used = static_cast<int>(keeping.memory.taken.size());
        size = keeping.memory.size;
        return true;
    }
    const auto status = m_session.await<std::pair<int, int>>([](GammuWorker& worker) {
        GSM_StateMachine* machine = worker.machine();
        GSM_MemoryStatus status;
        std::memset(&status, 0, sizeof status);
        status.MemoryType = MEM_ME;
        if (!machine || GSM_GetMemoryStatus(machine, &status) != ERR_NONE)
            return std::pair<int, int>(0, 0);
        return std::pair<int, int>(status.MemoryUsed, status.MemoryUsed + status.MemoryFree);
    });
    used = status.first;
    size = status.second;
    return true;
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
