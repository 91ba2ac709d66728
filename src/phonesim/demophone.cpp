#include "phonesim/demophone.h"

#include "phonesim/imageirmcstore.h"
#include "phonesim/phonecategories.h"
#include "phonesim/phoneimage.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace phonesim {

namespace {

QJsonObject identity(const QString& name, const QString& imei, const QString& model,
                     const QString& softwareVersion)
{
    return QJsonObject{{QStringLiteral("name"), name},
                       {QStringLiteral("imei"), imei},
                       {QStringLiteral("model"), model},
                       {QStringLiteral("softwareVersion"), softwareVersion}};
}

} // namespace

QJsonObject demoPhone()
{
    QJsonObject settings;
    settings.insert(QStringLiteral("time"), demoTimeSettings());
    settings.insert(QStringLiteral("keylock"), demoKeylockSettings());
    settings.insert(QStringLiteral("profiles"), demoProfileSettings());

    QJsonObject root;
    root.insert(PhoneImage::IdentityKey,
                identity(QStringLiteral("Cellarchive demo"), QStringLiteral("354123061028348"),
                         QStringLiteral("BVT610"), QStringLiteral("R4C002 prgCXC125582 EU")));
    root.insert(PhoneImage::SettingsKey, settings);
    root.insert(QStringLiteral("dataAccounts"), demoDataAccounts());
    root.insert(QStringLiteral("wapProfiles"), demoWapProfiles());
    root.insert(QStringLiteral("bookmarks"), demoBookmarks());
    root.insert(QStringLiteral("shortcuts"), demoShortcuts());
    root.insert(PhoneLockCodeKey, demoPhoneLockCode());
    root.insert(ImageIrmcStore::PhonebookKey, demoPhonebook());
    root.insert(ImageIrmcStore::CalendarKey, demoCalendar());
    root.insert(QStringLiteral("sms"), demoSmsStorages());
    root.insert(PhoneImage::LatencyKey, 0);
    return root;
}

QJsonObject blankPhone(const QString& model)
{
    QJsonObject settings;
    settings.insert(QStringLiteral("time"), blankTimeSettings());
    settings.insert(QStringLiteral("keylock"), blankKeylockSettings());
    settings.insert(QStringLiteral("profiles"), blankProfileSettings());

    QJsonObject root;
    root.insert(PhoneImage::IdentityKey,
                identity(model, QStringLiteral("354123061000008"), model,
                         QStringLiteral("R1A001 prgCXC125001 EU")));
    root.insert(PhoneImage::SettingsKey, settings);
    root.insert(QStringLiteral("dataAccounts"), blankDataAccounts());
    root.insert(QStringLiteral("wapProfiles"), blankWapProfiles());
    root.insert(QStringLiteral("bookmarks"), blankBookmarks());
    root.insert(QStringLiteral("shortcuts"), blankShortcuts(model));
    root.insert(PhoneLockCodeKey, blankPhoneLockCode());
    root.insert(ImageIrmcStore::PhonebookKey, QJsonArray());
    root.insert(ImageIrmcStore::CalendarKey, QJsonArray());
    root.insert(QStringLiteral("sms"), blankSmsStorages());
    root.insert(PhoneImage::LatencyKey, 0);
    return root;
}

QString defaultImagePath()
{
    const QString fromEnvironment = qEnvironmentVariable("CELLARCHIVE_PHONE");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/cellarchive/phones/demo-phone.json");
}

bool ensureImage(const QString& path, QString& error)
{
    if (QFileInfo::exists(path))
        return true;
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("Phone image %1: the folder %2 cannot be created").arg(path, folder);
        return false;
    }
    return PhoneImage::inMemory(demoPhone())->saveAs(path, error);
}

} // namespace phonesim
