#pragma once

#include "core/programerror.h"

// What a call on a phone's components raises when the phone is not connected, the same from
// every phone.
inline ProgramError phoneNotConnected(const char* operation)
{
    return ProgramError(ProgramError::ComponentFailure, QStringLiteral("PhoneMonitor"),
                        QStringLiteral("The phone is not connected (%1 failed)")
                            .arg(QLatin1String(operation)));
}
