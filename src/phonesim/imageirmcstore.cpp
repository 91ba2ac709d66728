#include "phonesim/imageirmcstore.h"

#include "core/codepage.h"
#include "phonesim/phoneimage.h"

#include <QJsonArray>
#include <QJsonObject>

namespace phonesim {

const QString ImageIrmcStore::PhonebookKey = QStringLiteral("phonebook");
const QString ImageIrmcStore::CalendarKey = QStringLiteral("calendar");
const QString ImageIrmcStore::CountersKey = QStringLiteral("irmcCounters");
const QString ImageIrmcStore::PhonebookCapacityKey = QStringLiteral("phonebookCapacity");

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

QString ImageIrmcStore::add(irmc::IrmcBook book, const QByteArray& data)
{
    m_lastAddFull[int(book)] =
        m_image->category(keyOf(book)).toArray().size() >= maximumRecords(book);
    if (m_lastAddFull[int(book)])
        return QString();
    const qint64 luid = qMax(lastNumber(book), m_lastLuid) + 1;
    const QString text = QString::number(luid);
    if (!m_image->appendToCategory(
            keyOf(book), QJsonObject{{LuidKey, text}, {DataKey, codepage::decode(data)}}))
        return QString();
    m_lastLuid = luid;
    m_scans[int(book)] = LuidScan{m_image->revision(), luid};
    return text;
}

qint64 ImageIrmcStore::highestLuid(irmc::IrmcBook book) const
{
    // The book as this store left it after its last add needs no new scan of its LUIDs; any
    // other change (another store on the same image, a cleared book) does.
    LuidScan& scan = m_scans[int(book)];
    if (scan.highest < 0 || scan.revision != m_image->revision())
        scan = LuidScan{m_image->revision(),
                        nextLuid(m_image->category(keyOf(book)).toArray(), 0) - 1};
    return scan.highest;
}

qint64 ImageIrmcStore::lastNumber(irmc::IrmcBook book) const
{
    const qint64 saved = m_image->category(CountersKey).toObject().value(keyOf(book)).toInteger();
    return qMax(highestLuid(book), saved);
}

bool ImageIrmcStore::takeNumber(irmc::IrmcBook book)
{
    const qint64 number = qMax(lastNumber(book), m_lastLuid) + 1;
    QJsonObject counters = m_image->category(CountersKey).toObject();
    counters.insert(keyOf(book), number);
    if (!m_image->setCategory(CountersKey, counters))
        return false;
    m_lastLuid = number;
    return true;
}

qsizetype ImageIrmcStore::indexOf(irmc::IrmcBook book, const QString& luid) const
{
    const QJsonArray array = m_image->category(keyOf(book)).toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (array.at(i).toObject().value(LuidKey).toString() == luid)
            return i;
    }
    return -1;
}

bool ImageIrmcStore::clear(irmc::IrmcBook book)
{
    // The number is saved first: the emptied book no longer shows which LUIDs were used.
    return takeNumber(book) && m_image->setCategory(keyOf(book), QJsonArray());
}

bool ImageIrmcStore::replaceAll(irmc::IrmcBook book, const QList<QByteArray>& entries)
{
    if (entries.isEmpty())
        return clear(book);
    // The numbers the emptying and the adds one by one would take: the first is passed over as
    // the emptied book's, the new entries take the rest, so the highest LUID shows the last.
    const qint64 first = qMax(lastNumber(book), m_lastLuid) + 2;
    QJsonArray array;
    for (qsizetype i = 0; i < entries.size(); ++i)
        array.append(QJsonObject{{LuidKey, QString::number(first + i)},
                                 {DataKey, codepage::decode(entries.at(i))}});
    if (!m_image->setCategory(keyOf(book), array))
        return false;
    m_lastLuid = first + entries.size() - 1;
    return true;
}

bool ImageIrmcStore::replace(irmc::IrmcBook book, const QString& luid, const QByteArray& data)
{
    const qsizetype index = indexOf(book, luid);
    return index >= 0 && takeNumber(book) &&
           m_image->replaceInCategory(
               keyOf(book), index, QJsonObject{{LuidKey, luid}, {DataKey, codepage::decode(data)}});
}

bool ImageIrmcStore::remove(irmc::IrmcBook book, const QString& luid)
{
    const qsizetype index = indexOf(book, luid);
    // The number is saved first, so the deleted entry's LUID is never handed out again.
    return index >= 0 && takeNumber(book) && m_image->removeFromCategory(keyOf(book), index);
}

qint64 ImageIrmcStore::changeCounter(irmc::IrmcBook book) const
{
    return lastNumber(book);
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

int ImageIrmcStore::maximumRecords(irmc::IrmcBook book) const
{
    // A smaller phonebook makes a full phone without a thousand contacts to fill it.
    const int capacity = book == irmc::IrmcBook::Phonebook
                             ? m_image->category(PhonebookCapacityKey).toInt(MaximumRecords)
                             : MaximumRecords;
    return qBound(1, capacity, MaximumRecords);
}

bool ImageIrmcStore::full(irmc::IrmcBook book, int& used, int& size) const
{
    if (!m_lastAddFull[int(book)])
        return false;
    used = static_cast<int>(m_image->category(keyOf(book)).toArray().size());
    size = maximumRecords(book);
    return true;
}

} // namespace phonesim
