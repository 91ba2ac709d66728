#pragma once

#include "irmc/irmcstore.h"

#include <QJsonArray>

#include <memory>

namespace phonesim {

class PhoneImage;

// The phonebook and calendar kept in the phone image: the arrays "phonebook" and "calendar"
// of {"luid": ..., "data": ...}, data being the entry's bytes as Windows-1252 text so that
// every byte survives the JSON file. Each change saves the image at once.
class ImageIrmcStore final : public irmc::IrmcStore
{
public:
    static const QString PhonebookKey;
    static const QString CalendarKey;
    // {"phonebook": {"changeCounter": n, "lastLuid": n}, "calendar": ...}: what a book's
    // entries do not show, kept so that neither goes back when the phone starts again.
    static const QString CountersKey;

    explicit ImageIrmcStore(std::shared_ptr<PhoneImage> image);

    QList<irmc::IrmcEntry> entries(irmc::IrmcBook book) const override;
    QString add(irmc::IrmcBook book, const QByteArray& data) override;
    bool clear(irmc::IrmcBook book) override;
    bool replace(irmc::IrmcBook book, const QString& luid, const QByteArray& data) override;
    bool remove(irmc::IrmcBook book, const QString& luid) override;
    irmc::IrmcIdentity identity() const override;
    int maximumRecords(irmc::IrmcBook book) const override;
    qint64 changeCounter(irmc::IrmcBook book) const override;
    qint64 countChange(irmc::IrmcBook book) override;
    // The counters live as long as the image.
    QString databaseId() const override { return QStringLiteral("0"); }

private:
    // The highest LUID of a book's array as this store last saw it.
    struct LuidScan
    {
        QJsonArray array;
        qint64 highest = 0;
    };

    bool store(irmc::IrmcBook book, const QList<irmc::IrmcEntry>& entries);
    qint64 newLuid(irmc::IrmcBook book, const QJsonArray& array);
    qint64 savedCounter(irmc::IrmcBook book, const QString& name) const;
    // Saves the book's counters, the last LUID being at least lastLuid.
    bool saveCounters(irmc::IrmcBook book, qint64 changeCounter, qint64 lastLuid);

    std::shared_ptr<PhoneImage> m_image;
    qint64 m_lastLuid = 0;
    // The counter as this store last set it, should the image fail to keep it.
    qint64 m_changeCounters[2] = {0, 0};
    LuidScan m_scans[2];
};

} // namespace phonesim
