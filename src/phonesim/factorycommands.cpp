#include "phonesim/commandtable.h"
#include "phonesim/demophone.h"
#include "phonesim/phonecategories.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simstatus.h"

#include <QStringList>

namespace phonesim {

const QString PhoneLockCodeKey = QStringLiteral("phoneLockCode");

namespace {

// Phones leave the factory with this lock code until the user changes it.
const QString kFactoryLockCode = QStringLiteral("0000");

QString storedLockCode(const PhoneImage& image)
{
    const QJsonValue code = image.category(PhoneLockCodeKey);
    return code.isString() && !code.toString().isEmpty() ? code.toString() : kFactoryLockCode;
}

// What a factory reset leaves alone: who the phone is, its lock code and the user's own data.
bool survivesReset(const QString& key)
{
    static const QStringList kept = {PhoneImage::IdentityKey,     PhoneImage::FaultsKey,
                                     PhoneImage::LatencyKey,      PhoneLockCodeKey,
                                     QStringLiteral("phonebook"), QStringLiteral("calendar"),
                                     QStringLiteral("sms")};
    return kept.contains(key);
}

// Parameters: the phone lock code (text) and 1. Every setting (the settings groups, the data
// accounts, WAP profiles, bookmarks and shortcuts) goes back to the factory state of the model.
CommandResult setFactoryDefault(PhoneImage& image, const QVariantList& params)
{
    if (params.size() != 2 || params.at(0).typeId() != QMetaType::QString ||
        integerParam(params, 1) != 1)
        return answer::invalidParameter();
    if (params.at(0).toString() != storedLockCode(image))
        return answer::status(status::WrongLockCode);
    const QJsonObject factory = blankPhone(image.identity().model);
    for (auto it = factory.begin(); it != factory.end(); ++it) {
        if (!survivesReset(it.key()) && !image.setCategory(it.key(), it.value()))
            return answer::status(status::StorageFailure);
    }
    return answer::ok();
}

} // namespace

void registerFactoryCommands(CommandTable& table)
{
    table.add(CMD_SETFACTORYDEFAULT, setFactoryDefault);
}

QJsonValue demoPhoneLockCode()
{
    return QStringLiteral("7391");
}

QJsonValue blankPhoneLockCode()
{
    return kFactoryLockCode;
}

} // namespace phonesim
