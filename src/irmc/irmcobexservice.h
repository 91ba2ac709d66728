#pragma once

#include "phone/components.h"
#include "irmc/obexpacket.h"

#include <functional>
#include <memory>

namespace irmc {

class IrmcStore;
class ObexServer;

// The OBEX client of the simulated phone's OBEX service object. It frames the header bytes
// the program builds into OBEX packets, adds the connection id the server gave, carries each
// packet to the server over a transport and reports the server's response code in status.
// A transport that brings back no whole, well-formed answer makes the call throw
// ProgramError, as a failing component call would.
class IrmcObexService final : public ObexService
{
    Q_OBJECT
public:
    // Carries one request packet and brings back the bytes of the answer.
    using Transport = std::function<QByteArray(const QByteArray& request)>;

    // Bytes the service adds around the program's headers: the packet prefix and the
    // connection id header.
    static constexpr int FramingSize = obex::PacketPrefixSize + 5;
    static constexpr quint16 DefaultReceiveSize = 0x2000;

    explicit IrmcObexService(Transport transport, quint16 receiveSize = DefaultReceiveSize,
                            QObject* parent = nullptr);
    ~IrmcObexService() override;

    // A transport that hands each packet straight to server.
    static Transport directTo(ObexServer& server);
    // A service with its own server on store, talking to it in process.
    static IrmcObexService* inProcess(std::shared_ptr<IrmcStore> store,
                                     quint16 serverPacketSize = 1024, QObject* parent = nullptr);

    // Writes back into packetSize the room the server's packets leave for the program's
    // headers once the service's own framing is added.
    bool Connect(const QByteArray& target, qint32& packetSize, QString& unused,
                 qint32& status) override;
    // data gets the answer's Body or End-of-body header, identifier and length included.
    bool Get(const QByteArray& nameHeader, QByteArray& data, bool& final,
             qint32& status) override;
    bool Put(const QByteArray& packet, bool final, QString& unused, qint32& status) override;
    bool Disconnect(const QString& empty, QString& unused, qint32& status) override;
    // Known of an in-process server only.
    QStringList skippedEntries() const override;
    KeptForm keptForm(bool calendar, const QByteArray& entry) const override;
    // An in-process server stands for a phone reached by another protocol.
    bool overObex() const override { return !m_store; }
    bool full(bool calendar, int& used, int& size) const override;
    // Where full() learns the room of a book whose last add was refused for want of it: the
    // store behind the server, as the phone's information log would tell it.
    void setRoomSource(std::shared_ptr<IrmcStore> store) { m_roomSource = std::move(store); }

    ObexServer* server() const { return m_server.get(); }

private:
    obex::Packet exchange(quint8 code, const QByteArray& headers, qint32& status);

    std::shared_ptr<IrmcStore> m_roomSource;
    Transport m_transport;
    quint16 m_receiveSize;
    bool m_hasConnectionId = false;
    quint32 m_connectionId = 0;
    bool m_getInProgress = false;
    std::shared_ptr<IrmcStore> m_store;
    std::unique_ptr<ObexServer> m_server;
};

} // namespace irmc
