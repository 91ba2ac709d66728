#pragma once

#include "categories/present.h"

struct CategoryServices;

// The "Locks" category: the key lock mode, backed up as the Settings_Locks section.
class Setting_Locks
{
public:
    explicit Setting_Locks(CategoryServices& services);

    // Reads the mode. Each backup starts from an absent mode, so a mode the phone does not
    // give is neither taken from an earlier run nor stored as 0.
    void GetLocksSettings();
    // Writes the section; its Keylock_Mode line only when the mode is present.
    bool bSaveLocksSettings();
    // Reads the section that opens at lineIndex, restores it and returns the last line read.
    int DecodeLocksSettings(int lineIndex);
    // Sends the mode when it is present; shows no status line.
    void SetLocksSettings();

    Present<qint16> iKeylockMode;

private:
    CategoryServices& m_services;
};
