#include "runs/categories.h"

#include "backupfile/backupfile.h"
#include "categories/categoryservices.h"
#include "phone/obextransfer.h"

Categories::Categories(CategoryServices& services, ObexTransfer& obexTransfer)
    : services(services), obex(services, obexTransfer), time(services), da(services), wap(services, da),
      bookmarks(services), locks(services), profiles(services), custom(services),
      sms(services)
{
    obexTransfer.setEntryWriters([this](const QByteArray& entry) { obex.bSaveContact(entry); },
                                 [this](const QByteArray& entry) { obex.bSaveCal(entry); });
}

void Categories::registerReaders(BackupFile& file)
{
    file.sectionSkipped = [this](qint16 iTag) {
        if (iTag == sections::Contacts)
            services.tally.failed(OutcomeTally::Phonebook);
    };
    // Each reader notes its section, so that a restore the phone's loss cuts short can name
    // the sections it never reached.
    const auto reader = [this, &file](sections::Tag iTag, std::function<int(int)> read) {
        file.registerReader(iTag, [this, iTag, read = std::move(read)](int lineIndex) {
            services.lists.sectionStarted(iTag);
            return read(lineIndex);
        });
    };
    reader(sections::Contacts, [this](int lineIndex) { return obex.bDecodeContacts(lineIndex); });
    reader(sections::Calendar, [this](int lineIndex) { return obex.bDecodeCal(lineIndex); });
    reader(sections::SmsMessages,
           [this](int lineIndex) { return sms.DecodeSMSMessages(lineIndex); });
    reader(sections::SettingsTime,
           [this](int lineIndex) { return time.DecodeTimeSettings(lineIndex); });
    reader(sections::SettingsDataAccount,
           [this](int lineIndex) { return da.DecodeDataAccounts(lineIndex); });
    reader(sections::SettingsWap,
           [this](int lineIndex) { return wap.DecodeWAPSettings(lineIndex); });
    reader(sections::Bookmarks,
           [this](int lineIndex) { return bookmarks.DecodeBookmarks(lineIndex); });
    reader(sections::SettingsProfiles,
           [this](int lineIndex) { return profiles.DecodeProfileSettings(lineIndex); });
    reader(sections::SettingsLocks,
           [this](int lineIndex) { return locks.DecodeLocksSettings(lineIndex); });
    reader(sections::SettingsCustomMenu,
           [this](int lineIndex) { return custom.DecodeCustomMenu(lineIndex); });
}
