#pragma once

#include "categories/present.h"

struct CategoryServices;

// The "Time" category: date format, daylight saving, automatic time zone update and time
// format, backed up as the Settings_Time section.
class Setting_Time
{
public:
    explicit Setting_Time(CategoryServices& services);

    // Reads the four values. Each backup starts from absent values, so a value the phone does
    // not give is never taken from an earlier run.
    void GetTimeSettings();
    bool bSaveTimeSettings();
    // Reads the section that opens at lineIndex, restores it and returns the last line read.
    int DecodeTimeSettings(int lineIndex);
    void SetTimeSettings();

    Present<qint16> DateFormat;
    Present<qint16> DaylightSaving;
    Present<qint16> Nitz;
    Present<qint16> TimeFormat;

private:
    void clear();

    CategoryServices& m_services;
};
