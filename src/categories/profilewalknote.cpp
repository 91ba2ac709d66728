#include "categories/profilewalknote.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <unistd.h>

namespace profilewalknote {

QString path(const QString& folder, const QString& imei)
{
    // The identity comes from the phone: only its letters and digits name a file.
    QString name;
    for (const QChar c : imei) {
        if (c.isLetterOrNumber() && c.unicode() < 128)
            name += c;
    }
    return QDir(folder).filePath(QStringLiteral("profile-walk-%1.json").arg(name));
}

bool write(const QString& folder, const QString& imei, qint16 active)
{
    if (!QDir().mkpath(folder))
        return false;
    QFile file(path(folder, imei));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return false;
    const QJsonObject note{{QStringLiteral("imei"), imei}, {QStringLiteral("active"), active}};
    const QByteArray bytes = QJsonDocument(note).toJson(QJsonDocument::Compact);
    // On disk before the walk switches the first profile.
    return file.write(bytes) == bytes.size() && file.flush() && ::fsync(file.handle()) == 0;
}

std::optional<qint16> read(const QString& folder, const QString& imei)
{
    QFile file(path(folder, imei));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject note = QJsonDocument::fromJson(file.read(4096)).object();
    const int active = note.value(QStringLiteral("active")).toInt(0);
    if (note.value(QStringLiteral("imei")).toString() != imei || active < 1 || active > 0x7FFF)
        return std::nullopt;
    return static_cast<qint16>(active);
}

void remove(const QString& folder, const QString& imei)
{
    QFile::remove(path(folder, imei));
}

} // namespace profilewalknote
