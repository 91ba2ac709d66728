#include "phonesim/smsstore.h"

#include "phonesim/phoneimage.h"
#include "phonesim/simstatus.h"
#include "phonesim/smspdu.h"

#include <QJsonArray>

namespace phonesim {

const QString SmsStore::Key = QStringLiteral("sms");

namespace {

const QString CapacityKey = QStringLiteral("capacity");
const QString MessagesKey = QStringLiteral("messages");
const QString TypeKey = QStringLiteral("type");
const QString LengthKey = QStringLiteral("length");
const QString PduKey = QStringLiteral("pdu");

QString storageKey(qint32 storage)
{
    return QString::number(storage);
}

QJsonArray toArray(const QList<StoredSms>& messages)
{
    QJsonArray array;
    for (const StoredSms& message : messages)
        array.append(QJsonObject{{TypeKey, message.type},
                                 {LengthKey, message.length},
                                 {PduKey, message.pdu}});
    return array;
}

} // namespace

QJsonObject SmsStore::storageObject(qint32 storage) const
{
    return m_image.category(Key).toObject().value(storageKey(storage)).toObject();
}

bool SmsStore::hasStorage(qint32 storage) const
{
    return m_image.category(Key).toObject().value(storageKey(storage)).isObject();
}

QList<StoredSms> SmsStore::messages(qint32 storage) const
{
    QList<StoredSms> result;
    for (const QJsonValue& value : storageObject(storage).value(MessagesKey).toArray()) {
        const QJsonObject message = value.toObject();
        if (!message.value(PduKey).isString() || !message.value(TypeKey).isDouble() ||
            !message.value(LengthKey).isDouble())
            continue;
        result.append(StoredSms{message.value(TypeKey).toInt(), message.value(LengthKey).toInt(),
                                message.value(PduKey).toString()});
    }
    return result;
}

int SmsStore::capacity(qint32 storage) const
{
    return qMax(0, storageObject(storage).value(CapacityKey).toInt());
}

qint32 SmsStore::add(qint32 storage, const StoredSms& message)
{
    if (!hasStorage(storage) || message.type < smstype::ReceivedUnread ||
        message.type > smstype::StoredSent || !smspdu::isStorable(message.pdu, message.length))
        return status::InvalidParameter;
    if (messages(storage).size() >= capacity(storage))
        return status::MemoryFull;
    // Appended to the elements as they are, so that nothing the phone does not read is lost.
    QJsonObject object = storageObject(storage);
    QJsonArray elements = object.value(MessagesKey).toArray();
    elements.append(toArray({message}).first());
    object.insert(MessagesKey, elements);
    QJsonObject all = m_image.category(Key).toObject();
    all.insert(storageKey(storage), object);
    return m_image.setCategory(Key, all) ? status::Ok : status::StorageFailure;
}

QJsonObject SmsStore::storages(int simCapacity, const QList<StoredSms>& sim, int phoneCapacity,
                               const QList<StoredSms>& phone)
{
    return QJsonObject{
        {storageKey(1), QJsonObject{{CapacityKey, simCapacity}, {MessagesKey, toArray(sim)}}},
        {storageKey(2), QJsonObject{{CapacityKey, phoneCapacity}, {MessagesKey, toArray(phone)}}}};
}

} // namespace phonesim
