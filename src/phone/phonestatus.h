#pragma once

#include <QtGlobal>

// Non-zero statuses of settings commands and SMS writes that the phones of this program answer
// with (the simulated phone and the libgammu one). They share the 0x8888xxxx range of the
// phone monitor components' own codes and stay clear of the SMS object's 0x8888002C/2D.
namespace phonestatus {

constexpr qint32 Ok = 0;
// The phone has no such command (or the model lacks it).
constexpr qint32 NotSupported = static_cast<qint32>(0x88880001u);
// Wrong number or type of parameters, or a value the phone does not accept.
constexpr qint32 InvalidParameter = static_cast<qint32>(0x88880002u);
// The phone could not keep the change; nothing was changed.
constexpr qint32 StorageFailure = static_cast<qint32>(0x88880003u);
// The phone went away before it answered the command.
constexpr qint32 Disconnected = static_cast<qint32>(0x88880004u);
// The phone lock code given with the command is not the phone's.
constexpr qint32 WrongLockCode = static_cast<qint32>(0x88880005u);
// The phone's memory for this kind of entry is full; nothing was added.
constexpr qint32 MemoryFull = static_cast<qint32>(0x88880006u);

} // namespace phonestatus
