#pragma once

#include "categories/categoryservices.h"
#include "categories/obexmodule.h"
#include "categories/setting_time.h"
#include "categories/setting_custom.h"
#include "categories/setting_da.h"
#include "categories/setting_locks.h"
#include "categories/setting_profiles.h"
#include "categories/setting_smspdu.h"
#include "categories/setting_wap.h"
#include "categories/setting_wap_bookmarks.h"

struct CategoryServices;
class BackupFile;
class ObexTransfer;

// Every data category of the program, with its values that live for the whole process.
struct Categories
{
    // Hands the transfer the phonebook and calendar entry writers.
    Categories(CategoryServices& services, ObexTransfer& obexTransfer);

    // Attaches each category's section reader to the file's dispatcher.
    void registerReaders(BackupFile& file);
    // The category a section restores, or OutcomeTally::Count for none.
    static OutcomeTally::Category categoryOfSection(qint16 iTag);
    // Whether the connected phone has the category at all; one it has not got is not written.
    bool restorable(OutcomeTally::Category category) const;

    // Where the categories report what they could not read or write.
    CategoryServices& services;

    ObexModule obex;
    Setting_Time time{services};
    Setting_DA da{services};
    // Reads the data accounts above when it translates the WAP bearers.
    Setting_WAP wap{services, da};
    Setting_WAPBookmarks bookmarks{services};
    Setting_Locks locks{services};
    Setting_Profiles profiles{services};
    Setting_Custom custom{services};
    Setting_SMSPDU sms{services};
};
