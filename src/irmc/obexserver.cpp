#include "irmc/obexserver.h"

#include "core/codepage.h"
#include "irmc/irmcobjects.h"

#include <algorithm>

namespace irmc {

using namespace obex;

namespace {

// Application parameters of IrMC synchronisation.
constexpr quint8 LuidTag = 0x01;
constexpr quint8 ChangeCounterTag = 0x02;
constexpr quint8 MaxExpectedChangeCounter = 0x11;

// A store's fixed fields cannot hold the entry whole; it is not written.
const QString kTooLong = QStringLiteral("too long for this phone");

// The value of tag in a run of tag, length, value triples; none when it is absent or the run
// is cut short before it.
std::optional<QByteArray> appParameter(const QByteArray& parameters, quint8 tag)
{
    qsizetype pos = 0;
    while (pos + 2 <= parameters.size()) {
        const qsizetype length = static_cast<uchar>(parameters.at(pos + 1));
        if (pos + 2 + length > parameters.size())
            break;
        if (static_cast<uchar>(parameters.at(pos)) == tag)
            return parameters.mid(pos + 2, length);
        pos += 2 + length;
    }
    return std::nullopt;
}

void appendAppParameter(QByteArray& parameters, quint8 tag, const QByteArray& value)
{
    parameters.append(static_cast<char>(tag));
    parameters.append(static_cast<char>(qMin<qsizetype>(value.size(), 0xFF)));
    parameters.append(value.left(0xFF));
}

} // namespace

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

quint8 ObexServer::objectFor(const QString& text, QByteArray& object)
{
    const IrmcObjectName name = parseObjectName(text);
    switch (name.kind) {
    case IrmcObjectName::Kind::DeviceInfo:
        object = irmc::deviceInfo(m_store.identity());
        return response::Success;
    case IrmcObjectName::Kind::InfoLog:
        object = irmc::infoLog(m_store, name.book);
        return response::Success;
    case IrmcObjectName::Kind::WholeBook: {
        const IrmcListing listing = m_store.listing(name.book);
        m_lastSkipped = listing.skipped;
        if (!listing.supported)
            return response::NotImplemented;
        object = name.book == IrmcBook::Phonebook ? irmc::phonebookObject(listing.entries)
                                                  : irmc::calendarObject(listing.entries);
        return response::Success;
    }
    case IrmcObjectName::Kind::Entry:
        for (const IrmcEntry& entry : m_store.entries(name.book)) {
            if (entry.luid == name.luid) {
                object = name.book == IrmcBook::Phonebook ? irmc::entryWithLuid(entry)
                                                          : irmc::calendarObject({entry});
                return response::Success;
            }
        }
        return response::NotFound;
    case IrmcObjectName::Kind::ChangeCounter:
        object = QByteArray::number(m_store.changeCounter(name.book));
        return response::Success;
    case IrmcObjectName::Kind::ChangeLog:
        object = irmc::changeLog(m_store, name.book, changesSince(name.book, name.since));
        return response::Success;
    case IrmcObjectName::Kind::NewEntry:
    case IrmcObjectName::Kind::Unknown:
        break;
    }
    return response::NotFound;
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
        if (const quint8 found = objectFor(m_get.name, m_get.object); found != response::Success) {
            m_get = {};
            return answerWith(found);
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
        const bool tooLarge =
            (header.id == hdr::Length && header.toWord() > quint64(MaxPutBytes)) ||
            ((header.id == hdr::Body || header.id == hdr::EndOfBody) &&
             m_put.data.size() + header.value.size() > MaxPutBytes);
        if (tooLarge) {
            m_put = {};
            return answerWith(response::EntityTooLarge,
                              QStringLiteral("a put of more than %1 bytes").arg(MaxPutBytes));
        }
        if (header.id == hdr::Body || header.id == hdr::EndOfBody) {
            m_put.hasBody = true;
            m_put.data += header.value;
        } else if (header.id == hdr::AppParameters) {
            m_put.appParameters += header.value;
        }
    }
    if (request.code == op::Put)
        return answerWith(response::Continue);

    const PutState put = m_put;
    m_put = {};
    ++m_puts;
    if (m_puts == m_faults.refusePutNumber ||
        (!m_faults.refusePutMatching.isEmpty() && put.data.contains(m_faults.refusePutMatching)))
        return answerWith(m_faults.refusalCode);
    if (!m_faults.losePutMatching.isEmpty() && put.data.contains(m_faults.losePutMatching))
        return answerWith(response::Success);
    return storePut(put);
}

Packet ObexServer::storePut(const PutState& put)
{
    const IrmcObjectName name = parseObjectName(put.name);
    if (name.kind == IrmcObjectName::Kind::Entry || name.kind == IrmcObjectName::Kind::NewEntry) {
        // A client that names the counter it last saw must not overwrite a newer change.
        const auto expected = appParameter(put.appParameters, MaxExpectedChangeCounter);
        if (expected && m_store.changeCounter(name.book) > expected->toLongLong())
            return answerWith(
                response::PreconditionFailed,
                QStringLiteral("the book changed after counter %1").arg(QLatin1String(*expected)));
    }
    if (name.kind == IrmcObjectName::Kind::Entry)
        return putEntry(name, put);
    if (name.kind != IrmcObjectName::Kind::WholeBook && name.kind != IrmcObjectName::Kind::NewEntry)
        return answerWith(response::Forbidden, QStringLiteral("cannot put %1").arg(put.name));
    // An empty whole object empties the book.
    if (name.kind == IrmcObjectName::Kind::WholeBook && put.data.isEmpty()) {
        if (!m_store.clear(name.book))
            return answerWith(response::InternalError, QStringLiteral("could not empty the book"));
        restartHistory(name.book);
        return answerWith(response::Success);
    }
    QList<QByteArray> entries;
    if (!irmc::parseEntries(name.book, put.data, entries, m_lastError))
        return answerWith(response::BadRequest);
    return putEntries(name, entries);
}

Packet ObexServer::putEntries(const IrmcObjectName& name, const QList<QByteArray>& entries)
{
    // An entry the store cannot hold whole is refused before anything changes.
    for (const QByteArray& entry : entries) {
        if (!m_store.fits(name.book, entry))
            return answerWith(response::EntityTooLarge, kTooLong);
    }
    if (name.kind == IrmcObjectName::Kind::WholeBook) {
        const bool replaced = m_store.replaceAll(name.book, entries);
        // A book replaced as a whole has no history a client could follow.
        restartHistory(name.book);
        if (!replaced)
            return answerWith(response::InternalError, QStringLiteral("could not replace the book"));
        return answerWith(response::Success);
    }
    Packet answer = answerWith(response::Success);
    for (const QByteArray& entry : entries) {
        const qint64 before = m_store.changeCounter(name.book);
        const QString luid = m_store.add(name.book, entry);
        int used = 0;
        int size = 0;
        if (luid.isEmpty() && m_store.full(name.book, used, size))
            return answerWith(response::DatabaseFull, QStringLiteral("the book is full"));
        if (luid.isEmpty())
            return answerWith(response::InternalError, QStringLiteral("could not add an entry"));
        answer = changed(name.book, before, IrmcChange::Modified, luid);
    }
    return answer;
}

Packet ObexServer::putEntry(const IrmcObjectName& name, const PutState& put)
{
    const QList<IrmcEntry> entries = m_store.entries(name.book);
    const bool known = std::any_of(entries.cbegin(), entries.cend(),
                                   [&](const IrmcEntry& entry) { return entry.luid == name.luid; });
    if (!known)
        return answerWith(response::NotFound, QStringLiteral("no entry %1").arg(name.luid));
    const qint64 before = m_store.changeCounter(name.book);
    // No body, or an empty one, deletes the entry.
    if (!put.hasBody || put.data.isEmpty()) {
        if (!m_store.remove(name.book, name.luid))
            return answerWith(response::InternalError, QStringLiteral("could not delete an entry"));
        return changed(name.book, before, IrmcChange::HardDeleted, name.luid);
    }
    QList<QByteArray> parsed;
    if (!irmc::parseEntries(name.book, put.data, parsed, m_lastError))
        return answerWith(response::BadRequest);
    if (parsed.size() != 1)
        return answerWith(response::BadRequest, QStringLiteral("more than one entry for one LUID"));
    if (!m_store.fits(name.book, parsed.first()))
        return answerWith(response::EntityTooLarge, kTooLong);
    if (!m_store.replace(name.book, name.luid, parsed.first()))
        return answerWith(response::InternalError, QStringLiteral("could not replace an entry"));
    return changed(name.book, before, IrmcChange::Modified, name.luid);
}

Packet ObexServer::changed(IrmcBook book, qint64 before, IrmcChange::Type type, const QString& luid)
{
    ChangeHistory& history = m_history[int(book)];
    // A change the server did not see (another server on the same store) breaks the history.
    if (history.upTo != before)
        history = ChangeHistory{before, before, {}};
    const qint64 counter = m_store.countChange(book);
    history.changes.append(IrmcChange{counter, type, luid});
    history.upTo = counter;

    Packet answer = answerWith(response::Success);
    QByteArray parameters;
    appendAppParameter(parameters, LuidTag, codepage::encode(luid));
    appendAppParameter(parameters, ChangeCounterTag, QByteArray::number(counter));
    answer.headers.append(Header::bytes(hdr::AppParameters, parameters));
    return answer;
}

void ObexServer::restartHistory(IrmcBook book)
{
    const qint64 counter = m_store.countChange(book);
    m_history[int(book)] = ChangeHistory{counter, counter, {}};
}

std::optional<QList<IrmcChange>> ObexServer::changesSince(IrmcBook book, qint64 since) const
{
    const qint64 current = m_store.changeCounter(book);
    if (since == current)
        return QList<IrmcChange>();
    const ChangeHistory& history = m_history[int(book)];
    if (history.upTo != current || since < history.from || since > current)
        return std::nullopt;
    // Each LUID once, with its last change.
    QList<IrmcChange> changes;
    for (const IrmcChange& change : history.changes) {
        if (change.changeCounter <= since)
            continue;
        changes.removeIf([&](const IrmcChange& seen) { return seen.luid == change.luid; });
        changes.append(change);
    }
    return changes;
}

} // namespace irmc
