#pragma once

#include "core/codepage.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QSet>
#include <QString>
#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

// A fault struct as one table of its members: the key each has in the image's faults, whether
// it holds a fault, how it is written and how it is read. isEmpty, toJson and fromJson are read
// off the table, so a member cannot be missing from one of them.
namespace phonesim::faultfields {

template <typename F> struct Field
{
    const char* key;
    std::function<bool(const F&)> isSet;
    std::function<QJsonValue(const F&)> write;
    // Reads the member from value; on a failure the error names the member by its path in the
    // faults ("sms.refusedWrites").
    std::function<bool(const QJsonValue& value, F& faults, const QString& path, QString& error)>
        read;
};

template <typename F> using Table = std::vector<Field<F>>;

// The readers of single values: each gives nothing for a value it does not take.
// A whole number from low to high (JSON gives every number as a double).
std::optional<qint64> wholeNumber(const QJsonValue& value, double low, double high);
// A non-zero status, also written unsigned (2290614273) or as hexadecimal text ("0x88880001").
std::optional<qint32> status(const QJsonValue& value);
// 0 or more seconds.
std::optional<double> seconds(const QJsonValue& value);
// A command code as a member name ("37").
std::optional<qint32> commandCode(const QString& key);

// Sets error to "faults.<path> <why>" and gives false.
bool fail(QString& error, const QString& path, const QString& why);

template <typename F> bool isEmpty(const Table<F>& table, const F& faults)
{
    return std::none_of(table.begin(), table.end(),
                        [&faults](const Field<F>& field) { return field.isSet(faults); });
}

template <typename F> QJsonObject toJson(const Table<F>& table, const F& faults)
{
    QJsonObject json;
    for (const Field<F>& field : table) {
        if (field.isSet(faults))
            json.insert(QLatin1String(field.key), field.write(faults));
    }
    return json;
}

// Strict: a member of the wrong type or an unknown member is an error, so that a typo in a
// hand-written image does not silently leave a fault out. path is where the struct stands in
// the faults ("sms"), empty for the faults themselves.
template <typename F>
std::optional<F> fromJson(const Table<F>& table, const QString& path, const QJsonObject& json,
                          QString& error)
{
    const QString prefix = path.isEmpty() ? QString() : path + QLatin1Char('.');
    const auto known = [&table](const QString& key) {
        return std::any_of(table.begin(), table.end(), [&key](const Field<F>& field) {
            return key == QLatin1String(field.key);
        });
    };
    for (const QString& key : json.keys()) {
        if (!known(key)) {
            error = QStringLiteral("unknown fault \"%1%2\"").arg(prefix, key);
            return std::nullopt;
        }
    }
    F faults;
    for (const Field<F>& field : table) {
        const QJsonValue value = json.value(QLatin1String(field.key));
        if (!value.isUndefined() &&
            !field.read(value, faults, prefix + QLatin1String(field.key), error))
            return std::nullopt;
    }
    return faults;
}

// A member holds a fault when it differs from what a struct without faults holds.
template <typename F, typename Member>
std::function<bool(const F&)> differsFromNone(Member F::*member)
{
    return [member](const F& faults) {
        static const F none;
        return !(faults.*member == none.*member);
    };
}

// The fields, one kind each.

// A member read from a single value: read gives nothing for a value it does not take, and the
// error then says what the member must be; write gives what the member is written as.
template <typename F, typename Member, typename Read, typename Write>
Field<F> single(const char* key, Member F::*member, Read read, Write write, const QString& what)
{
    return {
        key, differsFromNone(member),
        [member, write](const F& f) { return QJsonValue(write(f.*member)); },
        [member, read, what](const QJsonValue& value, F& f, const QString& path, QString& error) {
            const auto got = read(value);
            if (!got)
                return fail(error, path, QStringLiteral("must be ") + what);
            f.*member = static_cast<Member>(*got);
            return true;
        }};
}

template <typename F> Field<F> flag(const char* key, bool F::*member)
{
    return single(
        key, member,
        [](const QJsonValue& value) {
            return value.isBool() ? std::optional<bool>(value.toBool()) : std::nullopt;
        },
        [](bool set) { return set; }, QStringLiteral("true or false"));
}

// A whole number from low to high; what says what it must be ("a count of 0 or more").
template <typename F, typename Int>
Field<F> whole(const char* key, Int F::*member, double low, double high, const char* what)
{
    return single(
        key, member, [low, high](const QJsonValue& value) { return wholeNumber(value, low, high); },
        [](Int number) { return static_cast<int>(number); }, QLatin1String(what));
}

// A non-zero status, written as hexadecimal text.
template <typename F> Field<F> nonZeroStatus(const char* key, qint32 F::*member)
{
    return single(
        key, member, status,
        [](qint32 code) {
            return QStringLiteral("0x%1").arg(static_cast<quint32>(code), 8, 16, QLatin1Char('0'));
        },
        QStringLiteral("a non-zero status"));
}

template <typename F> Field<F> someSeconds(const char* key, std::optional<double> F::*member)
{
    return single(
        key, member, seconds, [](const std::optional<double>& value) { return *value; },
        QStringLiteral("0 or more seconds"));
}

// A non-empty text, kept in Windows-1252.
template <typename F> Field<F> text(const char* key, QByteArray F::*member)
{
    return single(
        key, member,
        [](const QJsonValue& value) {
            return value.isString() && !value.toString().isEmpty()
                       ? std::optional<QByteArray>(codepage::encode(value.toString()))
                       : std::nullopt;
        },
        [](const QByteArray& bytes) { return codepage::decode(bytes); },
        QStringLiteral("a non-empty text"));
}

// An array of whole numbers from low to high, written in order: what the array holds and what
// each item is ("command codes", "a command code").
template <typename F>
Field<F> numberSet(const char* key, QSet<qint32> F::*member, double low, double high,
                   const char* items, const char* item)
{
    return {key, differsFromNone(member),
            [member](const F& f) {
                QList<qint32> sorted((f.*member).begin(), (f.*member).end());
                std::sort(sorted.begin(), sorted.end());
                QJsonArray array;
                for (qint32 number : sorted)
                    array.append(number);
                return QJsonValue(array);
            },
            [=](const QJsonValue& value, F& f, const QString& path, QString& error) {
                if (!value.isArray())
                    return fail(error, path,
                                QStringLiteral("must be an array of ") + QLatin1String(items));
                for (const QJsonValue& each : value.toArray()) {
                    const auto number = wholeNumber(each, low, high);
                    if (!number)
                        return fail(error, path,
                                    QStringLiteral("holds something that is not ") +
                                        QLatin1String(item));
                    (f.*member).insert(static_cast<qint32>(*number));
                }
                return true;
            }};
}

inline QString memberName(qint32 code)
{
    return QString::number(code);
}

inline QString memberName(const QString& name)
{
    return name;
}

// An object whose members map keys to values; readKey and readValue give nothing for what they
// do not take. what says what the map holds, needs what each member needs.
template <typename F, typename Key, typename Value, typename ReadKey, typename ReadValue>
Field<F> map(const char* key, QHash<Key, Value> F::*member, ReadKey readKey, ReadValue readValue,
             const char* what, const char* needs)
{
    return {key, differsFromNone(member),
            [member](const F& f) {
                QJsonObject map;
                for (auto it = (f.*member).cbegin(); it != (f.*member).cend(); ++it)
                    map.insert(memberName(it.key()), it.value());
                return QJsonValue(map);
            },
            [=](const QJsonValue& value, F& f, const QString& path, QString& error) {
                if (!value.isObject())
                    return fail(error, path, QStringLiteral("must map ") + QLatin1String(what));
                const QJsonObject map = value.toObject();
                for (auto it = map.begin(); it != map.end(); ++it) {
                    const std::optional<Key> mapKey = readKey(it.key());
                    const std::optional<Value> mapValue = readValue(it.value());
                    if (!mapKey || !mapValue) {
                        error = QStringLiteral("faults.%1: \"%2\" needs %3")
                                    .arg(path, it.key(), QLatin1String(needs));
                        return false;
                    }
                    (f.*member).insert(*mapKey, *mapValue);
                }
                return true;
            }};
}

// A struct of faults of its own, read off its table.
template <typename F, typename G>
Field<F> group(const char* key, G F::*member, const Table<G>& (*fields)())
{
    return {key, [member, fields](const F& f) { return !isEmpty(fields(), f.*member); },
            [member, fields](const F& f) { return QJsonValue(toJson(fields(), f.*member)); },
            [member, fields](const QJsonValue& value, F& f, const QString& path, QString& error) {
                if (!value.isObject())
                    return fail(error, path, QStringLiteral("must be an object"));
                const auto read = fromJson(fields(), path, value.toObject(), error);
                if (!read)
                    return false;
                f.*member = *read;
                return true;
            }};
}

// isEmpty, toJson and fromJson as members of a fault struct F, which gives its table as
// F::fields() and its place in the faults as F::Path.
template <typename F> struct TableDriven
{
    bool isEmpty() const { return faultfields::isEmpty(F::fields(), static_cast<const F&>(*this)); }
    QJsonObject toJson() const
    {
        return faultfields::toJson(F::fields(), static_cast<const F&>(*this));
    }
    static std::optional<F> fromJson(const QJsonObject& json, QString& error)
    {
        return faultfields::fromJson(F::fields(), QLatin1String(F::Path), json, error);
    }
};

} // namespace phonesim::faultfields
