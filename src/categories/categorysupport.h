#pragma once

#include "categories/outcometally.h"

class CellPhone;
struct PhoneLink;

// Whether a connected phone has a category at all, asked before the category is read: a phone
// that knows none of the commands that read a settings category has no such settings. The
// phonebook, the calendar and the messages are not read through settings commands and count
// as served here.
namespace categorysupport {

bool servedBy(CellPhone& phone, OutcomeTally::Category category);
// The same for the connected phone of link, with the phonebook and calendar as its connection
// found them; without a phone, every category counts as served.
bool servedBy(const PhoneLink& link, OutcomeTally::Category category);

} // namespace categorysupport
