#include "phonesim/integersetting.h"

#include "phone/variants.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simstatus.h"

#include <cmath>

namespace phonesim {

qint64 storedInteger(const PhoneImage& image, const IntegerSetting& setting)
{
    const QJsonValue value = image.settings(setting.group).value(setting.key);
    if (!value.isDouble())
        return setting.factory;
    const double number = value.toDouble();
    if (number != std::floor(number) || number < static_cast<double>(setting.min) ||
        number > static_cast<double>(setting.max))
        return setting.factory;
    return static_cast<qint64>(number);
}

CommandResult getIntegerSetting(const PhoneImage& image, const IntegerSetting& setting,
                                const QVariantList& params)
{
    if (!params.isEmpty())
        return answer::invalidParameter();
    const qint64 value = storedInteger(image, setting);
    return answer::ok({setting.width == IntegerSetting::Width::Int16
                           ? variants::int16(static_cast<qint16>(value))
                           : variants::int32(static_cast<qint32>(value))});
}

CommandResult setIntegerSetting(PhoneImage& image, const IntegerSetting& setting,
                                const QVariantList& params)
{
    if (params.size() != 1)
        return answer::invalidParameter();
    const auto value = integerParam(params, 0);
    if (!value || *value < setting.min || *value > setting.max)
        return answer::invalidParameter();
    QJsonObject group = image.settings(setting.group);
    group.insert(setting.key, static_cast<double>(*value));
    if (!image.setSettings(setting.group, group))
        return answer::status(status::StorageFailure);
    return answer::ok();
}

void addIntegerSetting(CommandTable& table, Command getCommand, Command setCommand,
                       const IntegerSetting& setting)
{
    table.add(getCommand, [setting](PhoneImage& image, const QVariantList& params) {
        return getIntegerSetting(image, setting, params);
    });
    table.add(setCommand, [setting](PhoneImage& image, const QVariantList& params) {
        return setIntegerSetting(image, setting, params);
    });
}

} // namespace phonesim
