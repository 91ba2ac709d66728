#include "phonesim/smspdu.h"

#include <QTimeZone>
#include <gtest/gtest.h>

using namespace phonesim::smspdu;

namespace {

QString hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QByteArray packed(const QString& text)
{
    QList<quint8> septets;
    EXPECT_TRUE(toGsmSeptets(text, septets)) << text.toStdString();
    return packSeptets(septets);
}

} // namespace

TEST(SmsPdu, FieldsAndWholePdusByteForByte)
{
    const QDateTime east(QDate(2004, 5, 17), QTime(14, 30, 5), QTimeZone(7200));
    const Pdu received = deliver(QStringLiteral("+31624000000"), QStringLiteral("+31641600986"),
                                 east, QStringLiteral("hellohello"));
    const Pdu sent = submit(QStringLiteral("+31641600986"), QStringLiteral("\u0416i"));
    const QList<std::pair<QString, QString>> cases{
        {hex(packed(QStringLiteral("hellohello"))), QStringLiteral("E8329BFD4697D9EC37")},
        // Eight septets fill exactly seven octets; a trailing "@" (septet 0) needs its own.
        {hex(packSeptets(QList<quint8>(8, 0x7F))), QStringLiteral("FFFFFFFFFFFFFF")},
        {hex(packed(QStringLiteral("A@"))), QStringLiteral("4100")},
        {hex(packed(QStringLiteral("\u00E9_\u00FC\u00E0"))), QStringLiteral("8588FF0F")},
        {hex(address(QStringLiteral("+31641600986"))), QStringLiteral("0B911346610089F6")},
        {hex(address(QStringLiteral("1234"))), QStringLiteral("04812143")},
        {hex(serviceCentre(QStringLiteral("+31624000000"))), QStringLiteral("07911326040000F0")},
        {hex(serviceCentre(QString())), QStringLiteral("00")},
        {hex(timestamp(east)), QStringLiteral("40507141035080")},
        // West of Greenwich: 20 quarters with the sign bit.
        {hex(timestamp(QDateTime(QDate(2010, 12, 1), QTime(23, 59, 58), QTimeZone(-5 * 3600)))),
         QStringLiteral("0121103295850A")},
        {received.hex, QStringLiteral("07911326040000F0040B911346610089F60000405071410350800A"
                                      "E8329BFD4697D9EC37")},
        {sent.hex, QStringLiteral("0011000B911346610089F60008AA0404160069")}};
    for (const auto& [actual, expected] : cases)
        EXPECT_EQ(actual, expected);
    EXPECT_EQ(received.length, 28);
    EXPECT_EQ(sent.length, 18);

    // The euro sign needs the extension table, Cyrillic is not in the alphabet at all.
    QList<quint8> septets;
    EXPECT_FALSE(toGsmSeptets(QStringLiteral("5 \u20AC"), septets));
    EXPECT_FALSE(toGsmSeptets(QStringLiteral("\u0414"), septets));
}

TEST(SmsPdu, OnlyWholeDeliverOrSubmitPdusAreStorable)
{
    const QString good = QStringLiteral("0011000B911346610089F60008AA0404160069");
    EXPECT_TRUE(isStorable(good, 18));
    // Wrong lengths, a cut or non-hex text, a status report, a centre length past the end.
    const QList<std::pair<QString, qint32>> bad{
        {good, 19}, {good, 17}, {good.chopped(1), 18},
        {QStringLiteral("0011000B911346610089F60008AA04041600GG"), 18},
        {QStringLiteral("0002"), 1}, {QStringLiteral("0904"), 1}, {QString(), 0}};
    for (const auto& [pdu, length] : bad)
        EXPECT_FALSE(isStorable(pdu, length)) << pdu.toStdString() << " " << length;
}
