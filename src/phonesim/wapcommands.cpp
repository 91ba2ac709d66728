#include "phonesim/phonecategories.h"

#include "phone/variants.h"
#include "phonesim/commandtable.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simstatus.h"

#include <QJsonArray>
#include <QJsonObject>
#include <functional>
#include <optional>

namespace phonesim {

namespace {

const QString kCategory = QStringLiteral("wapProfiles");
const QString kActive = QStringLiteral("active");
const QString kProfiles = QStringLiteral("profiles");
// The preferred bearer is always a data account; 3 is that kind of bearer.
constexpr qint64 kDataAccountBearer = 3;
// The one CSD gateway of a profile.
constexpr qint64 kGatewayNumber = 1;
constexpr qint64 kMaxTimeout = 32767;

struct WapProfile
{
    QString name;
    QString homePage;
    QString gateway;
    qint64 connectionTimeout = 0;
    QString login;
    QString password;
    qint64 preferredBearer = 0;
};

struct WapState
{
    qint64 active = 1;
    // Always WapProfileSlots of them; slot i is profile i + 1.
    QList<WapProfile> profiles;
};

qint64 integerOf(const QJsonObject& object, const QString& key, qint64 fallback = 0)
{
    const QJsonValue value = object.value(key);
    return value.isDouble() ? static_cast<qint64>(value.toDouble()) : fallback;
}

// Missing slots are unused ones with empty settings; an active number out of range reads 1.
WapState storedState(const PhoneImage& image)
{
    const QJsonObject root = image.category(kCategory).toObject();
    WapState state;
    state.active = integerOf(root, kActive, 1);
    if (state.active < 1 || state.active > WapProfileSlots)
        state.active = 1;
    const QJsonArray stored = root.value(kProfiles).toArray();
    for (int i = 0; i < WapProfileSlots; ++i) {
        const QJsonObject object = stored.at(i).toObject();
        WapProfile profile;
        profile.name = object.value(QStringLiteral("name")).toString();
        profile.homePage = object.value(QStringLiteral("homePage")).toString();
        profile.gateway = object.value(QStringLiteral("gateway")).toString();
        profile.connectionTimeout = integerOf(object, QStringLiteral("connectionTimeout"));
        profile.login = object.value(QStringLiteral("login")).toString();
        profile.password = object.value(QStringLiteral("password")).toString();
        profile.preferredBearer = integerOf(object, QStringLiteral("preferredBearer"));
        state.profiles.append(profile);
    }
    return state;
}

QJsonObject profileJson(const WapProfile& profile)
{
    return QJsonObject{{QStringLiteral("name"), profile.name},
                       {QStringLiteral("homePage"), profile.homePage},
                       {QStringLiteral("gateway"), profile.gateway},
                       {QStringLiteral("connectionTimeout"), profile.connectionTimeout},
                       {QStringLiteral("login"), profile.login},
                       {QStringLiteral("password"), profile.password},
                       {QStringLiteral("preferredBearer"), profile.preferredBearer}};
}

QJsonObject stateJson(const WapState& state)
{
    QJsonArray profiles;
    for (const WapProfile& profile : state.profiles)
        profiles.append(profileJson(profile));
    return QJsonObject{{kActive, state.active}, {kProfiles, profiles}};
}

CommandResult store(PhoneImage& image, const WapState& state)
{
    if (!image.setCategory(kCategory, stateJson(state)))
        return answer::status(status::StorageFailure);
    return answer::ok();
}

// A command that reads the active profile and answers these values.
CommandHandler reader(std::function<QVariantList(const WapProfile&)> values)
{
    return [values](PhoneImage& image, const QVariantList& params) {
        if (!params.isEmpty())
            return answer::invalidParameter();
        const WapState state = storedState(image);
        return answer::ok(values(state.profiles.at(state.active - 1)));
    };
}

// A command that changes the active profile; change returns false for bad parameters.
CommandHandler writer(std::function<bool(const QVariantList&, WapProfile&)> change)
{
    return [change](PhoneImage& image, const QVariantList& params) {
        WapState state = storedState(image);
        if (!change(params, state.profiles[state.active - 1]))
            return answer::invalidParameter();
        return store(image, state);
    };
}

// The count, then per slot its number, its name and a value the phone does not use.
CommandResult listProfiles(PhoneImage& image, const QVariantList& params)
{
    if (!params.isEmpty())
        return answer::invalidParameter();
    const WapState state = storedState(image);
    QVariantList data{int16Value(WapProfileSlots)};
    for (int i = 0; i < WapProfileSlots; ++i)
        data << int16Value(i + 1) << variants::text(state.profiles.at(i).name) << int16Value(0);
    return answer::ok(data);
}

CommandResult setActive(PhoneImage& image, const QVariantList& params)
{
    const auto number = rangeParam(params, 0, 1, WapProfileSlots);
    if (params.size() != 1 || !number)
        return answer::invalidParameter();
    WapState state = storedState(image);
    state.active = *number;
    return store(image, state);
}

CommandResult renameProfile(PhoneImage& image, const QVariantList& params)
{
    const auto number = rangeParam(params, 0, 1, WapProfileSlots);
    const auto name = textParam(params, 1);
    if (params.size() != 2 || !number || !name)
        return answer::invalidParameter();
    WapState state = storedState(image);
    state.profiles[*number - 1].name = *name;
    return store(image, state);
}

} // namespace

void registerWapCommands(CommandTable& table)
{
    table.add(CMD_GETWAPHOMEPAGE,
              reader([](const WapProfile& p) { return QVariantList{variants::text(p.homePage)}; }));
    table.add(CMD_SETWAPHOMEPAGE,
              writer([](const QVariantList& params, WapProfile& p) {
                  const auto homePage = textParam(params, 0);
                  if (params.size() != 1 || !homePage)
                      return false;
                  p.homePage = *homePage;
                  return true;
              }));
    table.add(CMD_GETACTIVEWAPPROFILE,
              [](PhoneImage& image, const QVariantList& params) {
                  if (!params.isEmpty())
                      return answer::invalidParameter();
                  return answer::ok({int16Value(storedState(image).active)});
              });
    table.add(CMD_SETACTIVEWAPPROFILE, setActive);
    table.add(CMD_GETWAPPROFILELIST, listProfiles);
    table.add(CMD_SETWAPPROFILENAME, renameProfile);
    table.add(CMD_SETWAPCONNECTIONTIMEOUT,
              writer([](const QVariantList& params, WapProfile& p) {
                  const auto timeout = rangeParam(params, 0, 0, kMaxTimeout);
                  if (params.size() != 1 || !timeout)
                      return false;
                  p.connectionTimeout = *timeout;
                  return true;
              }));
    table.add(CMD_GETWAPCONNECTIONTIMEOUT, reader([](const WapProfile& p) {
                  return QVariantList{int16Value(p.connectionTimeout)};
              }));
    // The login and its password; the answer gives the login alone, the number 0 for none.
    table.add(CMD_SETWAPLOGIN,
              writer([](const QVariantList& params, WapProfile& p) {
                  const auto login = textParam(params, 0);
                  const auto password = textParam(params, 1);
                  if (params.size() != 2 || !login || !password)
                      return false;
                  p.login = *login;
                  p.password = *password;
                  return true;
              }));
    table.add(CMD_GETWAPLOGIN, reader([](const WapProfile& p) {
                  return QVariantList{p.login.isEmpty() ? int16Value(0) : variants::text(p.login)};
              }));
    table.add(CMD_SETPREFERREDWAPBEARER,
              writer([](const QVariantList& params, WapProfile& p) {
                  const auto kind = rangeParam(params, 0, kDataAccountBearer, kDataAccountBearer);
                  const auto account = rangeParam(params, 1, 0, DataAccountCapacity);
                  if (params.size() != 2 || !kind || !account)
                      return false;
                  p.preferredBearer = *account;
                  return true;
              }));
    table.add(
        CMD_GETPREFERREDWAPBEARER, reader([](const WapProfile& p) {
            return QVariantList{int16Value(kDataAccountBearer), int16Value(p.preferredBearer)};
        }));
    table.add(CMD_SETWAPCSDGATEWAY,
              writer([](const QVariantList& params, WapProfile& p) {
                  const auto number = rangeParam(params, 0, kGatewayNumber, kGatewayNumber);
                  const auto gateway = textParam(params, 1);
                  if (params.size() != 2 || !number || !gateway)
                      return false;
                  p.gateway = *gateway;
                  return true;
              }));
    // The number of gateways, the gateway's number and its address.
    table.add(CMD_GETWAPCSDGATEWAYS, reader([](const WapProfile& p) {
                  return QVariantList{int16Value(1), int16Value(kGatewayNumber),
                                      variants::text(p.gateway)};
              }));
}

QJsonObject demoWapProfiles()
{
    WapState state;
    state.active = 2;
    state.profiles = {
        WapProfile{QStringLiteral("Operator WAP"), QStringLiteral("http://wap.operator.example/"),
                   QStringLiteral("10.11.12.13"), 60, QStringLiteral("wapuser"),
                   QStringLiteral("wap"), 2},
        WapProfile{QStringLiteral("Office"), QStringLiteral("http://intra.office.example/m"),
                   QStringLiteral("192.168.40.1"), 120, QString(), QString(), 1},
        WapProfile{QStringLiteral("Home"), QStringLiteral("http://m.news.example/"), QString(), 90,
                   QString(), QString(), 6},
    };
    while (state.profiles.size() < WapProfileSlots)
        state.profiles.append(WapProfile{});
    return stateJson(state);
}

QJsonObject blankWapProfiles()
{
    WapState state;
    for (int i = 0; i < WapProfileSlots; ++i)
        state.profiles.append(WapProfile{});
    return stateJson(state);
}

} // namespace phonesim
