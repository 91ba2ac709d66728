#include "phonesim/integersetting.h"
#include "phonesim/phonecategories.h"

namespace phonesim {

namespace {

const QString kGroup = QStringLiteral("time");

// 0 = 24-hour clock, 1 = 12-hour clock.
const IntegerSetting kTimeFormat{kGroup, QStringLiteral("timeFormat"), 0, 1, 0};
// 0 = standard time, 1 = daylight saving time (one hour ahead).
const IntegerSetting kDaylightSaving{kGroup, QStringLiteral("daylightSaving"), 0, 1, 0};
// 0 = the time zone is set by hand, 1 = taken from the network.
const IntegerSetting kTimeZoneUpdate{kGroup, QStringLiteral("timeZoneUpdate"), 0, 1, 1};

QJsonObject timeSettings(qint64 timeFormat, qint64 daylightSaving, qint64 timeZoneUpdate)
{
    return QJsonObject{{kTimeFormat.key, static_cast<double>(timeFormat)},
                       {kDaylightSaving.key, static_cast<double>(daylightSaving)},
                       {kTimeZoneUpdate.key, static_cast<double>(timeZoneUpdate)}};
}

} // namespace

void registerTimeCommands(CommandTable& table)
{
    addIntegerSetting(table, CMD_GETTIMEFORMAT, CMD_SETTIMEFORMAT, kTimeFormat);
    addIntegerSetting(table, CMD_GETDAYLIGHTSAVINGTIME, CMD_SETDAYLIGHTSAVINGTIME, kDaylightSaving);
    addIntegerSetting(table, CMD_GETTIMEZONEUPDATE, CMD_SETTIMEZONEUPDATE, kTimeZoneUpdate);
}

QJsonObject demoTimeSettings()
{
    return timeSettings(1, 1, 0);
}

QJsonObject blankTimeSettings()
{
    return timeSettings(kTimeFormat.factory, kDaylightSaving.factory, kTimeZoneUpdate.factory);
}

} // namespace phonesim
