#include "core/programerror.h"
#include "phone/variants.h"

#include <gtest/gtest.h>

using namespace variants;

TEST(Variants, IntegersRoundHalvesToEven)
{
    EXPECT_EQ(toInt16(QVariant(2.5)), 2);
    EXPECT_EQ(toInt16(QVariant(3.5)), 4);
    EXPECT_EQ(toInt16(QVariant(-2.5)), -2);
    EXPECT_EQ(toInt32(QVariant(QStringLiteral(" 7 "))), 7);
    EXPECT_EQ(toInt32(int16(-12)), -12);
}

TEST(Variants, OutOfRangeIsAnOverflowError)
{
    try {
        toInt16(QVariant(32768));
        FAIL() << "no overflow";
    } catch (const ProgramError& error) {
        EXPECT_EQ(error.number(), ProgramError::Overflow);
    }
    EXPECT_EQ(toInt16(QVariant(-32768)), -32768);
    EXPECT_THROW(toInt32(QVariant(3e9)), ProgramError);
}

TEST(Variants, TextThatIsNoNumberIsATypeMismatch)
{
    try {
        toInt32(QVariant(QStringLiteral("abc")));
        FAIL() << "no error";
    } catch (const ProgramError& error) {
        EXPECT_EQ(error.number(), ProgramError::TypeMismatch);
    }
    EXPECT_THROW(toInt16(QVariant()), ProgramError);
}

TEST(Variants, NumberZeroCountsAsEmptyText)
{
    EXPECT_EQ(toText(int16(0)), QString());
    EXPECT_EQ(toText(int32(42)), QStringLiteral("42"));
    EXPECT_EQ(toText(text(QStringLiteral("wap.example"))), QStringLiteral("wap.example"));
}

TEST(Variants, MissingElementIsSubscriptOutOfRange)
{
    const QVariantList list{int16(1)};
    EXPECT_EQ(toInt16(at(list, 0)), 1);
    try {
        at(list, 1);
        FAIL() << "no error";
    } catch (const ProgramError& error) {
        EXPECT_EQ(error.number(), ProgramError::SubscriptOutOfRange);
    }
}

TEST(Variants, ParametersCarryTheirWidth)
{
    EXPECT_EQ(int16(5).typeId(), QMetaType::Short);
    EXPECT_EQ(int32(5).typeId(), QMetaType::Int);
}
