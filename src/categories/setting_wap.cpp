#include "categories/setting_wap.h"

#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/elements.h"
#include "backupfile/sectiontable.h"
#include "categories/categoryservices.h"
#include "categories/setting_da.h"
#include "categories/truetext.h"
#include "core/programerror.h"
#include "phone/phonelink.h"
#include "phone/variants.h"

#include <exception>
#include <limits>

namespace {

const QString kSection = QStringLiteral("Settings_WAP");
const QString kProfile = QStringLiteral("Profile");
// Profile numbers go out as 16-bit values.
constexpr qint32 kMaxProfiles = std::numeric_limits<qint16>::max();

[[noreturn]] void fail(qint32 number, const QString& description)
{
    throw ProgramError(number, QStringLiteral("Cellarchive"), description);
}

QString withoutNul(const QString& text)
{
    QString result = text;
    result.remove(QChar(u'\0'));
    return result;
}

} // namespace

Setting_WAP::Setting_WAP(CategoryServices& services, const Setting_DA& dataAccounts)
    : m_services(services), m_dataAccounts(dataAccounts)
{
}

void Setting_WAP::GetWAPSettings()
{
    WAPProfiles.clear();
    if (!m_services.sendOk(CMD_GETWAPPROFILELIST)) {
        m_services.listNotRead(OutcomeTally::WAP, CMD_GETWAPPROFILELIST);
        return;
    }
    readProfileList();
    qint32 active = 0;
    if (m_services.read(OutcomeTally::WAP, CMD_GETACTIVEWAPPROFILE))
        active = variants::toInt32(variants::at(m_services.link.ResponseData, 0));
    const auto reactivate = [this, active] {
        m_services.send(CMD_SETACTIVEWAPPROFILE, {variants::int32(active)});
    };
    try {
        for (qsizetype i = 0; i < WAPProfiles.size(); ++i) {
            const qint16 number = static_cast<qint16>(i + 1);
            m_services.log.UpdateStat(QStringLiteral("Saving WAP Profile number->") +
                                      StatusLog::signed_(number));
            WAPProfileRecord& record = WAPProfiles[i];
            record.Active = active == number;
            // The reads act on the active profile: without the switch they would read another.
            if (!m_services.sendOk(CMD_SETACTIVEWAPPROFILE, {variants::int16(number)})) {
                m_services.log.WriteLog(QStringLiteral("Not read -> WAP profile") +
                                        StatusLog::signed_(number) +
                                        QStringLiteral(" could not be activated"));
                m_services.tally.lost(OutcomeTally::WAP);
                continue;
            }
            readProfile(record);
        }
    } catch (const std::exception&) {
        // The walk changed the active profile; the user keeps the one chosen before.
        WAPProfiles.clear();
        reactivate();
        throw;
    }
    reactivate();
}

void Setting_WAP::readProfileList()
{
    const QVariantList& data = m_services.link.ResponseData;
    const qint32 count = variants::toInt32(variants::at(data, 0));
    // Every group but the last needs all three values; checked before any record is made.
    if (count < 1 || data.size() < 3 * static_cast<qint64>(count))
        fail(ProgramError::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    if (count > kMaxProfiles)
        fail(ProgramError::Overflow, QStringLiteral("Overflow"));
    WAPProfiles.resize(count);
    for (qint32 k = 0; k < count; ++k) {
        const qint32 number = variants::toInt32(variants::at(data, 1 + 3 * k));
        if (number < 1 || number > count)
            fail(ProgramError::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        WAPProfiles[number - 1].Name = variants::toText(variants::at(data, 2 + 3 * k));
    }
}

void Setting_WAP::readProfile(WAPProfileRecord& record)
{
    const QVariantList& data = m_services.link.ResponseData;
    const auto read = [this](Command command) {
        return m_services.read(OutcomeTally::WAP, command);
    };
    // A value that was not read stays absent, so neither the file nor a later restore takes
    // an empty text or a 0 for it.
    if (read(CMD_GETWAPCONNECTIONTIMEOUT))
        record.Connection_Timeout.set(variants::toInt32(variants::at(data, 0)));
    if (read(CMD_GETWAPCSDGATEWAYS))
        record.Gateway.set(variants::toText(variants::at(data, 2)));
    if (read(CMD_GETWAPHOMEPAGE))
        record.HomePage_URL.set(variants::toText(variants::at(data, 0)));
    // The number 0 stands for no login and reads as the empty text.
    if (read(CMD_GETWAPLOGIN))
        record.Proxy_Uid.set(variants::toText(variants::at(data, 0)));
    if (read(CMD_GETPREFERREDWAPBEARER))
        record.Preferred_Bearer.set(variants::toInt32(variants::at(data, 1)));
}

bool Setting_WAP::bSaveWAPSettings()
{
    if (WAPProfiles.isEmpty())
        return true;
    BackupFile& file = m_services.file;
    const auto line = [&file](const char* key, const QString& value) {
        file.AppendLine(elements::elementLine(2, QLatin1String(key), value));
    };
    file.AppendLine(elements::openTag(kSection));
    m_services.saveGroups(kProfile, WAPProfiles.size(), 1, [&](qsizetype i) {
        const WAPProfileRecord& record = WAPProfiles.at(i);
        line("Name", withoutNul(record.Name));
        line("Active", elements::boolText(record.Active));
        const auto text = [&line](const char* key, const Present<QString>& value) {
            if (value.present)
                line(key, withoutNul(value.value));
        };
        const auto number = [&file](const char* key, const Present<qint32>& value) {
            if (value.present)
                file.AppendLine(elements::elementLine(2, QLatin1String(key), value.value));
        };
        text("HomePage_URL", record.HomePage_URL);
        text("Gateway", record.Gateway);
        number("Connection_Timeout", record.Connection_Timeout);
        number("Preferred_Bearer", record.Preferred_Bearer);
        text("Proxy_Uid", record.Proxy_Uid);
    });
    file.AppendLine(elements::closeTag(kSection));
    return true;
}

int Setting_WAP::DecodeWAPSettings(int lineIndex)
{
    WAPProfiles.clear();
    BackupFile& file = m_services.file;
    // The bearer numbers can be translated only through accounts restored from this file.
    m_accountsRestored = false;
    for (int i = 0; i < lineIndex && i < file.sFileLines.size(); ++i) {
        if (sections::findTag(sections::tagWord(file.sFileLines.at(i))) ==
            sections::SettingsDataAccount)
            m_accountsRestored = true;
    }
    int current = -1;
    const int last = file.readElements(
        lineIndex, QStringLiteral("<Profile"), QStringLiteral("<Settings_WAP/>"),
        [this, &current](const QString& key, const QString& value) {
            if (key != QLatin1String("Number")) {
                storeElement(current, key, value);
                return;
            }
            const double index = variants::roundHalfEven(elements::leadingNumber(value) - 1);
            if (index < 0 || index >= kMaxProfiles) {
                m_services.log.WriteLog(QStringLiteral("Value out of range -> Number value=") +
                                        value);
                current = -1;
                return;
            }
            current = static_cast<int>(index);
            // The list grows to hold the named profile and never drops one read earlier.
            if (WAPProfiles.size() <= current)
                WAPProfiles.resize(current + 1);
            WAPProfiles[current].fromFile = true;
        });
    SetWAPSettings();
    m_accountsRestored = false;
    return last;
}

void Setting_WAP::storeElement(int current, const QString& key, const QString& value)
{
    static const QStringList keys{QStringLiteral("Name"),
                                  QStringLiteral("Active"),
                                  QStringLiteral("HomePage_URL"),
                                  QStringLiteral("Gateway"),
                                  QStringLiteral("Connection_Timeout"),
                                  QStringLiteral("Preferred_Bearer"),
                                  QStringLiteral("Proxy_Uid")};
    if (!keys.contains(key)) {
        m_services.log.WriteLog(QStringLiteral("Failed to find the tag->") + key);
        return;
    }
    if (current < 0) {
        m_services.log.WriteLog(QStringLiteral("No profile for the tag->") + key);
        return;
    }
    BackupFile& file = m_services.file;
    WAPProfileRecord& record = WAPProfiles[current];
    if (key == QLatin1String("Name")) {
        record.Name = value;
    } else if (key == QLatin1String("Active")) {
        record.Active = IsTrueText(value);
    } else if (key == QLatin1String("HomePage_URL")) {
        record.HomePage_URL.set(value);
    } else if (key == QLatin1String("Gateway")) {
        record.Gateway.set(value);
    } else if (key == QLatin1String("Proxy_Uid")) {
        record.Proxy_Uid.set(value);
    } else {
        Present<qint32>& target = key == QLatin1String("Connection_Timeout")
                                      ? record.Connection_Timeout
                                      : record.Preferred_Bearer;
        if (file.readInt32(key, value, target.value))
            target.present = true;
    }
}

qint32 Setting_WAP::restoredAccount(qint32 account) const
{
    qint32 restored = 0;
    if (!m_accountsRestored)
        return restored;
    // The last match wins, and a GPRS account wins over a CSD one.
    for (const CSDAccountRecord& csd : m_dataAccounts.DataAccountCSD) {
        if (csd.ID == account)
            restored = csd.RestoredID;
    }
    for (const GPRSAccountRecord& gprs : m_dataAccounts.DataAccountGPRS) {
        if (gprs.ID == account)
            restored = gprs.RestoredID;
    }
    return restored;
}

void Setting_WAP::SetWAPSettings()
{
    // A section without a profile has nothing to restore, not even an activation.
    if (WAPProfiles.isEmpty())
        return;
    const auto number = [](qsizetype index) {
        return variants::int16(static_cast<qint16>(index + 1));
    };
    // A slot the file does not describe keeps its name and settings.
    const auto write = [this](Command command, const QVariantList& params) {
        return m_services.write(OutcomeTally::WAP, command, params);
    };
    for (qsizetype i = 0; i < WAPProfiles.size(); ++i) {
        if (WAPProfiles.at(i).fromFile)
            write(CMD_SETWAPPROFILENAME, {number(i), WAPProfiles.at(i).Name});
    }
    qint16 active = 0;
    for (qsizetype i = 0; i < WAPProfiles.size(); ++i) {
        const WAPProfileRecord& record = WAPProfiles.at(i);
        if (!record.fromFile)
            continue;
        const qint16 profile = static_cast<qint16>(i + 1);
        m_services.log.UpdateStat(QStringLiteral("Restoring WAP Profile ->") +
                                  StatusLog::signed_(profile));
        if (record.Active)
            active = profile;
        // The writes act on the active profile: a refused switch would send them to another.
        if (!write(CMD_SETACTIVEWAPPROFILE, {number(i)})) {
            m_services.log.WriteLog(QStringLiteral("Not written -> WAP profile") +
                                    StatusLog::signed_(profile) +
                                    QStringLiteral(" could not be activated"));
            continue;
        }
        if (record.Connection_Timeout.present)
            write(CMD_SETWAPCONNECTIONTIMEOUT, {variants::int32(record.Connection_Timeout.value)});
        if (record.HomePage_URL.present)
            write(CMD_SETWAPHOMEPAGE, {record.HomePage_URL.value});
        if (record.Preferred_Bearer.present)
            write(CMD_SETPREFERREDWAPBEARER,
                  {variants::int16(3),
                   variants::int32(restoredAccount(record.Preferred_Bearer.value))});
        if (record.Proxy_Uid.present)
            write(CMD_SETWAPLOGIN, {record.Proxy_Uid.value, QString()});
        if (record.Gateway.present)
            write(CMD_SETWAPCSDGATEWAY, {variants::int16(1), record.Gateway.value});
        m_services.yieldOnce();
    }
    // Without a profile marked active there is nothing the phone must take.
    if (active != 0)
        write(CMD_SETACTIVEWAPPROFILE, {variants::int16(active)});
    else
        m_services.send(CMD_SETACTIVEWAPPROFILE, {variants::int16(active)});
}
