#pragma once

#include "irmc/irmcstore.h"

#include <QJsonArray>

#include <memory>

namespace phonesim {

class PhoneImage;

// The phonebook and calendar kept in the phone image: the arrays "phonebook" and "calendar"
// of {"luid": ..., "data": ...}, data being the entry's bytes as Windows-1252 text so that
// every byte survives the JSON file. Each change is kept by the image at once, as a change of
// one entry: adding, replacing or removing an entry costs the same however large the book is.
class ImageIrmcStore final : public irmc::IrmcStore
{
public:
    static const QString PhonebookKey;
    static const QString CalendarKey;

    explicit ImageIrmcStore(std::shared_ptr<PhoneImage> image);

    QList<irmc::IrmcEntry> entries(irmc::IrmcBook book) const override;
    QString add(irmc::IrmcBook book, const QByteArray& data) override;
    bool clear(irmc::IrmcBook book) override;
    bool replace(irmc::IrmcBook book, const QString& luid, const QByteArray& data) override;
    bool remove(irmc::IrmcBook book, const QString& luid) override;
    irmc::IrmcIdentity identity() const override;
    int maximumRecords(irmc::IrmcBook book) const override;

private:
    // The highest LUID of a book as this store last saw it, valid while the image's revision
    // is the one it was seen at.
    struct LuidScan
    {
        quint64 revision = 0;
        qint64 highest = -1;
    };

    qint64 highestLuid(irmc::IrmcBook book);
    // Position of the entry under luid in the book's array, -1 when there is none.
    qsizetype indexOf(irmc::IrmcBook book, const QString& luid) const;

    std::shared_ptr<PhoneImage> m_image;
    qint64 m_lastLuid = 0;
    LuidScan m_scans[2];
};

} // namespace phonesim
