#include "realphone/gammucommands.h"

#include "gammucodec/gammumapping.h"
#include "phone/phonestatus.h"

#include <cstring>
#include <map>

namespace gammu {

namespace {

namespace status = phonestatus;

// Locations tried when the phone's list has no end of its own.
constexpr int MaxLocations = 64;

CommandAnswer failed(GSM_Error error)
{
    return CommandAnswer{statusOf(error), {}, error};
}

CommandAnswer invalid()
{
    return CommandAnswer{status::InvalidParameter, {}, ERR_NONE};
}

bool unsupported(GSM_Error error)
{
    return statusOf(error) == status::NotSupported;
}

// The time format: 0 for the 24-hour clock, 1 for the 12-hour clock.
CommandAnswer getTimeFormat(GSM_StateMachine* machine, const QVariantList&)
{
    GSM_Locale locale;
    const GSM_Error result = GSM_GetLocale(machine, &locale);
    if (result != ERR_NONE)
        return failed(result);
    return CommandAnswer{status::Ok, {locale.AMPMTime ? 1 : 0}, ERR_NONE};
}

CommandAnswer setTimeFormat(GSM_StateMachine* machine, const QVariantList& params)
{
    bool ok = false;
    const int format = params.value(0).toInt(&ok);
    if (params.size() != 1 || !ok || format < 0 || format > 1)
        return invalid();
    GSM_Locale locale;
    GSM_Error result = GSM_GetLocale(machine, &locale);
    if (result == ERR_NONE) {
        locale.AMPMTime = format == 1;
        result = GSM_SetLocale(machine, &locale);
    }
    return result == ERR_NONE ? CommandAnswer{} : failed(result);
}

// Bookmarks from location 1 up to the first empty one.
CommandAnswer getBookmarks(GSM_StateMachine* machine, const QVariantList&)
{
    QVariantList data{0};
    for (int location = 1; location <= MaxLocations; ++location) {
        GSM_WAPBookmark bookmark;
        std::memset(&bookmark, 0, sizeof bookmark);
        bookmark.Location = location;
        const GSM_Error result = GSM_GetWAPBookmark(machine, &bookmark);
        if (result == ERR_EMPTY || result == ERR_INVALIDLOCATION)
            break;
        if (result != ERR_NONE)
            return failed(result);
        data << location << fromUnicode(bookmark.Address) << fromUnicode(bookmark.Title);
    }
    data[0] = static_cast<int>((data.size() - 1) / 3);
    return CommandAnswer{status::Ok, data, ERR_NONE};
}

CommandAnswer addBookmark(GSM_StateMachine* machine, const QVariantList& params)
{
    if (params.size() != 2)
        return invalid();
    for (int location = 1; location <= MaxLocations; ++location) {
        GSM_WAPBookmark bookmark;
        std::memset(&bookmark, 0, sizeof bookmark);
        bookmark.Location = location;
        GSM_Error result = GSM_GetWAPBookmark(machine, &bookmark);
        if (result == ERR_INVALIDLOCATION)
            break;
        if (result == ERR_NONE)
            continue;
        if (result != ERR_EMPTY)
            return failed(result);
        toUnicode(params.at(0).toString(), bookmark.Address, 255);
        toUnicode(params.at(1).toString(), bookmark.Title, 50);
        result = GSM_SetWAPBookmark(machine, &bookmark);
        return result == ERR_NONE ? CommandAnswer{} : failed(result);
    }
    return failed(ERR_FULL);
}

// The GPRS access points the phone holds, in location order.
GSM_Error accessPoints(GSM_StateMachine* machine, QList<GSM_GPRSAccessPoint>& points)
{
    for (int location = 1; location <= MaxLocations; ++location) {
        GSM_GPRSAccessPoint point;
        std::memset(&point, 0, sizeof point);
        point.Location = location;
        const GSM_Error result = GSM_GetGPRSAccessPoint(machine, &point);
        if (result == ERR_INVALIDLOCATION)
            break;
        if (result == ERR_EMPTY)
            continue;
        if (result != ERR_NONE)
            return result;
        if (!fromUnicode(point.Name).isEmpty() || !fromUnicode(point.URL).isEmpty())
            points.append(point);
    }
    return ERR_NONE;
}

// Nine elements per account, every one a GPRS account (bearer 1) without user name,
// password or authentication: libgammu's access points carry a name and an APN only.
CommandAnswer getDataAccounts(GSM_StateMachine* machine, const QVariantList&)
{
    QList<GSM_GPRSAccessPoint> points;
    const GSM_Error result = accessPoints(machine, points);
    if (result != ERR_NONE)
        return failed(result);
    QVariantList data{static_cast<int>(points.size())};
    for (const GSM_GPRSAccessPoint& point : points)
        data << point.Location << fromUnicode(point.Name) << QString() << QString() << 1 << 0
             << 0 << 0 << 0;
    return CommandAnswer{status::Ok, data, ERR_NONE};
}

// Fifteen elements per account: its context number, PDP type "IP", the APN, no address,
// no compression.
CommandAnswer getContexts(GSM_StateMachine* machine, const QVariantList&)
{
    QList<GSM_GPRSAccessPoint> points;
    const GSM_Error result = accessPoints(machine, points);
    if (result != ERR_NONE)
        return failed(result);
    QVariantList data{static_cast<int>(points.size())};
    for (const GSM_GPRSAccessPoint& point : points) {
        data << point.Location << QStringLiteral("IP") << fromUnicode(point.URL) << QString();
        for (int i = 0; i < 11; ++i)
            data << 0;
    }
    return CommandAnswer{status::Ok, data, ERR_NONE};
}

// Only GPRS accounts (bearer non-zero): libgammu has no CSD data accounts. The access point
// is written at the index asked for, its APN follows with the context command.
CommandAnswer defineDataAccount(GSM_StateMachine* machine, const QVariantList& params)
{
    if (params.size() == 8 && params.at(4).toInt() == 0)
        return failed(ERR_NOTSUPPORTED);
    bool ok = false;
    const int location = params.value(0).toInt(&ok);
    if (params.size() != 7 || !ok || location < 1 || params.at(4).toInt() == 0)
        return invalid();
    GSM_GPRSAccessPoint point;
    std::memset(&point, 0, sizeof point);
    point.Location = location;
    toUnicode(params.at(1).toString(), point.Name, GSM_MAX_GPRS_AP_NAME_LENGTH);
    const GSM_Error result = GSM_SetGPRSAccessPoint(machine, &point);
    if (result != ERR_NONE)
        return failed(result);
    return CommandAnswer{status::Ok, {location, location}, ERR_NONE};
}

CommandAnswer setContext(GSM_StateMachine* machine, const QVariantList& params)
{
    bool ok = false;
    const int location = params.value(0).toInt(&ok);
    if (params.size() != 6 || !ok || location < 1)
        return invalid();
    GSM_GPRSAccessPoint point;
    std::memset(&point, 0, sizeof point);
    point.Location = location;
    GSM_Error result = GSM_GetGPRSAccessPoint(machine, &point);
    if (result == ERR_NONE) {
        toUnicode(params.at(2).toString(), point.URL, GSM_MAX_GPRS_AP_URL_LENGTH);
        result = GSM_SetGPRSAccessPoint(machine, &point);
    }
    return result == ERR_NONE ? CommandAnswer{} : failed(result);
}

bool localeProbe(GSM_StateMachine* machine)
{
    GSM_Locale locale;
    return !unsupported(GSM_GetLocale(machine, &locale));
}

bool bookmarkProbe(GSM_StateMachine* machine)
{
    GSM_WAPBookmark bookmark;
    std::memset(&bookmark, 0, sizeof bookmark);
    bookmark.Location = 1;
    return !unsupported(GSM_GetWAPBookmark(machine, &bookmark));
}

bool accessPointProbe(GSM_StateMachine* machine)
{
    GSM_GPRSAccessPoint point;
    std::memset(&point, 0, sizeof point);
    point.Location = 1;
    return !unsupported(GSM_GetGPRSAccessPoint(machine, &point));
}

// In the order the phone is probed when it connects.
constexpr CommandRow kRows[] = {
    {CMD_GETTIMEFORMAT, localeProbe, getTimeFormat},
    {CMD_SETTIMEFORMAT, localeProbe, setTimeFormat},
    {CMD_GETWAPBOOKMARKS, bookmarkProbe, getBookmarks},
    {CMD_ADDWAPBOOKMARK, bookmarkProbe, addBookmark},
    {CMD_GETDEFINEDDATAACCOUNTS, accessPointProbe, getDataAccounts},
    {CMD_GETDEFINEPDPCONTEXT, accessPointProbe, getContexts},
    {CMD_DEFINEDATAACCOUNT, accessPointProbe, defineDataAccount},
    {CMD_SETDEFINEPDPCONTEXT, accessPointProbe, setContext},
};

} // namespace

std::span<const CommandRow> commandRows()
{
    return kRows;
}

QSet<qint32> supportedCommands(const std::function<bool(Probe)>& asks)
{
    std::map<Probe, bool> answers;
    QSet<qint32> codes;
    for (const CommandRow& row : kRows) {
        const auto [answer, fresh] = answers.try_emplace(row.probe, false);
        if (fresh)
            answer->second = asks(row.probe);
        if (answer->second)
            codes << row.command;
    }
    return codes;
}

QSet<qint32> supportedCommands(GSM_StateMachine* machine)
{
    return supportedCommands([machine](Probe probe) { return probe(machine); });
}

CommandAnswer runCommand(GSM_StateMachine* machine, qint32 code, const QVariantList& params)
{
    for (const CommandRow& row : kRows) {
        if (row.command == code)
            return row.handler(machine, params);
    }
    return failed(ERR_NOTSUPPORTED);
}

} // namespace gammu
