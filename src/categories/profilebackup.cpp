#include "categories/setting_profiles.h"

#include "statuslog/statuslog.h"
#include "categories/categoryservices.h"
#include "categories/profilewalknote.h"
#include "core/programerror.h"
#include "phone/commandchannel.h"
#include "phone/phonelink.h"
#include "phone/variants.h"

#include <exception>
#include <utility>

namespace {

// The numbered list stands for the walk's real position on the phone, so it is thrown as the
// error a list index outside its bounds would raise.
[[noreturn]] void outOfRange()
{
    throw ProgramError(ProgramError::SubscriptOutOfRange, QStringLiteral("Cellarchive"),
                       QStringLiteral("Subscript out of range"));
}

} // namespace

void Setting_Profiles::GetAlternateLineSupport()
{
    bAlternateLine = false;
    if (!m_services.send(CMD_GETALTERNATELINESUPPORT))
        return;
    // The answer is taken whatever its status; an answer without a number means no support
    // rather than an error that would stop the run before its first category.
    const QVariantList& data = m_services.link.ResponseData;
    bool ok = false;
    const double value = data.isEmpty() ? 0.0 : data.constFirst().toDouble(&ok);
    bAlternateLine = ok && value == 1.0;
}

ProfileRecord& Setting_Profiles::record(qint16 index)
{
    if (index < 0 || index >= Profiles.size())
        outOfRange();
    return Profiles[index];
}

bool Setting_Profiles::GetProfileSettings()
{
    StatusLog& log = m_services.log;
    const PhoneLink& link = m_services.link;
    qint16 active = 0;
    bool walking = false;
    try {
        if (!m_services.send(CMD_GETPROFILES)) {
            m_services.listNotRead(OutcomeTally::Profiles, CMD_GETPROFILES);
            return false;
        }
        if (link.ResponseStatus != 0) {
            log.WriteLog(QStringLiteral("Failed to get the profiles -> EXIT"));
            m_services.tally.failed(OutcomeTally::Profiles);
            return false;
        }
        const qint16 count = variants::toInt16(variants::at(link.ResponseData, 0));
        if (count < 1)
            outOfRange();
        Profiles = QList<ProfileRecord>(count);
        m_fromFile = QList<bool>(count, true);
        log.WriteLog(QStringLiteral("NumberOfProfiles-->") + StatusLog::signed_(count));

        if (m_services.send(CMD_GETACTIVEPROFILE)) {
            if (link.ResponseStatus == 0) {
                const qint16 number = variants::toInt16(variants::at(link.ResponseData, 0));
                record(static_cast<qint16>(number - 1)).Active = true;
                active = number;
                log.WriteLog(QStringLiteral("0-Got the active profile...."));
            } else {
                log.WriteLog(QStringLiteral("0-Failed to get the active profile...."));
                m_services.tally.lost(OutcomeTally::Profiles);
            }
        } else {
            m_services.readFailed(OutcomeTally::Profiles, CMD_GETACTIVEPROFILE);
        }
        walking = true;
        leaveWalkNote(active);
        walkProfiles(count);
        walking = false;
        setBackActiveProfile(active);
        return true;
    } catch (const ProgramError& error) {
        m_services.tally.failed(OutcomeTally::Profiles);
        log.WriteLog(QStringLiteral("GetProfileSettings_Error"));
        log.LogErrorDetails(error);
        // The walk switched profiles on the phone; leave it with the one the user had.
        if (walking)
            setBackActiveProfile(active);
        return false;
    } catch (const std::exception& error) {
        m_services.tally.failed(OutcomeTally::Profiles);
        log.WriteLog(QStringLiteral("GetProfileSettings_Error"));
        log.LogErrorDetails(QString::fromStdString(error.what()), -1,
                            QStringLiteral("Cellarchive"));
        if (walking)
            setBackActiveProfile(active);
        return false;
    }
}

void Setting_Profiles::walkProfiles(qint16 count)
{
    StatusLog& log = m_services.log;
    const PhoneLink& link = m_services.link;
    for (int i = 0; i < count; ++i) {
        qint16 index = static_cast<qint16>(i);
        const QString number = StatusLog::signed_(i + 1);
        // The reads act on the active profile: without the switch they would read another.
        const bool activated =
            m_services.send(CMD_SETACTIVEPROFILE, {variants::int16(static_cast<qint16>(i + 1))}) &&
            link.ResponseStatus == 0;
        if (!activated) {
            log.WriteLog(QStringLiteral("1-Failed to Activate the profile->") + number);
            m_services.tally.lost(OutcomeTally::Profiles);
            continue;
        }
        log.WriteLog(QStringLiteral("2-Profile->") + number);
        // Sent with the profile number still in the parameters, as the phone expects it.
        if (m_services.channel.DoData(CMD_GETACTIVEPROFILE)) {
            if (link.ResponseStatus == 0) {
                record(index).Name.set(variants::toText(variants::at(link.ResponseData, 1)));
                log.WriteLog(QStringLiteral("3-GetProfile - Success->") + number);
            } else {
                log.WriteLog(QStringLiteral("4-GetProfile - Failed->") + number);
                m_services.tally.lost(OutcomeTally::Profiles);
            }
        } else {
            m_services.readFailed(OutcomeTally::Profiles, CMD_GETACTIVEPROFILE);
        }
        // Only the name read for this profile is shown, never the answer of an earlier one.
        QString shown = record(index).Name.value;
        shown.remove(QChar(0));
        const QString line =
            QStringLiteral("Saving Profile number->") + number + QStringLiteral("-> ") + shown;
        log.UpdateStat(line);
        log.WriteLog(line);

        GetDispSettings(index);
        log.WriteLog(QStringLiteral("Done with Disp"));
        GetHandsfreeSettings(index);
        log.WriteLog(QStringLiteral("Done with Handsfree"));
        GetMMISettings(index);
        log.WriteLog(QStringLiteral("Done with MMI"));
        GetSoundSettings(index);
        log.WriteLog(QStringLiteral("Done with Sound"));
    }
}

QString Setting_Profiles::phoneIdentity() const
{
    const CellPhone* phone = m_services.link.m_objCellPhone.data();
    return phone ? phone->IMEI() : QString();
}

void Setting_Profiles::leaveWalkNote(qint16 active)
{
    // Without the active profile's number there is nothing to put back.
    if (walkNoteFolder.isEmpty() || active < 1 || phoneIdentity().isEmpty())
        return;
    if (!profilewalknote::write(walkNoteFolder, phoneIdentity(), active))
        m_services.log.WriteLog(QStringLiteral("Can not write the note of the profile walk -> ") +
                                profilewalknote::path(walkNoteFolder, phoneIdentity()));
}

void Setting_Profiles::setBackActiveProfile(qint16 active)
{
    if (!m_services.send(CMD_SETACTIVEPROFILE, {variants::int16(active)}))
        return;
    const bool failed = m_services.link.ResponseStatus != 0;
    m_services.log.WriteLog(failed ? QStringLiteral("5-Failed to set back the active profile")
                                   : QStringLiteral("5-Sucess to set back the active profile"));
    // A phone that did not take it keeps the note, so the next run tries again.
    if (!failed && !walkNoteFolder.isEmpty() && !phoneIdentity().isEmpty())
        profilewalknote::remove(walkNoteFolder, phoneIdentity());
}

void Setting_Profiles::putBackAfterCutWalk()
{
    if (walkNoteFolder.isEmpty() || phoneIdentity().isEmpty())
        return;
    const std::optional<qint16> active = profilewalknote::read(walkNoteFolder, phoneIdentity());
    if (!active)
        return;
    StatusLog& log = m_services.log;
    const QString number = QString::number(*active);
    if (!m_services.send(CMD_SETACTIVEPROFILE, {variants::int16(*active)}) ||
        m_services.link.ResponseStatus != 0) {
        log.WriteLog(QStringLiteral("Can not set back the profile a cut walk left -> ") + number);
        return;
    }
    profilewalknote::remove(walkNoteFolder, phoneIdentity());
    const QString line =
        QStringLiteral("An earlier backup was cut short in its profile walk -> profile ") +
        number + QStringLiteral(" is active again");
    log.WriteLog(line);
    log.UpdateStat(line);
}

void Setting_Profiles::readSettings(Command command, std::initializer_list<FieldAt> fields)
{
    for (const FieldAt& field : fields)
        field.target->clear();
    if (!m_services.read(OutcomeTally::Profiles, command))
        return;
    // All values are converted before any is stored, so the fields of one answer are either
    // all present or all as they were.
    QList<qint16> values;
    for (const FieldAt& field : fields)
        values.append(variants::toInt16(variants::at(m_services.link.ResponseData, field.value)));
    qsizetype i = 0;
    for (const FieldAt& field : fields)
        field.target->set(values.at(i++));
}

void Setting_Profiles::GetDispSettings(qint16& index)
{
    ProfileRecord& r = record(index);
    readSettings(CMD_GETBACKLIGHTMODES, {{&r.BackLightMode, 2}});
}

void Setting_Profiles::GetHandsfreeSettings(qint16& index)
{
    ProfileRecord& r = record(index);
    readSettings(CMD_GETANSWERMODE, {{&r.Handsfree, 0}});
}

void Setting_Profiles::GetMMISettings(qint16& index)
{
    ProfileRecord& r = record(index);
    readSettings(CMD_GETFONTSIZE, {{&r.FontSize, 0}});
    readSettings(CMD_GETHELPTEXTMODE, {{&r.HelpTextMode, 0}});
    readSettings(CMD_GETLANGUAGE, {{&r.Language, 0}});
    readSettings(CMD_GETSCREENSAVERMODE, {{&r.ScreenSaverMode, 0}});
}

void Setting_Profiles::GetSoundSettings(qint16& index)
{
    ProfileRecord& r = record(index);
    readSettings(CMD_GETKEYSOUND, {{&r.KeySound, 0}});
    readSettings(CMD_GETMESSAGEALERTSOUND, {{&r.MessageAlert, 0}});
    readSettings(CMD_GETMINUTEMINDER, {{&r.MinuteReminder, 0}});
    readSettings(CMD_GETRINGVOLUMES,
                 {{&r.RingLevel_Line1, 1},
                  {&r.RingLevel_Line2, 4},
                  {&r.RingLevel_Fax, 7},
                  {&r.RingLevel_Data, 10}});
    readSettings(CMD_GETRINGMELODIES,
                 {{&r.RingMelody_Line1, 1},
                  {&r.RingMelody_Line2, 3},
                  {&r.RingMelody_Fax, 5},
                  {&r.RingMelody_Data, 7},
                  {&r.RingMelody_Alarm, 9}});
    readSettings(CMD_GETSILENTMODE, {{&r.SilenceMode, 0}});
    readSettings(CMD_GETVIBRATORMODE, {{&r.VibratorMode, 0}});
}
