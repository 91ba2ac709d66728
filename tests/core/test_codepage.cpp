#include "core/codepage.h"

#include <gtest/gtest.h>

TEST(Codepage, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(static_cast<char>(i));
    const QString text = codepage::decode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(codepage::encode(text), all);
}

TEST(Codepage, MapsTheHighHalfToItsCharacters)
{
    EXPECT_EQ(codepage::decode(QByteArray("\x80")), QString(QChar(0x20AC)));
    EXPECT_EQ(codepage::decode(QByteArray("\xE9")), QStringLiteral("\u00E9"));
    EXPECT_EQ(codepage::encode(QString(QChar(0x2122))), QByteArray("\x99"));
}

TEST(Codepage, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(codepage::encode(QStringLiteral("a\u0416b")), QByteArray("a?b"));
}
