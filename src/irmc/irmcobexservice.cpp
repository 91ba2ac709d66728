#include "irmc/irmcobexservice.h"

#include "core/programerror.h"
#include "irmc/irmcobjects.h"
#include "irmc/obexserver.h"

namespace irmc {

using namespace obex;

namespace {

[[noreturn]] void fail(const QString& why)
{
    throw ProgramError(ProgramError::ComponentFailure, QStringLiteral("ObexService"), why);
}

} // namespace

IrmcObexService::IrmcObexService(Transport transport, quint16 receiveSize, QObject* parent)
    : ObexService(parent), m_transport(std::move(transport)),
      m_receiveSize(qMax<quint16>(receiveSize, MinPacketSize))
{
}

IrmcObexService::~IrmcObexService() = default;

IrmcObexService::Transport IrmcObexService::directTo(ObexServer& server)
{
    return [&server](const QByteArray& request) { return server.feed(request); };
}

IrmcObexService* IrmcObexService::inProcess(std::shared_ptr<IrmcStore> store,
                                          quint16 serverPacketSize, QObject* parent)
{
    auto server = std::make_unique<ObexServer>(*store, serverPacketSize);
    auto* service = new IrmcObexService(directTo(*server), DefaultReceiveSize, parent);
    service->m_roomSource = store;
    service->m_store = std::move(store);
    service->m_server = std::move(server);
    return service;
}

Packet IrmcObexService::exchange(quint8 code, const QByteArray& headers, qint32& status)
{
    const bool connect = code == op::Connect;
    Packet request{code, connect, Version, 0, m_receiveSize, {}};
    if (m_hasConnectionId && !connect)
        request.headers.append(Header::word(hdr::ConnectionId, m_connectionId));
    QByteArray bytes = request.encode();
    const qsizetype length = bytes.size() + headers.size();
    if (length > MaxPacketSize)
        fail(QStringLiteral("packet of %1 bytes is too long for OBEX").arg(length));
    bytes.append(headers);
    bytes[1] = static_cast<char>(length >> 8);
    bytes[2] = static_cast<char>(length & 0xFF);

    const QByteArray answerBytes = m_transport(bytes);
    if (completePacketLength(answerBytes) != answerBytes.size() || answerBytes.isEmpty())
        fail(QStringLiteral("no whole answer from the phone"));
    Packet answer;
    QString error;
    if (!decodePacket(answerBytes, connect, answer, error))
        fail(QStringLiteral("malformed answer from the phone: %1").arg(error));
    status = answer.code;
    return answer;
}

bool IrmcObexService::Connect(const QByteArray& target, qint32& packetSize, QString& /*unused*/,
                             qint32& status)
{
    m_getInProgress = false;
    const Packet answer = exchange(op::Connect, target, status);
    if (answer.code != response::Success)
        return false;
    const Header* id = answer.find(hdr::ConnectionId);
    m_hasConnectionId = id != nullptr;
    m_connectionId = id ? id->toWord() : 0;
    packetSize = qMax(0, static_cast<int>(answer.maxPacketSize) - FramingSize);
    return true;
}

bool IrmcObexService::Get(const QByteArray& nameHeader, QByteArray& data, bool& final,
                         qint32& status)
{
    // Once the object is on its way, a request without headers fetches the next packet.
    const Packet answer =
        exchange(op::GetFinal, m_getInProgress ? QByteArray() : nameHeader, status);
    m_getInProgress = answer.code == response::Continue;
    if (answer.code != response::Continue && answer.code != response::Success)
        return false;
    data.clear();
    for (const Header& header : answer.headers) {
        if (header.id == hdr::Body || header.id == hdr::EndOfBody) {
            data = header.encode();
            break;
        }
    }
    if (answer.code == response::Success)
        final = true;
    return true;
}

bool IrmcObexService::Put(const QByteArray& packet, bool final, QString& /*unused*/,
                         qint32& status)
{
    m_getInProgress = false;
    const Packet answer = exchange(final ? op::PutFinal : op::Put, packet, status);
    return answer.code == response::Continue || answer.code == response::Success;
}

bool IrmcObexService::Disconnect(const QString& /*empty*/, QString& /*unused*/, qint32& status)
{
    m_getInProgress = false;
    const Packet answer = exchange(op::Disconnect, QByteArray(), status);
    if (answer.code != response::Success)
        return false;
    m_hasConnectionId = false;
    return true;
}

KeptForm IrmcObexService::keptForm(bool calendar, const QByteArray& entry) const
{
    // The store gets what the server makes of a put: the entry's block, LUID lines left out.
    const IrmcBook book = calendar ? IrmcBook::Calendar : IrmcBook::Phonebook;
    QList<QByteArray> entries;
    QString error;
    if (!m_store || !parseEntries(book, entry, entries, error) || entries.size() != 1)
        return ObexService::keptForm(calendar, entry);
    return m_store->keptForm(book, entries.first());
}

bool IrmcObexService::full(bool calendar, int& used, int& size) const
{
    return m_roomSource &&
           m_roomSource->full(calendar ? IrmcBook::Calendar : IrmcBook::Phonebook, used, size);
}

QStringList IrmcObexService::skippedEntries() const
{
    return m_server ? m_server->lastSkipped() : QStringList();
}

} // namespace irmc
