#include "phonesim/demophone.h"

#include "core/programfolder.h"
#include "phonesim/imageirmcstore.h"
#include "phonesim/phonecategories.h"
#include "phonesim/phoneimage.h"

#include <QDir>
#include <QFileInfo>

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

// What fills each part of a phone image; the demo and the blank phone differ only in this.
struct PhoneContent
{
    QJsonObject identity;
    QJsonObject time;
    QJsonObject keylock;
    QJsonObject profiles;
    QJsonArray dataAccounts;
    QJsonObject wapProfiles;
    QJsonArray bookmarks;
    QJsonArray shortcuts;
    QJsonValue phoneLockCode;
    QJsonArray phonebook;
    QJsonArray calendar;
    QJsonObject sms;
};

QJsonObject imageOf(const PhoneContent& content)
{
    QJsonObject settings;
    settings.insert(QStringLiteral("time"), content.time);
    settings.insert(QStringLiteral("keylock"), content.keylock);
    settings.insert(QStringLiteral("profiles"), content.profiles);

    QJsonObject root;
    root.insert(PhoneImage::IdentityKey, content.identity);
    root.insert(PhoneImage::SettingsKey, settings);
    root.insert(QStringLiteral("dataAccounts"), content.dataAccounts);
    root.insert(QStringLiteral("wapProfiles"), content.wapProfiles);
    root.insert(QStringLiteral("bookmarks"), content.bookmarks);
    root.insert(QStringLiteral("shortcuts"), content.shortcuts);
    root.insert(PhoneLockCodeKey, content.phoneLockCode);
    root.insert(ImageIrmcStore::PhonebookKey, content.phonebook);
    root.insert(ImageIrmcStore::CalendarKey, content.calendar);
    root.insert(QStringLiteral("sms"), content.sms);
    root.insert(PhoneImage::LatencyKey, 0);
    return root;
}

} // namespace

QJsonObject demoPhone()
{
    return imageOf(
        {.identity = identity(QStringLiteral("Cellarchive demo"), QStringLiteral("354123061028348"),
                              QStringLiteral("BVT610"), QStringLiteral("R4C002 prgCXC125582 EU")),
         .time = demoTimeSettings(),
         .keylock = demoKeylockSettings(),
         .profiles = demoProfileSettings(),
         .dataAccounts = demoDataAccounts(),
         .wapProfiles = demoWapProfiles(),
         .bookmarks = demoBookmarks(),
         .shortcuts = demoShortcuts(),
         .phoneLockCode = demoPhoneLockCode(),
         .phonebook = demoPhonebook(),
         .calendar = demoCalendar(),
         .sms = demoSmsStorages()});
}

QJsonObject blankPhone(const QString& model)
{
    return imageOf({.identity = identity(model, QStringLiteral("354123061000008"), model,
                                         QStringLiteral("R1A001 prgCXC125001 EU")),
                    .time = blankTimeSettings(),
                    .keylock = blankKeylockSettings(),
                    .profiles = blankProfileSettings(),
                    .dataAccounts = blankDataAccounts(),
                    .wapProfiles = blankWapProfiles(),
                    .bookmarks = blankBookmarks(),
                    .shortcuts = blankShortcuts(model),
                    .phoneLockCode = blankPhoneLockCode(),
                    .phonebook = QJsonArray(),
                    .calendar = QJsonArray(),
                    .sms = blankSmsStorages()});
}

QString demoImagePath()
{
    return programDataFolder() + QStringLiteral("/phones/demo-phone.json");
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
    return PhoneImage::inMemory(demoPhone())->saveAs(path, error, PhoneImage::Existing::Keep);
}

} // namespace phonesim
