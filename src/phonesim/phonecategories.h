#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

// Each category of the simulated phone in one file: the handlers of its settings commands,
// and the content of the demo phone and of a phone in factory state. A new category adds its
// three functions here, a line to registerAllCommands, and a part to PhoneContent
// (demophone.cpp) that demoPhone and blankPhone fill.

namespace phonesim {

class CommandTable;

// Time settings: the time format, daylight saving and automatic time zone update.
void registerTimeCommands(CommandTable& table);
QJsonObject demoTimeSettings();
QJsonObject blankTimeSettings();

// Data accounts: the image's "dataAccounts" array of numbered CSD and GPRS accounts (indices 1
// to DataAccountCapacity), listed with 664, their packet data contexts with 290, defined with
// 662 and the contexts filled with 291.
constexpr int DataAccountCapacity = 20;
void registerDataAccountCommands(CommandTable& table);
QJsonArray demoDataAccounts();
QJsonArray blankDataAccounts();

// WAP profiles: the image's "wapProfiles" object with the active profile's number and
// WapProfileSlots numbered profiles; the per-profile commands act on the active one.
constexpr int WapProfileSlots = 5;
void registerWapCommands(CommandTable& table);
QJsonObject demoWapProfiles();
QJsonObject blankWapProfiles();

// WAP bookmarks: the image's "bookmarks" array of {name, url}, read with 218 and added to with
// 216 until the phone holds BookmarkCapacity of them.
constexpr int BookmarkCapacity = 25;
void registerBookmarkCommands(CommandTable& table);
QJsonArray demoBookmarks();
QJsonArray blankBookmarks();

// User profiles: settings group "profiles" with the active profile's number and the list of
// profiles (profileset.h); the per-profile commands act on the active profile.
void registerProfileCommands(CommandTable& table);
QJsonObject demoProfileSettings();
QJsonObject blankProfileSettings();

// Key lock mode: settings group "keylock", read with 51 and written with 52.
void registerKeylockCommands(CommandTable& table);
QJsonObject demoKeylockSettings();
QJsonObject blankKeylockSettings();

// My Shortcuts menu: the image's "shortcuts" array of item numbers, listed with 159, inserted
// into with 160 and removed from with 161. The item numbers a menu can hold depend on the model.
void registerShortcutCommands(CommandTable& table);
QJsonArray demoShortcuts();
QJsonArray blankShortcuts(const QString& model);

// Factory reset: 110 CMD_SETFACTORYDEFAULT, checked against the phone lock code kept in the
// image under PhoneLockCodeKey.
extern const QString PhoneLockCodeKey;
void registerFactoryCommands(CommandTable& table);
QJsonValue demoPhoneLockCode();
QJsonValue blankPhoneLockCode();

// Phonebook and calendar, served over OBEX (phoneobex.h) from the image's "phonebook" and
// "calendar" arrays.
QJsonArray demoPhonebook();
QJsonArray demoCalendar();

// SMS messages: the storages of the SMS object (simtextmessage.h), the image's "sms" object
// (smsstore.h). A blank phone has both storages empty, with their capacities.
QJsonObject demoSmsStorages();
QJsonObject blankSmsStorages();

} // namespace phonesim
