#include "phonesim/imageirmcstore.h"

#include "core/codepage.h"
#include "phonesim/phoneimage.h"

#include <QJsonArray>
#include <QJsonObject>

namespace phonesim {

const QString ImageIrmcStore::PhonebookKey = QStringLiteral("phonebook");
const QString ImageIrmcStore::CalendarKey = QStringLiteral("calendar");

namespace {

const QString LuidKey = QStringLiteral("luid");
const QString DataKey = QStringLiteral("data");
constexpr int MaximumRecords = 1000;

const QString& keyOf(IrmcBook book)
{
    return book == IrmcBook::Phonebook ? ImageIrmcStore::PhonebookKey
                                       : ImageIrmcStore::CalendarKey;
}

} // namespace

ImageIrmcStore::ImageIrmcStore(std::shared_ptr<PhoneImage> image) : m_image(std::move(image)) {}

QList<IrmcEntry> ImageIrmcStore::entries(IrmcBook book) const
{
    QList<IrmcEntry> result;
    // An element that is not an entry is no contact of the phone; it is left out.
    for (const QJsonValue& value : m_image->category(keyOf(book)).toArray()) {
        const QJsonObject entry = value.toObject();
        if (!entry.value(DataKey).isString())
            continue;
        result.append(IrmcEntry{entry.value(LuidKey).toString(),
                                codepage::encode(entry.value(DataKey).toString())});
    }
    return result;
}

bool ImageIrmcStore::store(IrmcBook book, const QList<IrmcEntry>& entries)
{
    QJsonArray array;
    for (const IrmcEntry& entry : entries)
        array.append(QJsonObject{{LuidKey, entry.luid}, {DataKey, codepage::decode(entry.data)}});
    return m_image->setCategory(keyOf(book), array);
}

QString ImageIrmcStore::add(IrmcBook book, const QByteArray& data)
{
    QList<IrmcEntry> list = entries(book);
    const qint64 luid = nextLuid(list, m_lastLuid);
    list.append(IrmcEntry{QString::number(luid), data});
    if (!store(book, list))
        return QString();
    m_lastLuid = luid;
    return list.last().luid;
}

bool ImageIrmcStore::clear(IrmcBook book)
{
    const qint64 last = nextLuid(entries(book), m_lastLuid) - 1;
    if (!store(book, {}))
        return false;
    m_lastLuid = last;
    return true;
}

IrmcIdentity ImageIrmcStore::identity() const
{
    const Identity& identity = m_image->identity();
    return IrmcIdentity{MemoryIrmcStore::defaultIdentity().manufacturer, identity.model,
                        identity.imei, identity.softwareVersion};
}

int ImageIrmcStore::maximumRecords(IrmcBook) const
{
    return MaximumRecords;
}

} // namespace phonesim
