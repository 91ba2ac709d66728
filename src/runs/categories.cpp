#include "runs/categories.h"

#include "backupfile/backupfile.h"
#include "categories/categoryservices.h"
#include "backupfile/sectiontable.h"
#include "categories/categorysupport.h"
#include "phone/obextransfer.h"
#include "phone/phonelink.h"
#include "statuslog/statuslog.h"

Categories::Categories(CategoryServices& services, ObexTransfer& obexTransfer)
    : services(services), obex(services, obexTransfer), time(services), da(services), wap(services, da),
      bookmarks(services), locks(services), profiles(services), custom(services),
      sms(services)
{
    obexTransfer.setEntryWriters([this](const QByteArray& entry) { obex.bSaveContact(entry); },
                                 [this](const QByteArray& entry) { obex.bSaveCal(entry); });
}

OutcomeTally::Category Categories::categoryOfSection(qint16 iTag)
{
    switch (iTag) {
    case sections::Contacts:
        return OutcomeTally::Phonebook;
    case sections::Calendar:
        return OutcomeTally::Calendar;
    case sections::SmsMessages:
        return OutcomeTally::SMS;
    case sections::SettingsDataAccount:
        return OutcomeTally::DataAccounts;
    case sections::SettingsWap:
        return OutcomeTally::WAP;
    case sections::Bookmarks:
        return OutcomeTally::Bookmarks;
    case sections::SettingsProfiles:
        return OutcomeTally::Profiles;
    case sections::SettingsLocks:
        return OutcomeTally::Locks;
    case sections::SettingsTime:
        return OutcomeTally::Time;
    case sections::SettingsCustomMenu:
        return OutcomeTally::Shortcuts;
    default:
        return OutcomeTally::Count;
    }
}

bool Categories::restorable(OutcomeTally::Category category) const
{
    // The phonebook has its own check in the walk.
    return category == OutcomeTally::Phonebook || categorysupport::servedBy(services.link, category);
}

void Categories::registerReaders(BackupFile& file)
{
    file.sectionSkipped = [this](qint16 iTag) {
        if (iTag == sections::Contacts)
            services.tally.failed(OutcomeTally::Phonebook);
    };
    // Each reader notes its section, so that a restore the phone's loss cuts short can name
    // the sections it never reached. A section of a category the phone has not got is passed
    // over without a command, and named.
    const auto reader = [this, &file](sections::Tag iTag, std::function<int(int)> read) {
        file.registerReader(iTag, [this, &file, iTag, read = std::move(read)](int lineIndex) {
            services.lists.sectionStarted(iTag);
            const OutcomeTally::Category category = categoryOfSection(iTag);
            if (!restorable(category)) {
                services.tally.unsupported(category);
                services.log.WriteLog(QStringLiteral("Not written -> the %1 section (not "
                                                     "supported by the phone)")
                                          .arg(sections::nameOf(file.sFileLines.at(lineIndex))));
                const sections::Extent extent = sections::extentOf(file.sFileLines, lineIndex);
                return static_cast<int>(extent.closed ? extent.end : extent.end - 1);
            }
            // A dry run reads only the lists: reading a setting may change the phone.
            if (services.lists.preview() && iTag != sections::Contacts &&
                iTag != sections::Calendar && iTag != sections::SmsMessages) {
                services.lists.settingsNotRead(OutcomeTally::name(category));
                const sections::Extent extent = sections::extentOf(file.sFileLines, lineIndex);
                return static_cast<int>(extent.closed ? extent.end : extent.end - 1);
            }
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
