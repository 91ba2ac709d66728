#pragma once

#include "phonesim/irmcstore.h"

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
    bool store(IrmcBook book, const QList<IrmcEntry>& entries);

    std::shared_ptr<PhoneImage> m_image;
    qint64 m_lastLuid = 0;
};

} // namespace phonesim
