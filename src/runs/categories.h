#pragma once

#include "categories/setting_time.h"
#include "categories/setting_custom.h"
#include "categories/setting_locks.h"
#include "categories/setting_wap_bookmarks.h"

struct CategoryServices;
class BackupFile;

// Every data category of the program, with its values that live for the whole process.
struct Categories
{
    explicit Categories(CategoryServices& services);

    // Attaches each category's section reader to the file's dispatcher.
    void registerReaders(BackupFile& file);

    Setting_Time time;
    Setting_WAPBookmarks bookmarks;
    Setting_Locks locks;
    Setting_Custom custom;
};
