#include "simphonetesting.h"

#include "phonesim/phonecategories.h"
#include "phonesim/simstatus.h"

#include <gtest/gtest.h>

using namespace phonesim;

TEST(KeylockCommands, ModeIsReadWrittenAndCheckedAgainstItsRange)
{
    SimPhoneFixture f;
    AnswerRecorder recorder(&f.settings());
    const auto call = [&](qint32 code, QVariantList params = {}) {
        f.send(code, params);
        f.clock.runAll();
        return recorder.answers.constLast();
    };
    EXPECT_EQ(call(51).data.toList(), QVariantList{QVariant::fromValue<qint16>(2)});
    EXPECT_EQ(call(52, {QVariant::fromValue<qint16>(1)}).status, status::Ok);
    EXPECT_EQ(call(51).data.toList().value(0).toInt(), 1);
    EXPECT_EQ(call(52, {QVariant::fromValue<qint16>(3)}).status, status::InvalidParameter);
    EXPECT_EQ(f.image->settings(QStringLiteral("keylock")).value(QStringLiteral("mode")).toInt(),
              1);

    SimPhoneFixture blank(blankPhone(QStringLiteral("BVT300")));
    EXPECT_EQ(blank.image->settings(QStringLiteral("keylock")), blankKeylockSettings());
    EXPECT_EQ(blank.phone().IsCommandSupported(51), 1);
}
