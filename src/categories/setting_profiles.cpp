#include "categories/setting_profiles.h"

#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/elements.h"
#include "categories/categoryservices.h"
#include "categories/numberedgroups.h"
#include "categories/truetext.h"
#include "core/programerror.h"
#include "phone/phonelink.h"
#include "phone/variants.h"

#include <iterator>

namespace {

const QString kSection = QStringLiteral("Settings_Profiles");
const QString kGroup = QStringLiteral("Profile");

// The setting elements in the order the section lists them, which is not the record's order.
struct SettingElement
{
    const char* key;
    Present<qint16> ProfileRecord::*field;
};

const SettingElement kSettings[] = {
    {"BackLightMode", &ProfileRecord::BackLightMode},
    {"FontSize", &ProfileRecord::FontSize},
    {"Handsfree", &ProfileRecord::Handsfree},
    {"HelpTextMode", &ProfileRecord::HelpTextMode},
    {"KeySound", &ProfileRecord::KeySound},
    {"Language", &ProfileRecord::Language},
    {"MessageAlert", &ProfileRecord::MessageAlert},
    {"MinuteReminder", &ProfileRecord::MinuteReminder},
    {"RingLevel_Line1", &ProfileRecord::RingLevel_Line1},
    {"RingLevel_Line2", &ProfileRecord::RingLevel_Line2},
    {"RingLevel_Fax", &ProfileRecord::RingLevel_Fax},
    {"RingLevel_Data", &ProfileRecord::RingLevel_Data},
    {"RingMelody_Line1", &ProfileRecord::RingMelody_Line1},
    {"RingMelody_Line2", &ProfileRecord::RingMelody_Line2},
    {"RingMelody_Fax", &ProfileRecord::RingMelody_Fax},
    {"RingMelody_Data", &ProfileRecord::RingMelody_Data},
    {"RingMelody_Alarm", &ProfileRecord::RingMelody_Alarm},
    {"ScreenSaverMode", &ProfileRecord::ScreenSaverMode},
    {"SilenceMode", &ProfileRecord::SilenceMode},
    {"VibratorMode", &ProfileRecord::VibratorMode},
};

Present<qint16> ProfileRecord::*settingField(const QString& key)
{
    for (const SettingElement& element : kSettings) {
        if (key == QLatin1String(element.key))
            return element.field;
    }
    return nullptr;
}

// The record index a Number value stands for, or -1 when it names no profile the 16-bit
// numbering can hold.
int indexOfNumber(const QString& value)
{
    const double index = variants::roundHalfEven(elements::leadingNumber(value) - 1);
    if (!(index >= 0 && index < 32767))
        return -1;
    return static_cast<int>(index);
}

} // namespace

Setting_Profiles::Setting_Profiles(CategoryServices& services) : m_services(services) {}

bool Setting_Profiles::bSaveProfileSettings()
{
    BackupFile& file = m_services.file;
    file.AppendLine(elements::openTag(kSection));
    m_services.saveGroups(kGroup, Profiles.size(), 1, [&](qsizetype i) {
        const ProfileRecord& r = Profiles.at(i);
        if (r.Name.present)
            file.AppendLine(elements::elementLine(2, QStringLiteral("Name"),
                                                  QString(r.Name.value).remove(QChar(0))));
        file.AppendLine(
            elements::elementLine(2, QStringLiteral("Active"), elements::boolText(r.Active)));
        for (const SettingElement& element : kSettings) {
            const Present<qint16>& setting = r.*element.field;
            if (setting.present)
                file.AppendLine(
                    elements::elementLine(2, QLatin1String(element.key), setting.value));
        }
    });
    file.AppendLine(elements::closeTag(kSection));
    return true;
}

int Setting_Profiles::DecodeProfileSettings(int lineIndex)
{
    Profiles.clear();
    m_fromFile.clear();
    BackupFile& file = m_services.file;
    QStringList elements{QStringLiteral("Name"), QStringLiteral("Active")};
    for (const SettingElement& element : kSettings)
        elements << QLatin1String(element.key);
    const int last = readNumberedGroups(
        m_services, lineIndex,
        {.skipText = QStringLiteral("<Profile"),
         .closingText = QStringLiteral("<Settings_Profiles/>"),
         .open =
             [this](const QString& value) {
                 const int index = indexOfNumber(value);
                 if (index < 0) {
                     m_services.log.WriteLog(QStringLiteral("Value out of range -> Number value=") +
                                             value);
                     return index;
                 }
                 // Groups out of order keep the records read before them.
                 while (Profiles.size() <= index) {
                     Profiles.append(ProfileRecord());
                     m_fromFile.append(false);
                 }
                 m_fromFile[index] = true;
                 return index;
             },
         .elements = elements,
         .quietUnknown = true,
         .withoutGroup = QStringLiteral("No profile number for -> "),
         .element =
             [&](int index, const QString& key, const QString& value) {
                 ProfileRecord& r = Profiles[index];
                 Present<qint16> ProfileRecord::*field = settingField(key);
                 if (key == QLatin1String("Name"))
                     r.Name.set(value);
                 else if (key == QLatin1String("Active"))
                     r.Active = IsTrueText(value);
                 else if (file.readInt16(key, value, (r.*field).value))
                     (r.*field).present = true;
             }});
    SetProfileSettings();
    return last;
}

void Setting_Profiles::SetProfileSettings()
{
    StatusLog& log = m_services.log;
    const PhoneLink& link = m_services.link;
    OutcomeTally& tally = m_services.tally;
    if (!m_services.send(CMD_GETPROFILES)) {
        tally.failed(OutcomeTally::Profiles);
        return;
    }
    qint16 count = 0;
    if (link.ResponseStatus == 0) {
        try {
            count = variants::toInt16(variants::at(link.ResponseData, 0));
        } catch (const ProgramError&) {
            log.WriteLog(
                QStringLiteral("Failed to get the number of profiles -> nothing restored"));
            tally.failed(OutcomeTally::Profiles);
            return;
        }
    }
    // Profiles of the file that the phone has no slot for are not written.
    for (qsizetype i = qMax<qsizetype>(count, 0); i < Profiles.size(); ++i) {
        if (m_fromFile.value(i)) {
            log.WriteLog(QStringLiteral("Not written -> profile") + StatusLog::signed_(i + 1) +
                         QStringLiteral(" has no place in the phone"));
            tally.lost(OutcomeTally::Profiles);
        }
    }
    qint16 active = 0;
    for (int i = 0; i < count; ++i) {
        const qint16 number = static_cast<qint16>(i + 1);
        // The phone may hold more profiles than the file: those it lacks stay as they are.
        if (i >= Profiles.size() || !m_fromFile.value(i)) {
            log.WriteLog(QStringLiteral("Profile not in the backup file ->") +
                         StatusLog::signed_(number));
            continue;
        }
        const ProfileRecord& r = Profiles.at(i);
        log.UpdateStat(QStringLiteral("Restoring profile ->") + StatusLog::signed_(number) +
                       QStringLiteral("-> ") + r.Name.value);
        if (r.Active)
            active = number;
        // The writes act on the active profile: a refused switch would send them to another.
        if (!m_services.write(OutcomeTally::Profiles, CMD_SETACTIVEPROFILE,
                              {variants::int16(number)})) {
            log.WriteLog(QStringLiteral("Not written -> profile") + StatusLog::signed_(number) +
                         QStringLiteral(" could not be activated"));
            continue;
        }
        if (r.Name.present)
            m_services.write(OutcomeTally::Profiles, CMD_SETACTIVEPROFILENAME,
                             {variants::text(r.Name.value)});
        restoreSettings(r);
        m_services.yieldOnce();
    }
    m_services.send(CMD_SETACTIVEPROFILE, {variants::int16(active)});
}

void Setting_Profiles::restoreSettings(const ProfileRecord& r)
{
    const auto send = [this](const Present<qint16>& setting, Command command, QVariantList params) {
        if (!setting.present)
            return;
        params.prepend(variants::int16(setting.value));
        m_services.write(OutcomeTally::Profiles, command, params);
    };
    const auto int16 = [](qint16 value) { return variants::int16(value); };

    if (r.BackLightMode.present)
        m_services.write(OutcomeTally::Profiles, CMD_SETBACKLIGHTMODE,
                         {int16(0), int16(r.BackLightMode.value)});
    send(r.Handsfree, CMD_SETANSWERMODE, {});
    send(r.FontSize, CMD_SETFONTSIZE, {});
    send(r.HelpTextMode, CMD_SETHELPTEXTMODE, {});
    send(r.Language, CMD_SETLANGUAGE, {});
    send(r.ScreenSaverMode, CMD_SETSCREENSAVERMODE, {});
    send(r.KeySound, CMD_SETKEYSOUND, {});
    send(r.MessageAlert, CMD_SETMESSAGEALERTSOUND, {int16(3)});
    send(r.MinuteReminder, CMD_SETMINUTEMINDER, {});
    const Present<qint16>* levels[] = {&r.RingLevel_Line1, &r.RingLevel_Line2, &r.RingLevel_Fax,
                                       &r.RingLevel_Data};
    // Line codes count from 1 in the order of the arrays: line 1, line 2, fax, data, alarm.
    for (qsizetype i = 0; i < std::ssize(levels); ++i)
        send(*levels[i], CMD_SETRINGVOLUME, {int16(static_cast<qint16>(i + 1)), int16(0)});
    const Present<qint16>* melodies[] = {&r.RingMelody_Line1, &r.RingMelody_Line2,
                                         &r.RingMelody_Fax, &r.RingMelody_Data,
                                         &r.RingMelody_Alarm};
    for (qsizetype i = 0; i < std::ssize(melodies); ++i)
        send(*melodies[i], CMD_SETRINGMELODY, {int16(static_cast<qint16>(i + 1))});
    send(r.SilenceMode, CMD_SETSILENTMODE, {});
    send(r.VibratorMode, CMD_SETVIBRATORMODE, {});
}
