#include "categories/categorysupport.h"

#include "phone/components.h"
#include "phone/phonelink.h"

#include <initializer_list>

namespace categorysupport {

namespace {

struct Row
{
    OutcomeTally::Category category;
    qint32 codes[3];
};

// The commands each settings category reads its values with (their getters send them); 0
// ends a list.
constexpr Row kReads[] = {
    {OutcomeTally::DataAccounts, {664}}, // CMD_GETDEFINEDDATAACCOUNTS
    {OutcomeTally::WAP, {186}},          // CMD_GETWAPPROFILELIST
    {OutcomeTally::Bookmarks, {218}},    // CMD_GETWAPBOOKMARKS
    {OutcomeTally::Profiles, {126}},     // CMD_GETPROFILES
    {OutcomeTally::Locks, {51}},         // CMD_GETKEYLOCKMODE
    // The time format, daylight saving time, time zone update.
    {OutcomeTally::Time, {36, 344, 347}},
    {OutcomeTally::Shortcuts, {159}}, // CMD_GETCUSTOMMENUITEMS
};

} // namespace

bool servedBy(CellPhone& phone, OutcomeTally::Category category)
{
    for (const Row& row : kReads) {
        if (row.category != category)
            continue;
        for (const qint32 code : row.codes) {
            if (code != 0 && phone.IsCommandSupported(code) != 0)
                return true;
        }
        return false;
    }
    return true;
}

bool servedBy(const PhoneLink& link, OutcomeTally::Category category)
{
    if (category == OutcomeTally::Phonebook)
        return link.bPhonebookSupported;
    if (category == OutcomeTally::Calendar)
        return link.bCalendarSupported;
    CellPhone* phone = link.m_objCellPhone.data();
    return !phone || servedBy(*phone, category);
}

} // namespace categorysupport
