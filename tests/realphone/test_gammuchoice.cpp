#include "realphone/gammuchoice.h"

#include <gtest/gtest.h>

namespace {

TEST(GammuChoice, FormsOfThePhoneText)
{
    const struct
    {
        const char* text;
        bool gammu;
        const char* path;
        int section;
    } rows[] = {
        {"gammu", true, "", 0},
        {"gammu:2", true, "", 2},
        {"gammu:/home/u/rc", true, "/home/u/rc", 0},
        {"gammu:/home/u/rc:3", true, "/home/u/rc", 3},
        {"gammu:rc:x", true, "rc:x", 0},
        {"gammu::3", false, "", 0},
        {"gammu:", false, "", 0},
        {"/home/u/phone.json", false, "", 0},
        {"gammurc", false, "", 0},
    };
    for (const auto& row : rows) {
        gammu::PhoneChoice choice;
        EXPECT_EQ(gammu::parsePhoneChoice(QString::fromUtf8(row.text), choice), row.gammu)
            << row.text;
        if (row.gammu) {
            EXPECT_EQ(choice.path, QString::fromUtf8(row.path)) << row.text;
            EXPECT_EQ(choice.section, row.section) << row.text;
        }
    }
}

} // namespace
