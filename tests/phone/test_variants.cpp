#include "core/programerror.h"
#include "phone/variants.h"

#include <gtest/gtest.h>

using namespace variants;

namespace {

// The number of the error a conversion raises, or 0 and the value it gives.
template <typename Convert> std::pair<qint32, qint64> outcome(Convert convert)
{
    try {
        return {0, convert()};
    } catch (const ProgramError& error) {
        return {error.number(), 0};
    }
}

} // namespace

TEST(Variants, ConversionsRoundHalvesToEvenAndRaiseTheErrorsOfTheirKind)
{
    const auto toShort = [](const QVariant& v) { return outcome([v] { return toInt16(v); }); };
    const auto toLong = [](const QVariant& v) { return outcome([v] { return toInt32(v); }); };
    const QList<std::pair<std::pair<qint32, qint64>, std::pair<qint32, qint64>>> cases{
        {toShort(QVariant(2.5)), {0, 2}},
        {toShort(QVariant(3.5)), {0, 4}},
        {toShort(QVariant(-2.5)), {0, -2}},
        {toShort(QVariant(true)), {0, -1}}, // True is -1, as a Boolean converts to a number
        {toLong(QVariant(QStringLiteral(" 7 "))), {0, 7}},
        {toLong(int16(-12)), {0, -12}},
        {toShort(QVariant(-32768)), {0, -32768}},
        {toShort(QVariant(32768)), {ProgramError::Overflow, 0}},
        {toLong(QVariant(3e9)), {ProgramError::Overflow, 0}},
        {toLong(QVariant(QStringLiteral("abc"))), {ProgramError::TypeMismatch, 0}},
        {toShort(QVariant()), {ProgramError::TypeMismatch, 0}},
        // Every integer type is a number, the unsigned long too.
        {toShort(QVariant::fromValue(12UL)), {0, 12}},
        {toLong(QVariant::fromValue(qulonglong(7))), {0, 7}},
        {toShort(at({int16(1)}, 0)), {0, 1}},
        {outcome([] { return at({int16(1)}, 1).toLongLong(); }),
         {ProgramError::SubscriptOutOfRange, 0}}};
    for (qsizetype i = 0; i < cases.size(); ++i)
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;

    // The number 0 counts as empty text.
    EXPECT_EQ(toText(int16(0)), QString());
    EXPECT_EQ(toText(int32(42)), QStringLiteral("42"));
    EXPECT_EQ(toText(text(QStringLiteral("wap.example"))), QStringLiteral("wap.example"));
}
