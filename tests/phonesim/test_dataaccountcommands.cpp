#include "simphonetesting.h"

#include "phonesim/phonecategories.h"
#include "phonesim/simstatus.h"

#include <QJsonArray>
#include <gtest/gtest.h>

using namespace phonesim;

namespace {

using AccountFixture = CommandFixture;

QVariantList csd(qint32 index, const QString& name)
{
    return {int32(index),
            name,
            QStringLiteral("user"),
            QStringLiteral("pw"),
            int16(0),
            QStringLiteral("+461234"),
            int32(1),
            int32(9600)};
}

QVariantList gprs(qint32 index, const QString& name)
{
    return {int32(index), name, QString(), QString(), int16(1), int32(0), int32(1)};
}

} // namespace

TEST(DataAccountCommands, DemoListHasNineValuesPerAccountAndContextsInAccountOrder)
{
    AccountFixture f;
    const QVariantList list = f.values(664);
    ASSERT_EQ(list.size(), 1 + 9 * 4);
    EXPECT_EQ(list[0].toInt(), 4);
    // Account 1 is CSD with its password, account 2 GPRS, account 4 GPRS without user name.
    EXPECT_EQ(list[1].toInt(), 1);
    EXPECT_EQ(list[4].toString(), QStringLiteral("k7!pass"));
    EXPECT_EQ(list[5].toInt(), 0);
    EXPECT_EQ(list[8].toInt(), 9600);
    EXPECT_EQ(list[10].toInt(), 2);
    EXPECT_NE(list[14].toInt(), 0);
    EXPECT_EQ(list[21].typeId(), QMetaType::Short); // empty user name answers the number 0
    EXPECT_EQ(list[21].toInt(), 0);

    const QVariantList contexts = f.values(290);
    ASSERT_EQ(contexts.size(), 1 + 15 * 2);
    EXPECT_EQ(contexts[0].toInt(), 2);
    EXPECT_EQ(contexts[2].toString(), QStringLiteral("IP"));
    EXPECT_EQ(contexts[3].toString(), QStringLiteral("internet.operator.example"));
    EXPECT_EQ(contexts[15 + 3].toString(), QStringLiteral("mms.operator.example"));
    EXPECT_EQ(contexts[15 + 4].toString(), QStringLiteral("10.0.0.17"));
}

TEST(DataAccountCommands, DefineStoresAtTheIndexGivenOrTheNextFreeOne)
{
    AccountFixture f(blankPhone(QStringLiteral("BVT610")));
    EXPECT_EQ(f.values(664), (QVariantList{int16(0)}));

    RecordedAnswer answer = f.call(662, csd(1, QStringLiteral("A")));
    ASSERT_EQ(answer.status, status::Ok);
    EXPECT_EQ(answer.data.toList(), (QVariantList{int16(1)}));
    // Index 1 is taken now, so 1 goes to 2; a GPRS account also gets its context number.
    answer = f.call(662, gprs(1, QStringLiteral("B")));
    EXPECT_EQ(answer.data.toList(), (QVariantList{int16(2), int16(1)}));
    answer = f.call(662, gprs(7, QStringLiteral("C")));
    EXPECT_EQ(answer.data.toList(), (QVariantList{int16(7), int16(2)}));

    EXPECT_EQ(f.call(291, {int16(2), QStringLiteral("IP"), QStringLiteral("apn.c"),
                           QStringLiteral("1.2.3.4"), int16(1), int16(0)})
                  .status,
              status::Ok);
    const QVariantList contexts = f.values(290);
    ASSERT_EQ(contexts.size(), 31);
    EXPECT_EQ(contexts[1].toInt(), 1); // account 2's context comes first
    EXPECT_EQ(contexts[16].toInt(), 2);
    EXPECT_EQ(contexts[18].toString(), QStringLiteral("apn.c"));
    EXPECT_EQ(contexts[20].toInt(), 1);

    const QVariantList list = f.values(664);
    ASSERT_EQ(list.size(), 1 + 27);
    EXPECT_EQ(list[2].toString(), QStringLiteral("A"));
    EXPECT_EQ(list[3].toString(), QStringLiteral("user"));
    EXPECT_EQ(list[4].toString(), QStringLiteral("pw"));
    EXPECT_EQ(list[19].toInt(), 7);
}

TEST(DataAccountCommands, BadDefinitionsAndContextsAreRefusedAndChangeNothing)
{
    AccountFixture f(blankPhone(QStringLiteral("BVT610")));
    QVariantList wrongCount = csd(1, QStringLiteral("A"));
    wrongCount.removeLast();
    QVariantList textIndex = csd(1, QStringLiteral("A"));
    textIndex[0] = QStringLiteral("1");
    QVariantList badBearer = gprs(1, QStringLiteral("B"));
    badBearer[4] = int16(2);
    for (const QVariantList& params : {wrongCount, textIndex, badBearer, QVariantList{}})
        EXPECT_EQ(f.call(662, params).status, status::InvalidParameter);
    // No GPRS account yet, so there is no context 1 to fill.
    EXPECT_EQ(
        f.call(291, {int16(1), QStringLiteral("IP"), QString(), QString(), int16(0), int16(0)})
            .status,
        status::InvalidParameter);
    EXPECT_EQ(f.values(664), (QVariantList{int16(0)}));

    for (int i = 0; i < DataAccountCapacity; ++i)
        f.call(662, csd(0, QStringLiteral("X")));
    EXPECT_EQ(f.call(662, csd(0, QStringLiteral("Y"))).status, status::MemoryFull);
    EXPECT_EQ(f.values(664).value(0).toInt(), DataAccountCapacity);
}
