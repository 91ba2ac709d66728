#pragma once

#include "phonesim/faults.h"
#include "phonesim/imagefiles.h"
#include "phonesim/imagejournal.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <memory>

namespace phonesim {

struct Identity
{
    QString name;
    QString imei;
    QString model;
    QString softwareVersion;
};

// One simulated phone: its identity, its data and settings by category, its latency and its
// faults, as one JSON document. A change the phone would keep is on disk before the change
// returns: as one record of the image's journal (ImageJournal), which the next load applies, so
// a crash leaves either the old or the new state. The journal is folded into the image (written
// whole through a temporary file that replaces it) when the image is closed and whenever the
// journal grows past the image's own size, so keeping a change costs what the change costs and
// the file stays the readable document it is. An image without a path lives only in memory.
//
// Several programs may use one image file side by side. Each change is made under the image's
// lock (ImageLock) and only to the image as it is on disk: a program whose image was changed by
// another one since it read it takes the image and journal as they are now (refresh(), before
// each request it serves) and never writes its old copy back.
class PhoneImage
{
public:
    // Folds the journal into the image (close()).
    ~PhoneImage();
    PhoneImage(const PhoneImage&) = delete;
    PhoneImage& operator=(const PhoneImage&) = delete;

    // Keys of the document that are not data categories.
    static const QString IdentityKey;
    static const QString SettingsKey;
    static const QString FaultsKey;
    static const QString LatencyKey;

    // nullptr with a description in error when the document is malformed.
    static std::shared_ptr<PhoneImage> fromJson(const QJsonObject& root, QString& error);
    // fromJson for documents known to be good (built-in phones, tests); asserts otherwise.
    static std::shared_ptr<PhoneImage> inMemory(const QJsonObject& root);
    // nullptr with a description naming the file when it cannot be read or is malformed.
    static std::shared_ptr<PhoneImage> load(const QString& path, QString& error);

    const QString& path() const { return m_path; }
    enum class Existing { Keep, Replace };
    // Writes the whole image to path and keeps it as the image's file from then on. An image or
    // journal found there is refused (Keep) or replaced, the journal deleted (Replace).
    bool saveAs(const QString& path, QString& error, Existing existing = Existing::Replace);
    // Takes the image and its journal as they are on disk now when another program changed them
    // since this one read or wrote them. False, keeping the state as it was, when they cannot be
    // read (lastSaveError says why).
    bool refresh();
    // The image after refresh(), for a request about to be served. When the files cannot be
    // read, reads answer from the state as it was and every change is refused.
    PhoneImage& refreshed()
    {
        refresh();
        return *this;
    }
    // Writes the image whole and ends its journal. Nothing to do when this image made no change
    // since it was read or last closed. On failure the journal stays and the next load applies
    // it. The image stays usable: its next change starts a new journal.
    bool close();

    QJsonObject toJson() const;
    const Identity& identity() const { return m_identity; }

    // One group of settings, "settings"/group in the document (empty when absent).
    QJsonObject settings(const QString& group) const;
    // Stores the group and saves the image; on a failed save the old group is kept and false
    // comes back, so the phone's state never differs from its file.
    bool setSettings(const QString& group, const QJsonObject& values);

    // A data category at the top of the document ("phonebook", "sms", ...), undefined when absent.
    QJsonValue category(const QString& key) const;
    // Stores the category and saves, with the same guarantee as setSettings.
    bool setCategory(const QString& key, const QJsonValue& value);
    // Changes one element of an array category, with the same guarantee: an element added at
    // the end, the element at index replaced, the element at index removed. False, changing
    // nothing, also when the category is no array or the index is out of range.
    bool appendToCategory(const QString& key, const QJsonValue& element);
    bool replaceInCategory(const QString& key, qsizetype index, const QJsonValue& element);
    bool removeFromCategory(const QString& key, qsizetype index);
    // Counts the changes kept; equal counts mean the data did not change in between.
    quint64 revision() const { return m_revision; }

    // Delay of every answer, in milliseconds. Not phone data: changed in memory only.
    qint64 latencyMs() const { return m_latencyMs; }
    void setLatencyMs(qint64 ms) { m_latencyMs = qMax<qint64>(0, ms); }

    const Faults& faults() const { return m_faults; }
    // Not phone data: changed in memory only (written with the next save of the image).
    void setFaults(const Faults& faults) { m_faults = faults; }

    // Why the last save failed; empty after a good one.
    const QString& lastSaveError() const { return m_lastSaveError; }

private:
    PhoneImage() = default;
    // Reads the image file and its journal; the lock is held. A journal that cannot be applied
    // is moved aside and named in error. Faults and latency are taken only when takeSettings.
    bool readFromDisk(bool takeSettings, QString& error);
    bool onDiskAsSeen() const;
    void noteDisk();
    bool keep(const JournalRecord& record);
    bool startJournal();
    bool fold();
    // Writes the image whole through a temporary file; the written bytes become the base of the
    // journal. mark names the journal the image takes in, if any.
    bool writeImage(const FoldMark& mark = FoldMark());

    QString m_path;
    QJsonObject m_data; // everything but identity, faults and latency
    Identity m_identity;
    Faults m_faults;
    qint64 m_latencyMs = 0;
    QString m_lastSaveError;
    quint64 m_revision = 0;

    // The image and journal files as this object last read or wrote them: when either changed
    // since, another program changed the image.
    FileStamp m_imageSeen;
    FileStamp m_journalSeen;
    QByteArray m_baseHash;
    // The journal found beside the image when it was read.
    JournalContents m_found;
    std::unique_ptr<ImageJournal> m_journal;
    // A record failed half-way: the next change writes the image whole first.
    bool m_journalBroken = false;
    qint64 m_foldAt = 0;
};

} // namespace phonesim
