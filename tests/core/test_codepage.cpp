#include "core/codepage.h"

#include <gtest/gtest.h>

TEST(Codepage, EveryByteSurvivesARoundTripAndTheHighHalfMapsToItsCharacters)
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(static_cast<char>(i));
    const QString text = codepage::decode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(codepage::encode(text), all);
    EXPECT_EQ(text.mid(0x80, 1) + text.mid(0x99, 1) + text.mid(0x9F, 1) + text.mid(0xA0, 1) +
                  text.mid(0xE9, 1),
              QStringLiteral("\u20AC\u2122\u0178\u00A0\u00E9"));
    // Characters outside the code page become question marks.
    EXPECT_EQ(codepage::encode(QStringLiteral("a\u0416b")), QByteArray("a?b"));
}
