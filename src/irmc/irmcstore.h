#pragma once

#include "phone/components.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace irmc {

// The two IrMC object stores of the phone.
enum class IrmcBook { Phonebook, Calendar };

// One contact (a vCard) or one calendar entry (a VEVENT or VTODO block), without its
// X-IRMC-LUID line: the LUID is kept beside the data and written into the line when the
// phone sends the entry.
struct IrmcEntry
{
    QString luid;
    QByteArray data;
};

// A whole book as the store could read it.
struct IrmcListing
{
    QList<IrmcEntry> entries;
    // False when the phone has no such book at all.
    bool supported = true;
    // One line per entry the store could not read, with the phone's reason.
    QStringList skipped;
};

// What the phone tells about itself in its device information object.
struct IrmcIdentity
{
    QString manufacturer;
    QString model;
    QString serialNumber;
    QString softwareVersion;
};

// The contacts and calendar entries behind the phone's OBEX server.
class IrmcStore
{
public:
    IrmcStore();
    virtual ~IrmcStore() = default;

    virtual QList<IrmcEntry> entries(IrmcBook book) const = 0;
    // The whole book with what could not be read of it; by default entries(), all read.
    virtual IrmcListing listing(IrmcBook book) const
    {
        return IrmcListing{entries(book), true, {}};
    }
    // Keeps data as a new entry under a LUID that no entry of the book had before; the LUID,
    // or an empty text when the store could not keep the entry.
    virtual QString add(IrmcBook book, const QByteArray& data) = 0;
    // Empties the book; false when the store could not keep the change.
    virtual bool clear(IrmcBook book) = 0;
    // Replaces the whole book by entries, each under a new LUID; false when the store could not
    // keep the change. A store that keeps its entries beyond its life keeps the old book or the
    // new one whole. By default the book is emptied and the entries added one by one.
    virtual bool replaceAll(IrmcBook book, const QList<QByteArray>& entries);
    // Replaces the data of the entry under luid; false when there is none or the store could
    // not keep the change.
    virtual bool replace(IrmcBook book, const QString& luid, const QByteArray& data) = 0;
    // Deletes the entry under luid for good; false when there is none or the store could not
    // keep the change.
    virtual bool remove(IrmcBook book, const QString& luid) = 0;
    virtual IrmcIdentity identity() const = 0;
    // Room of the book, for the information log.
    virtual int maximumRecords(IrmcBook book) const = 0;
    // Whether the last add failed because the book is full: then true, with the entries it
    // holds and the most it holds.
    virtual bool full(IrmcBook /*book*/, int& /*used*/, int& /*size*/) const { return false; }
    // Whether the store keeps data whole; a store with fixed fields refuses an entry it would
    // keep cut.
    virtual bool fits(IrmcBook /*book*/, const QByteArray& /*data*/) const { return true; }
    // The entry as the store will hand it back once added; by default as it was given.
    virtual KeptForm keptForm(IrmcBook /*book*/, const QByteArray& data) const
    {
        return KeptForm{data, {}, {}};
    }

    // The book's change counter, which synchronising clients compare with the one they saw
    // last. The server calls countChange after every change it made and puts the counter it
    // returns into its answer. By default the count lives as long as this object; a store that
    // keeps its entries beyond that overrides both, so the counter never goes back (and one
    // whose changes count themselves returns the counter as it stands).
    virtual qint64 changeCounter(IrmcBook book) const;
    virtual qint64 countChange(IrmcBook book);
    // The database id of the information and change logs: a client that finds another one than
    // it saw last reads the whole book again. By default every store object has its own, as its
    // change counter starts again with the object.
    virtual QString databaseId() const { return m_databaseId; }

private:
    qint64 m_changeCounters[2] = {0, 0};
    QString m_databaseId;
};

// The next LUID after every numeric LUID in entries and after last; LUIDs are never reused,
// so a phone that was emptied still hands out new ones.
qint64 nextLuid(const QList<IrmcEntry>& entries, qint64 last);

// A store that lives only as long as the object, for tests and throw-away phones.
class MemoryIrmcStore final : public IrmcStore
{
public:
    explicit MemoryIrmcStore(IrmcIdentity identity = defaultIdentity());

    static IrmcIdentity defaultIdentity();

    QList<IrmcEntry> entries(IrmcBook book) const override;
    QString add(IrmcBook book, const QByteArray& data) override;
    bool clear(IrmcBook book) override;
    bool replace(IrmcBook book, const QString& luid, const QByteArray& data) override;
    bool remove(IrmcBook book, const QString& luid) override;
    IrmcIdentity identity() const override { return m_identity; }
    int maximumRecords(IrmcBook) const override { return m_maximumRecords; }

    // Replaces a book as it stands, LUIDs included.
    void setEntries(IrmcBook book, const QList<IrmcEntry>& entries);
    void setMaximumRecords(int records) { m_maximumRecords = records; }

private:
    QList<IrmcEntry>& book(IrmcBook book);

    IrmcIdentity m_identity;
    QList<IrmcEntry> m_phonebook;
    QList<IrmcEntry> m_calendar;
    qint64 m_lastLuid = 0;
    int m_maximumRecords = 500;
};

} // namespace irmc
