#include "simphonetesting.h"

#include "phonesim/phonecategories.h"
#include "phonesim/simstatus.h"

#include <QJsonArray>
#include <gtest/gtest.h>

// The phone's own rules for its commands. What every command answers on the demo phone, and that
// a restore's writes come back in the next backup, is pinned by the golden demo backup and the
// whole-program round trip; here are the refusals, the limits and what the image keeps.

using namespace phonesim;

namespace {

QVariant text(const char* value)
{
    return QString::fromLatin1(value);
}

QVariantList csd(qint32 index)
{
    return {int32(index), text("A"), text("user"), text("pw"), int16(0), text("+461234"),
            int32(1),     int32(9600)};
}

QVariantList gprs(qint32 index)
{
    return {int32(index), text("B"), QString(), QString(), int16(1), int32(0), int32(1)};
}

QJsonValue stored(const CommandFixture& f, const char* group, const char* key)
{
    return f.image->settings(QLatin1String(group)).value(QLatin1String(key));
}

QJsonObject profile(const CommandFixture& f, int number)
{
    return stored(f, "profiles", "list").toArray().at(number - 1).toObject();
}

} // namespace

TEST(Commands, BadParametersAreRefusedAndChangeNothing)
{
    CommandFixture f;
    const QJsonObject before = f.image->toJson();
    QVariantList textIndex = csd(1);
    textIndex[0] = text("1");
    QVariantList badBearer = gprs(1);
    badBearer[4] = int16(2);
    const QList<std::pair<qint32, QVariantList>> bad{
        // time and key lock: a read takes nothing, a write one integer in range
        {36, {int16(0)}}, {37, {}}, {37, {int16(2)}}, {37, {int16(-1)}},
        {37, {int16(0), int16(0)}}, {37, {text("0")}}, {37, {QVariant(0.0)}},
        {37, {QVariant(false)}}, {37, {QVariant()}}, {52, {int16(3)}},
        // profiles
        {128, {int16(0)}}, {128, {int16(6)}}, {128, {text("2")}},
        {129, {QString(21, QLatin1Char('x'))}}, {129, {int16(1)}}, {67, {int16(1), int16(1)}},
        {67, {int16(3)}}, {58, {int16(2), int16(2)}}, {24, {int16(3), int16(5), int16(0)}},
        {24, {int16(3), int16(1), int16(1)}}, {24, {int16(6), int16(1), int16(0)}},
        {27, {int16(3), int16(6)}}, {27, {int16(40), int16(1)}}, {269, {int16(3)}}, {49, {}},
        {48, {int16(0)}},
        // WAP profiles
        {184, {int16(0)}}, {184, {int16(WapProfileSlots + 1)}}, {188, {int16(6), text("x")}},
        {188, {int16(1)}}, {201, {int16(2), int16(1)}}, {201, {int16(3), int16(-1)}},
        {204, {int16(2), text("1.2.3.4")}}, {195, {text("only login")}}, {181, {int16(0)}},
        {192, {text("60")}}, {180, {int16(0)}},
        // shortcuts (the menu is 4, 9, 2): positions from 1, known items, each once
        {160, {int16(0), int16(1)}}, {160, {int16(5), int16(1)}}, {160, {int16(1), int16(17)}},
        {160, {int16(1), int16(0)}}, {160, {int16(1), int16(4)}}, {160, {int16(1)}},
        {160, {text("1"), int16(1)}}, {161, {int16(0)}}, {161, {int16(4)}},
        // bookmarks
        {216, {}}, {216, {text("http://a/")}}, {216, {text(""), text("No address")}},
        {216, {int16(1), text("x")}}, {216, {text("http://a/"), text("a"), text("b")}},
        {218, {text("x")}},
        // data accounts
        {662, csd(1).mid(0, 7)}, {662, textIndex}, {662, badBearer}, {662, {}},
        // factory default: the lock code as text, then 1
        {110, {text("7391")}}, {110, {int16(7391), int16(1)}}};
    for (const auto& [code, params] : bad) {
        const RecordedAnswer answer = f.call(code, params);
        EXPECT_EQ(answer.status, status::InvalidParameter) << code;
        EXPECT_TRUE(answer.data.toList().isEmpty()) << code;
    }
    EXPECT_EQ(f.image->toJson(), before);

    // No GPRS account yet, so there is no context 1 to fill.
    CommandFixture blank(blankPhone(QStringLiteral("BVT610")));
    EXPECT_EQ(blank.call(291, {int16(1), text("IP"), QString(), QString(), int16(0), int16(0)}).status,
              status::InvalidParameter);
}

TEST(Commands, ModelsDifferInWhatTheySupport)
{
    SimPhoneFixture demo;
    SimPhoneFixture old(blankPhone(QStringLiteral("BVT300")));
    // The older model has no automatic time zone update, no alternate line and fewer profile
    // settings; unknown codes are supported by no model.
    for (qint32 code : {346, 347, 157, 260, 261, 263, 264, 269, 270, 35, -1})
        EXPECT_EQ(old.phone().IsCommandSupported(code), 0) << code;
    for (qint32 code : {36, 51, 52, 126, 127, 128, 129, 23, 24, 26, 27, 66, 67})
        EXPECT_EQ(old.phone().IsCommandSupported(code), 1) << code;
    for (qint32 code : {36, 37, 343, 344, 346, 347, 157, 269})
        EXPECT_EQ(demo.phone().IsCommandSupported(code), 1) << code;
    EXPECT_EQ(demo.phone().IsCommandSupported(35), 0);
}

TEST(Commands, ProfileAndWapSettingsActOnTheActiveProfileOnly)
{
    CommandFixture f;
    ASSERT_EQ(f.call(128, {int16(3)}).status, status::Ok);
    // The profile number that comes along with the query is ignored.
    EXPECT_EQ(f.values(127, {int16(3)}), (QVariantList{int16(3), text("My car")}));
    for (const auto& [code, params] : QList<std::pair<qint32, QVariantList>>{
             {269, {int16(0)}}, {129, {text("Bike")}}, {24, {int16(1), int16(4), int16(0)}},
             {27, {int16(39), int16(5)}}, {37, {int32(0)}}})
        EXPECT_EQ(f.call(code, params).status, status::Ok) << code;
    EXPECT_EQ(profile(f, 3).value(QStringLiteral("name")), QStringLiteral("Bike"));
    EXPECT_EQ(profile(f, 3).value(QStringLiteral("fontSize")), 0);
    EXPECT_EQ(profile(f, 3).value(QStringLiteral("ringVolumes")).toArray(), (QJsonArray{5, 5, 2, 1}));
    EXPECT_EQ(profile(f, 3).value(QStringLiteral("ringMelodies")).toArray(),
              (QJsonArray{30, 7, 3, 3, 39}));
    EXPECT_EQ(profile(f, 1).value(QStringLiteral("name")), QStringLiteral("Normal"));
    ASSERT_EQ(f.call(128, {int16(1)}).status, status::Ok);
    EXPECT_EQ(f.values(270), (QVariantList{int16(2)}));
    // A 32-bit value is as good as a 16-bit one.
    EXPECT_EQ(stored(f, "time", "timeFormat"), 0);

    ASSERT_EQ(f.call(184, {int16(5)}).status, status::Ok);
    EXPECT_EQ(f.call(181, {text("http://x.example/")}).status, status::Ok);
    EXPECT_EQ(f.call(188, {int16(5), text("New")}).status, status::Ok);
    EXPECT_EQ(f.values(180), (QVariantList{text("http://x.example/")}));
    EXPECT_EQ(f.values(186).value(3 * 4 + 2).toString(), QStringLiteral("New"));
    f.call(184, {int16(1)});
    EXPECT_EQ(f.values(180), (QVariantList{text("http://wap.operator.example/")}));
}

TEST(Commands, ShortcutsAreInsertedAndRemovedAtPositions)
{
    CommandFixture f;
    const auto menu = [&f] { return f.image->category(QStringLiteral("shortcuts")).toArray(); };
    EXPECT_EQ(f.call(160, {int16(1), int16(13)}).status, status::Ok);
    EXPECT_EQ(f.call(160, {int16(5), int16(1)}).status, status::Ok);
    EXPECT_EQ(menu(), (QJsonArray{13, 4, 9, 2, 1}));
    EXPECT_EQ(f.call(161, {int16(2)}).status, status::Ok);
    EXPECT_EQ(f.call(161, {int16(4)}).status, status::Ok);
    EXPECT_EQ(menu(), (QJsonArray{13, 9, 2}));
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(f.call(161, {int16(1)}).status, status::Ok);
    EXPECT_EQ(f.call(161, {int16(1)}).status, status::InvalidParameter);
    EXPECT_EQ(f.values(159), QVariantList{int16(0)});

    // The items belong to the model: the BVT300 has no camera. Without a stored menu the phone
    // shows its model's factory menu.
    QJsonObject bare = blankPhone(QStringLiteral("BVT300"));
    bare.remove(QStringLiteral("shortcuts"));
    CommandFixture old(bare);
    EXPECT_EQ(old.values(159).value(0).toInt(), blankShortcuts(QStringLiteral("BVT300")).size());
    EXPECT_EQ(old.call(160, {int16(1), int16(4)}).status, status::InvalidParameter);
    EXPECT_EQ(old.call(160, {int16(1), int16(1)}).status, status::Ok);
}

TEST(Commands, DataAccountsTakeTheIndexGivenOrTheNextFreeOneUpToTheCapacity)
{
    CommandFixture f(blankPhone(QStringLiteral("BVT610")));
    EXPECT_EQ(f.values(662, csd(1)), (QVariantList{int16(1)}));
    // Index 1 is taken now, so 1 goes to 2; a GPRS account also gets its context number.
    EXPECT_EQ(f.values(662, gprs(1)), (QVariantList{int16(2), int16(1)}));
    EXPECT_EQ(f.values(662, gprs(7)), (QVariantList{int16(7), int16(2)}));
    EXPECT_EQ(f.call(291, {int16(2), text("IP"), text("apn.c"), text("1.2.3.4"), int16(1), int16(0)})
                  .status,
              status::Ok);
    const QVariantList contexts = f.values(290);
    ASSERT_EQ(contexts.size(), 31);
    EXPECT_EQ(contexts[1].toInt(), 1); // account 2's context comes first
    EXPECT_EQ(contexts[18].toString(), QStringLiteral("apn.c"));

    for (int i = 3; i < DataAccountCapacity; ++i)
        EXPECT_EQ(f.call(662, csd(0)).status, status::Ok);
    EXPECT_EQ(f.call(662, csd(0)).status, status::MemoryFull);
    EXPECT_EQ(f.values(664).value(0).toInt(), DataAccountCapacity);
}

TEST(Commands, BookmarksAreAddedUntilTheCapacityIsReached)
{
    CommandFixture f(blankPhone(QStringLiteral("BVT610")));
    for (int k = 0; k < BookmarkCapacity; ++k)
        ASSERT_EQ(f.call(216, {text("http://more/"), text("")}).status, status::Ok) << k;
    EXPECT_EQ(f.call(216, {text("http://full/"), text("Full")}).status, status::MemoryFull);
    EXPECT_EQ(f.image->category(QStringLiteral("bookmarks")).toArray().size(), BookmarkCapacity);
}

TEST(Commands, BrokenStoredValuesReadAsFactoryValuesAndAreMendedOnWrite)
{
    QJsonObject json = demoPhone();
    QJsonObject settings = json.value(PhoneImage::SettingsKey).toObject();
    settings.insert(QStringLiteral("time"),
                    QJsonObject{{QStringLiteral("timeFormat"), QStringLiteral("twelve")},
                                {QStringLiteral("daylightSaving"), 7}});
    settings.insert(
        QStringLiteral("profiles"),
        QJsonObject{{QStringLiteral("active"), 9},
                    {QStringLiteral("list"),
                     QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("Only")},
                                            {QStringLiteral("fontSize"), QStringLiteral("big")},
                                            {QStringLiteral("ringVolumes"), QJsonArray{9}}}}}});
    json.insert(PhoneImage::SettingsKey, settings);
    CommandFixture f(json);
    const QJsonObject factory = blankTimeSettings();
    EXPECT_EQ(f.values(36).value(0).toInt(), factory.value(QStringLiteral("timeFormat")).toInt());
    EXPECT_EQ(f.values(344).value(0).toInt(), factory.value(QStringLiteral("daylightSaving")).toInt());
    EXPECT_EQ(f.values(127), (QVariantList{int16(1), text("Only")}));
    EXPECT_EQ(f.values(270), (QVariantList{int16(1)}));
    const QVariantList volumes = f.values(23);
    for (int line = 0; line < 4; ++line)
        EXPECT_EQ(volumes.value(3 * line + 1).toInt(), 3) << line;
    ASSERT_EQ(f.call(24, {int16(0), int16(2), int16(0)}).status, status::Ok);
    EXPECT_EQ(profile(f, 1).value(QStringLiteral("ringVolumes")).toArray(), (QJsonArray{3, 0, 3, 3}));
}
