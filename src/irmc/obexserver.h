#pragma once

#include "irmc/irmcnames.h"
#include "irmc/irmcobjects.h"
#include "irmc/irmcstore.h"
#include "irmc/obexpacket.h"

#include <QByteArray>
#include <QString>

namespace irmc {

// Failures the OBEX server shows on demand; without any it never fails.
struct ObexFaults
{
    bool refuseConnect = false;
    // The answer after this many packets of a get is a refusal (-1 = never).
    int failGetAfterPackets = -1;
    // The put of this number, counted from 1 over the server's lifetime, is refused (0 = none).
    int refusePutNumber = 0;
    // A put whose data contain these bytes is refused (empty = none).
    QByteArray refusePutMatching;
    // A put whose data contain these bytes is answered as stored, but nothing is kept (empty =
    // none): a phone that loses what it took.
    QByteArray losePutMatching;
    bool refuseDisconnect = false;
    // The response code of every refusal above.
    quint8 refusalCode = obex::response::ServiceUnavailable;
};

// The phone's IrMC OBEX server, at IrMC level 4: besides the whole books it serves, adds,
// replaces and deletes single entries by LUID and keeps a change counter and change log. It is fed
// the bytes of a stream and gives back the bytes of its answers, so it runs over any byte stream: a
// test, an in-process client, a pipe.
class ObexServer
{
public:
    static const QByteArray IrmcTarget;
    static const QString PhonebookName;
    static const QString CalendarName;
    static const QString NewContactName;
    static const QString NewCalendarEntryName;
    static const QString DeviceInfoName;
    static const QString PhonebookInfoName;
    static const QString CalendarInfoName;

    // The largest object a put may carry; a larger one is refused (0xCD) before it is held.
    static constexpr qsizetype MaxPutBytes = 16 * 1024 * 1024;

    explicit ObexServer(IrmcStore& store, quint16 maxPacketSize = 1024);

    // Takes the next bytes of the stream; the answers to every request they complete, in order.
    // A packet whose length field cannot be right is answered Bad Request and the bytes
    // received so far are dropped, since the stream can no longer be split into packets.
    QByteArray feed(const QByteArray& bytes);
    // The answer to one whole request packet.
    QByteArray handle(const QByteArray& request);

    ObexFaults& faults() { return m_faults; }
    bool isConnected() const { return m_connected; }
    quint16 maxPacketSize() const { return m_maxPacketSize; }
    // The largest packet the server sends on the current connection.
    quint16 sendPacketSize() const { return m_sendSize; }
    // Why the last request was refused as malformed, for diagnostics.
    const QString& lastError() const { return m_lastError; }
    // The entries the store could not read for the last whole book served, with its reasons.
    const QStringList& lastSkipped() const { return m_lastSkipped; }

private:
    struct GetState
    {
        bool active = false;
        bool requestComplete = false;
        QString name;
        QByteArray object;
        qsizetype sent = 0;
        int packets = 0;
    };
    struct PutState
    {
        bool active = false;
        QString name;
        // A put without any body header deletes the object.
        bool hasBody = false;
        QByteArray data;
        QByteArray appParameters;
    };
    // The changes this server made, so that a client that saw a change counter since then
    // learns what changed without reading the whole book again.
    struct ChangeHistory
    {
        // The counters the history covers: the changes after from, up to upTo.
        qint64 from = -1;
        qint64 upTo = -1;
        QList<IrmcChange> changes;
    };

    obex::Packet answer(const obex::Packet& request);
    obex::Packet connect(const obex::Packet& request);
    obex::Packet disconnect();
    obex::Packet get(const obex::Packet& request);
    obex::Packet nextGetPacket();
    obex::Packet put(const obex::Packet& request);
    obex::Packet storePut(const PutState& put);
    obex::Packet putEntries(const IrmcObjectName& name, const QList<QByteArray>& entries);
    obex::Packet putEntry(const IrmcObjectName& name, const PutState& put);
    // Counts a change the store made; before is the book's counter from before it. The answer
    // carries the LUID and the new counter, for a synchronising client.
    obex::Packet changed(IrmcBook book, qint64 before, IrmcChange::Type type, const QString& luid);
    void restartHistory(IrmcBook book);
    std::optional<QList<IrmcChange>> changesSince(IrmcBook book, qint64 since) const;
    // Success, or the refusal: Not Found, or Not Implemented for a book the phone lacks.
    quint8 objectFor(const QString& name, QByteArray& object);
    obex::Packet answerWith(quint8 code, const QString& why = QString());

    IrmcStore& m_store;
    quint16 m_maxPacketSize;
    quint16 m_sendSize = obex::MinPacketSize;
    bool m_connected = false;
    quint32 m_connectionId = 0;
    quint32 m_lastConnectionId = 0;
    int m_puts = 0;
    GetState m_get;
    PutState m_put;
    ChangeHistory m_history[2];
    ObexFaults m_faults;
    QByteArray m_buffer;
    QString m_lastError;
    QStringList m_lastSkipped;
};

} // namespace irmc
