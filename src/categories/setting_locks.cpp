#include "categories/setting_locks.h"

#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/elements.h"
#include "categories/categoryservices.h"
#include "phone/variants.h"

namespace {

const QString kSection = QStringLiteral("Settings_Locks");

} // namespace

Setting_Locks::Setting_Locks(CategoryServices& services) : m_services(services) {}

void Setting_Locks::GetLocksSettings()
{
    iKeylockMode.clear();
    m_services.readInt16(OutcomeTally::Locks, CMD_GETKEYLOCKMODE, iKeylockMode);
}

bool Setting_Locks::bSaveLocksSettings()
{
    BackupFile& file = m_services.file;
    file.AppendLine(elements::openTag(kSection));
    if (iKeylockMode.present)
        file.AppendLine(
            elements::elementLine(1, QStringLiteral("Keylock_Mode"), iKeylockMode.value));
    file.AppendLine(elements::closeTag(kSection));
    return true;
}

int Setting_Locks::DecodeLocksSettings(int lineIndex)
{
    iKeylockMode.clear();
    BackupFile& file = m_services.file;
    const int last = file.readElements(
        lineIndex, QStringLiteral("<Settings_Locks"), QStringLiteral("<Settings_Locks/>"),
        [this, &file](const QString& key, const QString& value) {
            if (key != QLatin1String("Keylock_Mode")) {
                m_services.log.WriteLog(QStringLiteral("Failed to find the tag->") + key);
                return;
            }
            if (file.readInt16(key, value, iKeylockMode.value))
                iKeylockMode.present = true;
        });
    SetLocksSettings();
    return last;
}

void Setting_Locks::SetLocksSettings()
{
    if (iKeylockMode.present)
        m_services.write(OutcomeTally::Locks, CMD_SETKEYLOCKMODE,
                         {variants::int16(iKeylockMode.value)});
}
