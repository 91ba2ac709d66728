#pragma once

#include "phonesim/irmcstore.h"

#include <QJsonArray>

#include <memory>

namespace phonesim {

class PhoneImage;

// The phonebook and calendar kept in the phone image: the arrays "phonebook" and "calendar"
// of {"luid": ..., "data": ...}, data being the entry's bytes as Windows-1252 text so that
// every byte survives the JSON file. Each change saves the image at once.
class ImageIrmcStore final : public IrmcStore
{
public:
    static const QString PhonebookKey;
    static const QString CalendarKey;

    explicit ImageIrmcStore(std::shared_ptr<PhoneImage> image);

    QList<IrmcEntry> entries(IrmcBook book) const override;
    QString add(IrmcBook book, const QByteArray& data) override;
    bool clear(IrmcBook book) override;
    IrmcIdentity identity() const override;
    int maximumRecords(IrmcBook book) const override;

private:
    // The highest LUID of a book's array as this store last saw it.
    struct LuidScan
    {
        QJsonArray array;
        qint64 highest = 0;
    };

    bool store(IrmcBook book, const QList<IrmcEntry>& entries);
    qint64 newLuid(IrmcBook book, const QJsonArray& array);

    std::shared_ptr<PhoneImage> m_image;
    qint64 m_lastLuid = 0;
    LuidScan m_scans[2];
};

} // namespace phonesim
