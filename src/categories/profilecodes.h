#pragma once

#include <QtGlobal>

// Settings commands that both directions of the profiles category send.
namespace profilecodes {

constexpr qint32 CMD_GETALTERNATELINESUPPORT = 157;
constexpr qint32 CMD_GETPROFILES = 126;
constexpr qint32 CMD_GETACTIVEPROFILE = 127;
constexpr qint32 CMD_SETACTIVEPROFILE = 128;
constexpr qint32 CMD_SETACTIVEPROFILENAME = 129;

} // namespace profilecodes
