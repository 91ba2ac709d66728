#include "phonesim/phoneimage.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <cmath>
#include <optional>

namespace phonesim {

const QString PhoneImage::IdentityKey = QStringLiteral("identity");
const QString PhoneImage::SettingsKey = QStringLiteral("settings");
const QString PhoneImage::FaultsKey = QStringLiteral("faults");
const QString PhoneImage::LatencyKey = QStringLiteral("latencyMs");

namespace {

// The journal is folded into the image when it grows past the image's size, and never below
// this: folding costs a write of the whole image, so it comes once per image's worth of changes.
constexpr qint64 MinimumFoldBytes = 1 << 20;

// The member of the image naming the journal its last fold took in.
const QString FoldedKey = QStringLiteral("journalFolded");

bool readIdentity(const QJsonValue& value, Identity& identity, QString& error)
{
    if (!value.isObject()) {
        error = QStringLiteral("the \"identity\" object is missing");
        return false;
    }
    const QJsonObject json = value.toObject();
    const auto text = [&](const char* key, QString& out, bool required) {
        const QJsonValue field = json.value(QLatin1String(key));
        if (!field.isString() || (required && field.toString().isEmpty())) {
            error = QStringLiteral("identity.%1 must be a%2 text")
                        .arg(QLatin1String(key),
                             required ? QStringLiteral(" non-empty") : QString());
            return false;
        }
        out = field.toString();
        return true;
    };
    return text("name", identity.name, true) && text("imei", identity.imei, true) &&
           text("model", identity.model, true) &&
           text("softwareVersion", identity.softwareVersion, false);
}

QJsonObject identityToJson(const Identity& identity)
{
    return QJsonObject{{QStringLiteral("name"), identity.name},
                       {QStringLiteral("imei"), identity.imei},
                       {QStringLiteral("model"), identity.model},
                       {QStringLiteral("softwareVersion"), identity.softwareVersion}};
}

} // namespace

std::shared_ptr<PhoneImage> PhoneImage::fromJson(const QJsonObject& root, QString& error)
{
    std::shared_ptr<PhoneImage> image(new PhoneImage);
    if (!readIdentity(root.value(IdentityKey), image->m_identity, error))
        return nullptr;

    const QJsonValue settings = root.value(SettingsKey);
    if (!settings.isUndefined()) {
        if (!settings.isObject()) {
            error = QStringLiteral("\"settings\" must be an object of setting groups");
            return nullptr;
        }
        const QJsonObject groups = settings.toObject();
        for (auto it = groups.begin(); it != groups.end(); ++it) {
            if (!it.value().isObject()) {
                error = QStringLiteral("settings.%1 must be an object").arg(it.key());
                return nullptr;
            }
        }
    }

    const QJsonValue latency = root.value(LatencyKey);
    if (!latency.isUndefined()) {
        const double ms = latency.toDouble(-1);
        if (!latency.isDouble() || ms < 0 || ms != std::floor(ms) || ms > 3600000.0) {
            error = QStringLiteral("\"latencyMs\" must be a whole number of milliseconds "
                                   "from 0 to 3600000");
            return nullptr;
        }
        image->m_latencyMs = static_cast<qint64>(ms);
    }

    const QJsonValue faults = root.value(FaultsKey);
    if (!faults.isUndefined()) {
        if (!faults.isObject()) {
            error = QStringLiteral("\"faults\" must be an object");
            return nullptr;
        }
        QString faultError;
        const auto parsed = Faults::fromJson(faults.toObject(), faultError);
        if (!parsed) {
            error = faultError;
            return nullptr;
        }
        image->m_faults = *parsed;
    }

    image->m_data = root;
    image->m_data.remove(IdentityKey);
    image->m_data.remove(FaultsKey);
    image->m_data.remove(LatencyKey);
    return image;
}

std::shared_ptr<PhoneImage> PhoneImage::inMemory(const QJsonObject& root)
{
    QString error;
    auto image = fromJson(root, error);
    Q_ASSERT_X(image, "PhoneImage::inMemory", qPrintable(error));
    return image;
}

std::shared_ptr<PhoneImage> PhoneImage::load(const QString& path, QString& error)
{
    std::shared_ptr<PhoneImage> image(new PhoneImage);
    image->m_path = path;
    // No lock file beside an image that is not there.
    std::optional<ImageLock> lock;
    if (QFileInfo::exists(path))
        lock.emplace(path);
    // An image in a folder this user cannot write to is still read: nobody changes it here.
    if (lock && lock->isHeld())
        imagefiles::removeLeftoverCopies(path);
    if (!image->readFromDisk(true, error))
        return nullptr;
    return image;
}

bool PhoneImage::readFromDisk(bool takeSettings, QString& error)
{
    const auto fail = [&](const QString& why) {
        error = QStringLiteral("Phone image %1: %2").arg(m_path, why);
        return false;
    };
    const QString journalPath = ImageJournal::pathFor(m_path);
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot be read (%1)").arg(file.errorString()));
    const FileStamp imageStamp = FileStamp::of(m_path);
    const QByteArray bytes = file.readAll();
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("not valid JSON (%1 at offset %2)")
                        .arg(parseError.errorString())
                        .arg(parseError.offset));
    if (!document.isObject())
        return fail(QStringLiteral("the document is not a JSON object"));
    QJsonObject root = document.object();
    const FoldMark mark = FoldMark::fromJson(root.take(FoldedKey));
    const QByteArray hash = ImageJournal::hashOf(bytes);
    JournalContents found;
    QString why;
    if (!ImageJournal::replay(m_path, hash, mark, root, found, why)) {
        // Its records may still be worth something to the user: it is kept, out of the way.
        QString moveError;
        const QString aside = imagefiles::moveAside(journalPath, moveError);
        return fail(aside.isEmpty() ? QStringLiteral("%1; %2").arg(why, moveError)
                                    : QStringLiteral("%1; the journal was moved aside as %2")
                                          .arg(why, aside));
    }
    const auto parsed = fromJson(root, why);
    if (!parsed)
        return fail(why);
    m_data = parsed->m_data;
    m_identity = parsed->m_identity;
    if (takeSettings) {
        m_faults = parsed->m_faults;
        m_latencyMs = parsed->m_latencyMs;
    }
    m_baseHash = hash;
    m_found = found;
    m_imageSeen = imageStamp;
    m_journalSeen = FileStamp::of(journalPath);
    m_journal.reset();
    m_journalBroken = false;
    m_foldAt = qMax(MinimumFoldBytes, bytes.size());
    ++m_revision;
    return true;
}

bool PhoneImage::onDiskAsSeen() const
{
    return FileStamp::of(m_path) == m_imageSeen &&
           FileStamp::of(ImageJournal::pathFor(m_path)) == m_journalSeen;
}

void PhoneImage::noteDisk()
{
    m_imageSeen = FileStamp::of(m_path);
    m_journalSeen = FileStamp::of(ImageJournal::pathFor(m_path));
}

bool PhoneImage::refresh()
{
    if (m_path.isEmpty())
        return true;
    const ImageLock lock(m_path);
    if (!lock.isHeld()) {
        m_lastSaveError = QStringLiteral("Phone image %1: %2").arg(m_path, lock.error());
        return false;
    }
    if (onDiskAsSeen())
        return true;
    m_lastSaveError.clear();
    return readFromDisk(false, m_lastSaveError);
}

PhoneImage::~PhoneImage()
{
    close();
}

QJsonObject PhoneImage::toJson() const
{
    QJsonObject root = m_data;
    root.insert(IdentityKey, identityToJson(m_identity));
    root.insert(LatencyKey, m_latencyMs);
    if (!m_faults.isEmpty())
        root.insert(FaultsKey, m_faults.toJson());
    return root;
}

bool PhoneImage::saveAs(const QString& path, QString& error, Existing existing)
{
    close();
    const ImageLock lock(path);
    if (!lock.isHeld()) {
        error = QStringLiteral("Phone image %1 cannot be written: %2").arg(path, lock.error());
        return false;
    }
    const QString journal = ImageJournal::pathFor(path);
    if (existing == Existing::Keep && (QFileInfo::exists(path) || QFileInfo::exists(journal))) {
        error = QStringLiteral("Phone image %1 exists already; it is left as it is").arg(path);
        return false;
    }
    const QString previous = m_path;
    m_path = path;
    // A journal of an image that is replaced now must never be applied to the new one, even
    // when the new one has the same bytes as the image it was written for.
    QFile::remove(journal);
    if (!writeImage()) {
        m_path = previous;
        error = m_lastSaveError;
        return false;
    }
    m_found = JournalContents();
    noteDisk();
    return true;
}

bool PhoneImage::writeImage(const FoldMark& mark)
{
    m_lastSaveError.clear();
    QJsonObject root = toJson();
    if (!mark.image.isEmpty())
        root.insert(FoldedKey, mark.toJson());
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
    QString why;
    if (!imagefiles::replaceFile(m_path, bytes, why)) {
        m_lastSaveError = QStringLiteral("Phone image %1").arg(why);
        return false;
    }
    m_baseHash = ImageJournal::hashOf(bytes);
    m_foldAt = qMax(MinimumFoldBytes, bytes.size());
    return true;
}

bool PhoneImage::startJournal()
{
    auto journal = std::make_unique<ImageJournal>(m_path);
    if (m_found.version == ImageJournal::Version && !m_found.folded) {
        if (!journal->resume(m_found, m_lastSaveError))
            return false;
    } else {
        // A journal of the first version numbers no records, so none are added to it: its
        // records go into the image first. A fold's leftover is simply replaced.
        if (m_found.version == 1 && !m_found.folded && !writeImage(FoldMark{m_baseHash, 0}))
            return false;
        if (!journal->create(m_baseHash, m_lastSaveError))
            return false;
    }
    m_journal = std::move(journal);
    m_found = JournalContents();
    m_journalBroken = false;
    return true;
}

bool PhoneImage::fold()
{
    if (!writeImage(FoldMark{m_baseHash, m_journal->lastSequence()}))
        return false;
    m_journalBroken = !m_journal->restart(m_baseHash, m_lastSaveError);
    return !m_journalBroken;
}

bool PhoneImage::close()
{
    if (!m_journal)
        return true;
    const ImageLock lock(m_path);
    if (!lock.isHeld()) {
        m_lastSaveError = QStringLiteral("Phone image %1: %2").arg(m_path, lock.error());
        return false;
    }
    if (!onDiskAsSeen()) {
        // Another program changed the image since: it read this journal first, so its state
        // holds every change of this one, and it stays.
        m_journal.reset();
        return true;
    }
    if (!writeImage(FoldMark{m_baseHash, m_journal->lastSequence()})) {
        // The journal keeps every change; the next load applies it.
        m_found = JournalContents{ImageJournal::Version, 0, m_journal->lastSequence(),
                                  m_journal->size(), false};
        m_journal.reset();
        noteDisk();
        return false;
    }
    m_journal->discard();
    m_journal.reset();
    noteDisk();
    return true;
}

bool PhoneImage::keep(const JournalRecord& record)
{
    Q_ASSERT(record.key != IdentityKey && record.key != FaultsKey && record.key != LatencyKey);
    m_lastSaveError.clear();
    if (!record.fits(m_data))
        return false;
    if (m_path.isEmpty()) {
        record.applyTo(m_data);
        ++m_revision;
        return true;
    }
    const ImageLock lock(m_path);
    if (!lock.isHeld()) {
        m_lastSaveError = QStringLiteral("Phone image %1: %2; the change is not kept")
                              .arg(m_path, lock.error());
        return false;
    }
    if (!onDiskAsSeen()) {
        // The change was worked out on an image that is no longer the one on disk. It is not
        // made; the image is taken as it is now, so that the next change is made to it.
        if (readFromDisk(false, m_lastSaveError))
            m_lastSaveError = QStringLiteral("Phone image %1 was changed by another program since "
                                             "it was read; the change is not kept and the image "
                                             "is read again")
                                  .arg(m_path);
        return false;
    }
    const bool kept = (m_journal || startJournal()) && (!m_journalBroken || fold()) &&
                      m_journal->append(record, m_lastSaveError);
    if (kept) {
        record.applyTo(m_data);
        ++m_revision;
        // The change is kept already; a fold that fails now is tried again when the journal
        // has grown as much once more.
        if (m_journal->size() > m_foldAt && !fold()) {
            m_lastSaveError.clear();
            m_foldAt = 2 * m_journal->size();
        }
    } else if (m_journal) {
        m_journalBroken = true;
    }
    noteDisk();
    return kept;
}

QJsonObject PhoneImage::settings(const QString& group) const
{
    return m_data.value(SettingsKey).toObject().value(group).toObject();
}

bool PhoneImage::setSettings(const QString& group, const QJsonObject& values)
{
    QJsonObject groups = m_data.value(SettingsKey).toObject();
    groups.insert(group, values);
    return setCategory(SettingsKey, groups);
}

QJsonValue PhoneImage::category(const QString& key) const
{
    return m_data.value(key);
}

bool PhoneImage::setCategory(const QString& key, const QJsonValue& value)
{
    return keep(JournalRecord{JournalRecord::Op::Set, key, -1, value});
}

bool PhoneImage::appendToCategory(const QString& key, const QJsonValue& element)
{
    return keep(JournalRecord{JournalRecord::Op::Append, key, -1, element});
}

bool PhoneImage::replaceInCategory(const QString& key, qsizetype index, const QJsonValue& element)
{
    return keep(JournalRecord{JournalRecord::Op::Replace, key, index, element});
}

bool PhoneImage::removeFromCategory(const QString& key, qsizetype index)
{
    return keep(JournalRecord{JournalRecord::Op::Remove, key, index, QJsonValue()});
}

} // namespace phonesim
