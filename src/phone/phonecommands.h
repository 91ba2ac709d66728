#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <span>

// Every settings command, as the log names it and by the code the phone takes. Enum and names
// are both made from this one list, so a name can never go with another command's code.
#define CELLARCHIVE_SETTINGS_COMMANDS(X)                                                           \
    /* time */                                                                                     \
    X(CMD_GETTIMEFORMAT, 36)                                                                       \
    X(CMD_SETTIMEFORMAT, 37)                                                                       \
    X(CMD_SETDAYLIGHTSAVINGTIME, 343)                                                              \
    X(CMD_GETDAYLIGHTSAVINGTIME, 344)                                                              \
    X(CMD_SETTIMEZONEUPDATE, 346)                                                                  \
    X(CMD_GETTIMEZONEUPDATE, 347)                                                                  \
    /* key lock */                                                                                 \
    X(CMD_GETKEYLOCKMODE, 51)                                                                      \
    X(CMD_SETKEYLOCKMODE, 52)                                                                      \
    /* profiles */                                                                                 \
    X(CMD_GETLANGUAGE, 19)                                                                         \
    X(CMD_SETLANGUAGE, 20)                                                                         \
    X(CMD_GETRINGVOLUMES, 23)                                                                      \
    X(CMD_SETRINGVOLUME, 24)                                                                       \
    X(CMD_GETRINGMELODIES, 26)                                                                     \
    X(CMD_SETRINGMELODY, 27)                                                                       \
    X(CMD_GETSILENTMODE, 48)                                                                       \
    X(CMD_SETSILENTMODE, 49)                                                                       \
    X(CMD_GETKEYSOUND, 54)                                                                         \
    X(CMD_SETKEYSOUND, 55)                                                                         \
    X(CMD_GETMESSAGEALERTSOUND, 57)                                                                \
    X(CMD_SETMESSAGEALERTSOUND, 58)                                                                \
    X(CMD_GETMINUTEMINDER, 60)                                                                     \
    X(CMD_SETMINUTEMINDER, 61)                                                                     \
    X(CMD_GETBACKLIGHTMODES, 66)                                                                   \
    X(CMD_SETBACKLIGHTMODE, 67)                                                                    \
    X(CMD_GETANSWERMODE, 69)                                                                       \
    X(CMD_SETANSWERMODE, 70)                                                                       \
    X(CMD_GETVIBRATORMODE, 108)                                                                    \
    X(CMD_SETVIBRATORMODE, 109)                                                                    \
    X(CMD_GETPROFILES, 126)                                                                        \
    X(CMD_GETACTIVEPROFILE, 127)                                                                   \
    X(CMD_SETACTIVEPROFILE, 128)                                                                   \
    X(CMD_SETACTIVEPROFILENAME, 129)                                                               \
    X(CMD_GETALTERNATELINESUPPORT, 157)                                                            \
    X(CMD_SETHELPTEXTMODE, 260)                                                                    \
    X(CMD_GETHELPTEXTMODE, 261)                                                                    \
    X(CMD_SETSCREENSAVERMODE, 263)                                                                 \
    X(CMD_GETSCREENSAVERMODE, 264)                                                                 \
    X(CMD_SETFONTSIZE, 269)                                                                        \
    X(CMD_GETFONTSIZE, 270)                                                                        \
    /* shortcuts */                                                                                \
    X(CMD_GETCUSTOMMENUITEMS, 159)                                                                 \
    X(CMD_ADDCUSTOMMENUITEM, 160)                                                                  \
    X(CMD_REMOVECUSTOMMENUITEM, 161)                                                               \
    /* WAP profiles */                                                                             \
    X(CMD_GETWAPHOMEPAGE, 180)                                                                     \
    X(CMD_SETWAPHOMEPAGE, 181)                                                                     \
    X(CMD_GETACTIVEWAPPROFILE, 183)                                                                \
    X(CMD_SETACTIVEWAPPROFILE, 184)                                                                \
    X(CMD_GETWAPPROFILELIST, 186)                                                                  \
    X(CMD_SETWAPPROFILENAME, 188)                                                                  \
    X(CMD_SETWAPCONNECTIONTIMEOUT, 192)                                                            \
    X(CMD_GETWAPCONNECTIONTIMEOUT, 193)                                                            \
    X(CMD_SETWAPLOGIN, 195)                                                                        \
    X(CMD_GETWAPLOGIN, 196)                                                                        \
    X(CMD_SETPREFERREDWAPBEARER, 201)                                                              \
    X(CMD_GETPREFERREDWAPBEARER, 202)                                                              \
    X(CMD_SETWAPCSDGATEWAY, 204)                                                                   \
    X(CMD_GETWAPCSDGATEWAYS, 205)                                                                  \
    /* bookmarks */                                                                                \
    X(CMD_ADDWAPBOOKMARK, 216)                                                                     \
    X(CMD_GETWAPBOOKMARKS, 218)                                                                    \
    /* data accounts */                                                                            \
    X(CMD_GETDEFINEPDPCONTEXT, 290)                                                                \
    X(CMD_SETDEFINEPDPCONTEXT, 291)                                                                \
    X(CMD_DEFINEDATAACCOUNT, 662)                                                                  \
    X(CMD_GETDEFINEDDATAACCOUNTS, 664)                                                             \
    /* master reset */                                                                             \
    X(CMD_SETFACTORYDEFAULT, 110)

// Where a code crosses to a phone component it travels as the plain qint32.
enum Command : qint32 {
#define CELLARCHIVE_COMMAND_CODE(name, code) name = code,
    CELLARCHIVE_SETTINGS_COMMANDS(CELLARCHIVE_COMMAND_CODE)
#undef CELLARCHIVE_COMMAND_CODE
};

// Every command of the list, in its order.
std::span<const Command> allCommands();
// "CMD_GETTIMEFORMAT"; an empty text for a number outside the list.
QString commandName(Command command);
// The command of that name, if the list has it.
std::optional<Command> commandNamed(QStringView name);
