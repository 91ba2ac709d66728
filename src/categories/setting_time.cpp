#include "categories/setting_time.h"

#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/elements.h"
#include "categories/categoryservices.h"
#include "phone/variants.h"

namespace {

const QString kSection = QStringLiteral("Settings_Time");

} // namespace

Setting_Time::Setting_Time(CategoryServices& services) : m_services(services) {}

void Setting_Time::clear()
{
    DateFormat.clear();
    DaylightSaving.clear();
    Nitz.clear();
    TimeFormat.clear();
}

void Setting_Time::GetTimeSettings()
{
    clear();
    m_services.readInt16(OutcomeTally::Time, CMD_GETTIMEFORMAT, DateFormat);
    m_services.readInt16(OutcomeTally::Time, CMD_GETDAYLIGHTSAVINGTIME, DaylightSaving);
    m_services.readInt16(OutcomeTally::Time, CMD_GETTIMEZONEUPDATE, Nitz);
    m_services.readInt16(OutcomeTally::Time, CMD_GETTIMEFORMAT, TimeFormat);
}

bool Setting_Time::bSaveTimeSettings()
{
    BackupFile& file = m_services.file;
    file.AppendLine(elements::openTag(kSection));
    const auto line = [&file](const char* key, const Present<qint16>& value) {
        if (value.present)
            file.AppendLine(elements::elementLine(1, QLatin1String(key), value.value));
    };
    line("DateFormat", DateFormat);
    line("DaylightSaving", DaylightSaving);
    line("Nitz", Nitz);
    line("TimeFormat", TimeFormat);
    m_services.yieldOnce();
    file.AppendLine(elements::closeTag(kSection));
    return true;
}

int Setting_Time::DecodeTimeSettings(int lineIndex)
{
    clear();
    BackupFile& file = m_services.file;
    const int last = file.readElements(
        lineIndex, QStringLiteral("<Settings_Time"), QStringLiteral("<Settings_Time/>"),
        [this, &file](const QString& key, const QString& value) {
            Present<qint16>* target = nullptr;
            if (key == QLatin1String("DateFormat"))
                target = &DateFormat;
            else if (key == QLatin1String("DaylightSaving"))
                target = &DaylightSaving;
            else if (key == QLatin1String("Nitz"))
                target = &Nitz;
            else if (key == QLatin1String("TimeFormat"))
                target = &TimeFormat;
            if (!target) {
                m_services.log.WriteLog(QStringLiteral("Failed to find the tag->") + key);
                return;
            }
            if (file.readInt16(key, value, target->value))
                target->present = true;
        });
    SetTimeSettings();
    return last;
}

void Setting_Time::SetTimeSettings()
{
    m_services.log.UpdateStat(QStringLiteral("Restoring time settings"));
    const auto write = [this](Command command, const Present<qint16>& value) {
        if (value.present)
            m_services.write(OutcomeTally::Time, command, {variants::int16(value.value)});
    };
    write(CMD_SETTIMEFORMAT, DateFormat);
    write(CMD_SETDAYLIGHTSAVINGTIME, DaylightSaving);
    write(CMD_SETTIMEZONEUPDATE, Nitz);
    write(CMD_SETTIMEFORMAT, TimeFormat);
}
