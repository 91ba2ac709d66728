#include "simphonetesting.h"

#include "phonesim/phonecategories.h"
#include "phonesim/simstatus.h"

#include <gtest/gtest.h>

using namespace phonesim;

TEST(KeylockCommands, ModeIsReadWrittenAndCheckedAgainstItsRange)
{
    CommandFixture f;
    EXPECT_EQ(f.values(51), QVariantList{int16(2)});
    EXPECT_EQ(f.call(52, {int16(1)}).status, status::Ok);
    EXPECT_EQ(f.values(51).value(0).toInt(), 1);
    EXPECT_EQ(f.call(52, {int16(3)}).status, status::InvalidParameter);
    EXPECT_EQ(f.image->settings(QStringLiteral("keylock")).value(QStringLiteral("mode")).toInt(),
              1);

    SimPhoneFixture blank(blankPhone(QStringLiteral("BVT300")));
    EXPECT_EQ(blank.image->settings(QStringLiteral("keylock")), blankKeylockSettings());
    EXPECT_EQ(blank.phone().IsCommandSupported(51), 1);
}
