#include "runs/categories.h"

#include "backupfile/backupfile.h"

Categories::Categories(CategoryServices& services) : time(services) {}

void Categories::registerReaders(BackupFile& file)
{
    file.registerReader(sections::SettingsTime,
                        [this](int lineIndex) { return time.DecodeTimeSettings(lineIndex); });
}
