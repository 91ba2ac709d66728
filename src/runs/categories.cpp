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
    file.registerReader(sections::Contacts,
                        [this](int lineIndex) { return obex.bDecodeContacts(lineIndex); });
    file.registerReader(sections::Calendar,
                        [this](int lineIndex) { return obex.bDecodeCal(lineIndex); });
    file.registerReader(sections::SmsMessages,
                        [this](int lineIndex) { return sms.DecodeSMSMessages(lineIndex); });
    file.registerReader(sections::SettingsTime,
                        [this](int lineIndex) { return time.DecodeTimeSettings(lineIndex); });
    file.registerReader(sections::SettingsDataAccount,
                        [this](int lineIndex) { return da.DecodeDataAccounts(lineIndex); });
    file.registerReader(sections::SettingsWap,
                        [this](int lineIndex) { return wap.DecodeWAPSettings(lineIndex); });
    file.registerReader(sections::Bookmarks,
                        [this](int lineIndex) { return bookmarks.DecodeBookmarks(lineIndex); });
    file.registerReader(sections::SettingsProfiles, [this](int lineIndex) {
        return profiles.DecodeProfileSettings(lineIndex);
    });
    file.registerReader(sections::SettingsLocks,
                        [this](int lineIndex) { return locks.DecodeLocksSettings(lineIndex); });
    file.registerReader(sections::SettingsCustomMenu,
                        [this](int lineIndex) { return custom.DecodeCustomMenu(lineIndex); });
}
