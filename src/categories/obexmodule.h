#pragma once

#include "categories/entrymatch.h"
#include "categories/restorelists.h"

#include <QByteArray>
#include <QString>
#include <functional>

struct CategoryServices;
class ObexTransfer;

// The phonebook and the calendar: fetched whole over OBEX, stored one entry per line in the
// Contacts and Calendar sections, and restored one new entry at a time.
class ObexModule
{
public:
    ObexModule(CategoryServices& services, ObexTransfer& obex);

    // Backup of the phonebook and of the calendar; each writes its own section while the
    // object arrives. True when connect, get and disconnect all succeeded, and when the phone
    // has no such book at all (the tally says so).
    bool bBackUpPB();
    bool bBackUpCal();
    // The entry writers the transfer hands every complete entry to.
    bool bSaveContact(const QByteArray& entry);
    bool bSaveCal(const QByteArray& entry);
    // Section readers: from the opening line, send every entry to the phone and return the
    // last line of the section's entries (the opening line when it has none).
    int bDecodeContacts(int lineIndex);
    int bDecodeCal(int lineIndex);

    // The value stored for an entry: its lines joined with "<br/>", without its last
    // X-IRMC-LUID line. yield runs after each line examined and each line joined.
    static QString encodeEntry(const QString& entry, const std::function<void()>& yield = {});
    // The entry of a content line: its value between "Value=" and the next "/>", "<br/>"
    // turned back into CR LF. Without "Value=" the value starts at the first character when
    // fromStartWithoutValue, else there is none. False when the line holds no entry.
    static bool entryOfLine(const QString& line, bool fromStartWithoutValue, QString& entry);
    // A stored calendar entry as the phone takes it: inside a VCALENDAR 1.0 object that is
    // left open, unless the entry carries the calendar's header already.
    static QString calendarObjectOf(const QString& entry);

    // The phone's phonebook and calendar as a restore compares them with the file.
    struct PhoneBooks
    {
        bool wantContacts = false;
        bool wantCalendar = false;
        bool contactsRead = false;
        bool calendarRead = false;
        entrymatch::Multiset contacts;
        entrymatch::Multiset calendar;
    };
    // Connects, reads the books asked for and disconnects; a book that could not be read is
    // logged and left not read.
    void readBooks(PhoneBooks& books);
    // Names an entry of the file in the log: "contact on line 12 of the file (Berg;Zoë)".
    static QString entryLabel(bool calendar, int index, const QString& entry);
    // Makes the key of a file's entry from the form the phone keeps it in.
    void reform(bool calendar, RestoreLists::FileEntry& entry);

    // The names, tags and texts that tell the phonebook and the calendar apart.
    struct Book;

private:
    bool backUp(const Book& book);
    int restore(const Book& book, int lineIndex);
    // Says that the phone took no more entries of book, with its numbers where it gives them.
    void memoryFull(const Book& book, int notWritten);
    int lastEntryLine(const Book& book, int lineIndex) const;
    // Writes the entry's line, or names the entry when the file cannot keep it.
    void saveEntry(const Book& book, const QByteArray& entry);
    // The keys of the book's entries on the phone, over the connection that is open.
    bool phoneEntries(bool calendar, entrymatch::Multiset& keys);
    // Reads the book before the restore writes into it; false when it could not be read.
    bool readBeforeWriting(bool calendar);
    // Counts a file entry for the closing lines; false when the phone holds it already.
    bool admit(bool calendar, int index, const QString& entry);

    CategoryServices& m_services;
    ObexTransfer& m_obex;
    // The entries of the object being received so far, counted from 1.
    int m_entryNumber = 0;
};
