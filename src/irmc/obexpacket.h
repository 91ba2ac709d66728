#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// OBEX packets as they travel over a byte stream: an opcode or response code, a two-byte
// big-endian packet length, for Connect the version, flags and maximum packet size, then the
// headers. The header identifier's top two bits give the value's form: a length-prefixed
// UTF-16 text, a length-prefixed byte sequence, one byte or four bytes.
namespace irmc::obex {

namespace op {
constexpr quint8 Put = 0x02;
constexpr quint8 Get = 0x03;
constexpr quint8 Connect = 0x80;
constexpr quint8 Disconnect = 0x81;
constexpr quint8 PutFinal = 0x82;
constexpr quint8 GetFinal = 0x83;
constexpr quint8 SetPath = 0x85;
constexpr quint8 Abort = 0xFF;
// Set on the last packet of a request.
constexpr quint8 FinalBit = 0x80;
} // namespace op

namespace response {
constexpr quint8 Continue = 0x90;
constexpr quint8 Success = 0xA0;
constexpr quint8 BadRequest = 0xC0;
constexpr quint8 Forbidden = 0xC3;
constexpr quint8 NotFound = 0xC4;
constexpr quint8 NotAcceptable = 0xC6;
constexpr quint8 PreconditionFailed = 0xCC;
constexpr quint8 EntityTooLarge = 0xCD;
constexpr quint8 InternalError = 0xD0;
constexpr quint8 NotImplemented = 0xD1;
constexpr quint8 ServiceUnavailable = 0xD3;
constexpr quint8 DatabaseFull = 0xE0;
} // namespace response

namespace hdr {
constexpr quint8 Name = 0x01;
constexpr quint8 Type = 0x42;
constexpr quint8 Target = 0x46;
constexpr quint8 Body = 0x48;
constexpr quint8 EndOfBody = 0x49;
constexpr quint8 Who = 0x4A;
// A run of tag, length, value triples.
constexpr quint8 AppParameters = 0x4C;
constexpr quint8 Length = 0xC3;
constexpr quint8 ConnectionId = 0xCB;
} // namespace hdr

constexpr quint8 Version = 0x10;
// Smallest maximum packet size a party may announce.
constexpr int MinPacketSize = 255;
constexpr int MaxPacketSize = 0xFFFF;
// Opcode or response code and the packet length.
constexpr int PacketPrefixSize = 3;
// Version, flags and maximum packet size after the prefix of Connect and its answer.
constexpr int ConnectFieldsSize = 4;

struct Header
{
    quint8 id = 0;
    // The value without identifier and length; a text stays as UTF-16 big-endian bytes.
    QByteArray value;

    static Header text(quint8 id, const QString& text);
    static Header bytes(quint8 id, const QByteArray& bytes);
    static Header word(quint8 id, quint32 value);

    // The header's bytes on the wire.
    QByteArray encode() const;
    quint32 toWord() const;
    // The text of a UTF-16 header, without its terminating zeros.
    QString toText() const;
};

struct Packet
{
    quint8 code = 0;
    // Only Connect and its answer carry these.
    bool hasConnectFields = false;
    quint8 version = Version;
    quint8 flags = 0;
    quint16 maxPacketSize = 0;
    QList<Header> headers;

    // The first header with this identifier, or nullptr.
    const Header* find(quint8 id) const;
    QByteArray encode() const;
};

// Parses a run of headers; false with a reason for a truncated header, a length that does not
// fit, or a text that is not UTF-16 with its terminating zeros.
[[nodiscard]] bool decodeHeaders(const QByteArray& bytes, QList<Header>& headers, QString& error);

// Parses one whole packet; withConnectFields for Connect and for the answer to it.
[[nodiscard]] bool decodePacket(const QByteArray& bytes, bool withConnectFields, Packet& packet,
                                QString& error);

// The length of the packet at the head of buffer: 0 while it is incomplete, -1 when its
// length field cannot be right.
qsizetype completePacketLength(const QByteArray& buffer);

} // namespace irmc::obex
