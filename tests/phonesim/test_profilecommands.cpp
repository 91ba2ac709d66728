#include "simphonetesting.h"

#include "phonesim/phonecategories.h"
#include "phonesim/simstatus.h"

#include <QJsonArray>
#include <gtest/gtest.h>

using namespace phonesim;

namespace {

struct ProfileFixture : CommandFixture
{
    using CommandFixture::CommandFixture;

    QJsonObject profile(int number) const
    {
        return image->settings(QStringLiteral("profiles"))
            .value(QStringLiteral("list"))
            .toArray()
            .at(number - 1)
            .toObject();
    }
};

QList<int> at(const QVariantList& data, std::initializer_list<int> indices)
{
    QList<int> picked;
    for (int i : indices)
        picked << data.value(i).toInt();
    return picked;
}

} // namespace

TEST(ProfileCommands, AnswersHaveTheLayoutsTheProgramReads)
{
    ProfileFixture f;
    EXPECT_EQ(f.values(157), (QVariantList{int16(1)}));
    EXPECT_EQ(f.values(126), (QVariantList{int16(5)}));
    const QVariantList active = f.values(127);
    ASSERT_EQ(active.size(), 2);
    EXPECT_EQ(active[0].typeId(), QMetaType::Short);
    EXPECT_EQ(active[0].toInt(), 2);
    EXPECT_EQ(active[1].typeId(), QMetaType::QString);
    EXPECT_EQ(active[1].toString(), QStringLiteral("Meeting"));

    ASSERT_EQ(f.call(128, {int16(1)}).status, status::Ok);
    const QVariantList backlight = f.values(66);
    ASSERT_EQ(backlight.size(), 3);
    EXPECT_EQ(backlight[2].toInt(), 1);
    const QVariantList volumes = f.values(23);
    ASSERT_EQ(volumes.size(), 12);
    EXPECT_EQ(at(volumes, {1, 4, 7, 10}), (QList<int>{4, 2, 1, 0}));
    EXPECT_EQ(at(volumes, {0, 3, 6, 9}), (QList<int>{1, 2, 3, 4}));
    const QVariantList melodies = f.values(26);
    ASSERT_EQ(melodies.size(), 10);
    EXPECT_EQ(at(melodies, {1, 3, 5, 7, 9}), (QList<int>{12, 7, 3, 3, 21}));
    for (const QVariant& value : volumes + melodies + backlight)
        EXPECT_EQ(value.typeId(), QMetaType::Short);
}

TEST(ProfileCommands, SettingsActOnTheActiveProfileOnly)
{
    ProfileFixture f;
    ASSERT_EQ(f.call(128, {int16(3)}).status, status::Ok);
    // The profile number that comes along with the query is ignored.
    EXPECT_EQ(f.values(127, {int16(3)}), (QVariantList{int16(3), QStringLiteral("My car")}));
    EXPECT_EQ(f.call(269, {int16(0)}).status, status::Ok);
    EXPECT_EQ(f.call(129, {QStringLiteral("Bike")}).status, status::Ok);
    EXPECT_EQ(f.call(24, {int16(1), int16(4), int16(0)}).status, status::Ok);
    EXPECT_EQ(f.call(27, {int16(39), int16(5)}).status, status::Ok);
    EXPECT_EQ(f.call(67, {int16(0), int16(2)}).status, status::Ok);
    EXPECT_EQ(f.call(58, {int16(7), int16(3)}).status, status::Ok);

    EXPECT_EQ(f.profile(3).value(QStringLiteral("name")).toString(), QStringLiteral("Bike"));
    EXPECT_EQ(f.profile(3).value(QStringLiteral("fontSize")).toInt(), 0);
    EXPECT_EQ(f.profile(3).value(QStringLiteral("ringVolumes")).toArray(),
              (QJsonArray{5, 5, 2, 1}));
    EXPECT_EQ(f.profile(3).value(QStringLiteral("ringMelodies")).toArray(),
              (QJsonArray{30, 7, 3, 3, 39}));
    EXPECT_EQ(f.profile(3).value(QStringLiteral("backlightMode")).toInt(), 2);
    EXPECT_EQ(f.profile(3).value(QStringLiteral("messageAlert")).toInt(), 7);

    ASSERT_EQ(f.call(128, {int16(1)}).status, status::Ok);
    EXPECT_EQ(f.values(270), (QVariantList{int16(2)}));
    EXPECT_EQ(f.profile(1).value(QStringLiteral("name")).toString(), QStringLiteral("Normal"));
    ASSERT_EQ(f.call(128, {int16(3)}).status, status::Ok);
    EXPECT_EQ(f.values(270), (QVariantList{int16(0)}));
}

TEST(ProfileCommands, BadParametersAreRefusedAndChangeNothing)
{
    ProfileFixture f;
    const QJsonObject before = f.image->settings(QStringLiteral("profiles"));
    const QList<std::pair<qint32, QVariantList>> bad{
        {128, {int16(0)}},
        {128, {int16(6)}},
        {128, {QStringLiteral("2")}},
        {129, {QString(21, QLatin1Char('x'))}},
        {129, {int16(1)}},
        {67, {int16(1), int16(1)}},
        {67, {int16(3)}},
        {58, {int16(2), int16(2)}},
        {24, {int16(3), int16(5), int16(0)}},
        {24, {int16(3), int16(1), int16(1)}},
        {24, {int16(6), int16(1), int16(0)}},
        {27, {int16(3), int16(6)}},
        {27, {int16(40), int16(1)}},
        {269, {int16(3)}},
        {49, {}},
        {48, {int16(0)}},
    };
    for (const auto& [code, params] : bad)
        EXPECT_EQ(f.call(code, params).status, status::InvalidParameter) << code;
    EXPECT_EQ(f.image->settings(QStringLiteral("profiles")), before);
}

TEST(ProfileCommands, OlderModelLacksTheAlternateLineAndSomeProfileSettings)
{
    QJsonObject json = blankPhone(QStringLiteral("BVT300"));
    SimPhoneFixture f(json);
    for (qint32 code : {157, 260, 261, 263, 264, 269, 270})
        EXPECT_EQ(f.phone().IsCommandSupported(code), 0) << code;
    for (qint32 code : {126, 127, 128, 129, 23, 24, 26, 27, 66, 67})
        EXPECT_EQ(f.phone().IsCommandSupported(code), 1) << code;
}

TEST(ProfileCommands, BrokenStoredValuesReadAsFactoryValuesAndAreMendedOnWrite)
{
    QJsonObject json = demoPhone();
    QJsonObject settings = json.value(QStringLiteral("settings")).toObject();
    settings.insert(
        QStringLiteral("profiles"),
        QJsonObject{{QStringLiteral("active"), 9},
                    {QStringLiteral("list"),
                     QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("Only")},
                                            {QStringLiteral("fontSize"), QStringLiteral("big")},
                                            {QStringLiteral("ringVolumes"), QJsonArray{9}}}}}});
    json.insert(QStringLiteral("settings"), settings);
    ProfileFixture f(json);
    EXPECT_EQ(f.values(127), (QVariantList{int16(1), QStringLiteral("Only")}));
    EXPECT_EQ(f.values(270), (QVariantList{int16(1)}));
    EXPECT_EQ(at(f.values(23), {1, 4, 7, 10}), (QList<int>{3, 3, 3, 3}));
    ASSERT_EQ(f.call(24, {int16(0), int16(2), int16(0)}).status, status::Ok);
    EXPECT_EQ(f.profile(1).value(QStringLiteral("ringVolumes")).toArray(),
              (QJsonArray{3, 0, 3, 3}));
}
