#include "phonesim/phoneimage.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <cmath>

namespace phonesim {

const QString PhoneImage::IdentityKey = QStringLiteral("identity");
const QString PhoneImage::SettingsKey = QStringLiteral("settings");
const QString PhoneImage::FaultsKey = QStringLiteral("faults");
const QString PhoneImage::LatencyKey = QStringLiteral("latencyMs");

namespace {

// The journal is folded into the image when it grows past the image's size, and never below
// this: folding costs a write of the whole image, so it comes once per image's worth of changes.
constexpr qint64 MinimumFoldBytes = 1 << 20;

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
    const auto fail = [&](const QString& why) {
        error = QStringLiteral("Phone image %1: %2").arg(path, why);
        return nullptr;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot be read (%1)").arg(file.errorString()));
    const QByteArray bytes = file.readAll();
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("not valid JSON (%1 at offset %2)")
                        .arg(parseError.errorString())
                        .arg(parseError.offset));
    if (!document.isObject())
        return fail(QStringLiteral("the document is not a JSON object"));
    const QByteArray hash = ImageJournal::hashOf(bytes);
    const JournalFileState journal = JournalFileState::of(ImageJournal::pathFor(path));
    QJsonObject root = document.object();
    int replayed = 0;
    QString why;
    if (journal.exists && !ImageJournal::replay(path, hash, root, replayed, why))
        return fail(why);
    auto image = fromJson(root, why);
    if (!image)
        return fail(why);
    image->m_path = path;
    image->m_baseHash = hash;
    image->m_journalSeen = journal;
    image->m_replayed = replayed;
    image->m_foldAt = qMax(MinimumFoldBytes, bytes.size());
    return image;
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

bool PhoneImage::saveAs(const QString& path, QString& error)
{
    close();
    const QString previous = m_path;
    m_path = path;
    // A journal of an image that is replaced now must never be applied to the new one, even
    // when the new one has the same bytes as the image it was written for.
    QFile::remove(ImageJournal::pathFor(path));
    if (!writeImage()) {
        m_path = previous;
        error = m_lastSaveError;
        return false;
    }
    m_journalSeen = JournalFileState();
    m_foldAt = qMax(MinimumFoldBytes, m_foldAt);
    return true;
}

bool PhoneImage::writeImage()
{
    m_lastSaveError.clear();
    const QByteArray bytes = QJsonDocument(toJson()).toJson(QJsonDocument::Indented);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        m_lastSaveError = QStringLiteral("Phone image %1 cannot be written (%2)")
                              .arg(m_path, file.errorString());
        return false;
    }
    m_baseHash = ImageJournal::hashOf(bytes);
    m_replayed = 0;
    m_foldAt = qMax(MinimumFoldBytes, bytes.size());
    return true;
}

bool PhoneImage::sameImageOnDisk() const
{
    QFile file(m_path);
    return file.open(QIODevice::ReadOnly) && ImageJournal::hashOf(file.readAll()) == m_baseHash;
}

bool PhoneImage::startJournal()
{
    const QString journalPath = ImageJournal::pathFor(m_path);
    if (!(JournalFileState::of(journalPath) == m_journalSeen)) {
        m_lastSaveError = QStringLiteral("Phone image %1 was changed by another program since it "
                                         "was read (its journal %2); the change is not kept")
                              .arg(m_path, journalPath);
        return false;
    }
    // The journal applies to the image file as this object knows it. A journal left by a crash
    // (applied when the image was read, or passed over) or a file replaced since it was read
    // goes first: the image is written whole, as this phone holds it.
    if ((m_journalSeen.exists || !sameImageOnDisk()) && !writeImage())
        return false;
    auto journal = std::make_unique<ImageJournal>(m_path);
    if (!journal->create(m_baseHash, m_journalSeen, m_lastSaveError))
        return false;
    m_journal = std::move(journal);
    m_journalBroken = false;
    return true;
}

bool PhoneImage::fold()
{
    if (!writeImage())
        return false;
    m_journalBroken = !m_journal->restart(m_baseHash, m_lastSaveError);
    return !m_journalBroken;
}

bool PhoneImage::close()
{
    if (!m_journal)
        return true;
    // Another program took the image over and folded this journal into it already.
    const bool current = m_journal->isCurrent();
    if (current && !writeImage()) {
        // The journal keeps every change; the next load applies it.
        m_journal.reset();
        m_journalSeen = JournalFileState::of(ImageJournal::pathFor(m_path));
        return false;
    }
    m_journal->discard();
    m_journal.reset();
    m_journalSeen = current ? JournalFileState() : JournalFileState::of(ImageJournal::pathFor(m_path));
    return true;
}

bool PhoneImage::keep(const JournalRecord& record)
{
    Q_ASSERT(record.key != IdentityKey && record.key != FaultsKey && record.key != LatencyKey);
    m_lastSaveError.clear();
    if (!record.fits(m_data))
        return false;
    if (!m_path.isEmpty()) {
        if (!m_journal && !startJournal())
            return false;
        if (!m_journal->isCurrent()) {
            m_lastSaveError = QStringLiteral("Phone image %1 was taken over by another program; "
                                             "the change is not kept")
                                  .arg(m_path);
            return false;
        }
        if (m_journalBroken && !fold())
            return false;
        if (!m_journal->append(record, m_lastSaveError)) {
            m_journalBroken = true;
            return false;
        }
    }
    record.applyTo(m_data);
    ++m_revision;
    // The change is kept already; a fold that fails now is tried again when the journal has
    // grown as much once more.
    if (m_journal && m_journal->size() > m_foldAt && !fold()) {
        m_lastSaveError.clear();
        m_foldAt = 2 * m_journal->size();
    }
    return true;
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
