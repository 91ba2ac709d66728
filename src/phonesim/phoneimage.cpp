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
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("not valid JSON (%1 at offset %2)")
                        .arg(parseError.errorString())
                        .arg(parseError.offset));
    if (!document.isObject())
        return fail(QStringLiteral("the document is not a JSON object"));
    QString why;
    auto image = fromJson(document.object(), why);
    if (!image)
        return fail(why);
    image->m_path = path;
    return image;
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
    const QString previous = m_path;
    m_path = path;
    if (!save()) {
        m_path = previous;
        error = m_lastSaveError;
        return false;
    }
    return true;
}

bool PhoneImage::save()
{
    m_lastSaveError.clear();
    if (m_path.isEmpty())
        return true;
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_lastSaveError = QStringLiteral("Phone image %1 cannot be written (%2)")
                              .arg(m_path, file.errorString());
        return false;
    }
    file.write(QJsonDocument(toJson()).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        m_lastSaveError = QStringLiteral("Phone image %1 cannot be written (%2)")
                              .arg(m_path, file.errorString());
        return false;
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
    Q_ASSERT(key != IdentityKey && key != FaultsKey && key != LatencyKey);
    const QJsonValue previous = m_data.value(key);
    m_data.insert(key, value);
    if (save())
        return true;
    if (previous.isUndefined())
        m_data.remove(key);
    else
        m_data.insert(key, previous);
    return false;
}

} // namespace phonesim
