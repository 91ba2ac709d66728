#pragma once

#include "phonesim/faults.h"

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
// faults, as one JSON document. A change the phone would keep is written back to the file at
// once, through a temporary file that replaces the old one, so a crash leaves either the old
// or the new image. An image without a path lives only in memory.
class PhoneImage
{
public:
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
    // Writes the whole image to path and keeps it as the image's file from then on.
    bool saveAs(const QString& path, QString& error);

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
    bool save();

    QString m_path;
    QJsonObject m_data; // everything but identity, faults and latency
    Identity m_identity;
    Faults m_faults;
    qint64 m_latencyMs = 0;
    QString m_lastSaveError;
};

} // namespace phonesim
