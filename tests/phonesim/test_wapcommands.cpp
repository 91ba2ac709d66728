#include "simphonetesting.h"

#include "phonesim/phonecategories.h"
#include "phonesim/simstatus.h"

#include <gtest/gtest.h>

using namespace phonesim;

using WapFixture = CommandFixture;

TEST(WapCommands, DemoAndBlankPhoneListTheSameSlotsInTheirLayout)
{
    WapFixture demo;
    const QVariantList list = demo.values(186);
    ASSERT_EQ(list.size(), 1 + 3 * WapProfileSlots);
    EXPECT_EQ(list[0].toInt(), WapProfileSlots);
    EXPECT_EQ(list[1].toInt(), 1);
    EXPECT_EQ(list[2].toString(), QStringLiteral("Operator WAP"));
    EXPECT_EQ(list[4].toInt(), 2);
    EXPECT_EQ(list[3 * 4 + 2].toString(), QString()); // slot 5 is unused
    EXPECT_EQ(demo.values(183), (QVariantList{int16(2)}));

    WapFixture blank(blankPhone(QStringLiteral("BVT610")));
    EXPECT_EQ(blank.values(186).size(), list.size());
    EXPECT_EQ(blank.values(196), (QVariantList{int16(0)}));
    EXPECT_EQ(blank.values(202), (QVariantList{int16(3), int16(0)}));
}

TEST(WapCommands, SettingsActOnTheActiveProfile)
{
    WapFixture f;
    // Profile 2 is active: the office gateway and bearer, no login.
    EXPECT_EQ(f.values(205).value(2).toString(), QStringLiteral("192.168.40.1"));
    EXPECT_EQ(f.values(202).value(1).toInt(), 1);
    EXPECT_EQ(f.values(196), (QVariantList{int16(0)}));

    ASSERT_EQ(f.call(184, {int16(1)}).status, status::Ok);
    EXPECT_EQ(f.values(196), (QVariantList{QStringLiteral("wapuser")}));
    EXPECT_EQ(f.values(193), (QVariantList{int16(60)}));

    ASSERT_EQ(f.call(184, {int16(5)}).status, status::Ok);
    const QList<std::pair<qint32, QVariantList>> writes{
        {181, {QStringLiteral("http://x.example/")}},
        {192, {QVariant::fromValue<qint32>(30)}},
        {195, {QStringLiteral("me"), QString()}},
        {201, {int16(3), QVariant::fromValue<qint32>(4)}},
        {204, {int16(1), QStringLiteral("1.1.1.1")}},
        {188, {int16(5), QStringLiteral("New")}}};
    for (const auto& [code, params] : writes)
        EXPECT_EQ(f.call(code, params).status, status::Ok) << code;
    EXPECT_EQ(f.values(180), (QVariantList{QStringLiteral("http://x.example/")}));
    EXPECT_EQ(f.values(193), (QVariantList{int16(30)}));
    EXPECT_EQ(f.values(196), (QVariantList{QStringLiteral("me")}));
    EXPECT_EQ(f.values(202), (QVariantList{int16(3), int16(4)}));
    EXPECT_EQ(f.values(205).value(2).toString(), QStringLiteral("1.1.1.1"));
    EXPECT_EQ(f.values(186).value(3 * 4 + 2).toString(), QStringLiteral("New"));

    // Profile 1 kept its own values.
    f.call(184, {int16(1)});
    EXPECT_EQ(f.values(180), (QVariantList{QStringLiteral("http://wap.operator.example/")}));
}

TEST(WapCommands, BadParametersAreRefusedAndChangeNothing)
{
    WapFixture f;
    const QList<std::pair<qint32, QVariantList>> bad{{184, {int16(0)}},
                                                     {184, {int16(WapProfileSlots + 1)}},
                                                     {188, {int16(6), QStringLiteral("x")}},
                                                     {188, {int16(1)}},
                                                     {201, {int16(2), int16(1)}},
                                                     {201, {int16(3), int16(-1)}},
                                                     {204, {int16(2), QStringLiteral("1.2.3.4")}},
                                                     {195, {QStringLiteral("only login")}},
                                                     {181, {int16(0)}},
                                                     {192, {QStringLiteral("60")}},
                                                     {180, {int16(0)}}};
    for (const auto& [code, params] : bad)
        EXPECT_EQ(f.call(code, params).status, status::InvalidParameter) << code;
    EXPECT_EQ(f.values(183), (QVariantList{int16(2)}));
    EXPECT_EQ(f.values(202).value(1).toInt(), 1);
}
