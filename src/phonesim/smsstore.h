#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

namespace phonesim {

class PhoneImage;

// One message as the phone keeps it: the PDU as hexadecimal text with the message status
// (Type) and the octet count of its TPDU (Length) that the phone reports with it.
struct StoredSms
{
    qint32 type = 0;
    qint32 length = 0;
    QString pdu;
};

// Message statuses a phone reports as Type.
namespace smstype {
constexpr qint32 ReceivedUnread = 0;
constexpr qint32 ReceivedRead = 1;
constexpr qint32 StoredUnsent = 2;
constexpr qint32 StoredSent = 3;
// ReadMessages with this selection lists every message whatever its status.
constexpr qint32 All = 4;
} // namespace smstype

// The message storages kept in the phone image under "sms": storage 1 (SIM card) and
// storage 2 (phone memory), each with its capacity and its messages in storage order.
class SmsStore
{
public:
    static const QString Key;

    explicit SmsStore(PhoneImage& image) : m_image(image) {}

    bool hasStorage(qint32 storage) const;
    // Elements that are not whole messages are no messages of the phone and are left out.
    QList<StoredSms> messages(qint32 storage) const;
    int capacity(qint32 storage) const;
    // Stores a message at the end of the storage and saves the image; the status the phone
    // answers with (status::Ok when it was kept).
    qint32 add(qint32 storage, const StoredSms& message);

    // The "sms" member for storages with the given capacities and messages.
    static QJsonObject storages(int simCapacity, const QList<StoredSms>& sim,
                                int phoneCapacity, const QList<StoredSms>& phone);

private:
    QJsonObject storageObject(qint32 storage) const;

    PhoneImage& m_image;
};

} // namespace phonesim
