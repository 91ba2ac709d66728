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
    for (const qint32 code : row.reads) {
        if (code != 0 && phone.IsCommandSupported(code) != 0)
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
