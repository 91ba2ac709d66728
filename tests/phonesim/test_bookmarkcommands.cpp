#include "simphonetesting.h"

#include "phonesim/phonecategories.h"
#include "phonesim/simstatus.h"

#include <QJsonArray>
#include <gtest/gtest.h>

using namespace phonesim;

namespace {

using BookmarkFixture = CommandFixture;

QVariant text(const char* value)
{
    return QString::fromLatin1(value);
}

} // namespace

TEST(BookmarkCommands, ListAnswersCountThenNumberAddressAndNamePerBookmark)
{
    BookmarkFixture f;
    const QVariantList data = f.call(218).data.toList();
    const QJsonArray stored = f.image->category(QStringLiteral("bookmarks")).toArray();
    ASSERT_EQ(stored.size(), 3);
    ASSERT_EQ(data.size(), 1 + 3 * 3);
    EXPECT_EQ(data[0].typeId(), QMetaType::Short);
    EXPECT_EQ(data[0].toInt(), 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(data[3 * k + 1].toInt(), k + 1);
        EXPECT_EQ(data[3 * k + 2].toString(),
                  stored[k].toObject().value(QStringLiteral("url")).toString());
        EXPECT_EQ(data[3 * k + 3].toString(),
                  stored[k].toObject().value(QStringLiteral("name")).toString());
    }
    EXPECT_EQ(BookmarkFixture(blankPhone(QStringLiteral("BVT68"))).call(218).data.toList(),
              QVariantList{int16(0)});
}

TEST(BookmarkCommands, AddAppendsUntilTheCapacityIsReached)
{
    BookmarkFixture f(blankPhone(QStringLiteral("BVT610")));
    EXPECT_EQ(f.call(216, {text("http://one/"), text("One")}).status, status::Ok);
    const QVariantList data = f.call(218).data.toList();
    ASSERT_EQ(data.size(), 4);
    EXPECT_EQ(data[2].toString(), QStringLiteral("http://one/"));
    EXPECT_EQ(data[3].toString(), QStringLiteral("One"));

    for (int k = 1; k < BookmarkCapacity; ++k)
        ASSERT_EQ(f.call(216, {text("http://more/"), text("")}).status, status::Ok) << k;
    EXPECT_EQ(f.call(216, {text("http://full/"), text("Full")}).status, status::MemoryFull);
    EXPECT_EQ(f.image->category(QStringLiteral("bookmarks")).toArray().size(), BookmarkCapacity);
}

TEST(BookmarkCommands, BadParametersAreRefused)
{
    BookmarkFixture f(blankPhone(QStringLiteral("BVT610")));
    const QList<QVariantList> bad{{},
                                  {text("http://a/")},
                                  {text(""), text("No address")},
                                  {int16(1), text("x")},
                                  {text("http://a/"), text("a"), text("b")}};
    for (const QVariantList& params : bad)
        EXPECT_EQ(f.call(216, params).status, status::InvalidParameter);
    EXPECT_EQ(f.call(218, {text("x")}).status, status::InvalidParameter);
    EXPECT_TRUE(f.image->category(QStringLiteral("bookmarks")).toArray().isEmpty());
}
