#include "irmc/obexpacket.h"

#include <gtest/gtest.h>

using namespace irmc::obex;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (const int v : values)
        result.append(static_cast<char>(v));
    return result;
}

TEST(ObexPacket, ConnectEncodesFieldsBeforeHeaders)
{
    Packet connect{op::Connect, true, Version, 0, 0x0400, {}};
    connect.headers = {Header::bytes(hdr::Target, "IRMC-SYNC"),
                       Header::word(hdr::ConnectionId, 0x01020304)};
    const QByteArray wire = connect.encode();
    EXPECT_EQ(wire, bytes({0x80, 0x00, 0x18, 0x10, 0x00, 0x04, 0x00, 0x46, 0x00, 0x0C}) +
                        "IRMC-SYNC" + bytes({0xCB, 1, 2, 3, 4}));

    Packet parsed;
    QString error;
    ASSERT_TRUE(decodePacket(wire, true, parsed, error)) << error.toStdString();
    EXPECT_EQ(parsed.maxPacketSize, 0x0400);
    ASSERT_NE(parsed.find(hdr::Target), nullptr);
    EXPECT_EQ(parsed.find(hdr::Target)->value, QByteArray("IRMC-SYNC"));
    EXPECT_EQ(parsed.find(hdr::ConnectionId)->toWord(), 0x01020304u);
    EXPECT_EQ(parsed.find(hdr::Who), nullptr);
}

TEST(ObexPacket, NameIsUtf16WithTerminator)
{
    const Header name = Header::text(hdr::Name, QStringLiteral("pb\u00e9"));
    EXPECT_EQ(name.encode(), bytes({0x01, 0x00, 0x0B, 0, 'p', 0, 'b', 0, 0xE9, 0, 0}));
    QList<Header> headers;
    QString error;
    ASSERT_TRUE(decodeHeaders(name.encode() + bytes({0x01, 0x00, 0x03}), headers, error));
    ASSERT_EQ(headers.size(), 2);
    EXPECT_EQ(headers[0].toText(), QStringLiteral("pb\u00e9"));
    EXPECT_EQ(headers[1].toText(), QString()); // an empty name is allowed
}

TEST(ObexPacket, MalformedHeadersAreRefused)
{
    const QList<QByteArray> malformed = {
        bytes({0x01, 0x00, 0x06, 0, 'a', 0}),    // odd UTF-16
        bytes({0x01, 0x00, 0x05, 0, 'a'}),       // no terminating zeros
        bytes({0x48, 0x00, 0x02}),               // length below its own header
        bytes({0x48, 0x00, 0x09, 'a', 'b'}),     // runs past the packet
        bytes({0x48, 0x00}),                     // cut in its length
        bytes({0xCB, 0x00, 0x00, 0x01}),         // four-byte value cut short
        bytes({0x97}),                           // one-byte value missing
    };
    for (const QByteArray& header : malformed) {
        QList<Header> headers;
        QString error;
        EXPECT_FALSE(decodeHeaders(header, headers, error)) << header.toHex().toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(ObexPacket, PacketLengthMustMatch)
{
    Packet packet;
    QString error;
    EXPECT_FALSE(decodePacket(bytes({0x83, 0x00}), false, packet, error));
    EXPECT_FALSE(decodePacket(bytes({0x83, 0x00, 0x04}), false, packet, error));
    EXPECT_FALSE(decodePacket(bytes({0x80, 0x00, 0x05, 0x10, 0x00}), true, packet, error));
    EXPECT_TRUE(decodePacket(bytes({0x83, 0x00, 0x03}), false, packet, error));

    EXPECT_EQ(completePacketLength(bytes({0x83, 0x00})), 0);
    EXPECT_EQ(completePacketLength(bytes({0x83, 0x00, 0x05, 0x49})), 0);
    EXPECT_EQ(completePacketLength(bytes({0x83, 0x00, 0x03, 0x81})), 3);
    EXPECT_EQ(completePacketLength(bytes({0x83, 0x00, 0x02})), -1);
}

} // namespace
