#pragma once

#include "categories/present.h"
#include "phone/phonecommands.h"

#include <QList>
#include <QString>

#include <initializer_list>

struct CategoryServices;

// One user profile of the phone with its display, call-handling, language and sound settings.
struct ProfileRecord
{
    // Absent when the phone did not give it: the file then has no Name line and a restore
    // leaves the profile's name alone.
    Present<QString> Name;
    bool Active = false;
    Present<qint16> BackLightMode;
    Present<qint16> Handsfree;
    Present<qint16> FontSize;
    Present<qint16> HelpTextMode;
    Present<qint16> Language;
    Present<qint16> ScreenSaverMode;
    Present<qint16> RingLevel_Line1;
    Present<qint16> RingLevel_Line2;
    Present<qint16> RingLevel_Fax;
    Present<qint16> RingLevel_Data;
    Present<qint16> RingMelody_Line1;
    Present<qint16> RingMelody_Line2;
    Present<qint16> RingMelody_Fax;
    Present<qint16> RingMelody_Data;
    Present<qint16> RingMelody_Alarm;
    Present<qint16> SilenceMode;
    Present<qint16> KeySound;
    Present<qint16> MessageAlert;
    Present<qint16> MinuteReminder;
    Present<qint16> VibratorMode;
};

// The "Profiles" category: every user profile of the phone, backed up as the
// Settings_Profiles section. The phone's settings commands act on the active profile, so both
// directions make each profile active in turn and end by activating the one that was active.
class Setting_Profiles
{
public:
    explicit Setting_Profiles(CategoryServices& services);

    // Asked once per run; nothing reads the answer yet.
    void GetAlternateLineSupport();

    // Reads every profile; false when the count was not obtained or an error ended the walk.
    bool GetProfileSettings();
    void GetDispSettings(qint16& index);
    void GetHandsfreeSettings(qint16& index);
    void GetMMISettings(qint16& index);
    void GetSoundSettings(qint16& index);

    bool bSaveProfileSettings();
    // Reads the section that opens at lineIndex, restores it and returns the last line read.
    int DecodeProfileSettings(int lineIndex);
    void SetProfileSettings();

    // A backup cut short during its profile walk (the process killed) left another profile
    // active: puts back the one its note names for this phone.
    void putBackAfterCutWalk();

    QList<ProfileRecord> Profiles;
    bool bAlternateLine = false;
    // Where the note of a running profile walk is kept; none is left when it is empty.
    QString walkNoteFolder;

private:
    // A setting field and the answer value it is read from.
    struct FieldAt
    {
        Present<qint16>* target;
        qsizetype value;
    };

    void walkProfiles(qint16 count);
    void setBackActiveProfile(qint16 active);
    void leaveWalkNote(qint16 active);
    QString phoneIdentity() const;
    void readSettings(Command command, std::initializer_list<FieldAt> fields);
    void restoreSettings(const ProfileRecord& record);
    ProfileRecord& record(qint16 index);

    CategoryServices& m_services;
    // Which records describe a profile: all of a backup walk, and those a Number line of the
    // section opened. Only those are restored, so a gap in the numbering never renames a
    // profile to an empty name.
    QList<bool> m_fromFile;
};
