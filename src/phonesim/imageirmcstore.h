#pragma once

#include "irmc/irmcstore.h"

#include <QJsonArray>

#include <memory>

namespace phonesim {

class PhoneImage;

// Every change of a book takes the next number of one sequence: an added entry as its LUID,
// a replacement, a deletion or an emptied book as its change counter alone. The change counter
// is the last number taken: while entries are only added it is the highest LUID, and a change
// that leaves no LUID to show its number saves it first, so neither LUIDs nor the counter go
// back, not even when the phone starts again.
//
// The phonebook and calendar kept in the phone image: the arrays "phonebook" and "calendar"
// of {"luid": ..., "data": ...}, data being the entry's bytes as Windows-1252 text so that
// every byte survives the JSON file. Each change is kept by the image at once, as a change of
// one entry: adding, replacing or removing an entry costs the same however large the book is.
class ImageIrmcStore final : public irmc::IrmcStore
{
public:
    static const QString PhonebookKey;
    static const QString CalendarKey;
    // {"phonebook": n, "calendar": n}: the last number each book handed out, where its
    // entries no longer show it.
    static const QString CountersKey;
    static const QString PhonebookCapacityKey;

    explicit ImageIrmcStore(std::shared_ptr<PhoneImage> image);

    QList<irmc::IrmcEntry> entries(irmc::IrmcBook book) const override;
    QString add(irmc::IrmcBook book, const QByteArray& data) override;
    bool clear(irmc::IrmcBook book) override;
    // One change of the image: a crash leaves the old book or the new one.
    bool replaceAll(irmc::IrmcBook book, const QList<QByteArray>& entries) override;
    bool replace(irmc::IrmcBook book, const QString& luid, const QByteArray& data) override;
    bool remove(irmc::IrmcBook book, const QString& luid) override;
    irmc::IrmcIdentity identity() const override;
    // The phonebook holds "phonebookCapacity" contacts when the image says so (at most 1000).
    int maximumRecords(irmc::IrmcBook book) const override;
    bool full(irmc::IrmcBook book, int& used, int& size) const override;
    qint64 changeCounter(irmc::IrmcBook book) const override;
    qint64 countChange(irmc::IrmcBook book) override;
    // The counters live as long as the image.
    QString databaseId() const override { return QStringLiteral("0"); }

private:
    // The highest LUID of a book as this store last saw it, valid while the image's revision
    // is the one it was seen at.
    struct LuidScan
    {
        quint64 revision = 0;
        qint64 highest = -1;
    };

    qint64 highestLuid(irmc::IrmcBook book) const;
    // The last number the book handed out.
    qint64 lastNumber(irmc::IrmcBook book) const;
    // Saves the book's next number for a change that shows it nowhere else.
    bool takeNumber(irmc::IrmcBook book);
    // Position of the entry under luid in the book's array, -1 when there is none.
    qsizetype indexOf(irmc::IrmcBook book, const QString& luid) const;

    std::shared_ptr<PhoneImage> m_image;
    qint64 m_lastLuid = 0;
    mutable LuidScan m_scans[2];
    // The last add of each book was refused for want of room.
    bool m_lastAddFull[2] = {false, false};
};

} // namespace phonesim
