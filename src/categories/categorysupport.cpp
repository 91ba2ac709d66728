#include "categories/categorysupport.h"

#include "categories/categorytable.h"
#include "phone/components.h"
#include "phone/phonelink.h"

namespace categorysupport {

bool servedBy(CellPhone& phone, OutcomeTally::Category category)
{
    const categorytable::Row& row = categorytable::row(category);
    if (categorytable::isUserData(row))
        return true;
    for (const Command command : row.reads) {
        if (command != Command{} && phone.IsCommandSupported(command) != 0)
            return true;
    }
    return false;
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
