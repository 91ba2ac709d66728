#include "runs/categories.h"

#include "backupfile/backupfile.h"

Categories::Categories(CategoryServices& services)
    : time(services), bookmarks(services), locks(services), custom(services)
{
}

void Categories::registerReaders(BackupFile& file)
{
    file.registerReader(sections::SettingsTime,
                        [this](int lineIndex) { return time.DecodeTimeSettings(lineIndex); });
    file.registerReader(sections::Bookmarks,
                        [this](int lineIndex) { return bookmarks.DecodeBookmarks(lineIndex); });
    file.registerReader(sections::SettingsLocks,
                        [this](int lineIndex) { return locks.DecodeLocksSettings(lineIndex); });
    file.registerReader(sections::SettingsCustomMenu,
                        [this](int lineIndex) { return custom.DecodeCustomMenu(lineIndex); });
}
