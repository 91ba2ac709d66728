#include "categories/categorytable.h"

#include "categories/categories.h"

namespace categorytable {

namespace {

using Box = MainView::Box;
using Tally = OutcomeTally;

constexpr std::array<Row, Count> kRows{{
    {Tally::Phonebook, Box::Pb, "chkPb", "Phonebook", sections::Contacts, "Phonebook", "phonebook",
     {},
     "Backup of phonebook has started", "Backup of PB -> Done", "Backup of Phonebook -> Done",
     [](Categories& c) { return c.obex.bBackUpPB(); },
     "Error when backing up the PB->cmdBackup_click", nullptr, false, true,
     nullptr, nullptr, nullptr,
     [](Categories& c, int line) { return c.obex.bDecodeContacts(line); }},
    {Tally::Calendar, Box::Cal, "chkCal", "Calendar", sections::Calendar, "Calendar", "calendar",
     {},
     "Backup of calendar has started", "Backup of Cal -> Done", "Backup of Calendar -> Done",
     [](Categories& c) { return c.obex.bBackUpCal(); },
     "Error when backing up the Cal->cmdBackup_click", "Failed when backing up calendar", true,
     false, nullptr, nullptr, nullptr,
     [](Categories& c, int line) { return c.obex.bDecodeCal(line); }},
    {Tally::SMS, Box::SMS, "chkSMS", "SMS", sections::SmsMessages, "SMS Messages", "sms", {},
     "Backup of SMS_Messages has started", "Backup of SMS_Messages -> Done",
     "Backup of SMS_Messages -> Done",
     [](Categories& c) {
         c.sms.ReadSMSMessages();
         return true;
     },
     nullptr, nullptr, true, false,
     [](const Categories& c) { return c.sms.SMSList.isEmpty(); }, "Didn't find any SMS",
     [](Categories& c) { c.sms.bSaveSMSMessages(); },
     [](Categories& c, int line) { return c.sms.DecodeSMSMessages(line); }},
    {Tally::DataAccounts, Box::DataAccount, "chkDataAccount", "Data Account",
     sections::SettingsDataAccount, "Data Accounts", "dataaccounts", {CMD_GETDEFINEDDATAACCOUNTS},
     "Saving Data Accounts information", "Backup of DataAccount -> Done",
     "Backup of DataAccounts -> Done", [](Categories& c) { return c.da.GetDA(); },
     "Failed to backup DataAccount", "Failed to backup DataAccount", false, false,
     [](const Categories& c) {
         return c.da.DataAccountCSD.isEmpty() && c.da.DataAccountGPRS.isEmpty();
     },
     "Didn't find any Data Accounts", [](Categories& c) { c.da.bSaveDataAccounts(); },
     [](Categories& c, int line) { return c.da.DecodeDataAccounts(line); }},
    {Tally::WAP, Box::WAP, "chkWAP", "WAP Profiles", sections::SettingsWap, "WAP Settings", "wap",
     {CMD_GETWAPPROFILELIST},
     "Saving WAP Settings", "Backup of WAP -> Done", "Backup of WAP Settings -> Done",
     [](Categories& c) {
         c.wap.GetWAPSettings();
         return true;
     },
     "Error in GetWAPSettings", nullptr, true, false, nullptr, nullptr,
     [](Categories& c) { c.wap.bSaveWAPSettings(); },
     [](Categories& c, int line) { return c.wap.DecodeWAPSettings(line); }},
    {Tally::Bookmarks, Box::Bookmark, "chkBookmark", "Bookmarks", sections::Bookmarks, "Bookmarks",
     "bookmarks", {CMD_GETWAPBOOKMARKS},
     "Saving Bookmarks information", "Backup of Bookmarks -> Done", "Backup of Bookmarks -> Done",
     // A list that was not read is no empty list: no section for it.
     [](Categories& c) {
         c.bookmarks.GetWAPBookmarks();
         return !c.services.tally.hasFailed(Tally::Bookmarks);
     },
     nullptr, nullptr, true, false, nullptr, nullptr,
     [](Categories& c) { c.bookmarks.bSaveBookmarks(); },
     [](Categories& c, int line) { return c.bookmarks.DecodeBookmarks(line); }},
    {Tally::Profiles, Box::Profiles, "chkProfiles", "Profiles", sections::SettingsProfiles,
     "Profiles", "profiles", {CMD_GETPROFILES},
     "Saving Profile Settings", "Backup of Profiles -> Done", "Backup of Profiles -> Done",
     [](Categories& c) { return c.profiles.GetProfileSettings(); },
     nullptr, nullptr, true, false, nullptr, nullptr,
     [](Categories& c) { c.profiles.bSaveProfileSettings(); },
     [](Categories& c, int line) { return c.profiles.DecodeProfileSettings(line); }},
    {Tally::Locks, Box::Lock, "chkLock", "Locks", sections::SettingsLocks, "Locks", "locks", {CMD_GETKEYLOCKMODE},
     "Saving Locks information", "Backup of Locks -> Done", "Backup of Locks -> Done",
     [](Categories& c) {
         c.locks.GetLocksSettings();
         return true;
     },
     nullptr, nullptr, true, false, nullptr, nullptr,
     [](Categories& c) { c.locks.bSaveLocksSettings(); },
     [](Categories& c, int line) { return c.locks.DecodeLocksSettings(line); }},
    {Tally::Time, Box::Time, "chkTime", "Time", sections::SettingsTime, "Time", "time",
     {CMD_GETTIMEFORMAT, CMD_GETDAYLIGHTSAVINGTIME, CMD_GETTIMEZONEUPDATE},
     "Saving Time information", "Backup of Time -> Done", "Backup of Time -> Done",
     [](Categories& c) {
         c.time.GetTimeSettings();
         return true;
     },
     nullptr, nullptr, true, false, nullptr, nullptr,
     [](Categories& c) { c.time.bSaveTimeSettings(); },
     [](Categories& c, int line) { return c.time.DecodeTimeSettings(line); }},
    {Tally::Shortcuts, Box::CustomMenu, "chkCustomMenu", "My Shortcuts",
     sections::SettingsCustomMenu, "My Shortcuts", "shortcuts", {CMD_GETCUSTOMMENUITEMS},
     "Saving My Shortcuts information", "Backup of Custom Menu -> Done",
     "Backup of My Shortcuts -> Done",
     [](Categories& c) {
         c.custom.GetCustomMenuSettings();
         return true;
     },
     nullptr, nullptr, true, false, nullptr, nullptr,
     [](Categories& c) { c.custom.bSaveCustomMenu(); },
     [](Categories& c, int line) { return c.custom.DecodeCustomMenu(line); }},
}};

// The tally, the window and the runs index the table by category.
constexpr bool inCategoryOrder()
{
    for (int i = 0; i < Count; ++i) {
        if (kRows[i].category != i)
            return false;
    }
    return true;
}
static_assert(inCategoryOrder());

} // namespace

const std::array<Row, Count>& rows()
{
    return kRows;
}

const Row& row(OutcomeTally::Category category)
{
    return kRows[category];
}

const Row* rowOfBox(MainView::Box box)
{
    for (const Row& row : kRows) {
        if (row.box == box)
            return &row;
    }
    return nullptr;
}

const Row* rowOfSection(int iTag)
{
    for (const Row& row : kRows) {
        if (row.section == iTag)
            return &row;
    }
    return nullptr;
}

const Row* rowOfCliName(const QString& name)
{
    for (const Row& row : kRows) {
        if (name.compare(QLatin1String(row.cliName), Qt::CaseInsensitive) == 0)
            return &row;
    }
    return nullptr;
}

bool isUserData(const Row& row)
{
    return row.reads[0] == Command{};
}

} // namespace categorytable
