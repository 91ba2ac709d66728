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
    const qint64 luid = qMax(highestLuid(book), m_lastLuid) + 1;
    const QString text = QString::number(luid);
    if (!m_image->appendToCategory(
            keyOf(book), QJsonObject{{LuidKey, text}, {DataKey, codepage::decode(data)}}))
        return QString();
    m_lastLuid = luid;
    m_scans[int(book)] = LuidScan{m_image->revision(), luid};
    return text;
}

qint64 ImageIrmcStore::highestLuid(irmc::IrmcBook book)
{
    // The book as this store left it after its last add needs no new scan of its LUIDs; any
    // other change (another store on the same image, a cleared book) does.
    LuidScan& scan = m_scans[int(book)];
    if (scan.highest < 0 || scan.revision != m_image->revision())
        scan = LuidScan{m_image->revision(),
                        nextLuid(m_image->category(keyOf(book)).toArray(), 0) - 1};
    return scan.highest;
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
    const qint64 last = qMax(highestLuid(book), m_lastLuid);
    if (!m_image->setCategory(keyOf(book), QJsonArray()))
        return false;
    m_lastLuid = last;
    return true;
}

bool ImageIrmcStore::replace(irmc::IrmcBook book, const QString& luid, const QByteArray& data)
{
    const qsizetype index = indexOf(book, luid);
    return index >= 0 &&
           m_image->replaceInCategory(
               keyOf(book), index, QJsonObject{{LuidKey, luid}, {DataKey, codepage::decode(data)}});
}

bool ImageIrmcStore::remove(irmc::IrmcBook book, const QString& luid)
{
    const qsizetype index = indexOf(book, luid);
    if (index < 0)
        return false;
    // The LUID stays used: a deleted entry's LUID is never handed out again.
    const qint64 last = qMax(highestLuid(book), m_lastLuid);
    if (!m_image->removeFromCategory(keyOf(book), index))
        return false;
    m_lastLuid = last;
    return true;
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
