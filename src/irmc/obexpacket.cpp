#include "irmc/obexpacket.h"

namespace irmc::obex {

namespace {

enum class Form { Text, Bytes, Byte, Word };

Form formOf(quint8 id)
{
    switch (id >> 6) {
    case 0:
        return Form::Text;
    case 1:
        return Form::Bytes;
    case 2:
        return Form::Byte;
    default:
        return Form::Word;
    }
}

void appendWord16(QByteArray& bytes, quint32 value)
{
    bytes.append(static_cast<char>((value >> 8) & 0xFF));
    bytes.append(static_cast<char>(value & 0xFF));
}

quint32 word16At(const QByteArray& bytes, qsizetype pos)
{
    return (static_cast<quint32>(static_cast<uchar>(bytes.at(pos))) << 8) |
           static_cast<uchar>(bytes.at(pos + 1));
}

QString hexId(quint8 id)
{
    return QStringLiteral("%1").arg(static_cast<uint>(id), 2, 16, QLatin1Char('0'));
}

bool validText(const QByteArray& value)
{
    // An empty value is an empty name; anything else is whole UTF-16 units ending in zero.
    if (value.isEmpty())
        return true;
    return value.size() % 2 == 0 && value.endsWith(QByteArray(2, '\0'));
}

} // namespace

Header Header::text(quint8 id, const QString& text)
{
    Header header{id, {}};
    for (const QChar c : text)
        appendWord16(header.value, c.unicode());
    header.value.append(2, '\0');
    return header;
}

Header Header::bytes(quint8 id, const QByteArray& bytes)
{
    return Header{id, bytes};
}

Header Header::word(quint8 id, quint32 value)
{
    Header header{id, {}};
    if (formOf(id) == Form::Byte) {
        header.value.append(static_cast<char>(value & 0xFF));
        return header;
    }
    appendWord16(header.value, value >> 16);
    appendWord16(header.value, value);
    return header;
}

QByteArray Header::encode() const
{
    QByteArray bytes;
    bytes.append(static_cast<char>(id));
    const Form form = formOf(id);
    if (form == Form::Text || form == Form::Bytes)
        appendWord16(bytes, static_cast<quint32>(value.size() + 3));
    bytes.append(value);
    return bytes;
}

quint32 Header::toWord() const
{
    quint32 result = 0;
    for (const char c : value)
        result = (result << 8) | static_cast<uchar>(c);
    return result;
}

QString Header::toText() const
{
    QString text;
    for (qsizetype i = 0; i + 2 < value.size(); i += 2)
        text.append(QChar(static_cast<char16_t>(word16At(value, i))));
    return text;
}

const Header* Packet::find(quint8 id) const
{
    for (const Header& header : headers) {
        if (header.id == id)
            return &header;
    }
    return nullptr;
}

QByteArray Packet::encode() const
{
    QByteArray body;
    if (hasConnectFields) {
        body.append(static_cast<char>(version));
        body.append(static_cast<char>(flags));
        appendWord16(body, maxPacketSize);
    }
    for (const Header& header : headers)
        body.append(header.encode());
    QByteArray bytes;
    bytes.append(static_cast<char>(code));
    appendWord16(bytes, static_cast<quint32>(body.size() + PacketPrefixSize));
    return bytes + body;
}

bool decodeHeaders(const QByteArray& bytes, QList<Header>& headers, QString& error)
{
    headers.clear();
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const quint8 id = static_cast<uchar>(bytes.at(pos));
        const Form form = formOf(id);
        qsizetype valueStart = pos + 1;
        qsizetype length = 0;
        if (form == Form::Byte) {
            length = 2;
        } else if (form == Form::Word) {
            length = 5;
        } else {
            if (pos + 3 > bytes.size()) {
                error = QStringLiteral("header 0x%1 is cut short").arg(hexId(id));
                return false;
            }
            length = word16At(bytes, pos + 1);
            valueStart = pos + 3;
            if (length < 3) {
                error = QStringLiteral("header 0x%1 has length %2")
                            .arg(hexId(id))
                            .arg(length);
                return false;
            }
        }
        if (pos + length > bytes.size()) {
            error = QStringLiteral("header 0x%1 runs past the packet")
                        .arg(hexId(id));
            return false;
        }
        Header header{id, bytes.mid(valueStart, pos + length - valueStart)};
        if (form == Form::Text && !validText(header.value)) {
            error = QStringLiteral("header 0x%1 is not a terminated UTF-16 text")
                        .arg(hexId(id));
            return false;
        }
        headers.append(header);
        pos += length;
    }
    return true;
}

bool decodePacket(const QByteArray& bytes, bool withConnectFields, Packet& packet, QString& error)
{
    const qsizetype prefix = PacketPrefixSize + (withConnectFields ? ConnectFieldsSize : 0);
    if (bytes.size() < prefix) {
        error = QStringLiteral("packet of %1 bytes is too short").arg(bytes.size());
        return false;
    }
    if (word16At(bytes, 1) != static_cast<quint32>(bytes.size())) {
        error = QStringLiteral("packet length %1 differs from its %2 bytes")
                    .arg(word16At(bytes, 1))
                    .arg(bytes.size());
        return false;
    }
    packet = Packet{};
    packet.code = static_cast<uchar>(bytes.at(0));
    packet.hasConnectFields = withConnectFields;
    if (withConnectFields) {
        packet.version = static_cast<uchar>(bytes.at(3));
        packet.flags = static_cast<uchar>(bytes.at(4));
        packet.maxPacketSize = static_cast<quint16>(word16At(bytes, 5));
    }
    return decodeHeaders(bytes.mid(prefix), packet.headers, error);
}

qsizetype completePacketLength(const QByteArray& buffer)
{
    if (buffer.size() < PacketPrefixSize)
        return 0;
    const qsizetype length = word16At(buffer, 1);
    if (length < PacketPrefixSize)
        return -1;
    return buffer.size() >= length ? length : 0;
}

} // namespace irmc::obex
