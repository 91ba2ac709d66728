#include "phonesim/imageirmcstore.h"

#include "core/codepage.h"
#include "phonesim/phoneimage.h"

#include <QJsonArray>
#include <QJsonObject>

namespace phonesim {

const QString ImageIrmcStore::PhonebookKey = QStringLiteral("phonebook");
const QString ImageIrmcStore::CalendarKey = QStringLiteral("calendar");
const QString ImageIrmcStore::CountersKey = QStringLiteral("irmcCounters");

namespace {

const QString LuidKey = QStringLiteral("luid");
const QString DataKey = QStringLiteral("data");
constexpr int MaximumRecords = 1000;

const QString& keyOf(irmc::IrmcBook book)
{
    return book == irmc::IrmcBook::Phonebook ? ImageIrmcStore::PhonebookKey
                                       : ImageIrmcStore::CalendarKey;
}

// nextLuid over the LUIDs of the image's array, without reading the entries' data.
qint64 nextLuid(const QJsonArray& array, qint64 last)
{
    qint64 highest = last;
    for (const QJsonValue& value : array) {
        bool ok = false;
        const qint64 luid = value.toObject().value(LuidKey).toString().toLongLong(&ok);
        if (ok)
            highest = qMax(highest, luid);
    }
    return highest + 1;
}

} // namespace

ImageIrmcStore::ImageIrmcStore(std::shared_ptr<PhoneImage> image) : m_image(std::move(image)) {}

QList<irmc::IrmcEntry> ImageIrmcStore::entries(irmc::IrmcBook book) const
{
    QList<irmc::IrmcEntry> result;
    // An element that is not an entry is no contact of the phone; it is left out.
    for (const QJsonValue& value : m_image->category(keyOf(book)).toArray()) {
        const QJsonObject entry = value.toObject();
        if (!entry.value(DataKey).isString())
            continue;
        result.append(irmc::IrmcEntry{entry.value(LuidKey).toString(),
                                codepage::encode(entry.value(DataKey).toString())});
    }
    return result;
}

bool ImageIrmcStore::store(irmc::IrmcBook book, const QList<irmc::IrmcEntry>& entries)
{
    QJsonArray array;
    for (const irmc::IrmcEntry& entry : entries)
        array.append(QJsonObject{{LuidKey, entry.luid}, {DataKey, codepage::decode(entry.data)}});
    return m_image->setCategory(keyOf(book), array);
}

QString ImageIrmcStore::add(irmc::IrmcBook book, const QByteArray& data)
{
    // Only the new entry is converted: a restore adds thousands of entries one at a time, and
    // converting the whole book back and forth for each of them made it quadratic.
    QJsonArray array = m_image->category(keyOf(book)).toArray();
    const qint64 luid = qMax(lastNumber(book, array), m_lastLuid) + 1;
    const QString text = QString::number(luid);
    array.append(QJsonObject{{LuidKey, text}, {DataKey, codepage::decode(data)}});
    if (!m_image->setCategory(keyOf(book), array))
        return QString();
    m_lastLuid = luid;
    m_scans[int(book)] = LuidScan{array, luid};
    return text;
}

qint64 ImageIrmcStore::lastNumber(irmc::IrmcBook book, const QJsonArray& array) const
{
    // The book as this store left it after its last add needs no new scan of its LUIDs; any
    // other change (another store on the same image, a cleared book) does.
    LuidScan& scan = m_scans[int(book)];
    if (array != scan.array)
        scan = LuidScan{array, nextLuid(array, 0) - 1};
    const qint64 saved = m_image->category(CountersKey).toObject().value(keyOf(book)).toInteger();
    return qMax(scan.highest, saved);
}

bool ImageIrmcStore::takeNumber(irmc::IrmcBook book, const QJsonArray& array)
{
    const qint64 number = qMax(lastNumber(book, array), m_lastLuid) + 1;
    QJsonObject counters = m_image->category(CountersKey).toObject();
    counters.insert(keyOf(book), number);
    if (!m_image->setCategory(CountersKey, counters))
        return false;
    m_lastLuid = number;
    return true;
}

bool ImageIrmcStore::clear(irmc::IrmcBook book)
{
    // The number is saved first: the emptied book no longer shows which LUIDs were used.
    return takeNumber(book, m_image->category(keyOf(book)).toArray()) && store(book, {});
}

bool ImageIrmcStore::replace(irmc::IrmcBook book, const QString& luid, const QByteArray& data)
{
    QJsonArray array = m_image->category(keyOf(book)).toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (array.at(i).toObject().value(LuidKey).toString() == luid) {
            if (!takeNumber(book, array))
                return false;
            array[i] = QJsonObject{{LuidKey, luid}, {DataKey, codepage::decode(data)}};
            return m_image->setCategory(keyOf(book), array);
        }
    }
    return false;
}

bool ImageIrmcStore::remove(irmc::IrmcBook book, const QString& luid)
{
    QJsonArray array = m_image->category(keyOf(book)).toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (array.at(i).toObject().value(LuidKey).toString() == luid) {
            // The number is saved first, so the deleted entry's LUID is never handed out again.
            if (!takeNumber(book, array))
                return false;
            array.removeAt(i);
            return m_image->setCategory(keyOf(book), array);
        }
    }
    return false;
}

qint64 ImageIrmcStore::changeCounter(irmc::IrmcBook book) const
{
    return lastNumber(book, m_image->category(keyOf(book)).toArray());
}

qint64 ImageIrmcStore::countChange(irmc::IrmcBook book)
{
    // The change took its number already.
    return changeCounter(book);
}

irmc::IrmcIdentity ImageIrmcStore::identity() const
{
    const Identity& identity = m_image->identity();
    return irmc::IrmcIdentity{irmc::MemoryIrmcStore::defaultIdentity().manufacturer, identity.model,
                        identity.imei, identity.softwareVersion};
}

int ImageIrmcStore::maximumRecords(irmc::IrmcBook) const
{
    return MaximumRecords;
}

} // namespace phonesim
