#pragma once

#include "categories/present.h"

#include <QList>
#include <QString>

struct CategoryServices;
class Setting_DA;

// One WAP profile; record i of WAPProfiles is profile i + 1.
struct WAPProfileRecord
{
    QString Name;
    // The profile that was active when the backup started.
    bool Active = false;
    // The data account the profile uses, as numbered in the backed-up phone.
    Present<qint32> Preferred_Bearer;
    Present<QString> Proxy_Uid;
    Present<QString> Gateway;
    Present<qint32> Connection_Timeout;
    Present<QString> HomePage_URL;
    // Named by a Number line of the file being restored; only such profiles are restored.
    bool fromFile = false;
};

// The "WAP" category: the WAP profiles, backed up as the Settings_WAP section. On restore the
// preferred bearer follows its data account to the number the phone gave it in the same run.
class Setting_WAP
{
public:
    Setting_WAP(CategoryServices& services, const Setting_DA& dataAccounts);

    // Reads every profile, making each active in turn, and re-activates the one that was
    // active. A list answer with a count below 1, a profile number out of range or a missing
    // answer value throws ProgramError (after the active profile was set back).
    void GetWAPSettings();
    // Writes nothing for an empty list, so a phone without a profile list gives no section.
    bool bSaveWAPSettings();
    // Reads the section that opens at lineIndex, restores it and returns the last line read.
    int DecodeWAPSettings(int lineIndex);
    // Renames every profile, sends each profile's settings, then activates the marked one.
    void SetWAPSettings();

    // The number the phone gave the restored data account that had number account in the
    // backed-up phone; 0 when the data accounts of this restore hold none.
    qint32 restoredAccount(qint32 account) const;

    QList<WAPProfileRecord> WAPProfiles;

private:
    void readProfileList();
    void readProfile(WAPProfileRecord& record);
    void storeElement(int current, const QString& key, const QString& value);

    CategoryServices& m_services;
    const Setting_DA& m_dataAccounts;
    // True while the section being restored follows a data account section of the same file.
    bool m_accountsRestored = false;
};
