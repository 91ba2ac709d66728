#include "phonesim/phonecategories.h"

#include "phone/variants.h"
#include "phonesim/commandtable.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simstatus.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <limits>
#include <optional>

namespace phonesim {

namespace {

const QString kCategory = QStringLiteral("dataAccounts");
// Values per account in the list answer and per context in the context answer.
constexpr int kAccountValues = 9;
constexpr int kContextValues = 15;

struct Context
{
    qint64 number = 0;
    QString pdpType = QStringLiteral("IP");
    QString apn;
    QString pdpAddress;
    qint64 dataComp = 0;
    qint64 headComp = 0;
};

struct Account
{
    qint64 index = 0;
    bool gprs = false;
    QString name;
    QString username;
    QString password;
    // CSD only.
    QString phoneNumber;
    qint64 dialType = 0;
    qint64 dataRate = 9600;
    // GPRS only.
    qint64 prefService = 0;
    qint64 auth = 0;
    Context context;
};

// The values an account has whatever its bearer; the others keep their defaults.
Account namedAccount(qint64 index, bool gprs, const QString& name, const QString& username,
                     const QString& password)
{
    Account account;
    account.index = index;
    account.gprs = gprs;
    account.name = name;
    account.username = username;
    account.password = password;
    return account;
}

qint64 integerOf(const QJsonObject& object, const QString& key, qint64 fallback = 0)
{
    const QJsonValue value = object.value(key);
    return value.isDouble() ? static_cast<qint64>(value.toDouble()) : fallback;
}

// Entries that are not objects, lie outside the numbered range or repeat an index are no
// accounts. The list is kept in index order, as the phone lists it.
QList<Account> storedAccounts(const PhoneImage& image)
{
    QList<Account> accounts;
    for (const QJsonValue& entry : image.category(kCategory).toArray()) {
        const QJsonObject object = entry.toObject();
        Account account;
        account.index = integerOf(object, QStringLiteral("index"));
        if (account.index < 1 || account.index > DataAccountCapacity ||
            std::any_of(accounts.cbegin(), accounts.cend(),
                        [&](const Account& other) { return other.index == account.index; }))
            continue;
        account.gprs = object.value(QStringLiteral("bearer")).toString() == QLatin1String("gprs");
        account.name = object.value(QStringLiteral("name")).toString();
        account.username = object.value(QStringLiteral("username")).toString();
        account.password = object.value(QStringLiteral("password")).toString();
        account.phoneNumber = object.value(QStringLiteral("phoneNumber")).toString();
        account.dialType = integerOf(object, QStringLiteral("dialType"));
        account.dataRate = integerOf(object, QStringLiteral("dataRate"), 9600);
        account.prefService = integerOf(object, QStringLiteral("prefService"));
        account.auth = integerOf(object, QStringLiteral("auth"));
        const QJsonObject context = object.value(QStringLiteral("context")).toObject();
        account.context.number = integerOf(context, QStringLiteral("number"));
        if (context.contains(QStringLiteral("pdpType")))
            account.context.pdpType = context.value(QStringLiteral("pdpType")).toString();
        account.context.apn = context.value(QStringLiteral("apn")).toString();
        account.context.pdpAddress = context.value(QStringLiteral("pdpAddress")).toString();
        account.context.dataComp = integerOf(context, QStringLiteral("dataComp"));
        account.context.headComp = integerOf(context, QStringLiteral("headComp"));
        accounts.append(account);
    }
    std::sort(accounts.begin(), accounts.end(),
              [](const Account& a, const Account& b) { return a.index < b.index; });
    return accounts;
}

QJsonObject accountJson(const Account& account)
{
    QJsonObject object{
        {QStringLiteral("index"), account.index},
        {QStringLiteral("bearer"), account.gprs ? QStringLiteral("gprs") : QStringLiteral("csd")},
        {QStringLiteral("name"), account.name},
        {QStringLiteral("username"), account.username},
        {QStringLiteral("password"), account.password}};
    if (!account.gprs) {
        object.insert(QStringLiteral("phoneNumber"), account.phoneNumber);
        object.insert(QStringLiteral("dialType"), account.dialType);
        object.insert(QStringLiteral("dataRate"), account.dataRate);
        return object;
    }
    object.insert(QStringLiteral("prefService"), account.prefService);
    object.insert(QStringLiteral("auth"), account.auth);
    object.insert(QStringLiteral("context"),
                  QJsonObject{{QStringLiteral("number"), account.context.number},
                              {QStringLiteral("pdpType"), account.context.pdpType},
                              {QStringLiteral("apn"), account.context.apn},
                              {QStringLiteral("pdpAddress"), account.context.pdpAddress},
                              {QStringLiteral("dataComp"), account.context.dataComp},
                              {QStringLiteral("headComp"), account.context.headComp}});
    return object;
}

bool storeAccounts(PhoneImage& image, const QList<Account>& accounts)
{
    QJsonArray stored;
    for (const Account& account : accounts)
        stored.append(accountJson(account));
    return image.setCategory(kCategory, stored);
}

// Like the phone, answers the number 0 where a text is empty.
QVariant textOrZero(const QString& text)
{
    return text.isEmpty() ? variants::int16(0) : variants::text(text);
}

CommandResult listAccounts(PhoneImage& image, const QVariantList& params)
{
    if (!params.isEmpty())
        return answer::invalidParameter();
    const QList<Account> accounts = storedAccounts(image);
    QVariantList data{int16Value(accounts.size())};
    for (const Account& a : accounts) {
        data << int16Value(a.index) << variants::text(a.name) << textOrZero(a.username)
             << textOrZero(a.password) << int16Value(a.gprs ? 1 : 0);
        if (a.gprs)
            data << int16Value(a.prefService) << int16Value(a.auth) << int16Value(0)
                 << int16Value(a.context.number);
        else
            data << variants::text(a.phoneNumber) << int16Value(a.dialType)
                 << variants::int32(static_cast<qint32>(a.dataRate)) << int16Value(0);
    }
    Q_ASSERT(data.size() == 1 + kAccountValues * accounts.size());
    return answer::ok(data);
}

// The contexts of the GPRS accounts in the order of the account list; the quality of service
// values that follow the compression flags are not kept and read 0.
CommandResult listContexts(PhoneImage& image, const QVariantList& params)
{
    if (!params.isEmpty())
        return answer::invalidParameter();
    QVariantList data{int16Value(0)};
    qint64 count = 0;
    for (const Account& a : storedAccounts(image)) {
        if (!a.gprs)
            continue;
        ++count;
        data << int16Value(a.context.number) << variants::text(a.context.pdpType)
             << textOrZero(a.context.apn) << textOrZero(a.context.pdpAddress)
             << int16Value(a.context.dataComp) << int16Value(a.context.headComp);
        for (int i = 6; i < kContextValues; ++i)
            data << int16Value(0);
    }
    data[0] = int16Value(count);
    return answer::ok(data);
}

// CSD: index, name, user name, password, 0, phone number, dial type, data rate.
// GPRS: index, name, user name, password, 1, preferred service, authentication.
// Stored at the index given when it is free, else at the next free one above it (index 0
// asks for the first free one). Answers the index used and, for GPRS, the new context.
CommandResult defineAccount(PhoneImage& image, const QVariantList& params)
{
    const std::optional<qint64> wanted =
        rangeParam(params, 0, 0, std::numeric_limits<qint32>::max());
    const std::optional<QString> name = textParam(params, 1);
    const std::optional<QString> username = textParam(params, 2);
    const std::optional<QString> password = textParam(params, 3);
    const std::optional<qint64> bearer = rangeParam(params, 4, 0, 1);
    if (!wanted || !name || !username || !password || !bearer)
        return answer::invalidParameter();
    Account account = namedAccount(0, *bearer == 1, *name, *username, *password);
    if (account.gprs) {
        const auto prefService = rangeParam(params, 5, 0, 2);
        const auto auth = rangeParam(params, 6, 0, 1);
        if (params.size() != 7 || !prefService || !auth)
            return answer::invalidParameter();
        account.prefService = *prefService;
        account.auth = *auth;
    } else {
        const auto phoneNumber = textParam(params, 5);
        const auto dialType = rangeParam(params, 6, 0, 1);
        const auto dataRate = rangeParam(params, 7, 0, 115200);
        if (params.size() != 8 || !phoneNumber || !dialType || !dataRate)
            return answer::invalidParameter();
        account.phoneNumber = *phoneNumber;
        account.dialType = *dialType;
        account.dataRate = *dataRate;
    }
    QList<Account> accounts = storedAccounts(image);
    const auto taken = [&accounts](auto matches) {
        return std::any_of(accounts.cbegin(), accounts.cend(), matches);
    };
    account.index = qMax<qint64>(1, *wanted);
    while (account.index <= DataAccountCapacity &&
           taken([&](const Account& a) { return a.index == account.index; }))
        ++account.index;
    if (account.index > DataAccountCapacity)
        return answer::status(status::MemoryFull);
    QVariantList data{int16Value(account.index)};
    if (account.gprs) {
        account.context.number = 1;
        while (taken(
            [&](const Account& a) { return a.gprs && a.context.number == account.context.number; }))
            ++account.context.number;
        data << int16Value(account.context.number);
    }
    accounts.append(account);
    if (!storeAccounts(image, accounts))
        return answer::status(status::StorageFailure);
    return answer::ok(data);
}

// Context number, packet data type, access point, address, data and header compression.
CommandResult setContext(PhoneImage& image, const QVariantList& params)
{
    const auto number = rangeParam(params, 0, 1, DataAccountCapacity);
    const auto pdpType = textParam(params, 1);
    const auto apn = textParam(params, 2);
    const auto pdpAddress = textParam(params, 3);
    const auto dataComp = rangeParam(params, 4, 0, 3);
    const auto headComp = rangeParam(params, 5, 0, 3);
    if (params.size() != 6 || !number || !pdpType || pdpType->isEmpty() || !apn || !pdpAddress ||
        !dataComp || !headComp)
        return answer::invalidParameter();
    QList<Account> accounts = storedAccounts(image);
    const auto it = std::find_if(accounts.begin(), accounts.end(), [&](const Account& a) {
        return a.gprs && a.context.number == *number;
    });
    if (it == accounts.end())
        return answer::invalidParameter();
    it->context = Context{*number, *pdpType, *apn, *pdpAddress, *dataComp, *headComp};
    if (!storeAccounts(image, accounts))
        return answer::status(status::StorageFailure);
    return answer::ok();
}

QJsonObject csdJson(qint64 index, const QString& name, const QString& phoneNumber,
                    const QString& username, const QString& password, qint64 dataRate)
{
    Account account = namedAccount(index, false, name, username, password);
    account.phoneNumber = phoneNumber;
    account.dataRate = dataRate;
    return accountJson(account);
}

QJsonObject gprsJson(qint64 index, const QString& name, const QString& username,
                     const QString& password, const Context& context, qint64 auth)
{
    Account account = namedAccount(index, true, name, username, password);
    account.auth = auth;
    account.context = context;
    return accountJson(account);
}

} // namespace

void registerDataAccountCommands(CommandTable& table)
{
    table.add(CMD_GETDEFINEPDPCONTEXT, listContexts);
    table.add(CMD_SETDEFINEPDPCONTEXT, setContext);
    table.add(CMD_DEFINEDATAACCOUNT, defineAccount);
    table.add(CMD_GETDEFINEDDATAACCOUNTS, listAccounts);
}

QJsonArray demoDataAccounts()
{
    // Numbered with gaps, as accounts deleted over the years leave them, so that a restore
    // into a blank phone renumbers them.
    return QJsonArray{
        csdJson(1, QStringLiteral("Office dial-up"), QStringLiteral("+4646123400"),
                QStringLiteral("jonna"), QStringLiteral("k7!pass"), 9600),
        gprsJson(2, QStringLiteral("Mobile Internet"), QStringLiteral("web"), QStringLiteral("web"),
                 Context{1, QStringLiteral("IP"), QStringLiteral("internet.operator.example"),
                         QString(), 0, 1},
                 1),
        gprsJson(4, QStringLiteral("MMS"), QString(), QString(),
                 Context{2, QStringLiteral("IP"), QStringLiteral("mms.operator.example"),
                         QStringLiteral("10.0.0.17"), 1, 0},
                 0),
        csdJson(6, QStringLiteral("Home ISP"), QStringLiteral("0201234567"), QString(), QString(),
                14400),
    };
}

QJsonArray blankDataAccounts()
{
    return QJsonArray{};
}

} // namespace phonesim
