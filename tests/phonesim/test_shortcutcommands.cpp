#include "simphonetesting.h"

#include "phonesim/phonecategories.h"
#include "phonesim/simstatus.h"

#include <QJsonArray>
#include <gtest/gtest.h>

using namespace phonesim;

namespace {

struct MenuFixture : CommandFixture
{
    using CommandFixture::CommandFixture;

    QJsonArray menu() const { return image->category(QStringLiteral("shortcuts")).toArray(); }
};

} // namespace

TEST(ShortcutCommands, ListHasTheCountThenCaptionAndItemNumberPerItem)
{
    MenuFixture f;
    const QVariantList data = f.call(159).data.toList();
    ASSERT_EQ(data.size(), 7);
    EXPECT_EQ(data[0], int16(3));
    EXPECT_EQ(data[1].toString(), QStringLiteral("Camera"));
    EXPECT_EQ(data[2], int16(4));
    EXPECT_EQ(data[4], int16(9));
    EXPECT_EQ(data[6], int16(2));

    // Without a stored menu the phone shows its model's factory menu.
    QJsonObject bare = blankPhone(QStringLiteral("BVT300"));
    bare.remove(QStringLiteral("shortcuts"));
    EXPECT_EQ(MenuFixture(bare).call(159).data.toList().value(0).toInt(),
              blankShortcuts(QStringLiteral("BVT300")).size());
}

TEST(ShortcutCommands, InsertAndRemoveWorkAtPositions)
{
    MenuFixture f;
    EXPECT_EQ(f.call(160, {int16(1), int16(13)}).status, status::Ok);
    EXPECT_EQ(f.call(160, {int16(5), int16(1)}).status, status::Ok);
    EXPECT_EQ(f.menu(), (QJsonArray{13, 4, 9, 2, 1}));
    EXPECT_EQ(f.call(161, {int16(2)}).status, status::Ok);
    EXPECT_EQ(f.call(161, {int16(4)}).status, status::Ok);
    EXPECT_EQ(f.menu(), (QJsonArray{13, 9, 2}));
    // Repeated removals at the top empty the menu; one more is refused.
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(f.call(161, {int16(1)}).status, status::Ok);
    EXPECT_EQ(f.call(161, {int16(1)}).status, status::InvalidParameter);
    EXPECT_EQ(f.call(159).data.toList(), QVariantList{int16(0)});
}

TEST(ShortcutCommands, UnknownItemsBadPositionsAndDuplicatesAreRefused)
{
    MenuFixture f;
    const QList<QVariantList> badInserts{{int16(0), int16(1)},           {int16(5), int16(1)},
                                         {int16(1), int16(17)},          {int16(1), int16(0)},
                                         {int16(1), int16(4)},           {int16(1)},
                                         {QStringLiteral("1"), int16(1)}};
    for (const QVariantList& params : badInserts)
        EXPECT_EQ(f.call(160, params).status, status::InvalidParameter);
    EXPECT_EQ(f.call(161, {int16(0)}).status, status::InvalidParameter);
    EXPECT_EQ(f.call(161, {int16(4)}).status, status::InvalidParameter);
    EXPECT_EQ(f.menu(), (QJsonArray{4, 9, 2}));

    // The item numbers belong to the model: the BVT300 has no camera.
    MenuFixture old(blankPhone(QStringLiteral("BVT300")));
    EXPECT_EQ(old.call(160, {int16(1), int16(4)}).status, status::InvalidParameter);
    EXPECT_EQ(old.call(160, {int16(1), int16(1)}).status, status::Ok);
}
