#include "phonesim/smspdu.h"

#include <QTimeZone>
#include <gtest/gtest.h>

using namespace phonesim::smspdu;

namespace {

QString hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QList<quint8> septetsOf(const QString& text)
{
    QList<quint8> septets;
    EXPECT_TRUE(toGsmSeptets(text, septets)) << text.toStdString();
    return septets;
}

} // namespace

TEST(SmsPdu, SeptetsPackAcrossOctetBoundaries)
{
    EXPECT_EQ(hex(packSeptets(septetsOf(QStringLiteral("hellohello")))),
              QStringLiteral("E8329BFD4697D9EC37"));
    // Eight septets fill exactly seven octets; no eighth octet for the leftover bits.
    EXPECT_EQ(hex(packSeptets(QList<quint8>(8, 0x7F))), QStringLiteral("FFFFFFFFFFFFFF"));
    // A trailing "@" (septet 0) still needs its own octet.
    EXPECT_EQ(hex(packSeptets(septetsOf(QStringLiteral("A@")))), QStringLiteral("4100"));
}

TEST(SmsPdu, DefaultAlphabetAndItsLimits)
{
    EXPECT_EQ(septetsOf(QStringLiteral("@\u00E9_\u00FC\u00E0")),
              (QList<quint8>{0x00, 0x05, 0x11, 0x7E, 0x7F}));
    QList<quint8> septets;
    // The euro sign needs the extension table, Cyrillic is not in the alphabet at all.
    EXPECT_FALSE(toGsmSeptets(QStringLiteral("5 \u20AC"), septets));
    EXPECT_FALSE(toGsmSeptets(QStringLiteral("\u0414"), septets));
}

TEST(SmsPdu, NumbersAndTimestampInSemiOctets)
{
    EXPECT_EQ(hex(semiOctets(QStringLiteral("31641600986"))), QStringLiteral("1346610089F6"));
    EXPECT_EQ(hex(address(QStringLiteral("+31641600986"))), QStringLiteral("0B911346610089F6"));
    EXPECT_EQ(hex(address(QStringLiteral("1234"))), QStringLiteral("04812143"));
    EXPECT_EQ(hex(serviceCentre(QStringLiteral("+31624000000"))),
              QStringLiteral("07911326040000F0"));
    EXPECT_EQ(hex(serviceCentre(QString())), QStringLiteral("00"));
    EXPECT_EQ(hex(timestamp(QDateTime(QDate(2004, 5, 17), QTime(14, 30, 5), QTimeZone(7200)))),
              QStringLiteral("40507141035080"));
    // West of Greenwich: 20 quarters with the sign bit.
    EXPECT_EQ(hex(timestamp(QDateTime(QDate(2010, 12, 1), QTime(23, 59, 58),
                                      QTimeZone(-5 * 3600)))),
              QStringLiteral("0121103295850A"));
}

TEST(SmsPdu, WholeDeliverAndSubmitPdus)
{
    const Pdu received = deliver(QStringLiteral("+31624000000"), QStringLiteral("+31641600986"),
                                 QDateTime(QDate(2004, 5, 17), QTime(14, 30, 5), QTimeZone(7200)),
                                 QStringLiteral("hellohello"));
    EXPECT_EQ(received.hex, QStringLiteral("07911326040000F0040B911346610089F60000405071410350800A"
                                           "E8329BFD4697D9EC37"));
    EXPECT_EQ(received.length, 28);

    const Pdu sent = submit(QStringLiteral("+31641600986"), QStringLiteral("\u0416i"));
    EXPECT_EQ(sent.hex, QStringLiteral("0011000B911346610089F60008AA0404160069"));
    EXPECT_EQ(sent.length, 18);
}

TEST(SmsPdu, OnlyWholeDeliverOrSubmitPdusAreStorable)
{
    const QString good = QStringLiteral("0011000B911346610089F60008AA0404160069");
    EXPECT_TRUE(isStorable(good, 18));
    EXPECT_FALSE(isStorable(good, 19));
    EXPECT_FALSE(isStorable(good, 17));
    EXPECT_FALSE(isStorable(good.chopped(1), 18));
    EXPECT_FALSE(isStorable(QStringLiteral("0011000B911346610089F60008AA04041600GG"), 18));
    // A status report is nothing a phone stores as a message.
    EXPECT_FALSE(isStorable(QStringLiteral("0002"), 1));
    // A service centre length pointing past the end.
    EXPECT_FALSE(isStorable(QStringLiteral("0904"), 1));
    EXPECT_FALSE(isStorable(QString(), 0));
}
