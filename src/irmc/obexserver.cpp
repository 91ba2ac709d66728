#include "irmc/obexserver.h"

#include "irmc/irmcobjects.h"

namespace irmc {

using namespace obex;

const QByteArray ObexServer::IrmcTarget("IRMC-SYNC");
const QString ObexServer::PhonebookName = QStringLiteral("telecom/pb.vcf");
const QString ObexServer::CalendarName = QStringLiteral("telecom/cal.vcs");
const QString ObexServer::NewContactName = QStringLiteral("telecom/pb/luid/.vcf");
const QString ObexServer::NewCalendarEntryName = QStringLiteral("telecom/cal/luid/.vcs");
const QString ObexServer::DeviceInfoName = QStringLiteral("telecom/devinfo.txt");
const QString ObexServer::PhonebookInfoName = QStringLiteral("telecom/pb/info.log");
const QString ObexServer::CalendarInfoName = QStringLiteral("telecom/cal/info.log");

ObexServer::ObexServer(IrmcStore& store, quint16 maxPacketSize)
    : m_store(store), m_maxPacketSize(qMax<quint16>(maxPacketSize, MinPacketSize))
{
}

QByteArray ObexServer::feed(const QByteArray& bytes)
{
    m_buffer += bytes;
    QByteArray answers;
    for (;;) {
        const qsizetype length = completePacketLength(m_buffer);
        if (length == 0)
            return answers;
        if (length < 0) {
            m_buffer.clear();
            return answers + answerWith(response::BadRequest, QStringLiteral("bad packet length")).encode();
        }
        const QByteArray request = m_buffer.left(length);
        m_buffer.remove(0, length);
        answers += handle(request);
    }
}

QByteArray ObexServer::handle(const QByteArray& request)
{
    const bool isConnect = !request.isEmpty() && static_cast<uchar>(request.at(0)) == op::Connect;
    Packet packet;
    QString error;
    Packet reply;
    if (!decodePacket(request, isConnect, packet, error)) {
        m_get = {};
        m_put = {};
        reply = answerWith(response::BadRequest, error);
    } else if (!isConnect && request.size() > m_maxPacketSize) {
        reply = answerWith(response::EntityTooLarge, QStringLiteral("packet longer than announced"));
    } else {
        reply = answer(packet);
    }
    // The answer to Connect always carries the connect fields, whatever its code.
    if (isConnect) {
        reply.hasConnectFields = true;
        reply.maxPacketSize = m_maxPacketSize;
    }
    return reply.encode();
}

Packet ObexServer::answerWith(quint8 code, const QString& why)
{
    if (!why.isEmpty())
        m_lastError = why;
    return Packet{code, false, Version, 0, 0, {}};
}

Packet ObexServer::answer(const Packet& request)
{
    const quint8 code = request.code;
    if (code == op::Connect)
        return connect(request);
    if (code == op::Abort) {
        m_get = {};
        m_put = {};
        return answerWith(response::Success);
    }
    if (code == op::Disconnect && !m_connected)
        return answerWith(response::Success);
    if (!m_connected)
        return answerWith(response::Forbidden, QStringLiteral("no IrMC connection"));
    if (const Header* id = request.find(hdr::ConnectionId); id && id->toWord() != m_connectionId)
        return answerWith(response::ServiceUnavailable, QStringLiteral("unknown connection id"));
    switch (code) {
    case op::Disconnect:
        return disconnect();
    case op::Get:
    case op::GetFinal:
        m_put = {};
        return get(request);
    case op::Put:
    case op::PutFinal:
        m_get = {};
        return put(request);
    default:
        return answerWith(response::NotImplemented);
    }
}

Packet ObexServer::connect(const Packet& request)
{
    if (m_faults.refuseConnect)
        return answerWith(m_faults.refusalCode);
    if (request.maxPacketSize < MinPacketSize)
        return answerWith(response::BadRequest, QStringLiteral("packet size below the minimum"));
    const Header* target = request.find(hdr::Target);
    if (!target || target->value != IrmcTarget)
        return answerWith(response::Forbidden, QStringLiteral("not the IrMC target"));

    m_connected = true;
    m_connectionId = ++m_lastConnectionId;
    m_sendSize = qMin(m_maxPacketSize, request.maxPacketSize);
    m_get = {};
    m_put = {};
    Packet reply{response::Success, true, Version, 0, m_maxPacketSize, {}};
    reply.headers = {Header::word(hdr::ConnectionId, m_connectionId),
                     Header::bytes(hdr::Who, IrmcTarget)};
    return reply;
}

Packet ObexServer::disconnect()
{
    if (m_faults.refuseDisconnect)
        return answerWith(m_faults.refusalCode);
    m_connected = false;
    m_get = {};
    m_put = {};
    return answerWith(response::Success);
}

bool ObexServer::objectFor(const QString& name, QByteArray& object) const
{
    if (name == PhonebookName)
        object = irmc::phonebookObject(m_store.entries(IrmcBook::Phonebook));
    else if (name == CalendarName)
        object = irmc::calendarObject(m_store.entries(IrmcBook::Calendar));
    else if (name == DeviceInfoName)
        object = irmc::deviceInfo(m_store.identity());
    else if (name == PhonebookInfoName)
        object = irmc::infoLog(m_store, IrmcBook::Phonebook);
    else if (name == CalendarInfoName)
        object = irmc::infoLog(m_store, IrmcBook::Calendar);
    else
        return false;
    return true;
}

Packet ObexServer::get(const Packet& request)
{
    const bool finalRequest = request.code == op::GetFinal;
    if (const Header* name = request.find(hdr::Name)) {
        m_get = {};
        m_get.active = true;
        m_get.name = name->toText();
    } else if (!m_get.active) {
        return answerWith(response::BadRequest, QStringLiteral("get without a name"));
    }
    // The request's headers may come in several packets; the object follows the last one.
    if (!finalRequest)
        return answerWith(response::Continue);
    if (!m_get.requestComplete) {
        m_get.requestComplete = true;
        if (!objectFor(m_get.name, m_get.object)) {
            m_get = {};
            return answerWith(response::NotFound);
        }
    }
    return nextGetPacket();
}

Packet ObexServer::nextGetPacket()
{
    if (m_faults.failGetAfterPackets >= 0 && m_get.packets >= m_faults.failGetAfterPackets) {
        m_get = {};
        return answerWith(m_faults.refusalCode);
    }
    Packet reply{response::Continue, false, Version, 0, 0, {}};
    qsizetype room = m_sendSize - PacketPrefixSize - 3;
    if (m_get.packets == 0) {
        reply.headers.append(Header::word(hdr::Length, static_cast<quint32>(m_get.object.size())));
        room -= 5;
    }
    const qsizetype remaining = m_get.object.size() - m_get.sent;
    const qsizetype length = qMin(room, remaining);
    const bool last = remaining <= room;
    reply.headers.append(
        Header::bytes(last ? hdr::EndOfBody : hdr::Body, m_get.object.mid(m_get.sent, length)));
    m_get.sent += length;
    ++m_get.packets;
    if (last) {
        reply.code = response::Success;
        m_get = {};
    }
    return reply;
}

Packet ObexServer::put(const Packet& request)
{
    if (const Header* name = request.find(hdr::Name)) {
        m_put = {};
        m_put.active = true;
        m_put.name = name->toText();
    } else if (!m_put.active) {
        return answerWith(response::BadRequest, QStringLiteral("put without a name"));
    }
    for (const Header& header : request.headers) {
        if (header.id == hdr::Body || header.id == hdr::EndOfBody)
            m_put.data += header.value;
    }
    if (request.code == op::Put)
        return answerWith(response::Continue);

    const PutState put = m_put;
    m_put = {};
    ++m_puts;
    if (m_puts == m_faults.refusePutNumber ||
        (!m_faults.refusePutMatching.isEmpty() && put.data.contains(m_faults.refusePutMatching)))
        return answerWith(m_faults.refusalCode);
    return answerWith(storePut(put.name, put.data));
}

quint8 ObexServer::storePut(const QString& name, const QByteArray& data)
{
    const bool phonebook = name == PhonebookName || name == NewContactName;
    if (!phonebook && name != CalendarName && name != NewCalendarEntryName) {
        m_lastError = QStringLiteral("cannot put %1").arg(name);
        return response::Forbidden;
    }
    const IrmcBook book = phonebook ? IrmcBook::Phonebook : IrmcBook::Calendar;
    const bool wholeBook = name == PhonebookName || name == CalendarName;
    // An empty whole object empties the book.
    if (wholeBook && data.isEmpty())
        return m_store.clear(book) ? response::Success : response::InternalError;

    QList<QByteArray> entries;
    if (!irmc::parseEntries(book, data, entries, m_lastError))
        return response::BadRequest;
    if (wholeBook && !m_store.clear(book))
        return response::InternalError;
    for (const QByteArray& entry : entries) {
        if (m_store.add(book, entry).isEmpty())
            return response::InternalError;
    }
    return response::Success;
}

} // namespace irmc
